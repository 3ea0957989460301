#pragma once
#include <windows.h>

#include <string>

#include "platform/run_lock.h"

namespace win32 {

// The lock every run of the program takes. In the Global namespace, so that
// runs in other sessions (a deployment tool's service, a remote desktop) see
// it too.
inline constexpr const char* kRunLockName = "Global\\Purvex.RunLock.5E0B7C1A";

// A named mutex, held by the thread that took it. A mutex lets its owner
// thread take it again, so the process also remembers the names it holds.
class Win32RunLock : public IRunLock {
 public:
  explicit Win32RunLock(std::string name = kRunLockName) : name_(std::move(name)) {}
  RunLockResult TryAcquire(RunLockHold& hold, uint32_t& error) override;

 private:
  std::string name_;
};

}  // namespace win32
