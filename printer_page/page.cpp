#include <initializer_list>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kProgressLow = 0;
constexpr int kProgressHigh = 50;
constexpr int kProgressStepSize = 5;
constexpr uint32_t kConfirmStyle = win::kMbOkCancel | win::kMbIconQuestion;
constexpr int kFirstComboEntry = 0;

constexpr std::initializer_list<int> kAdvancedControls = {
    IDC_ADVANCED_GROUP, IDC_ADVANCED_PROMPT,    IDC_CHECK_PRINTER,
    IDC_CHECK_DRIVER,   IDC_CHECK_PORT_SERVICE, IDC_UNINSTALL_CHECKED,
    IDC_CLEAN_GROUP,    IDC_CLEAN_SYSTEM};

// "Reload list" is locked with the command controls: a reload during an
// operation would rebuild Printers under the worker.
constexpr std::initializer_list<int> kLockedControls = {
    IDC_CHECK_PRINTER,      IDC_CHECK_DRIVER,  IDC_CHECK_PORT_SERVICE,
    IDC_UNINSTALL_CHECKED,  IDC_ADVANCED_PROMPT, IDC_PRINTER_COMBO,
    IDC_UNINSTALL_SELECTED, IDC_ADVANCED_TOGGLE, IDC_CLEAN_SYSTEM,
    IDC_CLEAN_GROUP,        IDC_RELOAD_LIST,     IDC_PREVIEW};

constexpr const char* kWorkerStartFailedLine =
    "Impossible to start the uninstall operation: the worker thread could not "
    "be created.";
constexpr const char* kOperationRunningLine =
    "An uninstall operation is still running: the new one was not started.";

void SetCheckAndEnable(IWindowControls& controls, int id, bool checked,
                       bool enabled) {
  controls.SetCheck(id, checked);
  controls.Enable(id, enabled);
}

}  // namespace

bool CRemoveDrvPrn::OnInitDialog() {
  PortServiceName = text::Upper(kPortServiceBaseName);
  Engine.SetNotifyWindow(Controls);
  (void)EnumeratePrinters();
  InitControls();
  if (Controls != nullptr) Controls->RefreshFromMembers();
  return true;
}

void CRemoveDrvPrn::InitControls() {
  if (Controls == nullptr) return;
  IWindowControls& c = *Controls;
  c.SetTooltip(IDC_UNINSTALL_SELECTED, IDS_TIP_UNINSTALL_SELECTED);
  c.SetTooltip(IDC_ADVANCED_TOGGLE, IDS_TIP_SHOW_ADVANCED);
  c.SetTooltip(IDC_UNINSTALL_CHECKED, IDS_TIP_UNINSTALL_CHECKED);
  c.SetTooltip(IDC_RELOAD_LIST, IDS_TIP_RELOAD);
  c.SetTooltip(IDC_PREVIEW, IDS_TIP_PREVIEW);

  c.Show(IDC_PROGRESS, win::kSwHide);
  c.Show(IDC_STATUS_LINE, win::kSwHide);
  ShowAdvancedControls(false);

  c.SetCheck(IDC_CHECK_DRIVER, true);
  c.SetCheck(IDC_CHECK_PRINTER, true);
  c.SetCheck(IDC_CHECK_PORT_SERVICE, false);

  const int listed = FillPrinterList();
  if (listed == 0) {
    c.Enable(IDC_UNINSTALL_SELECTED, false);
    c.SetCheck(IDC_CHECK_PORT_SERVICE, true);
  } else if (listed == 1) {
    c.SetCheck(IDC_CHECK_PORT_SERVICE, true);
  }

  for (int id : kLockedControls) (void)ControlLock.AddControl(Controls, id);

  OnPrinterSelChange();
}

int CRemoveDrvPrn::FillPrinterList() {
  if (Controls == nullptr) return static_cast<int>(Printers.size());
  IWindowControls& c = *Controls;
  c.ResetContent(IDC_PRINTER_COMBO);
  for (const auto& record : Printers) {
    c.AddString(IDC_PRINTER_COMBO, record->PrinterName);
  }
  if (Printers.empty()) {
    c.ResetContent(IDC_PRINTER_COMBO);
    c.AddString(IDC_PRINTER_COMBO, LoadText(IDS_NO_PRINTER_INSTALLED));
    c.Enable(IDC_UNINSTALL_SELECTED, false);
    SetCheckAndEnable(c, IDC_CHECK_PRINTER, false, false);
    SetCheckAndEnable(c, IDC_CHECK_DRIVER, false, false);
  }
  c.SetCurSel(IDC_PRINTER_COMBO, kFirstComboEntry);
  return static_cast<int>(Printers.size());
}

