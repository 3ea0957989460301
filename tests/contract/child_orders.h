#pragma once
// How the contract tests give orders to the programs they start: argument 1
// names what to do, the arguments after it what to do it with.
#include <string>
#include <vector>

#include "platform/win32/code_page.h"
#include "tests/contract/system_split.h"

struct ChildOrders {
  static constexpr int kModeArgument = 1;

  // As the system split this process's command line, the program first.
  std::vector<std::wstring> arguments = SystemSplit(GetCommandLineW());

  bool Has(int index) const { return index < static_cast<int>(arguments.size()); }
  std::string Ansi(int index) const { return win32::AnsiFromWide(arguments[index].c_str()); }
  // What to do; empty when not given.
  std::string Mode() const { return Has(kModeArgument) ? Ansi(kModeArgument) : std::string(); }
};
