#include "removal/spooler_control.h"

#include "platform/text.h"
#include "platform/win_constants.h"
#include "resources/resource_ids.h"
#include "support/generic_thread.h"
#include "support/service_helper.h"

namespace {

constexpr const char* kSpoolerServiceName = "spooler";
constexpr uint32_t kStopSettleMs = 3000;
constexpr uint32_t kStartSettleMs = 1000;
constexpr uint32_t kRestartPauseMs = 2000;
constexpr uint32_t kRestartSettleMs = 1500;

constexpr const char* kStopLine = "Stop Spooler Service...";
constexpr const char* kStopOkLine = "Stop Spooler Service OK";
constexpr const char* kStartLine = "Start Spooler Service...";
constexpr const char* kStartOkLine = "Start Spooler Service OK";
constexpr const char* kRecoverLine =
    "Spooler Service left stopped by an interrupted operation: starting it again...";
constexpr const char* kStopPendingLine =
    "Spooler Service is still stopping: waiting for it to stop before starting it again...";
constexpr const char* kStillStoppingLine =
    "Spooler Service not started: after %d seconds it is still in state %s (%d).";
constexpr const char* kStateUnreadableLine =
    "Spooler Service state could not be read after its start was refused: error %d.";

// A stop can take long (a driver that is slow to unload); its end is
// polled rather than waited for in one block, so that a stop request of
// the worker is seen.
constexpr uint32_t kPendingStopPollMs = 500;
constexpr uint32_t kPendingStopLimitMs = 30000;
constexpr uint32_t kMsPerSecond = 1000;

const char* StateName(uint32_t state) {
  switch (state) {
    case win::kServiceStopped: return "STOPPED";
    case win::kServiceStartPending: return "START_PENDING";
    case win::kServiceStopPending: return "STOP_PENDING";
    case win::kServiceRunning: return "RUNNING";
    case win::kServiceContinuePending: return "CONTINUE_PENDING";
    case win::kServicePausePending: return "PAUSE_PENDING";
    case win::kServicePaused: return "PAUSED";
    default: return "UNKNOWN";
  }
}

}  // namespace

// "Already running" (1056) is also the answer to a start while the service
// is still stopping, which would leave it stopped for good once the stop
// ends. Reads the state, waits for a pending stop to end and starts again.
CSpoolerControl::SpoolerStart CSpoolerControl::StartAfterRefusal(CServiceHelper& helper,
                                                                 bool atSafePoints) {
  uint32_t state = 0;
  if (!helper.QueryNamedServiceState(state)) {
    // Nothing tells it apart from a running spooler, as before.
    Log(text::Format(kStateUnreadableLine, static_cast<int>(helper.LastErrorCode())));
    return SpoolerStart::AlreadyRunning;
  }
  if (state == win::kServiceStopPending) {
    Log(kStopPendingLine);
    for (uint32_t waited = 0; waited < kPendingStopLimitMs; waited += kPendingStopPollMs) {
      if (atSafePoints) {
        Wait(kPendingStopPollMs);
      } else {
        platform.clock.Sleep(kPendingStopPollMs);
      }
      if (!helper.QueryNamedServiceState(state)) state = win::kServiceStopPending;
      if (state != win::kServiceStopPending) break;
    }
    if (state == win::kServiceStopPending) {
      Log(text::Format(kStillStoppingLine, static_cast<int>(kPendingStopLimitMs / kMsPerSecond),
                       StateName(state), static_cast<int>(state)));
      return SpoolerStart::NotStarted;
    }
  }
  if (state != win::kServiceStopped) return SpoolerStart::AlreadyRunning;
  return helper.StartNamedService() ? SpoolerStart::Started : SpoolerStart::NotStarted;
}

bool CSpoolerControl::RequestStop(CServiceHelper& helper) {
  Log(kStopLine);
  SetStatusLine(LoadText(IDS_STOP_SPOOLER));
  helper.SetServiceName(kSpoolerServiceName);
  if (!helper.StopNamedService()) return false;
  SpoolerStoppedBySequence = true;
  Log(kStopOkLine);
  return true;
}

bool CSpoolerControl::RequestStart(CServiceHelper& helper, bool& refused) {
  helper.SetServiceName(kSpoolerServiceName);
  const bool started = helper.StartNamedService();
  refused = !started && helper.LastErrorCode() == win::kErrorServiceAlreadyRunning;
  if (started) SpoolerStoppedBySequence = false;
  return started;
}

void CSpoolerControl::StopSpooler() {
  CServiceHelper helper(platform.services);
  RequestStop(helper);
  Wait(kStopSettleMs);
  SetStatusLine(LoadText(IDS_STOP_SPOOLER_OK));
}

void CSpoolerControl::StartSpooler() {
  CServiceHelper helper(platform.services);
  bool refused = false;
  bool started = RequestStart(helper, refused);
  Log(kStartLine);
  SetStatusLine(LoadText(IDS_START_SPOOLER));
  Wait(kStartSettleMs);
  if (refused) {
    const SpoolerStart retry = StartAfterRefusal(helper, true);
    started = retry == SpoolerStart::Started;
    if (retry != SpoolerStart::NotStarted) SpoolerStoppedBySequence = false;
  }
  if (started) Log(kStartOkLine);
  SetStatusLine(LoadText(IDS_START_SPOOLER_OK));
}

void CSpoolerControl::RestartSpooler() {
  CServiceHelper helper(platform.services);
  if (RequestStop(helper)) SetStatusLine(LoadText(IDS_STOP_SPOOLER_OK));
  SetStatusLine(LoadText(IDS_START_SPOOLER));
  Wait(kRestartPauseMs);
  bool refused = false;
  RequestStart(helper, refused);
  Log(kStartLine);
  Wait(kRestartSettleMs);
  if (refused) {
    const SpoolerStart retry = StartAfterRefusal(helper, true);
    if (retry == SpoolerStart::Started) Log(kStartOkLine);
    if (retry != SpoolerStart::NotStarted) SpoolerStoppedBySequence = false;
  }
}

void CSpoolerControl::EnsureSpoolerRunning() {
  // No safe points here (its waits are bounded): this runs while a stopped
  // worker unwinds and while the window closes.
  if (!SpoolerStoppedBySequence) return;
  Log(kRecoverLine);
  CServiceHelper helper(platform.services);
  helper.SetServiceName(kSpoolerServiceName);
  bool started = helper.StartNamedService();
  bool running = started;
  if (!started && helper.LastErrorCode() == win::kErrorServiceAlreadyRunning) {
    const SpoolerStart retry = StartAfterRefusal(helper, false);
    started = retry == SpoolerStart::Started;
    running = retry != SpoolerStart::NotStarted;
  }
  if (running) SpoolerStoppedBySequence = false;
  if (started) Log(kStartOkLine);
}

void CSpoolerControl::Log(const std::string& line) {
  if (log_ != nullptr) log_->WriteLine(line);
}

void CSpoolerControl::SetStatusLine(const std::string& text) {
  if (host_ != nullptr) host_->SetStatusLine(text);
}

void CSpoolerControl::Wait(uint32_t ms) { WaitAtSafePoint(platform, ms); }

void WaitAtSafePoint(Platform& platform, uint32_t ms) {
  // On a worker the wait ends with a stop request, so that closing the
  // window never waits for the rest of a fixed sleep.
  if (const StopSignal* stop = CCGenericThread::CurrentStopSignal()) {
    platform.clock.SleepUnlessStopped(ms, *stop);
  } else {
    platform.clock.Sleep(ms);
  }
  CCGenericThread::CheckStopPoint();
}
