#pragma once
// 8-bit ANSI text helpers shared by the logic: printf-style formatting with
// std::string arguments, and the code page's upper/lower casing. The Win32
// build installs the multibyte-aware mappers (CharUpperBuffA and friends) at
// start-up; the host build keeps the ASCII defaults.
#include <cstdio>
#include <string>
#include <type_traits>

namespace text {

namespace detail {
inline const char* Arg(const std::string& s) { return s.c_str(); }
inline const char* Arg(const char* s) { return s; }
template <typename T,
          typename = std::enable_if_t<std::is_arithmetic_v<T> || std::is_enum_v<T>>>
T Arg(T v) { return v; }
std::string FormatRaw(const char* format, ...);
}  // namespace detail

// printf-style formatting; std::string arguments may be passed directly.
template <typename... Args>
std::string Format(const std::string& format, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return format;
  } else {
    return detail::FormatRaw(format.c_str(), detail::Arg(args)...);
  }
}

using CaseMapper = void (*)(std::string&);
using NoCaseCompare = int (*)(const std::string&, const std::string&);
void SetCaseMappers(CaseMapper upper, CaseMapper lower, NoCaseCompare compare);

std::string Upper(std::string s);
std::string Lower(std::string s);
void UpperInPlace(std::string& s);
// Case-insensitive comparison of the code page (upper-cased copies compared).
int CompareNoCase(const std::string& a, const std::string& b);
bool Contains(const std::string& haystack, const std::string& needle);

}  // namespace text
