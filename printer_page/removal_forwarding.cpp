// The removal steps under the page's names, run on the page's selection.
#include "printer_page/remove_drv_prn.h"

ResultCode CRemoveDrvPrn::DeleteSelPrinter() { return Steps().DeleteSelPrinter(); }
bool CRemoveDrvPrn::GetNumberOfJobs(IPrinterHandle* printer, uint32_t& jobs) {
  return Steps().GetNumberOfJobs(printer, jobs);
}
int CRemoveDrvPrn::GetPrinterForms(const std::string& printerName,
                                   std::vector<std::string>& forms) {
  return Steps().GetPrinterForms(printerName, forms);
}
bool CRemoveDrvPrn::IsFormOfDriver(const std::string& formName) {
  return Steps().IsFormOfDriver(formName);
}
ResultCode CRemoveDrvPrn::DeleteSelDriver() { return Steps().DeleteSelDriver(); }
bool CRemoveDrvPrn::IsDriverStillInstalled(const std::string& driverName) {
  return Steps().IsDriverStillInstalled(driverName);
}
std::string CRemoveDrvPrn::ArchitectureForPrintUi(uint16_t processorArchitecture) {
  return CRemovalSteps::ArchitectureForPrintUi(processorArchitecture);
}
ResultCode CRemoveDrvPrn::DeleteDriverDlls() { return Steps().DeleteDriverDlls(); }
bool CRemoveDrvPrn::DeleteDllIfNotUsed(const std::string& dllName) {
  return Steps().DeleteDllIfNotUsed(dllName);
}
bool CRemoveDrvPrn::IsDllOfSelDriver(const std::string& dllName) {
  return Steps().IsDllOfSelDriver(dllName);
}
bool CRemoveDrvPrn::IsDllStillUsed(const std::string& dllName) {
  return Steps().IsDllStillUsed(dllName);
}
bool CRemoveDrvPrn::IsDllStillUsedCheckReg(const std::string& dllName,
                                           const std::string& driversKey) {
  return Steps().IsDllStillUsedCheckReg(dllName, driversKey);
}
bool CRemoveDrvPrn::DeleteQdRkRegKeys(const std::string& label) {
  return Steps().DeleteQdRkRegKeys(label);
}
bool CRemoveDrvPrn::DeleteDirectoryTree(const std::string& path,
                                        const DirectoryIdentity* expected) {
  return Steps().DeleteDirectoryTree(path, expected);
}
bool CRemoveDrvPrn::DeleteDrvBckupDir() { return Steps().DeleteDrvBckupDir(); }
std::string CRemoveDrvPrn::BackupDirectoryName(const std::string& hardwareId) {
  return CRemovalSteps::BackupDirectoryName(hardwareId);
}
const char* CRemoveDrvPrn::SpoolerDirectoryReason(const std::string& backupName) {
  return CRemovalSteps::SpoolerDirectoryReason(backupName);
}
bool CRemoveDrvPrn::DeleteDriverStoreCopies() { return Steps().DeleteDriverStoreCopies(); }
void CRemoveDrvPrn::ReadOwnDeviceInstanceId() { Steps().ReadOwnDeviceInstanceId(); }
void CRemoveDrvPrn::RemoveOwnDeviceEntry() { Steps().RemoveOwnDeviceEntry(); }
bool CRemoveDrvPrn::DeleteConsoleAppDir() { return Steps().DeleteConsoleAppDir(); }
std::string CRemoveDrvPrn::RefuseConsoleAppDir(const std::string& path,
                                               DirectoryIdentity* checked) {
  return Steps().RefuseConsoleAppDir(path, checked);
}
bool CRemoveDrvPrn::IsVomuStillUsed() { return Steps().IsVomuStillUsed(); }
ResultCode CRemoveDrvPrn::UninstallPortService() { return Steps().UninstallPortService(); }
void CRemoveDrvPrn::SearchInfFiles(const std::string& text1, const std::string& text2,
                                   InfTextKind kind1) {
  Steps().SearchInfFiles(text1, text2, kind1);
}
bool CRemoveDrvPrn::SearchHardwareIdInfFiles(const std::string& hardwareId) {
  return Steps().SearchHardwareIdInfFiles(hardwareId);
}
void CRemoveDrvPrn::ShowInfFiles() { Steps().ShowInfFiles(); }
ResultCode CRemoveDrvPrn::RemovePortService() { return Steps().RemovePortService(); }
bool CRemoveDrvPrn::RemoveUsbDevice() { return Steps().RemoveUsbDevice(); }
ResultCode CRemoveDrvPrn::DeletePortService() { return Steps().DeletePortService(); }
int CRemoveDrvPrn::LogLastError(const std::string& failedStep) {
  return Steps().LogLastError(failedStep);
}
int CRemoveDrvPrn::LogLastError(const std::string& failedStep, uint32_t code) {
  return Steps().LogLastError(failedStep, code);
}
void CRemoveDrvPrn::ReportDeleteResult(const std::string& path, bool deleted) {
  Steps().ReportDeleteResult(path, deleted);
}

void CRemoveDrvPrn::StopSpooler() { Spooler.StopSpooler(); }
void CRemoveDrvPrn::StartSpooler() { Spooler.StartSpooler(); }
void CRemoveDrvPrn::RestartSpooler() { Spooler.RestartSpooler(); }
void CRemoveDrvPrn::EnsureSpoolerRunning() { Spooler.EnsureSpoolerRunning(); }

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
