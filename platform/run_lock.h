#pragma once
// One run at a time on the whole machine: the window program and unattended
// runs, in every session, take the same lock before they change anything
// and keep it until they end.
#include <cstdint>
#include <memory>

// The lock, held while it lives. Destroy it on the thread that took it (a
// mutex belongs to its thread).
class IRunLockHold {
 public:
  virtual ~IRunLockHold() = default;
};

using RunLockHold = std::unique_ptr<IRunLockHold>;

enum class RunLockResult {
  Acquired,  // `hold` holds it
  InUse,     // another run holds it (in this process or another)
  Failed,    // the lock could not be asked for; `error` says why
};

class IRunLock {
 public:
  virtual ~IRunLock() = default;
  // Never waits. A holder that ended without letting go (a crash) does not
  // keep the lock.
  virtual RunLockResult TryAcquire(RunLockHold& hold, uint32_t& error) = 0;
};
