// holder.exe: keeps a file open without any sharing, so that other processes
// can neither open nor delete it, until told to let go.
//
//   holder.exe PATH [SECONDS] [STOP_FILE]
//
// Prints "held=1" once the file is open ("held=0 error=N" when it cannot be
// opened), then waits until STOP_FILE exists (default PATH + ".release") or
// SECONDS have passed (default 120), closes the file and prints "released=1".
// A missing PATH is created, so that a file the program wants to create can
// be taken first.
//
// Exit status: 0 held and released, 1 the file could not be opened, 2 usage.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "../tool_common.h"

namespace {

constexpr double kDefaultSeconds = 120.0;
constexpr const char* kDefaultStopSuffix = ".release";

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) {
    std::fprintf(stderr, "usage: holder.exe PATH [SECONDS] [STOP_FILE]\n");
    return kExitUsage;
  }
  const std::string path = argv[1];
  const double seconds = argc > 2 ? std::strtod(argv[2], nullptr) : kDefaultSeconds;
  const std::string stopFile = argc > 3 ? argv[3] : path + kDefaultStopSuffix;

  // No sharing at all: neither reads, writes nor deletion by anybody else.
  const DWORD noSharing = 0;
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, noSharing, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    std::printf("held=0 error=%lu\n", static_cast<unsigned long>(GetLastError()));
    return kExitFailed;
  }
  std::printf("held=1\n");
  const DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * kMsPerSecond);
  while (!Exists(stopFile) && static_cast<LONG>(deadline - GetTickCount()) > 0) Sleep(kPollMs);
  std::printf("released=1\n");
  return kExitOk;
}
