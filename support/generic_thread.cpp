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

// Set on each worker thread for its own lifetime (the thread's lambda keeps
// the signal alive), and within a StopPointScope; null on every other thread.
thread_local const StopSignal* t_stopSignal = nullptr;
thread_local std::shared_ptr<CCGenericThread::WorkerLink> t_link;

}  // namespace

CCGenericThread::CCGenericThread() = default;

CCGenericThread::~CCGenericThread() {
  if (IsRunning()) {
    (void)Stop();
  } else if (thread_.joinable()) {
    thread_.join();
  }
  // A worker left behind owns its thread; ending the process ends it.
  if (thread_.joinable()) thread_.detach();
}

bool CCGenericThread::Start() {
  if (IsRunning()) return true;
  // The previous worker has passed its last step; collect it.
  if (thread_.joinable()) thread_.join();

  auto stop = std::make_shared<StopSignal>();
  auto link = std::make_shared<WorkerLink>();
  stopSignal_ = stop;
  link_ = link;
  // Set before the worker exists, so that a worker that ends at once cannot
  // have its end overwritten.
  isRunning_ = 1;
  try {
    thread_ = std::thread([this, stop, link] {
      t_stopSignal = stop.get();
      t_link = link;
      ThreadProc(this);
      t_link.reset();
      t_stopSignal = nullptr;
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

bool CCGenericThread::Stop(bool notify) {
  // A second close while the first one waits, or after it gave up.
  if (stopping_.load() || abandoned_.load()) return false;
  if (!IsRunning()) {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
      thread_.join();
    }
    return true;
  }
  if (!thread_.joinable()) {
    isRunning_ = 0;
    return true;
  }
  if (thread_.get_id() == std::this_thread::get_id()) {
    // A worker cannot wait for itself; it leaves at its next safe point.
    stopSignal_->Raise();
    return false;
  }
  stopping_ = true;
  // Raised before the notice: the worker's waits end and it unwinds while
  // the user reads it.
  stopSignal_->Raise();
  if (notify && StopFunction != nullptr && Owner != nullptr) StopFunction(Owner);

  std::shared_ptr<WorkerLink> link = link_;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(StopWaitMs);
  std::unique_lock<std::mutex> lock(link->mutex);
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
    isRunning_ = 0;
  } else {
    // Stuck outside any safe point: it keeps running, and keeps counting as
    // running, until the process ends.
    abandoned_ = true;
  }
  stopping_ = false;
  return finished;
}

void CCGenericThread::CheckStopPoint() {
  if (t_stopSignal && t_stopSignal->Raised()) throw WorkerStopped{};
}

const StopSignal* CCGenericThread::CurrentStopSignal() { return t_stopSignal; }

CCGenericThread::StopPointScope::StopPointScope(const StopSignal& stop)
    : previous_(t_stopSignal) {
  t_stopSignal = &stop;
}

CCGenericThread::StopPointScope::~StopPointScope() { t_stopSignal = previous_; }
