#pragma once
// The page "Uninstall printer and driver": its state and all of its logic.
// The Win32 page window (printer_page/page_window.cpp) owns the HWNDs,
// implements IWindowControls and routes its messages to the On* handlers.
// The removal steps and the uninstall sequences are removal/'s; the page
// keeps their names as forwarding calls, hands the sequences a request made
// on the user-interface thread and shows what they report (IRemovalHost).
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/device_service.h"
#include "engine/worker_messages.h"
#include "platform/platform.h"
#include "printer_page/page_owner.h"
#include "removal/removal_steps.h"
#include "removal/removal_types.h"
#include "removal/spooler_control.h"
#include "removal/uninstall_sequence.h"
#include "support/enable_win_list.h"
#include "support/generic_thread.h"
#include "support/qd_registry.h"


// CRemoveDrvPrn::PendingReload: no reload waits for the end message, or the
// flags of ReloadPrinters' two arguments.
inline constexpr int kNoPendingReload = -1;
inline constexpr int kReloadOkFlag = 0x01;
inline constexpr int kReloadPortServiceRemovedFlag = 0x02;

inline constexpr const char* kStopNoticeText = "Stop thread";
inline constexpr const char* kStopNoticeCaption = "Stop";

// The "VID_xxxx&PID_yyyy" part of a hardware id, upper case, without its
// interface tag; kValueNotValid for an empty id.
std::string VidAndPidOf(const std::string& hardwareId);

class CRemoveDrvPrn : public IRemovalHost {
 public:
  explicit CRemoveDrvPrn(Platform& platform);
  virtual ~CRemoveDrvPrn();

  // --- set-up by the main dialog and the page window ---
  void SetOwner(IPageOwner* owner);
  void SetEnvironmentPaths(const std::string& driversKey,
                           const std::string& pccDir,
                           const std::string& spoolDriversDir);
  // The page window's controls; set before OnInitDialog.
  void AttachControls(IWindowControls* controls) { Controls = controls; }

  // --- window handlers (user-interface thread) ---
  bool OnInitDialog();
  void OnUninstallSelectedClicked();   // 1014
  void OnUninstallCheckedClicked();    // 1021
  void OnCleanSystemClicked();         // 1015
  void OnAdvancedToggleClicked();      // 1017
  void OnCheckPrinterClicked();        // 1018
  void OnCheckDriverClicked();         // 1019
  void OnCheckPortServiceClicked();    // 1020
  void OnReloadClicked();              // 1037
  void OnPreviewClicked();             // 1038
  void OnInfListSelChange();           // 1005
  void OnPrinterSelChange();           // 1013 selection change
  void OnProgressStep(intptr_t lParam);  // WM_PROGRESS_STEP
  void OnStatusChanged();                // WM_STATUS_CHANGED
  void OnClose();                        // WM_CLOSE
  // Dispatch of the two page messages, for the window procedure.
  bool OnPageMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  // Tear-down when the main window closes during an operation: stop notice,
  // cooperative stop, and the spooler started again if a sequence left it
  // stopped. False when the worker still runs afterwards (left behind, or
  // an earlier call is still waiting for it): nothing it uses may go then.
  bool ShutdownWorker(bool notify = true);

  // --- page window logic ---
  void InitControls();
  int FillPrinterList();
  void SelectCurrentPrinter();
  // The combo box's selection becomes CurrentPrinter.
  void TakeSelectedPrinter();
  bool IsDriverShared();
  void ShowAdvancedControls(bool show);
  void ReloadPrinters(bool ok, bool portServiceRemoved);
  void ReportDeleteResult(const std::string& path, bool deleted) {
    Steps().ReportDeleteResult(path, deleted);
  }
  // The request of a sequence, from the selection and the check boxes.
  SequenceRequest CaptureRequest(SequenceRequest::Kind kind);
  // The button whose run the preview shows: "Uninstall" when the checked
  // boxes are in sight and any is checked, "Uninstall selected printer"
  // otherwise (its boxes hidden, the user sees only that button).
  SequenceRequest::Kind PreviewKind();
  // Shows what the request of the Preview button would do; nothing is
  // previewed when unset.
  std::function<void(const SequenceRequest&)> PreviewHandler;
  // What the steps and sequences work with: the page's services, its
  // owner's log, record and packages.
  RemovalServices Services();
  // Told of what the page's runs and Clean system remove, fail to remove and
  // keep; none by default.
  IRunItemSink* ItemSink = nullptr;
  // The page's own steps object, given the page's selection; the forwarding
  // calls below use it.
  CRemovalSteps& Steps();
  void UpdateUninstallButton();
  // A click that would start work while the worker runs is refused, with
  // the given line logged; true when it was.
  bool RefuseWhileWorkerRuns(const char* refusalLine);
  // The user's OK to a question, in the page's box under the program's name.
  bool Confirm(const std::string& question);
  std::string Caption();

