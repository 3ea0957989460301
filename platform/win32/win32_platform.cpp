#include "platform/win32/win32_platform.h"

#include "platform/text.h"
#include "platform/win32/code_page.h"

namespace {

void AnsiUpper(std::string& s) {
  if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
}

void AnsiLower(std::string& s) {
  if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
}

// Compares the upper-cased copies, as every name comparison of the program
// does. _mbsicmp folds only ASCII letters in a single-byte code page (the
// run-time library's "C" locale), so it would tell \xe9 and \xc9 of code page
// 1252 apart.
int AnsiCompareNoCase(const std::string& a, const std::string& b) {
  std::string upperA = a;
  std::string upperB = b;
  AnsiUpper(upperA);
  AnsiUpper(upperB);
  return upperA.compare(upperB);
}

std::u16string WidenAnsi(const std::string& s) {
  const std::wstring wide = win32::WideFromAnsi(s);
  return std::u16string(wide.begin(), wide.end());
}

// Asked of the system once, so that matching a byte costs a table look-up
// rather than a call into the code page's mapper.
text::CodePageFacts AnsiCodePageFacts() {
  text::CodePageFacts facts = text::CodePageFacts::Ascii();
  for (size_t b = 1; b < facts.upper.size(); ++b) {
    const BYTE byte = static_cast<BYTE>(b);
    facts.leadByte[b] = IsDBCSLeadByte(byte) != FALSE;
    if (facts.leadByte[b]) continue;
    char c = static_cast<char>(byte);
    (void)CharUpperBuffA(&c, 1);
    facts.upper[b] = static_cast<unsigned char>(c);
  }
  // One unit at a time: a pair of surrogates must not be cased as one
  // character here, as the matcher compares units.
  for (size_t u = 1; u < text::CodePageFacts::kUnitCount; ++u) {
    WCHAR unit = static_cast<WCHAR>(u);
    (void)CharUpperBuffW(&unit, 1);
    facts.upper16[u] = static_cast<char16_t>(unit);
  }
  facts.widen = WidenAnsi;
  return facts;
}

}  // namespace

Win32Platform::Win32Platform()
    : platform_{registry_, spooler_, services_, devices_,
                driverStore_, files_, shell_, system_,
                clock_, messageBoxes_, strings_, security_,
                textConversion_, runLock_, console_, clipboard_} {}

void Win32Platform::SetBoxOwner(BoxOwner owner, HWND hwnd) {
  owners_.Set(owner, hwnd);
}

void InstallAnsiCaseMappers() {
  text::SetCaseMappers(AnsiUpper, AnsiLower, AnsiCompareNoCase);
  text::SetCodePageFacts(AnsiCodePageFacts());
}
