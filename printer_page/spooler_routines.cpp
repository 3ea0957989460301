#include "printer_page/remove_drv_prn.h"
#include "platform/win_constants.h"
#include "resources/resource_ids.h"
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

}  // namespace

void CRemoveDrvPrn::StopSpooler() {
  CServiceHelper helper(platform.services);
  Log(kStopLine);
  SetStatusLine(LoadText(IDS_STOP_SPOOLER));
  helper.SetServiceName(kSpoolerServiceName);
  if (helper.StopNamedService()) {
    SpoolerStoppedBySequence = true;
    Log(kStopOkLine);
  }
  Wait(kStopSettleMs);
  SetStatusLine(LoadText(IDS_STOP_SPOOLER_OK));
}

void CRemoveDrvPrn::StartSpooler() {
  CServiceHelper helper(platform.services);
  helper.SetServiceName(kSpoolerServiceName);
  const bool started = helper.StartNamedService();
  if (started || helper.LastErrorCode() == win::kErrorServiceAlreadyRunning) {
    SpoolerStoppedBySequence = false;
  }
  Log(kStartLine);
  SetStatusLine(LoadText(IDS_START_SPOOLER));
  Wait(kStartSettleMs);
  if (started) Log(kStartOkLine);
  SetStatusLine(LoadText(IDS_START_SPOOLER_OK));
}

void CRemoveDrvPrn::RestartSpooler() {
  CServiceHelper helper(platform.services);
  Log(kStopLine);
  SetStatusLine(LoadText(IDS_STOP_SPOOLER));
  helper.SetServiceName(kSpoolerServiceName);
  if (helper.StopNamedService()) {
    SpoolerStoppedBySequence = true;
    Log(kStopOkLine);
    SetStatusLine(LoadText(IDS_STOP_SPOOLER_OK));
  }
  SetStatusLine(LoadText(IDS_START_SPOOLER));
  Wait(kRestartPauseMs);
  helper.SetServiceName(kSpoolerServiceName);
  if (helper.StartNamedService() ||
      helper.LastErrorCode() == win::kErrorServiceAlreadyRunning) {
    SpoolerStoppedBySequence = false;
  }
  Log(kStartLine);
  Wait(kRestartSettleMs);
}

void CRemoveDrvPrn::EnsureSpoolerRunning() {
  // No waits and no safe points here: this runs while a stopped worker
  // unwinds and while the window closes.
  if (!SpoolerStoppedBySequence) return;
  Log(kRecoverLine);
  CServiceHelper helper(platform.services);
  helper.SetServiceName(kSpoolerServiceName);
  if (helper.StartNamedService()) {
    SpoolerStoppedBySequence = false;
    Log(kStartOkLine);
  } else if (helper.LastErrorCode() == win::kErrorServiceAlreadyRunning) {
    SpoolerStoppedBySequence = false;
  }
}
