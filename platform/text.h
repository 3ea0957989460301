#pragma once
// 8-bit ANSI text helpers shared by the logic: printf-style formatting with
// std::string arguments, and the code page's upper/lower casing. The Win32
// build installs the multibyte-aware mappers (CharUpperBuffA and friends) at
// start-up; the host build keeps the ASCII defaults.
#include <array>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

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
// The runs of `s` between separators, empty runs left out (byte by byte).
std::vector<std::string> SplitNonEmpty(const std::string& s, char separator);
// Drops every backslash at the end ("C:\\" becomes "C:").
void TrimTrailingBackslashes(std::string& path);

// What byte-level text matching needs of the ANSI code page, gathered once:
// the upper case of every single-byte character (double-byte characters are
// compared as they are), which bytes start a double-byte character (their
// second byte may look like a backslash or a letter), the upper case of every
// UTF-16 code unit, and the reading of ANSI text as UTF-16. The defaults are
// ASCII's; the Win32 build installs the code page's own at start-up.
struct CodePageFacts {
  using Widen = std::u16string (*)(const std::string&);
  static constexpr size_t kUnitCount = 0x10000;

  std::array<unsigned char, 256> upper{};
  std::array<bool, 256> leadByte{};
  std::vector<char16_t> upper16;  // kUnitCount entries
  Widen widen = nullptr;

  static CodePageFacts Ascii();
};
void SetCodePageFacts(CodePageFacts facts);
const CodePageFacts& ActiveCodePageFacts();

}  // namespace text