  // --- enumeration and printer facts ---
  int EnumeratePrinters();
  bool IsMakerDriver(const std::string& driverName);
  std::string GetDriverHardwareId(const std::string& printerName);
  std::string GetDriverVersion(const std::string& driverName);
  std::string GetInstanceIdPrefix(const std::string& printerName);
  std::string GetDriverStoreFolder(const std::string& driverName);
  std::string GetVidAndPid(const std::string& hardwareId);
  bool ReadParIdPref(const std::string& keyPath, const std::string& instanceId,
                     std::string& prefix, std::string& subkeyName);
  std::string GetParentIdPrefix(const std::string& printerName,
                                const std::string& instanceIdPrefix,
                                const std::string& hardwareId);
  // The instance-id reduction shared with the port-service use check: last
  // path component, cut before the first "&USB", upper case.
  static std::string ReduceInstanceId(const std::string& deviceInstanceId);

  // --- sequences (worker thread) ---
  static void UninstallSelectedPrinterThread(void* owner);
  static void UninstallCheckedComponentsThread(void* owner);
  static void StopNotice(void* owner);
  void UninstallSelectedPrinter();
  void UninstallCheckedComponents();

  // --- Clean system (user-interface thread) ---
  bool CollectPrinterPids(std::vector<std::string>& pids);
  bool RemoveBadlyInstalledDevices(const std::vector<std::string>& pids);

  // --- spooler routines ---
  void StopSpooler() { Spooler.StopSpooler(); }
  void StartSpooler() { Spooler.StartSpooler(); }
  void RestartSpooler() { Spooler.RestartSpooler(); }
  // Starts the spooler when a sequence stopped it and did not start it again.
  void EnsureSpoolerRunning() { Spooler.EnsureSpoolerRunning(); }

