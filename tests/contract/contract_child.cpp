// The program that the Win32 process tests start.
//   contract_child.exe echo <output file> [arguments...]
//     writes every argument, as the Windows parser split them, one per line
//     into the output file; exits 0 when standard input is at its end at
//     once (the null device), 1 otherwise.
//   contract_child.exe wait
//     waits far longer than any test timeout.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/code_page.h"
#include "tests/contract/system_split.h"

namespace {

constexpr int kModeArgument = 1;
constexpr int kOutputArgument = 2;
constexpr int kFirstEchoedArgument = 3;
constexpr DWORD kWaitMs = 60000;
constexpr int kInputAtEnd = 0;
constexpr int kInputPending = 1;
constexpr int kUsage = 2;

}  // namespace

int main() {
  const std::vector<std::wstring> arguments = SystemSplit(GetCommandLineW());
  const int count = static_cast<int>(arguments.size());
  if (count <= kModeArgument) return kUsage;
  const std::string mode = win32::AnsiFromWide(arguments[kModeArgument].c_str());
  if (mode == "wait") {
    Sleep(kWaitMs);
    return kUsage;
  }
  if (mode != "echo" || count <= kOutputArgument) return kUsage;
  FILE* output = _wfopen(arguments[kOutputArgument].c_str(), L"wb");
  if (output == nullptr) return kUsage;
  for (int i = kFirstEchoedArgument; i < count; ++i) {
    std::fprintf(output, "%s\n", win32::AnsiFromWide(arguments[i].c_str()).c_str());
  }
  std::fclose(output);
  char byte = 0;
  DWORD read = 0;
  const BOOL ok = ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &read, nullptr);
  return ok && read == 0 ? kInputAtEnd : kInputPending;
}
