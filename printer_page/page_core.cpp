#include "platform/win_constants.h"
#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"

CRemoveDrvPrn::CRemoveDrvPrn(Platform& p)
    : platform(p), Registry(p.registry), Engine(p), Spooler(p), Removal(Services()) {
  Spooler.Connect(nullptr, this);
}

CRemoveDrvPrn::~CRemoveDrvPrn() = default;

void CRemoveDrvPrn::SetOwner(IPageOwner* owner) {
  if (owner == nullptr) return;
  MainDialog = owner;
  (void)Engine.SetOwner(owner, owner);
  Spooler.Connect(owner, this);
}

void CRemoveDrvPrn::SetEnvironmentPaths(const std::string& driversKey,
                                        const std::string& pccDir,
                                        const std::string& spoolDriversDir) {
  EnvDriversKey = driversKey;
  SpoolPccDir = pccDir;
  SpoolDriversDir = spoolDriversDir;
  Engine.SetSpoolPccDir(pccDir);
}

RemovalServices CRemoveDrvPrn::Services() {
  return RemovalServices{platform,   Engine,     Spooler, *this,
                         MainDialog, MainDialog,
                         MainDialog != nullptr ? &MainDialog->Deletions() : nullptr};
}

CRemovalSteps& CRemoveDrvPrn::Steps() {
  const RemovalServices services = Services();
  Removal.Services.log = services.log;
  Removal.Services.packages = services.packages;
  Removal.Services.deletions = services.deletions;
  Removal.CurrentPrinter = CurrentPrinter;
  Removal.PrinterNames.clear();
  for (const auto& record : Printers) {
    if (record) Removal.PrinterNames.push_back(record->PrinterName);
  }
  Removal.PortServiceName = PortServiceName;
  Removal.DriverRemovable = (PageFlags & kDriverRemovable) != 0;
  Removal.SetEnvironment({EnvDriversKey, SpoolPccDir, SpoolDriversDir, ProcessorArchitecture});
  return Removal;
}

namespace {

void SetDriverRemovable(uint16_t& flags, bool removable) {
  if (removable) {
    flags |= kDriverRemovable;
  } else {
    flags &= static_cast<uint16_t>(~kDriverRemovable);
  }
}

}  // namespace

SequenceRequest CRemoveDrvPrn::CaptureRequest(SequenceRequest::Kind kind) {
  SequenceRequest request;
  request.kind = kind;
  TakeSelectedPrinter();
  const auto checked = [this](int id) {
    return Controls != nullptr && Controls->IsChecked(id);
  };
  if (kind == SequenceRequest::Kind::SelectedPrinter) {
    SetDriverRemovable(PageFlags, !IsDriverShared());
    request.removePrinter = true;
    request.removeDriver = (PageFlags & kDriverRemovable) != 0;
  } else {
    request.removePrinter = checked(IDC_CHECK_PRINTER);
    request.removeDriver = checked(IDC_CHECK_DRIVER);
    request.removePortService = checked(IDC_CHECK_PORT_SERVICE);
    if (request.removePrinter) SetDriverRemovable(PageFlags, request.removeDriver);
  }
  request.printer = CurrentPrinter;
  for (const auto& record : Printers) {
    if (record) request.printerNames.push_back(record->PrinterName);
  }
  request.portServiceName = PortServiceName;
  request.environment = {EnvDriversKey, SpoolPccDir, SpoolDriversDir, ProcessorArchitecture};
  request.singlePrinter = (PageFlags & kSinglePrinter) != 0;
  return request;
}

void CRemoveDrvPrn::Log(const std::string& line) {
  if (MainDialog != nullptr) MainDialog->WriteLine(line);
}

void CRemoveDrvPrn::SetStatusLine(const std::string& textValue) {
  if (Controls != nullptr) Controls->SetText(IDC_STATUS_LINE, textValue);
}

void CRemoveDrvPrn::ProgressStep() {
  if (Controls != nullptr) {
    Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressStepOnce);
  }
}

void CRemoveDrvPrn::ShowProgress() {
  if (Controls == nullptr) return;
  Controls->Show(IDC_PROGRESS, win::kSwShowNa);
  Controls->Show(IDC_STATUS_LINE, win::kSwShow);
}

void CRemoveDrvPrn::EndProgress() {
  if (Controls != nullptr) Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressEnd);
}

void CRemoveDrvPrn::ShowInfFiles(const std::vector<std::string>& infFiles) {
  if (Controls == nullptr) return;
  Controls->ResetContent(IDC_INF_LIST);
  for (const std::string& inf : infFiles) Controls->AddString(IDC_INF_LIST, inf);
}

void CRemoveDrvPrn::ShowResultMessage(ResultCode code) {
  if (MainDialog != nullptr) MainDialog->ShowResultMessage(code);
}

void CRemoveDrvPrn::ShowDeletionReport(ResultCode code) {
  if (MainDialog != nullptr) MainDialog->ShowDeletionReport(code);
}

void CRemoveDrvPrn::SequenceEnded(bool ok, bool portServiceRemoved) {
  ReloadPrinters(ok, portServiceRemoved);
}

void CRemoveDrvPrn::Step() {
  ProgressStep();
  CCGenericThread::CheckStopPoint();
}

void CRemoveDrvPrn::Wait(uint32_t ms) { WaitAtSafePoint(platform, ms); }

std::string CRemoveDrvPrn::LoadText(uint32_t id) {
  return platform.strings.Load(id);
}

std::string CRemoveDrvPrn::WindowsDirectory(uint32_t capacity) {
  return platform.system.WindowsDirectory(capacity);
}