  // --- removal steps: CRemovalSteps' own, run on the page's selection ---
  ResultCode DeleteSelPrinter() { return Steps().DeleteSelPrinter(); }
  bool GetNumberOfJobs(IPrinterHandle* printer, uint32_t& jobs) {
    return Steps().GetNumberOfJobs(printer, jobs);
  }
  int GetPrinterForms(const std::string& printerName, std::vector<std::string>& forms) {
    return Steps().GetPrinterForms(printerName, forms);
  }
  bool IsFormOfDriver(const std::string& formName) { return Steps().IsFormOfDriver(formName); }
  ResultCode DeleteSelDriver() { return Steps().DeleteSelDriver(); }
  bool IsDriverStillInstalled(const std::string& driverName) {
    return Steps().IsDriverStillInstalled(driverName);
  }
  static std::string ArchitectureForPrintUi(uint16_t processorArchitecture) {
    return CRemovalSteps::ArchitectureForPrintUi(processorArchitecture);
  }
  ResultCode DeleteDriverDlls() { return Steps().DeleteDriverDlls(); }
  bool DeleteDllIfNotUsed(const std::string& dllName) {
    return Steps().DeleteDllIfNotUsed(dllName);
  }
  bool IsDllOfSelDriver(const std::string& dllName) { return Steps().IsDllOfSelDriver(dllName); }
  bool IsDllStillUsed(const std::string& dllName) { return Steps().IsDllStillUsed(dllName); }
  bool IsDllStillUsedCheckReg(const std::string& dllName, const std::string& driversKey) {
    return Steps().IsDllStillUsedCheckReg(dllName, driversKey);
  }
  bool DeleteQdRkRegKeys(const std::string& label) { return Steps().DeleteQdRkRegKeys(label); }
  bool DeleteDirectoryTree(const std::string& path, const DirectoryIdentity* expected = nullptr) {
    return Steps().DeleteDirectoryTree(path, expected);
  }
  bool DeleteDrvBckupDir() { return Steps().DeleteDrvBckupDir(); }
  static std::string BackupDirectoryName(const std::string& hardwareId) {
    return CRemovalSteps::BackupDirectoryName(hardwareId);
  }
  static const char* SpoolerDirectoryReason(const std::string& backupName) {
    return CRemovalSteps::SpoolerDirectoryReason(backupName);
  }
  bool DeleteDriverStoreCopies() { return Steps().DeleteDriverStoreCopies(); }
  void ReadOwnDeviceInstanceId() { Steps().ReadOwnDeviceInstanceId(); }
  void RemoveOwnDeviceEntry() { Steps().RemoveOwnDeviceEntry(); }
  bool DeleteConsoleAppDir() { return Steps().DeleteConsoleAppDir(); }
  std::string RefuseConsoleAppDir(const std::string& path, DirectoryIdentity* checked = nullptr) {
    return Steps().RefuseConsoleAppDir(path, checked);
  }
  bool IsVomuStillUsed() { return Steps().IsVomuStillUsed(); }
  ResultCode UninstallPortService() { return Steps().UninstallPortService(); }
  void SearchInfFiles(const std::string& text1, const std::string& text2,
                      InfTextKind kind1 = InfTextKind::Part) {
    Steps().SearchInfFiles(text1, text2, kind1);
  }
  bool SearchHardwareIdInfFiles(const std::string& hardwareId) {
    return Steps().SearchHardwareIdInfFiles(hardwareId);
  }
  void ShowInfFiles() { Steps().ShowInfFiles(); }
  ResultCode RemovePortService() { return Steps().RemovePortService(); }
  bool RemoveUsbDevice() { return Steps().RemoveUsbDevice(); }
  ResultCode DeletePortService() { return Steps().DeletePortService(); }

  // --- what the sequences show (IRemovalHost) ---
  void SetStatusLine(const std::string& text) override;  // SetWindowTextA on 1032
  void ProgressStep() override;
  void ShowProgress() override;
  void EndProgress() override;
  void ShowInfFiles(const std::vector<std::string>& infFiles) override;
  void ShowResultMessage(ResultCode code) override;
  void ShowDeletionReport(ResultCode code) override;
  void SequenceEnded(bool ok, bool portServiceRemoved) override;

  // --- helpers ---
  int LogLastError(const std::string& failedStep) { return Steps().LogLastError(failedStep); }
  int LogLastError(const std::string& failedStep, uint32_t code) {
    return Steps().LogLastError(failedStep, code);
  }
  void Log(const std::string& line);
  void Step();                // one WM_PROGRESS_STEP (sent), then a safe point
  void Wait(uint32_t ms);     // clock sleep, then a safe point
  std::string LoadText(uint32_t id);
  std::string WindowsDirectory(uint32_t capacity);

  // --- state ---
  Platform& platform;
  IWindowControls* Controls = nullptr;
  CQDRegistry Registry;
  CCGenericThread Worker;
  std::vector<std::unique_ptr<CPrinterRecord>> Printers;
  CPrinterRecord CurrentPrinter;
  uint16_t PageFlags = 0;
  int AdvancedShown = 0;
  CMyEnableWinList ControlLock;
  std::string PortServiceName;
  IPageOwner* MainDialog = nullptr;
  CDeviceService Engine;
  std::string EnvDriversKey;
  std::string SpoolPccDir;
  std::string SpoolDriversDir;
  uint16_t ProcessorArchitecture = 0;
  CSpoolerControl Spooler;
  // The steps that the forwarding calls use, and the request that the
  // worker's sequence runs.
  CRemovalSteps Removal;
  SequenceRequest PendingRequest;
  // Set by ReloadPrinters just before its end message, so that the handler
  // shows the rebuilt list on the user-interface thread after the unlock.
  std::atomic<int> PendingReload{kNoPendingReload};
};
