#include "app/purvex_dlg.h"
#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"

CRemoveDrvPrn::CRemoveDrvPrn(Platform& p)
    : platform(p), Registry(p.registry), Engine(p) {}

CRemoveDrvPrn::~CRemoveDrvPrn() = default;

void CRemoveDrvPrn::SetOwner(CPurvexDlg* mainDialog) {
  if (mainDialog == nullptr) return;
  MainDialog = mainDialog;
  (void)Engine.SetMainDialog(mainDialog);
}

void CRemoveDrvPrn::SetEnvironmentPaths(const std::string& driversKey,
                                        const std::string& pccDir,
                                        const std::string& spoolDriversDir) {
  EnvDriversKey = driversKey;
  SpoolPccDir = pccDir;
  SpoolDriversDir = spoolDriversDir;
}

void CRemoveDrvPrn::Log(const std::string& line) {
  if (MainDialog != nullptr) (void)MainDialog->Log.WriteLine(line);
}

void CRemoveDrvPrn::SetStatusLine(const std::string& textValue) {
  if (Controls != nullptr) Controls->SetText(IDC_STATUS_LINE, textValue);
}

void CRemoveDrvPrn::Step() {
  if (Controls != nullptr) {
    Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressStepOnce);
  }
  CCGenericThread::CheckStopPoint();
}

void CRemoveDrvPrn::Wait(uint32_t ms) {
  // On a worker the wait ends with a stop request, so that closing the
  // window never waits for the rest of a fixed sleep.
  if (const StopSignal* stop = CCGenericThread::CurrentStopSignal()) {
    platform.clock.SleepUnlessStopped(ms, *stop);
  } else {
    platform.clock.Sleep(ms);
  }
  CCGenericThread::CheckStopPoint();
}

std::string CRemoveDrvPrn::LoadText(uint32_t id) {
  return platform.strings.Load(id);
}

std::string CRemoveDrvPrn::WindowsDirectory(uint32_t capacity) {
  return platform.system.WindowsDirectory(capacity);
}