void CRemoveDrvPrn::SelectCurrentPrinter() {
  if (Controls == nullptr) return;
  SetStatusLine(LoadText(IDS_LOADING_PRINTERS));
  TakeSelectedPrinter();
}

void CRemoveDrvPrn::TakeSelectedPrinter() {
  if (Controls == nullptr) return;
  const std::string selected = Controls->GetSelectedText(IDC_PRINTER_COMBO);
  for (const auto& record : Printers) {
    if (record->PrinterName != selected) continue;
    CurrentPrinter.PrinterName = record->PrinterName;
    CurrentPrinter.DriverName = record->DriverName;
    CurrentPrinter.HardwareId = record->HardwareId;
    CurrentPrinter.DriverVersion = record->DriverVersion;
    CurrentPrinter.DriverStoreFolder = record->DriverStoreFolder;
    return;
  }
}

bool CRemoveDrvPrn::IsDriverShared() {
  for (const auto& record : Printers) {
    if (record->DriverName == CurrentPrinter.DriverName &&
        record->PrinterName != CurrentPrinter.PrinterName) {
      return true;
    }
  }
  return false;
}

void CRemoveDrvPrn::OnPrinterSelChange() {
  SelectCurrentPrinter();
  if (IsDriverShared()) {
    PageFlags &= static_cast<uint16_t>(~kDriverRemovable);
  } else {
    PageFlags |= kDriverRemovable;
  }
  if (Controls == nullptr) return;
  IWindowControls& c = *Controls;
  // A preview needs a printer to preview; during an operation the lock
  // keeps it disabled with the uninstall buttons.
  c.Enable(IDC_PREVIEW, !Printers.empty());
  if (Printers.empty()) {
    SetCheckAndEnable(c, IDC_CHECK_PRINTER, false, false);
    SetCheckAndEnable(c, IDC_CHECK_DRIVER, false, false);
  } else if ((PageFlags & kDriverRemovable) != 0) {
    c.Enable(IDC_CHECK_DRIVER, true);
    c.SetCheck(IDC_CHECK_DRIVER, true);
    c.SetCheck(IDC_CHECK_PRINTER, true);
  } else {
    c.SetCheck(IDC_CHECK_PRINTER, true);
    c.Enable(IDC_CHECK_PRINTER, true);
    SetCheckAndEnable(c, IDC_CHECK_DRIVER, false, false);
  }
}

void CRemoveDrvPrn::OnCheckPrinterClicked() {
  if (Controls == nullptr) return;
  if (!Controls->IsChecked(IDC_CHECK_PRINTER)) {
    Controls->SetCheck(IDC_CHECK_DRIVER, false);
  }
  UpdateUninstallButton();
}

void CRemoveDrvPrn::OnCheckDriverClicked() {
  if (Controls == nullptr) return;
  // A driver is never removed without its printer.
  if (Controls->IsChecked(IDC_CHECK_DRIVER)) {
    SetCheckAndEnable(*Controls, IDC_CHECK_PRINTER, true, false);
  } else {
    Controls->Enable(IDC_CHECK_PRINTER, true);
  }
  UpdateUninstallButton();
}

void CRemoveDrvPrn::OnCheckPortServiceClicked() {
  if (Controls == nullptr) return;
  if (Controls->IsChecked(IDC_CHECK_PORT_SERVICE) && !Printers.empty()) {
    Controls->SetCheck(IDC_CHECK_PRINTER, true);
    if ((PageFlags & kDriverRemovable) != 0) {
      Controls->SetCheck(IDC_CHECK_DRIVER, true);
    }
  }
  UpdateUninstallButton();
}

void CRemoveDrvPrn::UpdateUninstallButton() {
  if (Controls == nullptr) return;
  const bool anyChecked = Controls->IsChecked(IDC_CHECK_PRINTER) ||
                          Controls->IsChecked(IDC_CHECK_DRIVER) ||
                          Controls->IsChecked(IDC_CHECK_PORT_SERVICE);
  Controls->Enable(IDC_UNINSTALL_CHECKED, anyChecked);
}

void CRemoveDrvPrn::OnAdvancedToggleClicked() {
  if (Controls == nullptr) return;
  IWindowControls& c = *Controls;
  if (AdvancedShown == 0) {
    AdvancedShown = 1;
    ShowAdvancedControls(true);
    c.SetTooltip(IDC_ADVANCED_TOGGLE, IDS_TIP_HIDE_ADVANCED);
    c.SetText(IDC_ADVANCED_TOGGLE, LoadText(IDS_HIDE_ADVANCED));
    if (Printers.empty()) {
      SetCheckAndEnable(c, IDC_CHECK_DRIVER, false, false);
      SetCheckAndEnable(c, IDC_CHECK_PRINTER, false, false);
    }
  } else {
    AdvancedShown = 0;
    ShowAdvancedControls(false);
    c.SetTooltip(IDC_ADVANCED_TOGGLE, IDS_TIP_SHOW_ADVANCED);
    c.SetText(IDC_ADVANCED_TOGGLE, LoadText(IDS_SHOW_ADVANCED));
  }
}

