#pragma once
// A stop request that one thread raises and the waits of another watch: a
// wait given the signal returns as soon as it is raised, whatever time it
// was asked to wait. Standard library only, so the Win32 clock and the
// simulation wait the same way.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class StopSignal {
 public:
  void Raise() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      raised_ = true;
    }
    changed_.notify_all();
  }

  bool Raised() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return raised_;
  }

  // Waits up to ms; true when the signal was raised before or meanwhile.
  bool WaitFor(uint32_t ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return raised_; });
  }

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool raised_ = false;
};
