// FindInfFiles over a directory through the real Win32 file functions and
// the ANSI code page's casing, as the program runs it.
// usage: win_inf_bench.exe DIR [FIRST_TEXT [SECOND_TEXT [ROUNDS [whole]]]]
//   whole: the first text is a whole hardware id (as the program searches
//   a driver's id), otherwise a part
#include <cstdio>
#include <string>

#include "platform/win32/win32_platform.h"
#include "tests/bench/inf_bench.h"

namespace {
constexpr const char* kDefaultText = "VID_0E7B&PID_0001";
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIR [FIRST_TEXT [SECOND_TEXT [ROUNDS [whole]]]]\n", argv[0]);
    return 2;
  }
  Win32Platform win;
  InstallAnsiCaseMappers();
  const std::string first = argc > 2 ? argv[2] : kDefaultText;
  const std::string second = argc > 3 ? argv[3] : "";
  const int rounds = argc > 4 ? std::stoi(argv[4]) : bench::kDefaultRounds;
  const InfTextKind kind = argc > 5 && std::string(argv[5]) == "whole" ? InfTextKind::WholeId
                                                                        : InfTextKind::Part;
  return bench::RunInfBench(win.Get(), argv[1], first, second, rounds, kind);
}
