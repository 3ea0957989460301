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

#include "tests/contract/child_orders.h"

namespace {

constexpr int kOutputArgument = 2;
constexpr int kFirstEchoedArgument = 3;
constexpr DWORD kWaitMs = 60000;
constexpr int kInputAtEnd = 0;
constexpr int kInputPending = 1;
constexpr int kUsage = 2;

}  // namespace

int main() {
  const ChildOrders orders;
  const std::string mode = orders.Mode();
  if (mode == "wait") {
    Sleep(kWaitMs);
    return kUsage;
  }
  if (mode != "echo" || !orders.Has(kOutputArgument)) return kUsage;
  FILE* output = _wfopen(orders.arguments[kOutputArgument].c_str(), L"wb");
  if (output == nullptr) return kUsage;
  for (int i = kFirstEchoedArgument; orders.Has(i); ++i) {
    std::fprintf(output, "%s\n", orders.Ansi(i).c_str());
  }
  std::fclose(output);
  char byte = 0;
  DWORD read = 0;
  const BOOL ok = ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &read, nullptr);
  return ok && read == 0 ? kInputAtEnd : kInputPending;
}
