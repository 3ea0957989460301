#include "platform/win32/win32_shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/handles.h"

namespace win32 {
namespace {

constexpr char kNullDevice[] = "NUL";

// Exit code reported for a program that had to be ended after the timeout:
// it did start, so the call succeeds, but never with a clean exit status.
constexpr DWORD kTimedOutExitCode = WAIT_TIMEOUT;
constexpr DWORD kTerminationWaitMs = 5000;
// Reported when the finished program's exit status cannot be read.
constexpr DWORD kUnknownExitCode = 0xFFFFFFFFu;

const char* OrNull(const std::string& s) {
  return s.empty() ? nullptr : s.c_str();
}

}  // namespace

std::string QuoteArgument(const std::string& argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      // Every backslash before a quote is doubled, and the quote escaped.
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted.push_back(c);
  }
  // Backslashes before the closing quote are doubled so that it stays one.
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}

std::string BuildCommandLine(const std::string& exePath,
                             const std::vector<std::string>& arguments) {
  // The program name is read up to the next quote with no escapes, and a
  // Windows path cannot contain a quote.
  std::string line = "\"" + exePath + "\"";
  for (const std::string& argument : arguments) {
    line.push_back(' ');
    line += QuoteArgument(argument);
  }
  return line;
}

int Win32Shell::Execute(const std::string& verb, const std::string& file,
                        const std::string& parameters,
                        const std::string& directory, int show) {
  HINSTANCE result = ShellExecuteA(nullptr, OrNull(verb), file.c_str(),
                                   OrNull(parameters), OrNull(directory), show);
  return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

Outcome Win32Shell::RunProcess(const std::string& exePath,
                               const std::vector<std::string>& arguments,
                               uint32_t timeoutMs, uint32_t& exitCode) {
  exitCode = 0;
  // The child gets the null device for all three standard handles: it must
  // not wait for console input, and this program has no console to show
  // its output in.
  SECURITY_ATTRIBUTES inheritable{};
  inheritable.nLength = sizeof(inheritable);
  inheritable.bInheritHandle = TRUE;
  UniqueKernelHandle nullDevice(CreateFileA(
      kNullDevice, GENERIC_READ | GENERIC_WRITE,
      FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
      nullptr));
  if (!nullDevice) return Outcome::Failure(GetLastError());

  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullDevice.get();
  startup.hStdOutput = nullDevice.get();
  startup.hStdError = nullDevice.get();

  std::string line = BuildCommandLine(exePath, arguments);
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');

  PROCESS_INFORMATION process{};
  SetLastError(ERROR_SUCCESS);
  if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr,
                      TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process)) {
    return Outcome::Failure(GetLastError());
  }
  UniqueKernelHandle processHandle(process.hProcess);
  UniqueKernelHandle threadHandle(process.hThread);
  nullDevice.reset();

  if (WaitForSingleObject(processHandle.get(), timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(processHandle.get(), kTimedOutExitCode);
    WaitForSingleObject(processHandle.get(), kTerminationWaitMs);
    exitCode = kTimedOutExitCode;
    return Outcome::Success();
  }
  DWORD code = 0;
  if (!GetExitCodeProcess(processHandle.get(), &code)) code = kUnknownExitCode;
  exitCode = code;
  return Outcome::Success();
}

void Win32Shell::EndProcessNow(uint32_t exitCode) {
  // Not ExitProcess: its library detach notifications could run into a lock
  // that the ended worker held.
  TerminateProcess(GetCurrentProcess(), exitCode);
}

}  // namespace win32
