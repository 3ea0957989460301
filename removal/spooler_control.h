#pragma once
// Stopping and starting the spooler around the steps that need it gone, and
// starting it again when a sequence ended before it could.
#include <atomic>
#include <cstdint>
#include <string>

#include "engine/engine_links.h"
#include "platform/platform.h"
#include "removal/removal_host.h"

class CServiceHelper;

class CSpoolerControl {
 public:
  explicit CSpoolerControl(Platform& platform) : platform(platform) {}

  // Where its log lines and status texts go; either may be null.
  void Connect(ILogSink* log, IRemovalHost* host) {
    log_ = log;
    host_ = host;
  }

  void StopSpooler();
  void StartSpooler();
  void RestartSpooler();
  // Starts the spooler when a sequence stopped it and did not start it again.
  void EnsureSpoolerRunning();
  enum class SpoolerStart { Started, AlreadyRunning, NotStarted };
  // After a start answered "already running": waits out a pending stop
  // (polling, at safe points when asked) and starts again.
  SpoolerStart StartAfterRefusal(CServiceHelper& helper, bool atSafePoints);

  std::atomic<bool> SpoolerStoppedBySequence{false};

 private:
  // Asks the spooler to stop and logs it; whether it stopped.
  bool RequestStop(CServiceHelper& helper);
  // Asks the spooler to start; `refused`: the start was answered
  // "already running".
  bool RequestStart(CServiceHelper& helper, bool& refused);
  void Log(const std::string& line);
  void SetStatusLine(const std::string& text);
  void Wait(uint32_t ms);
  std::string LoadText(uint32_t id) { return platform.strings.Load(id); }

  Platform& platform;
  ILogSink* log_ = nullptr;
  IRemovalHost* host_ = nullptr;
};

// A sleep on a worker that ends early with a stop request, then a safe point.
void WaitAtSafePoint(Platform& platform, uint32_t ms);
