#include "platform/win32/win32_platform.h"

#include "platform/text.h"

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

}  // namespace

Win32Platform::Win32Platform()
    : platform_{registry_, spooler_, services_, devices_,
                driverStore_, files_, shell_, system_,
                clock_, messageBoxes_, strings_, security_} {}

void Win32Platform::SetBoxOwner(BoxOwner owner, HWND hwnd) {
  messageBoxes_.SetOwner(owner, hwnd);
}

void InstallAnsiCaseMappers() {
  text::SetCaseMappers(AnsiUpper, AnsiLower, AnsiCompareNoCase);
}
