#include "platform/text.h"

#include <cstdarg>
#include <vector>

namespace text {
namespace {

void AsciiUpper(std::string& s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

void AsciiLower(std::string& s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

int AsciiCompareNoCase(const std::string& a, const std::string& b) {
  std::string ua = a, ub = b;
  AsciiUpper(ua);
  AsciiUpper(ub);
  return ua.compare(ub);
}

CaseMapper g_upper = AsciiUpper;
CaseMapper g_lower = AsciiLower;
NoCaseCompare g_compare = AsciiCompareNoCase;

}  // namespace

namespace detail {
std::string FormatRaw(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    out.assign(buffer.data(), static_cast<size_t>(needed));
  }
  va_end(args);
  return out;
}
}  // namespace detail

void SetCaseMappers(CaseMapper upper, CaseMapper lower, NoCaseCompare compare) {
  g_upper = upper ? upper : AsciiUpper;
  g_lower = lower ? lower : AsciiLower;
  g_compare = compare ? compare : AsciiCompareNoCase;
}

std::string Upper(std::string s) {
  g_upper(s);
  return s;
}

std::string Lower(std::string s) {
  g_lower(s);
  return s;
}

void UpperInPlace(std::string& s) { g_upper(s); }

int CompareNoCase(const std::string& a, const std::string& b) {
  return g_compare(a, b);
}

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

}  // namespace text
