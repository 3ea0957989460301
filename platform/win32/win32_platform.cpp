#include "platform/win32/win32_platform.h"

#include <mbstring.h>

#include "platform/text.h"

namespace {

void AnsiUpper(std::string& s) {
  if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
}

void AnsiLower(std::string& s) {
  if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
}

int AnsiCompareNoCase(const std::string& a, const std::string& b) {
  return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                  reinterpret_cast<const unsigned char*>(b.c_str()));
}

}  // namespace

Win32Platform::Win32Platform()
    : platform_{registry_, spooler_, services_,     devices_,
                driverStore_, files_, shell_,        system_,
                clock_,       messageBoxes_, strings_} {}

void Win32Platform::SetBoxOwner(BoxOwner owner, HWND hwnd) {
  messageBoxes_.SetOwner(owner, hwnd);
}

void InstallAnsiCaseMappers() {
  text::SetCaseMappers(AnsiUpper, AnsiLower, AnsiCompareNoCase);
}
