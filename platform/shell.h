#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/outcome.h"

class IShell {
 public:
  virtual ~IShell() = default;
  // ShellExecuteA(NULL, verb, file, parameters, directory, show): the
  // returned instance value as an integer (> 32 means started).
  virtual int Execute(const std::string& verb, const std::string& file,
                           const std::string& parameters,
                           const std::string& directory, int show) = 0;
  // Starts `exePath` directly (no command interpreter), every argument
  // quoted, no window, no console input, and waits at most timeoutMs.
  // Fails only when the program could not be started.
  virtual Outcome RunProcess(const std::string& exePath,
                             const std::vector<std::string>& arguments,
                             uint32_t timeoutMs, uint32_t& exitCode) = 0;
  // Ends this process at once (TerminateProcess of itself): no other thread
  // runs on, no destructor and no library clean-up runs. For a worker that
  // could not be stopped and still uses the program's objects.
  virtual void EndProcessNow(uint32_t exitCode) = 0;
};
