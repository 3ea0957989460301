#include "support/generic_thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

struct CCGenericThread::WorkerLink {
  std::mutex mutex;
  std::condition_variable ended;
  bool finished = false;
  bool abandoned = false;
};

namespace {

// How long one wait slice lasts before Stop() lets PumpWhileWaiting run.
constexpr std::chrono::milliseconds kPumpInterval{10};

// Set on each worker thread for its own lifetime; empty on every other thread.
thread_local std::shared_ptr<std::atomic<bool>> t_stopRequested;
thread_local std::shared_ptr<CCGenericThread::WorkerLink> t_link;

}  // namespace

CCGenericThread::CCGenericThread() = default;

CCGenericThread::~CCGenericThread() {
  if (IsRunning()) {
    Stop();
  } else if (thread_.joinable()) {
    thread_.join();
  }
}

bool CCGenericThread::Start() {
  if (IsRunning()) return true;
  // The previous worker has passed its last step; collect it.
  if (thread_.joinable()) thread_.join();

  auto stop = std::make_shared<std::atomic<bool>>(false);
  auto link = std::make_shared<WorkerLink>();
  stopRequested_ = stop;
  link_ = link;
  // Set before the worker exists, so that a worker that ends at once cannot
  // have its end overwritten.
  isRunning_ = 1;
  try {
    thread_ = std::thread([this, stop, link] {
      t_stopRequested = stop;
      t_link = link;
      ThreadProc(this);
      t_link.reset();
      t_stopRequested.reset();
    });
  } catch (const std::system_error&) {
    isRunning_ = 0;
    return false;
  }
  return true;
}

void CCGenericThread::ThreadProc(CCGenericThread* self) {
  std::shared_ptr<WorkerLink> link = t_link;
  ThreadFunction work = nullptr;
  void* owner = nullptr;
  {
    std::lock_guard<std::mutex> lock(link->mutex);
    if (!link->abandoned) {
      work = self->WorkFunction;
      owner = self->Owner;
    }
  }
  if (work != nullptr && owner != nullptr) {
    try {
      work(owner);
    } catch (const WorkerStopped&) {
      // Asked to stop: the sequence has unwound to here.
    } catch (...) {
      // Nothing may leave the thread procedure: it would end the program.
    }
  }
  std::lock_guard<std::mutex> lock(link->mutex);
  link->finished = true;
  if (!link->abandoned) self->isRunning_ = 0;
  link->ended.notify_all();
}

void CCGenericThread::Stop() {
  if (!IsRunning()) {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
      thread_.join();
    }
    return;
  }
  if (!thread_.joinable()) {
    isRunning_ = 0;
    return;
  }
  if (thread_.get_id() == std::this_thread::get_id()) {
    // A worker cannot wait for itself; it leaves at its next safe point.
    stopRequested_->store(true);
    return;
  }
  if (StopFunction != nullptr && Owner != nullptr) StopFunction(Owner);

  std::shared_ptr<WorkerLink> link = link_;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
  std::unique_lock<std::mutex> lock(link->mutex);
  stopRequested_->store(true);
  while (!link->finished && std::chrono::steady_clock::now() < deadline) {
    link->ended.wait_for(lock, kPumpInterval, [&] { return link->finished; });
    if (link->finished) break;
    if (PumpWhileWaiting) {
      // The worker may be waiting for this thread to handle a message.
      lock.unlock();
      PumpWhileWaiting();
      lock.lock();
    }
  }
  const bool finished = link->finished;
  if (!finished) link->abandoned = true;
  lock.unlock();

  if (finished) {
    thread_.join();
  } else {
    // Stuck outside any safe point: let the program end without it.
    thread_.detach();
  }
  isRunning_ = 0;
}

void CCGenericThread::CheckStopPoint() {
  if (t_stopRequested && t_stopRequested->load()) throw WorkerStopped{};
}
