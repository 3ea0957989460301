// Stand-in for the system's printer user interface entry point, which Wine
// lacks ("command not implemented"). The seeding installs it over
// C:\windows\system32\printui.dll so that "rundll32 printui.dll,PrintUIEntry"
// behaves as documented for the switches Purvex uses:
//   /dd         delete the printer driver
//   /m "model"  the driver's name
//   /h "arch"   the driver's environment: Intel (x86), x64, IA64
//   /v "ver"    the driver's version class, e.g. "Windows NT 4.0 or 2000"
// Every call is appended to C:\windows\temp\printui-standin.log so that a
// scenario can see the command line the program gave.
#include <windows.h>
#include <winspool.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr const wchar_t* kLogPath = L"C:\\windows\\temp\\printui-standin.log";

std::vector<std::wstring> SplitArguments(const std::wstring& line) {
  std::vector<std::wstring> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == L' ') ++i;
    if (i >= line.size()) break;
    std::wstring token;
    if (line[i] == L'"') {
      size_t end = line.find(L'"', i + 1);
      if (end == std::wstring::npos) end = line.size();
      token = line.substr(i + 1, end - i - 1);
      i = end + 1;
    } else {
      size_t end = line.find(L' ', i);
      if (end == std::wstring::npos) end = line.size();
      token = line.substr(i, end - i);
      i = end;
    }
    out.push_back(token);
  }
  return out;
}

const wchar_t* EnvironmentOf(const std::wstring& architecture) {
  if (_wcsicmp(architecture.c_str(), L"x64") == 0) return L"Windows x64";
  if (_wcsicmp(architecture.c_str(), L"IA64") == 0) return L"Windows IA64";
  if (_wcsicmp(architecture.c_str(), L"Intel") == 0) return L"Windows NT x86";
  return nullptr;
}

// Windows refuses to delete a driver that a printer still uses; Wine's
// spooler does not check, so the stand-in does.
bool DriverInUse(const std::wstring& model) {
  DWORD needed = 0, count = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return false;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count)) return false;
  auto* printers = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (printers[i].pDriverName && _wcsicmp(printers[i].pDriverName, model.c_str()) == 0) return true;
  }
  return false;
}

void AppendLog(const std::wstring& line) {
  HANDLE file = CreateFileW(kLogPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  int size = WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(size > 0 ? static_cast<size_t>(size - 1) : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, text.data(), size, nullptr, nullptr);
  text += "\r\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void Run(const std::wstring& commandLine) {
  std::vector<std::wstring> args = SplitArguments(commandLine);
  bool deleteDriver = false;
  std::wstring model, architecture;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    bool hasValue = i + 1 < args.size();
    if (_wcsicmp(arg.c_str(), L"/dd") == 0) deleteDriver = true;
    else if (_wcsicmp(arg.c_str(), L"/m") == 0 && hasValue) model = args[++i];
    else if (_wcsicmp(arg.c_str(), L"/h") == 0 && hasValue) architecture = args[++i];
    // The version class needs no handling: Wine keeps one driver key per name.
    else if (_wcsicmp(arg.c_str(), L"/v") == 0 && hasValue) ++i;
  }
  if (!deleteDriver || model.empty()) {
    AppendLog(L"unsupported: " + commandLine);
    return;
  }
  const wchar_t* environment = architecture.empty() ? nullptr : EnvironmentOf(architecture);
  if (!architecture.empty() && !environment) {
    AppendLog(L"unknown architecture: " + commandLine);
    return;
  }
  if (DriverInUse(model)) {
    AppendLog(commandLine + L" -> failed " + std::to_wstring(ERROR_PRINTER_DRIVER_IN_USE) + L" (in use)");
    return;
  }
  BOOL deleted = DeletePrinterDriverW(nullptr, const_cast<LPWSTR>(environment), const_cast<LPWSTR>(model.c_str()));
  DWORD error = deleted ? 0 : GetLastError();
  AppendLog(commandLine + L" -> " + (deleted ? L"deleted" : L"failed " + std::to_wstring(error)));
}

}  // namespace

extern "C" void CALLBACK PrintUIEntryW(HWND, HINSTANCE, LPCWSTR commandLine, int) {
  if (commandLine) Run(commandLine);
}

extern "C" void CALLBACK PrintUIEntryA(HWND, HINSTANCE, LPCSTR commandLine, int) {
  if (!commandLine) return;
  int size = MultiByteToWideChar(CP_ACP, 0, commandLine, -1, nullptr, 0);
  if (size <= 0) return;
  std::wstring wide(static_cast<size_t>(size - 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, commandLine, -1, wide.data(), size);
  Run(wide);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
