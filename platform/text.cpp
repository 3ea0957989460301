#include "platform/text.h"

#include <cstdarg>
#include <utility>
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

std::u16string WidenLatin1(const std::string& s) {
  std::u16string out;
  out.reserve(s.size());
  for (const char c : s) out.push_back(static_cast<unsigned char>(c));
  return out;
}

CodePageFacts& ActiveFacts() {
  static CodePageFacts facts = CodePageFacts::Ascii();
  return facts;
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

void TrimTrailingBackslashes(std::string& path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
}

std::vector<std::string> SplitNonEmpty(const std::string& s, char separator) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : s) {
    if (c == separator) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

CodePageFacts CodePageFacts::Ascii() {
  CodePageFacts facts;
  for (size_t b = 0; b < facts.upper.size(); ++b) {
    facts.upper[b] = static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
  }
  facts.upper16.resize(kUnitCount);
  for (size_t u = 0; u < kUnitCount; ++u) {
    facts.upper16[u] = static_cast<char16_t>(u >= 'a' && u <= 'z' ? u - 'a' + 'A' : u);
  }
  facts.widen = WidenLatin1;
  return facts;
}

void SetCodePageFacts(CodePageFacts facts) {
  if (facts.upper16.size() != CodePageFacts::kUnitCount || facts.widen == nullptr) {
    facts = CodePageFacts::Ascii();
  }
  ActiveFacts() = std::move(facts);
}

const CodePageFacts& ActiveCodePageFacts() { return ActiveFacts(); }

}  // namespace text
