#include "app/purvex_dlg.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "app/startup_guard.h"
#include "platform/win_constants.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kLogExtension = ".log";
constexpr const char* kWorkerLeftLine =
    "The uninstall operation did not stop in time: the program ends without waiting for it.";
constexpr const char* kEndSessionRefusedLine =
    "Windows asked to end the session while an uninstall operation runs: refused.";
constexpr const char* kSessionEndsLine =
    "The session ends while an uninstall operation runs: stopping it.";
// Nobody reads it; it tells a process that ended this way from a normal end.
constexpr uint32_t kWorkerLeftExitCode = 1;
constexpr const char* kExeExtension = ".exe";
// A preview's lines must never read as a removal: they say "preview" and
// what would happen.
constexpr const char* kPreviewStartLine =
    "Preview of \"%s\" for printer [%s]: nothing is removed.";
constexpr const char* kPreviewEndLine =
    "Preview ended: %d item(s) would be removed, %d kept, %d not removable in the preview.";
constexpr const char* kSelectedButtonName = "Uninstall selected printer";
constexpr const char* kCheckedButtonName = "Uninstall";
constexpr const char* kOpenVerb = "open";

// Version resource: sub-block names and the limits of the texts read.
constexpr const char* kTranslationBlock = "\\VarFileInfo\\Translation";
constexpr const char* kFileVersionByTranslation =
    "\\StringFileInfo\\%02X%02X%02X%02X\\FileVersion";
constexpr const char* kFileVersionByLanguage =
    "\\StringFileInfo\\%04X04B0\\FileVersion";
constexpr size_t kTranslationEntrySize = 4;
// The About box's version field: 20 bytes with the terminator.
constexpr size_t kVersionTextField = 20;
constexpr size_t kVersionPointPosition = 2;
constexpr uint32_t kSysCommandLowBits = 0xF;

struct EnvironmentRow {
  uint16_t architecture;
  const char* spoolDriversDir;
  const char* spoolPccDir;
  const char* envDriversKey;
};

