#pragma once
#include <string>
#include <vector>

#include "platform/shell.h"

namespace win32 {

// One argument quoted so that CommandLineToArgvW (and the C run-time's
// parser) gives back exactly `argument`.
std::string QuoteArgument(const std::string& argument);

// The program path followed by every argument, each quoted.
std::string BuildCommandLine(const std::string& exePath,
                             const std::vector<std::string>& arguments);

class Win32Shell : public IShell {
 public:
  int Execute(const std::string& verb, const std::string& file,
              const std::string& parameters, const std::string& directory,
              int show) override;
  Outcome RunProcess(const std::string& exePath,
                     const std::vector<std::string>& arguments,
                     uint32_t timeoutMs, uint32_t& exitCode) override;
  void EndProcessNow(uint32_t exitCode) override;
};

}  // namespace win32