void CRemoveDrvPrn::ShowAdvancedControls(bool show) {
  if (Controls == nullptr) return;
  const int command = show ? win::kSwShowNormal : win::kSwHide;
  for (int id : kAdvancedControls) Controls->Show(id, command);
}

// The list is rebuilt while the controls are still locked, so that no user
// action meets the rebuild; showing it waits for the end message, which runs
// on the user-interface thread and so cannot meet a selection change either.
void CRemoveDrvPrn::ReloadPrinters(bool ok, bool portServiceRemoved) {
  (void)EnumeratePrinters();
  int pending = 0;
  if (ok) pending |= kReloadOkFlag;
  if (portServiceRemoved) pending |= kReloadPortServiceRemovedFlag;
  PendingReload = pending;
  if (Controls != nullptr) Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressEnd);
}

namespace {

// The part of a reload that follows the end message: the unlock must not
// re-enable what the rebuilt list disables.
void ShowReloadedPrinters(CRemoveDrvPrn& page, bool ok, bool portServiceRemoved) {
  (void)page.FillPrinterList();
  IWindowControls& c = *page.Controls;
  if (ok && page.Printers.empty()) {
    SetCheckAndEnable(c, IDC_CHECK_PORT_SERVICE, false, false);
    c.Enable(IDC_UNINSTALL_CHECKED, false);
  }
  if (portServiceRemoved) {
    SetCheckAndEnable(c, IDC_CHECK_PORT_SERVICE, false, false);
  }
  page.OnPrinterSelChange();
}

}  // namespace

namespace {

void StartSequence(CRemoveDrvPrn& page, ThreadFunction sequence) {
  page.Worker.Owner = &page;
  page.Worker.WorkFunction = sequence;
  page.Worker.StopFunction = &CRemoveDrvPrn::StopNotice;
  const bool started = page.Worker.Start();
  page.Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressStart);
  if (!started) {
    // No sequence will send the end message: unlock here.
    page.Log(kWorkerStartFailedLine);
    page.Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressEnd);
  }
}

}  // namespace

std::string CRemoveDrvPrn::Caption() {
  return MainDialog != nullptr ? MainDialog->ApplicationName() : std::string();
}

bool CRemoveDrvPrn::Confirm(const std::string& question) {
  return platform.messageBoxes.Show(BoxOwner::Page, question, Caption(), kConfirmStyle) ==
         win::kIdOk;
}

bool CRemoveDrvPrn::RefuseWhileWorkerRuns(const char* refusalLine) {
  if (!Worker.IsRunning()) return false;
  Log(refusalLine);
  return true;
}

void CRemoveDrvPrn::UninstallSelectedPrinterThread(void* owner) {
  auto* page = static_cast<CRemoveDrvPrn*>(owner);
  if (page != nullptr) RunUninstallSequenceGuarded(page->Services(), page->PendingRequest);
}

void CRemoveDrvPrn::UninstallCheckedComponentsThread(void* owner) {
  UninstallSelectedPrinterThread(owner);
}

void CRemoveDrvPrn::UninstallSelectedPrinter() {
  RunUninstallSequence(Services(), CaptureRequest(SequenceRequest::Kind::SelectedPrinter));
}

void CRemoveDrvPrn::UninstallCheckedComponents() {
  RunUninstallSequence(Services(), CaptureRequest(SequenceRequest::Kind::CheckedComponents));
}

void CRemoveDrvPrn::OnUninstallSelectedClicked() {
  // Start() would return true without starting, and no end message would
  // ever unlock the page.
  if (Controls == nullptr || RefuseWhileWorkerRuns(kOperationRunningLine)) return;
  const std::string printer = Controls->GetSelectedText(IDC_PRINTER_COMBO);
  if (!Confirm(text::Format(LoadText(IDS_CONFIRM_PRINTER), printer))) return;
  PendingRequest = CaptureRequest(SequenceRequest::Kind::SelectedPrinter);
  StartSequence(*this, &CRemoveDrvPrn::UninstallSelectedPrinterThread);
}

