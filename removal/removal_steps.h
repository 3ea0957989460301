#pragma once
// The removal steps of one printer: each deletes one kind of what the
// installation left behind and answers with a result code or a success.
// They read their target and the system's paths from here, write the log and
// the deletion record given to them, and show their progress through an
// IRemovalHost; none of them touches a window.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/device_service.h"
#include "engine/engine_links.h"
#include "engine/run_items.h"
#include "platform/platform.h"
#include "removal/removal_host.h"
#include "removal/removal_types.h"
#include "removal/spooler_control.h"
#include "support/qd_registry.h"

// This system's paths of the printing environment.
struct RemovalEnvironment {
  std::string EnvDriversKey;
  std::string SpoolPccDir;
  std::string SpoolDriversDir;
  uint16_t ProcessorArchitecture = 0;
};

// Everything a step works with that outlives it.
struct RemovalServices {
  Platform& platform;
  CDeviceService& engine;
  CSpoolerControl& spooler;
  IRemovalHost& host;
  ILogSink* log = nullptr;
  IDriverPackages* packages = nullptr;
  DeletionRecord* deletions = nullptr;
  // Told of every item removed, not removed or kept; none: nothing is told.
  IRunItemSink* items = nullptr;
};

class CRemovalSteps {
 public:
  explicit CRemovalSteps(const RemovalServices& services);

  // --- what the steps remove ---
  CPrinterRecord CurrentPrinter;
  // Every installed printer of the list the selection was made in.
  std::vector<std::string> PrinterNames;
  std::string PortServiceName;  // upper case
  // The driver goes too: the printer's forms are removed with the printer.
  bool DriverRemovable = false;
  std::string EnvDriversKey;
  std::string SpoolPccDir;
  std::string SpoolDriversDir;
  uint16_t ProcessorArchitecture = 0;
  void SetEnvironment(const RemovalEnvironment& environment);

  // --- what one run finds and uses again ---
  std::vector<std::string> InfFiles;
  std::string OwnDeviceInstanceId;

  // --- the printer ---
  ResultCode DeleteSelPrinter();
  bool GetNumberOfJobs(IPrinterHandle* printer, uint32_t& jobs);
  int GetPrinterForms(const std::string& printerName, std::vector<std::string>& forms);
  bool IsFormOfDriver(const std::string& formName);

  // --- the driver and its DLLs ---
  ResultCode DeleteSelDriver();
  bool IsDriverStillInstalled(const std::string& driverName);
  static std::string ArchitectureForPrintUi(uint16_t processorArchitecture);
  ResultCode DeleteDriverDlls();
  bool DeleteDllIfNotUsed(const std::string& dllName);
  bool IsDllOfSelDriver(const std::string& dllName);
  bool IsDllStillUsed(const std::string& dllName);
  bool IsDllStillUsedCheckReg(const std::string& dllName, const std::string& driversKey);

  bool DeleteQdRkRegKeys(const std::string& label);

  // --- copies of the driver and the control-panel application ---
  // `expected`, when given: the directory checked before, which the one
  // found at `path` must still be.
  bool DeleteDirectoryTree(const std::string& path,
                           const DirectoryIdentity* expected = nullptr);
  // The same, reported as an item and its outcome logged.
  bool DeleteDirectoryTreeLogged(const std::string& path,
                                 const DirectoryIdentity* expected = nullptr);
  bool DeleteDrvBckupDir();
  static std::string BackupDirectoryName(const std::string& hardwareId);
  // Why a backup directory name names a directory of the spooler itself,
  // or nullptr when it does not.
  static const char* SpoolerDirectoryReason(const std::string& backupName);
  bool DeleteDriverStoreCopies();
  // The device instance that the printer's PnPData names, read before the
  // printer goes; removed before its driver package is asked for.
  void ReadOwnDeviceInstanceId();
  void RemoveOwnDeviceEntry();
  bool DeleteConsoleAppDir();
  // Why a control-panel "Path" must not be deleted, or empty when it may be.
  std::string RefuseConsoleAppDir(const std::string& path,
                                  DirectoryIdentity* checked = nullptr);

  // --- the port service ---
  // Whether another printer still hangs on the port service.
  bool IsVomuStillUsed();
  ResultCode UninstallPortService();
  void SearchInfFiles(const std::string& text1, const std::string& text2,
                      InfTextKind kind1 = InfTextKind::Part);
  // The INF files of one hardware id, as a whole id. An id that cannot name
  // one product is not searched: InfFiles is emptied and false returned.
  bool SearchHardwareIdInfFiles(const std::string& hardwareId);
  void ShowInfFiles();
  ResultCode RemovePortService();
  bool RemoveUsbDevice();
  ResultCode DeletePortService();

  // The instance-id reduction shared with the printer list: last path
  // component, cut before the first "&USB", upper case.
  static std::string ReduceInstanceId(const std::string& deviceInstanceId);

  // --- helpers ---
  // The failure of a step with the thread's last error, or with the error
  // its call returned.
  int LogLastError(const std::string& failedStep);
  int LogLastError(const std::string& failedStep, uint32_t code);
  void ReportDeleteResult(const std::string& path, bool deleted);
  // Into the deletion record, when there is one.
  void RecordDeletion(const std::string& path, bool deleted);
  // To the item sink, when there is one.
  void ReportItem(RunItemKind kind, const std::string& name, RunItemResult result,
                  const std::string& reason = {}, uint32_t errorCode = 0);
  void ReportRemoval(RunItemKind kind, const std::string& name, bool removed,
                     uint32_t errorCode = 0);
  // Deletes a key tree whose registry links go as links, never followed;
  // every link met is logged and reported as removed.
  Outcome DeleteKeyTreeReportingLinks(RegRoot root, const std::string& rootName,
                                      const std::string& key, size_t systemParts);
  // The files the deletion record gained since the given list sizes.
  struct DeletionMark {
    size_t deleted = 0;
    size_t notDeleted = 0;
  };
  DeletionMark MarkDeletions() const;
  void ReportDeletionsSince(const DeletionMark& mark);
  // The packages of the INF files that left `asked` for `left` were removed.
  void ReportRemovedPackages(const FileList& asked, const FileList& left);
  void Log(const std::string& line);
  void SetStatusLine(const std::string& text);
  void Step();                // one progress step, then a safe point
  void Wait(uint32_t ms);     // clock sleep, then a safe point
  std::string LoadText(uint32_t id);
  std::string WindowsDirectory(uint32_t capacity);
  // What the steps read the Windows directory into, and its subdirectory of
  // the system's own files.
  static constexpr uint32_t kWindowsDirCapacity = 255;
  static constexpr const char* kSystemSubdir = "system32";
  void StopSpooler() { Spooler.StopSpooler(); }
  void StartSpooler() { Spooler.StartSpooler(); }
  void RestartSpooler() { Spooler.RestartSpooler(); }

  RemovalServices Services;
  Platform& platform;
  CQDRegistry Registry;
  CDeviceService& Engine;
  CSpoolerControl& Spooler;
  IRemovalHost& Host;
};
