// planted.dll: stands for a library that somebody planted under a system
// library's name in the program's folder or in its current directory. It
// exports nothing; when a process loads it, it appends its own path to
// C:\planted-ran.txt, so a scenario can tell whether any copy ever ran.
#include <windows.h>

#include <string>

namespace {

constexpr const char* kRecord = "C:\\planted-ran.txt";

void RecordLoad(HINSTANCE self) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  const std::string line = std::string(path, length) + "\r\n";
  HANDLE file = CreateFileA(kRecord, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) RecordLoad(self);
  return TRUE;
}