constexpr EnvironmentRow kAmd64Row = {
    win::kProcessorArchitectureAmd64, "system32\\spool\\drivers\\x64",
    "system32\\spool\\drivers\\x64\\PCC",
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3"};
constexpr EnvironmentRow kIa64Row = {
    win::kProcessorArchitectureIa64, "system32\\spool\\drivers\\IA64",
    "system32\\spool\\drivers\\IA64\\PCC",
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows IA64\\Drivers\\Version-3"};
constexpr EnvironmentRow kX86Row = {
    win::kProcessorArchitectureIntel, "system32\\spool\\drivers\\w32x86",
    "system32\\spool\\drivers\\w32x86\\PCC",
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3"};

struct ResultMessage {
  ResultCode code;
  uint32_t stringId;
};

// Codes 15/40 and 30/35 do not follow the order of their string ids.
constexpr ResultMessage kResultMessages[] = {
    {kResultPrinterGone, IDS_MSG_PRINTER_GONE},
    {kResultOpenFailed, IDS_MSG_NOT_COMPLETED},
    {kResultFormsFailed, IDS_MSG_FORMS},
    {kResultDeletePrinterFailed, IDS_MSG_DELETE_PRINTER},
    {kResultJobCountFailed, IDS_MSG_JOB_COUNT},
    {kResultJobsQueued, IDS_MSG_JOBS_QUEUED},
    {kResultDllFailed, IDS_MSG_DLL},
    {kResultDriverFailed, IDS_MSG_DRIVER},
    {kResultBackupFailed, IDS_MSG_BACKUP},
    {kResultDeviceFailed, IDS_MSG_DEVICE},
    {kResultServiceFileFailed, IDS_MSG_FILES},
    {kResultInfFailed, IDS_MSG_FILES},
    {kResultRegistryFailed, IDS_MSG_REG_KEY},
    {kResultSettingsFailed, IDS_MSG_FILES},
};

struct DifxErrorRow {
  uint32_t code;
  const char* name;
};

constexpr DifxErrorRow kDifxErrorNames[] = {
    {win::kErrorFileNotFound, "ERROR_FILE_NOT_FOUND"},
    {win::kErrorAccessDenied, "ERROR_ACCESS_DENIED"},
    {win::kErrorBadEnvironment, "ERROR_BAD_ENVIRONMENT"},
    {win::kErrorOutOfMemory, "ERROR_OUTOFMEMORY"},
    {win::kErrorSharingViolation, "ERROR_SHARING_VIOLATION"},
    {win::kErrorInvalidParameter, "ERROR_INVALID_PARAMETER"},
    {win::kErrorInsufficientBuffer, "ERROR_INSUFFICIENT_BUFFER"},
    {win::kErrorInvalidName, "ERROR_INVALID_NAME"},
    {win::kErrorFilenameExcedRange, "ERROR_FILENAME_EXCED_RANGE"},
    {win::kErrorInstallFailure, "ERROR_INSTALL_FAILURE"},
    {win::kErrorUnsupportedType, "ERROR_UNSUPPORTED_TYPE"},
    {win::kErrorCantAccessFile, "ERROR_CANT_ACCESS_FILE"},
    {win::kCryptEFileError, "CRYPT_E_FILE_ERROR"},
    {win::kErrorInWow64, "ERROR_IN_WOW64"},
    {win::kErrorDependentApplicationsExist, "ERROR_DEPENDENT_APPLICATIONS_EXIST"},
    {win::kErrorDriverPackageNotInStore, "ERROR_DRIVER_PACKAGE_NOT_IN_STORE"},
};

enum DifxCallKind { kDifxUninstall = 1, kDifxGetPath = 2 };

}  // namespace

CPurvexDlg::CPurvexDlg(Platform& p)
    : platform(p), PrinterPage(p), Log(p.files, p.system, p.clock) {
  Record.Clear();
  EnvDriversKey.clear();
  SpoolPccDir.clear();
  SpoolDriversDir.clear();
}

CPurvexDlg::~CPurvexDlg() = default;

void CPurvexDlg::InitializeState() {
  // Without a log the program still runs; its lines are then dropped.
  if (LogDirectory.empty()) {
    (void)Log.OpenLog(ApplicationName() + kLogExtension);
  } else {
    (void)Log.OpenLogIn(LogDirectory, ApplicationName() + kLogExtension);
  }
  (void)Log.WriteRaw("", false);
  PrinterPage.SetOwner(this);
  PrinterPage.PreviewHandler = [this](const SequenceRequest& request) { ShowPreview(request); };
  (void)DetectEnvironment(&SystemInfo);
  EnvDriversKey = SystemInfo.envDriversKey;
  SpoolPccDir = SystemInfo.spoolPccDir;
  SpoolDriversDir = SystemInfo.spoolDriversDir;
  PrinterPage.SetEnvironmentPaths(EnvDriversKey, SpoolPccDir, SpoolDriversDir);
  PrinterPage.ProcessorArchitecture = SystemInfo.processorArchitecture;
}

void CPurvexDlg::ShowPreview(const SequenceRequest& request) {
  if (!PreviewRun || !PresentPreview) return;
  const bool checked = request.kind == SequenceRequest::Kind::CheckedComponents;
  (void)Log.WriteLineFormat(kPreviewStartLine, checked ? kCheckedButtonName : kSelectedButtonName,
                            request.printer.PrinterName);
  const std::vector<RunItem> items = BuildPreview(PreviewRun, request);
  int wouldRemove = 0;
  int kept = 0;
  int failed = 0;
  for (const RunItem& item : items) {
    if (item.result == RunItemResult::WouldRemove) ++wouldRemove;
    if (item.result == RunItemResult::Kept) ++kept;
    if (item.result == RunItemResult::Failed) ++failed;
  }
  (void)Log.WriteLineFormat(kPreviewEndLine, wouldRemove, kept, failed);
  CPreviewDialogModel model(
      platform, *this,
      FormatText(checked ? IDS_PREVIEW_CHECKED_HEADING : IDS_PREVIEW_SELECTED_HEADING,
                 request.printer.PrinterName),
      PreviewText(items));
  PresentPreview(model);
}

std::string CPurvexDlg::ApplicationName() {
  return ApplicationNameFromModulePath(platform.system.ModuleFileName());
}

std::string CPurvexDlg::GetModuleDir() {
  const std::string module = platform.system.ModuleFileName();
  const size_t separator = module.rfind('\\');
  return separator == std::string::npos ? std::string() : module.substr(0, separator);
}

std::string CPurvexDlg::GetReleaseVersion() {
  const std::string path =
      GetModuleDir() + "\\" + ApplicationName() + kExeExtension;
  return FormatReleaseVersion(GetFileVersionText(path));
}

std::string CPurvexDlg::GetFileVersionText(const std::string& path) {
  ISystem& system = platform.system;
  const uint32_t size = system.FileVersionInfoSize(path);
  if (size == 0) return {};
  std::vector<uint8_t> block;
  if (!system.FileVersionInfo(path, size + 1, block)) return {};

  std::string subBlock;
  std::vector<uint8_t> translation;
  if (system.QueryVersionValue(block, kTranslationBlock, translation) &&
      translation.size() >= kTranslationEntrySize) {
    // Language word, then code-page word, each little-endian.
    subBlock = text::Format(kFileVersionByTranslation, translation[1],
                            translation[0], translation[3], translation[2]);
  } else {
    const uint32_t language = system.UserDefaultLangId();
    subBlock = text::Format(kFileVersionByLanguage, language);
  }

  std::vector<uint8_t> value;
  if (!system.QueryVersionValue(block, subBlock, value) || value.empty()) return {};
  const char* chars = reinterpret_cast<const char*>(value.data());
  std::string version(chars, strnlen(chars, value.size()));
  if (version.size() >= kVersionTextField) version.resize(kVersionTextField - 1);
  return version;
}

std::string CPurvexDlg::FormatReleaseVersion(std::string fileVersion) {
  if (fileVersion.empty()) return fileVersion;
  std::string digits;
  for (char c : fileVersion) {
    if (c != ',') digits += c;
  }
  std::string compact;
  for (char c : digits) {
    if (c != ' ') compact += c;
  }
  compact.insert(std::min(kVersionPointPosition, compact.size()), 1, '.');
  if (compact.front() == '0') compact.erase(0, 1);
  return compact;
}

bool CPurvexDlg::DetectEnvironment(EnvironmentInfo* out) {
  if (out == nullptr) return false;
  const uint16_t architecture = platform.system.ProcessorArchitecture();
  const EnvironmentRow& row = architecture == win::kProcessorArchitectureAmd64 ? kAmd64Row
                              : architecture == win::kProcessorArchitectureIa64 ? kIa64Row
                                                                                : kX86Row;
  out->processorArchitecture = architecture;
  out->spoolDriversDir = row.spoolDriversDir;
  out->spoolPccDir = row.spoolPccDir;
  out->envDriversKey = row.envDriversKey;
  return true;
}

void CPurvexDlg::ShowHelpFile() {
  const std::string path = GetModuleDir() + "\\" + kHelpFileName;
  const int result = platform.shell.Execute(kOpenVerb, path, "", "", win::kSwShow);
  if (result > win::kShellExecuteSuccessAbove) return;
  (void)Log.WriteLine(text::Format(
      "QDConsole -> Error opening help file \"%s\". Error was %d",
      kHelpFileName, result));
  uint32_t messageId = IDS_HELP_OTHER_ERROR;
  if (result == win::kSeErrNoAssoc) {
    messageId = IDS_HELP_NO_READER;
  } else if (result == win::kSeErrFnf || result == win::kSeErrPnf) {
    messageId = IDS_HELP_NOT_FOUND;
  }
  (void)platform.messageBoxes.Show(BoxOwner::MainDialog,
                                   FormatText(messageId, kHelpFileName),
                                   ApplicationName(),
                                   win::kMbOk | win::kMbIconExclamation);
}

CPurvexDlg::SysCommand CPurvexDlg::ClassifySysCommand(uint32_t id) {
  if ((id & ~kSysCommandLowBits) == IDM_ABOUTBOX) return SysCommand::About;
  if (id == IDM_HELP) return SysCommand::Help;
  return SysCommand::Default;
}

bool CPurvexDlg::OnHelpKey(bool shiftDown) {
  if (shiftDown) return false;
  ShowHelpFile();
  return true;
}

bool CPurvexDlg::OnClose() { return Close(true); }

bool CPurvexDlg::OnQueryEndSession() {
  if (!PrinterPage.Worker.IsRunning()) return true;
  (void)Log.WriteLine(kEndSessionRefusedLine);
  return false;
}

bool CPurvexDlg::OnEndSession() {
  if (PrinterPage.Worker.IsRunning()) (void)Log.WriteLine(kSessionEndsLine);
  return Close(false);
}

bool CPurvexDlg::Close(bool notify) {
  // A close that arrives while an earlier one waits for the worker (from the
  // notice's or the wait's message handling): that one finishes the job.
  if (PrinterPage.Worker.IsStopping()) return false;
  // A running worker still appends to these lists: stop it before emptying
  // them. One it could not stop keeps using them, so the process ends as it
  // is, the spooler already started again.
  if (PrinterPage.Worker.IsRunning() && !PrinterPage.ShutdownWorker(notify)) {
    if (PrinterPage.Worker.IsAbandoned()) {
      (void)Log.WriteLine(kWorkerLeftLine);
      platform.shell.EndProcessNow(kWorkerLeftExitCode);
    }
    return false;
  }
  Record.Clear();
  return true;
}

void CPurvexDlg::ShowResultMessage(ResultCode code) {
  for (const ResultMessage& row : kResultMessages) {
    if (row.code != code) continue;
    (void)platform.messageBoxes.Show(BoxOwner::MainDialog, LoadText(row.stringId),
                                     ApplicationName(),
                                     win::kMbOk | win::kMbIconExclamation);
    return;
  }
}

void CPurvexDlg::ShowDeletionReport(ResultCode code) {
  // Some steps count a tree they could only partly delete as done; the files
  // left behind still make it no success, so they are listed instead. A
  // spooler that the operation stopped and could not start again is no
  // success either: printing stays off until the user starts it.
  const bool spoolerStopped = PrinterPage.Spooler.SpoolerStoppedBySequence;
  if (code == kResultOk && Record.NotDeletedFiles.empty() && !spoolerStopped) {
    (void)platform.messageBoxes.Show(BoxOwner::MainDialog,
                                     LoadText(IDS_UNINSTALL_COMPLETED),
                                     ApplicationName(),
                                     win::kMbOk | win::kMbIconInformation);
    return;
  }
  if (Record.NotDeletedFiles.empty() && !spoolerStopped) return;
  std::string report;
  if (!Record.NotDeletedFiles.empty()) {
    report = LoadText(IDS_REPORT_HEADING);
    for (const std::string& path : Record.NotDeletedFiles) report += path + "\r\n";
  }
  if (spoolerStopped) {
    if (!report.empty()) report += "\r\n";
    report += LoadText(IDS_SPOOLER_NOT_STARTED);
  }
  (void)platform.messageBoxes.Show(BoxOwner::MainDialog, report,
                                   ApplicationName(),
                                   win::kMbOk | win::kMbIconExclamation);
}

std::string CPurvexDlg::LoadText(uint32_t id) { return platform.strings.Load(id); }

bool CPurvexDlg::RemoveDriverPackage(std::vector<std::string>* infList,
                                     std::vector<std::string>* storeList,
                                     std::vector<KeptInf>* keptList) {
  if (storeList != nullptr) storeList->clear();
  if (keptList != nullptr) keptList->clear();
  // Only these answers say that the INF has no package in the store.
  auto notInStore = [](uint32_t code) {
    return code == win::kErrorDriverPackageNotInStore || code == win::kErrorFileNotFound;
  };
  if (infList == nullptr) {
    (void)Log.WriteLine(
        "RemoveDriverPackage(..): INF array pointer not valid! Cannot continue! ASSERTION FAILED!");
    return false;
  }
  IDriverStore& store = platform.driverStore;
  int failures = 0;
  size_t index = 0;
  // A call that failed for an INF: logged, kept when its package may still
  // be in the store, and the INF stays in its slot.
  auto failed = [&](int kind, uint32_t code, const std::string& inf, bool refused) {
    LogDifxError(kind, code);
    if (keptList != nullptr && !notInStore(code)) keptList->push_back({inf, code, refused});
    ++failures;
    ++index;
  };
  while (index < infList->size()) {
    const std::string inf = (*infList)[index];
    uint32_t length = 0;
    // Only the length is wanted here; the call reports it with 122.
    (void)store.GetPath(inf, nullptr, length);

    std::vector<char> buffer;
    try {
      // Never empty, so that the second call is a real query and not
      // another length request.
      buffer.assign(std::max<uint32_t>(length, 1), '\0');
    } catch (const std::bad_alloc&) {
      (void)Log.WriteLine(
          "CPurvexDlg::RemoveDriverPackage(..): ***-- MEMORY ALLOCATION ERROR!! --***");
      ++failures;
      ++index;
      continue;
    }

    (void)Log.WriteLineFormat(
        "Attempting to find the driver store INF path for the driver package's INF file \"%s\".",
        inf);
    const uint32_t pathResult = store.GetPath(inf, buffer.data(), length);
    if (pathResult != win::kErrorSuccess) {
      failed(kDifxGetPath, pathResult, inf, false);
      continue;
    }
    const std::string storePath(buffer.data(), strnlen(buffer.data(), buffer.size()));
    (void)Log.WriteLineFormat(
        "For the driver package's INF file %s, the driver store INF path is \"%s\".",
        inf, storePath);
    if (storeList != nullptr) storeList->push_back(storePath);

    const uint32_t uninstallResult = store.Uninstall(storePath, 0);
    if (uninstallResult != win::kErrorSuccess) {
      failed(kDifxUninstall, uninstallResult, inf, true);
      continue;
    }
    // The next INF moves up into this slot.
    infList->erase(infList->begin() + static_cast<std::ptrdiff_t>(index));
    (void)Log.WriteLineFormat("Driver package \"%s\" correctly uninstalled.",
                              storePath);
  }
  return failures == 0;
}

void CPurvexDlg::LogDifxError(int kind, uint32_t code) {
  const char* format = "Error %d: %s.";
  if (kind == kDifxUninstall) {
    format = "Driver package uninstall FAILED. Error %d: %s.";
  } else if (kind == kDifxGetPath) {
    format = "Get driver store inf file for a driver package's inf file FAILED. Error %d: %s.";
  }
  (void)Log.WriteLine(
      text::Format(format, static_cast<int32_t>(code), DifxErrorName(code)));
}

const char* CPurvexDlg::DifxErrorName(uint32_t code) {
  for (const DifxErrorRow& row : kDifxErrorNames) {
    if (row.code == code) return row.name;
  }
  return "";
}
