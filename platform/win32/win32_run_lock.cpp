#include "platform/win32/win32_run_lock.h"

#include <mutex>
#include <set>

#include "platform/win32/handles.h"

namespace win32 {
namespace {

std::mutex& HeldNamesMutex() {
  static std::mutex mutex;
  return mutex;
}

std::set<std::string>& HeldNames() {
  static std::set<std::string> names;
  return names;
}

class MutexHold : public IRunLockHold {
 public:
  MutexHold(UniqueKernelHandle mutex, std::string name)
      : mutex_(std::move(mutex)), name_(std::move(name)) {}
  ~MutexHold() override {
    (void)ReleaseMutex(mutex_.get());
    std::lock_guard<std::mutex> lock(HeldNamesMutex());
    HeldNames().erase(name_);
  }

 private:
  UniqueKernelHandle mutex_;
  std::string name_;
};

}  // namespace

RunLockResult Win32RunLock::TryAcquire(RunLockHold& hold, uint32_t& error) {
  hold.reset();
  error = ERROR_SUCCESS;
  std::lock_guard<std::mutex> lock(HeldNamesMutex());
  if (HeldNames().count(name_) != 0) return RunLockResult::InUse;

  // CreateMutexA asks for every right; a mutex another administrator's run
  // created may grant us only waiting and releasing, which is all it takes.
  // (Standard users cannot create Global objects, so nobody unprivileged can
  // take the name first.)
  SetLastError(ERROR_SUCCESS);
  UniqueKernelHandle mutex(CreateMutexA(nullptr, FALSE, name_.c_str()));
  if (!mutex && GetLastError() == ERROR_ACCESS_DENIED) {
    mutex.reset(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name_.c_str()));
  }
  if (!mutex) {
    error = GetLastError();
    return RunLockResult::Failed;
  }
  switch (WaitForSingleObject(mutex.get(), 0)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its last holder ended without letting go
      HeldNames().insert(name_);
      hold = std::make_unique<MutexHold>(std::move(mutex), name_);
      return RunLockResult::Acquired;
    case WAIT_TIMEOUT:
      return RunLockResult::InUse;
    default:
      error = GetLastError();
      return RunLockResult::Failed;
  }
}

}  // namespace win32
