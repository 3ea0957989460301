#pragma once
// One worker thread at a time, with a cooperative stop: Stop() shows the
// owner's notice, asks the worker to end at its next safe point and waits a
// bounded time. The worker never gets suspended inside a call.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

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

  bool Start();
  void Stop();
  bool IsRunning() const { return isRunning_.load() != 0; }

  // Safe point: throws WorkerStopped when the current thread is a worker
  // that was asked to stop; does nothing on any other thread.
  static void CheckStopPoint();

  // Shared with the worker, so that a worker left behind by Stop() never
  // touches this object again.
  struct WorkerLink;

 private:
  static void ThreadProc(CCGenericThread* self);

  std::atomic<int> isRunning_{0};
  std::shared_ptr<std::atomic<bool>> stopRequested_;
  std::thread thread_;
  std::shared_ptr<WorkerLink> link_;
};