void CRemoveDrvPrn::OnUninstallCheckedClicked() {
  if (Controls == nullptr || RefuseWhileWorkerRuns(kOperationRunningLine)) return;
  if (MainDialog != nullptr) MainDialog->Deletions().Clear();
  const std::string printer = Controls->GetSelectedText(IDC_PRINTER_COMBO);
  std::string question;
  if (!Controls->IsChecked(IDC_CHECK_PORT_SERVICE)) {
    question = text::Format(LoadText(IDS_CONFIRM_PRINTER), printer);
  } else if (Controls->IsChecked(IDC_CHECK_PRINTER)) {
    question = text::Format(LoadText(IDS_CONFIRM_SERVICE_AND_PRINTER),
                            PortServiceName, printer);
  } else {
    question = text::Format(LoadText(IDS_CONFIRM_SERVICE), PortServiceName);
  }
  if (!Confirm(question)) return;
  PendingRequest = CaptureRequest(SequenceRequest::Kind::CheckedComponents);
  StartSequence(*this, &CRemoveDrvPrn::UninstallCheckedComponentsThread);
}

void CRemoveDrvPrn::StopNotice(void* owner) {
  auto* page = static_cast<CRemoveDrvPrn*>(owner);
  if (page == nullptr) return;
  (void)page->platform.messageBoxes.Show(BoxOwner::Page, kStopNoticeText,
                                         kStopNoticeCaption, win::kMbOk);
}

void CRemoveDrvPrn::OnReloadClicked() { ReloadPrinters(false, false); }

SequenceRequest::Kind CRemoveDrvPrn::PreviewKind() {
  if (Controls == nullptr || AdvancedShown == 0) return SequenceRequest::Kind::SelectedPrinter;
  const bool anyChecked = Controls->IsChecked(IDC_CHECK_PRINTER) ||
                          Controls->IsChecked(IDC_CHECK_DRIVER) ||
                          Controls->IsChecked(IDC_CHECK_PORT_SERVICE);
  return anyChecked ? SequenceRequest::Kind::CheckedComponents
                    : SequenceRequest::Kind::SelectedPrinter;
}

void CRemoveDrvPrn::OnPreviewClicked() {
  if (Controls == nullptr || Printers.empty() || !PreviewHandler) return;
  // The preview reads what a running sequence is changing.
  if (Worker.IsRunning()) {
    Log(kOperationRunningLine);
    return;
  }
  // Capturing a request records whether the driver goes; a preview must
  // leave the page as a later click of either button finds it.
  const uint16_t flags = PageFlags;
  const SequenceRequest request = CaptureRequest(PreviewKind());
  PageFlags = flags;
  PreviewHandler(request);
}

void CRemoveDrvPrn::OnInfListSelChange() {
  if (Controls != nullptr) Controls->RefreshFromMembers();
}

void CRemoveDrvPrn::OnProgressStep(intptr_t lParam) {
  if (Controls == nullptr) return;
  IWindowControls& c = *Controls;
  if (lParam == kProgressStart) {
    c.SetProgressRange(IDC_PROGRESS, kProgressLow, kProgressHigh);
    c.SetProgressPos(IDC_PROGRESS, kProgressLow);
    c.SetProgressStep(IDC_PROGRESS, kProgressStepSize);
    ControlLock.DisableAll();
  } else if (lParam == kProgressEnd) {
    c.SetProgressPos(IDC_PROGRESS, kProgressLow);
    c.Show(IDC_PROGRESS, win::kSwHide);
    c.Show(IDC_STATUS_LINE, win::kSwHide);
    ControlLock.RestoreEnabled(true);
    const int reload = PendingReload.exchange(kNoPendingReload);
    if (reload != kNoPendingReload) {
      ShowReloadedPrinters(*this, (reload & kReloadOkFlag) != 0,
                           (reload & kReloadPortServiceRemovedFlag) != 0);
    }
  } else {
    c.StepProgress(IDC_PROGRESS);
    c.RefreshFromMembers();
  }
}

void CRemoveDrvPrn::OnStatusChanged() {
  if (Controls == nullptr) return;
  Controls->SetText(IDC_STATUS_LINE, Engine.GetStatusText());
  Controls->RefreshFromMembers();
}

bool CRemoveDrvPrn::OnPageMessage(uint32_t message, uintptr_t /*wParam*/,
                                  intptr_t lParam) {
  if (message == WM_PROGRESS_STEP) {
    OnProgressStep(lParam);
    return true;
  }
  if (message == WM_STATUS_CHANGED) {
    OnStatusChanged();
    return true;
  }
  return false;
}

void CRemoveDrvPrn::OnClose() {
  // The worker walks these lists: stop it before freeing them, and never
  // free them under a worker that could not be stopped.
  if (Worker.IsStopping() || (Worker.IsRunning() && !ShutdownWorker())) return;
  Removal.InfFiles.clear();
  Printers.clear();
}

bool CRemoveDrvPrn::ShutdownWorker(bool notify) {
  // A close that arrives while an earlier one waits for the worker: that
  // one finishes the job.
  if (Worker.IsStopping()) return false;
  const bool stopped = Worker.Stop(notify);
  // The sequence may have been stopped between a spooler stop and its start,
  // or may still be inside it.
  EnsureSpoolerRunning();
  return stopped;
}
