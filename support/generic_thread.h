#pragma once
// One worker thread at a time, with a cooperative stop: Stop() asks the
// worker to end at its next safe point (its waits return at once), shows
// the owner's notice and waits a bounded time. The worker is never
// suspended: it could hold a lock or a half-written list.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "platform/stop_signal.h"

using ThreadFunction = void (*)(void* owner);

// Thrown at a safe point of a worker that was asked to stop; caught by the
// thread procedure (and by the sequences, to put the system back in order).
struct WorkerStopped {};

class CCGenericThread {
 public:
  static constexpr uint32_t kStopWaitMs = 15000;

  CCGenericThread();
  virtual ~CCGenericThread();  // Stop() while running

  ThreadFunction WorkFunction = nullptr;
  ThreadFunction StopFunction = nullptr;
  void* Owner = nullptr;
  // Run by Stop() on the calling thread while it waits, so that the worker's
  // SendMessage calls to that thread's windows can complete.
  std::function<void()> PumpWhileWaiting;
  // How long Stop() waits for the worker after the notice.
  uint32_t StopWaitMs = kStopWaitMs;

  bool Start();
  // True when no worker runs afterwards; false when the worker did not reach
  // a safe point in time and was left running (see IsAbandoned). A call
  // made while another Stop() waits (a second close) returns at once and
  // shows nothing.
  // Without `notify` (the session ends) no notice is shown.
  bool Stop(bool notify = true);
  // A worker runs (also one that Stop() had to leave behind).
  bool IsRunning() const { return isRunning_.load() != 0; }
  // A Stop() is waiting for the worker.
  bool IsStopping() const { return stopping_.load(); }
  // Stop() gave up waiting: the worker may still use whatever it was given,
  // so nothing of that may be destroyed; the process has to end as it is.
  bool IsAbandoned() const { return abandoned_.load(); }

  // Safe point: throws WorkerStopped when the current thread is a worker
  // that was asked to stop; does nothing on any other thread.
  static void CheckStopPoint();
  // The current worker's stop signal, for waits that must end with a stop
  // request; null on any other thread.
  static const StopSignal* CurrentStopSignal();

  // Work that runs on its caller's thread rather than on a worker (an
  // unattended Clean system) gets the same safe points for its lifetime.
  class StopPointScope {
   public:
    explicit StopPointScope(const StopSignal& stop);
    ~StopPointScope();
    StopPointScope(const StopPointScope&) = delete;
    StopPointScope& operator=(const StopPointScope&) = delete;

   private:
    const StopSignal* previous_;
  };

  // Shared with the worker, so that a worker left behind by Stop() never
  // touches this object again.
  struct WorkerLink;

 private:
  static void ThreadProc(CCGenericThread* self);

  std::atomic<int> isRunning_{0};
  std::atomic<bool> stopping_{false};
  std::atomic<bool> abandoned_{false};
  std::shared_ptr<StopSignal> stopSignal_;
  std::thread thread_;
  std::shared_ptr<WorkerLink> link_;
};
