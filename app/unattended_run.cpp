#include "app/unattended_run.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <utility>

#include "app/exit_codes.h"
#include "app/preview_list.h"
#include "platform/preview/preview_platform.h"
#include "platform/text.h"
#include "platform/win_constants.h"
#include "resources/version.h"
#include "support/json_writer.h"
#include "support/log_file_manager.h"

namespace {

constexpr const char* kProgramVersion =
    PURVEX_STRINGIFY(PURVEX_VERSION_MAJOR) "." PURVEX_STRINGIFY(PURVEX_VERSION_MINOR) "."
    PURVEX_STRINGIFY(PURVEX_VERSION_PATCH) "." PURVEX_STRINGIFY(PURVEX_VERSION_BUILD);


constexpr const char* kSharedField = "shared";
constexpr const char* kNotSharedField = "not shared";
constexpr char kFieldSeparator = '\t';

constexpr const char* kNoActionText =
    "No switch was given: give one of /list, /uninstall and /clean.";
constexpr const char* kNotElevatedText =
    "Purvex needs administrator rights: start it from an elevated command prompt "
    "or as the system account.";
constexpr const char* kElevationUnknownText =
    "Purvex could not find out whether it runs with administrator rights (error %d).";
constexpr const char* kRunInProgressText =
    "Another Purvex run is in progress. Run the command again when it has ended.";
constexpr const char* kRunLockFailedText =
    "Purvex could not find out whether another run is in progress (error %d).";
constexpr const char* kPrinterNotListedText = "The printer \"%s\" is not listed.";
constexpr const char* kPrinterNameNotExactText =
    "The printer named is not listed: its name has characters that the system's "
    "code page cannot hold.";
constexpr const char* kPathNotExactText =
    "The %s path has characters that the system's code page cannot hold.";
constexpr const char* kPathNotFullText = "The %s path cannot be made a full path.";
constexpr const char* kReportNotWrittenText =
    "The report could not be written to \"%s\" (%s failed, error %d).";
constexpr const char* kReportSwitch = "/report";
constexpr const char* kLogSwitch = "/log";

constexpr const char* kStartedLine = "Unattended run: %s";
constexpr const char* kMessageLine = "Message: %s";
constexpr const char* kStoppedLine = "Unattended run stopped before its end.";
constexpr const char* kEndedLine = "Unattended run ended with exit code %d.";

class Run {
 public:
  Run(Platform& platform, const UnattendedStart& start)
      : platform_(platform),
        boxes_([this](const std::string& textValue) { Message(textValue); }),
        headless_(WithMessageBoxes(platform, boxes_)) {
    report_.commandLine = start.commandLine;
    report_.programVersion = kProgramVersion;
    OsVersion version;
    if (platform.system.Version(true, version) || platform.system.Version(false, version)) {
      report_.windowsVersion = std::to_string(version.major) + "." +
                               std::to_string(version.minor) + "." +
                               std::to_string(version.build);
    }
    report_.architecture = ArchitectureName(platform.system.ProcessorArchitecture());
  }

  int32_t Execute(const UnattendedStart& start, const UnattendedWorkFactory& makeWork) {
    const CommandLineParse parsed = ParseCommandLine(start.commandLine);
    if (!parsed.command) return UsageError(parsed.usageError);
    report_.command = *parsed.command;
    const CommandLine& command = *parsed.command;
    // The parser leaves the window to a command line without switches; the
    // caller sends only a command line with switches here.
    if (command.action == CliAction::None) return UsageError(kNoActionText);
    if (!ResolvePath(command.reportPath, kReportSwitch, reportPath_)) return exitCode_;
    if (!ResolvePath(command.logDir, kLogSwitch, logDirectory_)) return exitCode_;

    if (start.refusal) return EndBeforeStart(*start.refusal, ExitCode::kWrongEdition);
    bool elevated = false;
    const Outcome asked = platform_.system.IsProcessElevated(elevated);
    if (!asked) {
      return EndBeforeStart(text::Format(kElevationUnknownText, static_cast<int>(asked.error)),
                            ExitCode::kNotElevated);
    }
    if (!elevated) return EndBeforeStart(kNotElevatedText, ExitCode::kNotElevated);

    RunLockHold lock;
    uint32_t lockError = 0;
    const RunLockResult locked = platform_.runLock.TryAcquire(lock, lockError);
    if (locked == RunLockResult::InUse) {
      return EndBeforeStart(kRunInProgressText, ExitCode::kRunInProgress);
    }
    if (locked == RunLockResult::Failed) {
      return EndBeforeStart(text::Format(kRunLockFailedText, static_cast<int>(lockError)),
                            ExitCode::kRunInProgress);
    }

    // Installed before the work starts, so that no stop request finds the
    // console's default handler, which would end the process mid-step.
    StopHandlerHold stopHold;
    (void)platform_.console.InstallStopHandler(stop_, stopHold);

    if (command.preview) {
      // The same steps over a view in which nothing is written; only the
      // run's own log is, and the report through the real platform.
      preview_ = std::make_unique<PreviewPlatform>(headless_);
      preview_->WriteOwnFilesIn(OwnLogDirectory());
      work_ = makeWork(preview_->Get());
    } else {
      work_ = makeWork(headless_);
    }
    work_->Begin(logDirectory_);
    work_->Log(text::Format(kStartedLine, AnsiOf(start.commandLine)));
    FlushEarlyMessages();
    int32_t code = DoWork(command);
    if (stopped_) work_->Log(kStoppedLine);
    if (code == kEnded) return exitCode_;
    return Finish(code);
  }

 private:
  static constexpr int32_t kEnded = -1;

  // ---- output ----
  std::string Utf8Of(const std::string& ansi) {
    std::string utf8;
    if (platform_.textConversion.AnsiToUtf8(ansi, utf8)) return utf8;
    return json::Utf16ToUtf8(std::u16string(ansi.begin(), ansi.end()));
  }

  std::string AnsiOf(const std::u16string& wide) {
    std::string ansi;
    if (platform_.textConversion.WideToAnsiExact(wide, ansi)) return ansi;
    // Only for the log: the exact text is in the report.
    std::string lossy;
    for (char16_t c : wide) lossy += (c < 0x80) ? static_cast<char>(c) : '?';
    return lossy;
  }

  void Message(const std::string& ansi) {
    std::lock_guard<std::mutex> lock(messageMutex_);
    report_.messages.push_back(ansi);
    (void)platform_.console.WriteLine(ConsoleStream::Error, Utf8Of(ansi));
    if (work_) {
      work_->Log(text::Format(kMessageLine, ansi));
    } else {
      earlyMessages_.push_back(ansi);
    }
  }

  void FlushEarlyMessages() {
    std::lock_guard<std::mutex> lock(messageMutex_);
    for (const std::string& line : earlyMessages_) work_->Log(text::Format(kMessageLine, line));
    earlyMessages_.clear();
  }

  int32_t UsageError(const std::string& line) {
    (void)platform_.console.WriteLine(ConsoleStream::Error, line);
    return ExitCodeValue(ExitCode::kUsageError);
  }

  // A path the program cannot name in the code page could only be written
  // somewhere else than asked, so it is refused like a bad switch.
  bool ResolvePath(const std::optional<std::u16string>& given, const char* what,
                   std::optional<std::string>& full) {
    if (!given) return true;
    std::string ansi;
    if (!platform_.textConversion.WideToAnsiExact(*given, ansi)) {
      exitCode_ = UsageError(text::Format(kPathNotExactText, what));
      return false;
    }
    const std::string made =
        FullPath(ansi, platform_.system.CurrentDirectory(win::kMaxPath));
    if (made.empty()) {
      exitCode_ = UsageError(text::Format(kPathNotFullText, what));
      return false;
    }
    full = made;
    return true;
  }

  // Nothing was changed; the report still tells the caller why.
  int32_t EndBeforeStart(const std::string& textValue, ExitCode code) {
    Message(textValue);
    report_.exitCode = ExitCodeValue(code);
    (void)WriteReport();
    return ExitCodeValue(code);
  }

  bool WriteReport() {
    if (!reportPath_) return true;
    const RenderedReport rendered = RenderReport(report_, platform_.textConversion);
    ReportWrite written;
    if (!rendered.json.empty()) {
      written = WriteReportFile(platform_.files, *reportPath_, rendered.json);
    } else {
      written.step = "render";
    }
    if (written.written) return true;
    const std::string line = text::Format(kReportNotWrittenText, *reportPath_, written.step,
                                          static_cast<int>(written.error));
    (void)platform_.console.WriteLine(ConsoleStream::Error, Utf8Of(line));
    if (work_) work_->Log(line);
    return false;
  }

  // ---- the work ----
  int32_t DoWork(const CommandLine& command) {
    if (stop_.Raised()) {
      stopped_ = true;
      return 0;
    }
    switch (command.action) {
      case CliAction::List: return List();
      case CliAction::Uninstall: return Uninstall(command);
      case CliAction::Clean: {
        RunItemCollector items;
        const std::vector<int32_t> codes = work_->Clean(items, stop_, stopped_);
        report_.items = items.Take();
        return LastNonZeroResult(codes);
      }
      case CliAction::None: break;
    }
    return 0;
  }

  int32_t List() {
    report_.printers = work_->Printers();
    for (const ReportPrinter& printer : report_.printers) {
      (void)platform_.console.WriteLine(ConsoleStream::Out, Utf8Of(ListLine(printer)));
    }
    return 0;
  }

  int32_t Uninstall(const CommandLine& command) {
    const std::vector<ReportPrinter> printers = work_->Printers();
    std::vector<std::string> names;
    for (const ReportPrinter& printer : printers) names.push_back(printer.name);
    const std::optional<size_t> found =
        FindListedPrinter(command.printer, names, platform_.textConversion);
    if (!found) {
      std::string ansi;
      const bool exact = platform_.textConversion.WideToAnsiExact(command.printer, ansi).ok;
      Message(exact ? text::Format(kPrinterNotListedText, ansi) : kPrinterNameNotExactText);
      return EndStarted(ExitCode::kPrinterNotListed);
    }
    report_.printer = printers[*found];
    if (command.components) {
      const std::string refused =
          CheckComponentChoice(*command.components, report_.printer->driverShared);
      if (!refused.empty()) {
        (void)platform_.console.WriteLine(ConsoleStream::Error, refused);
        work_->Log(refused);
        return EndStarted(ExitCode::kUsageError);
      }
    }
    RunItemCollector items;
    const std::vector<int32_t> codes =
        work_->Uninstall(*found, command.components, items, stop_, stopped_);
    report_.items = items.Take();
    return LastNonZeroResult(codes);
  }

  // A run that took the lock but changed nothing.
  int32_t EndStarted(ExitCode code) {
    report_.exitCode = ExitCodeValue(code);
    (void)WriteReport();
    work_->Log(text::Format(kEndedLine, static_cast<int>(report_.exitCode)));
    exitCode_ = report_.exitCode;
    return kEnded;
  }

  int32_t Finish(int32_t lastResultCode) {
    RunEnd end;
    end.lastResultCode = lastResultCode;
    end.stopped = stopped_;
    if (preview_) end.previewIncomplete = ShowPreview(lastResultCode);
    report_.stopped = stopped_;
    report_.exitCode = FinalExitCode(end);
    if (!WriteReport()) {
      end.reportNotWritten = true;
      report_.exitCode = FinalExitCode(end);
    }
    work_->Log(text::Format(kEndedLine, static_cast<int>(report_.exitCode)));
    return report_.exitCode;
  }

  // Where the run's own log goes: the /log folder, else "log" in the
  // current directory, as the log itself decides.
  std::string OwnLogDirectory() {
    if (!logDirectory_) {
      return CLogFileManager::DefaultLogDirectory(platform_.system.CurrentDirectory(win::kMaxPath));
    }
    std::string directory = *logDirectory_;
    text::TrimTrailingBackslashes(directory);
    return directory;
  }

  // Removed in the view is what the run would remove. One tabbed line per
  // item on standard output. A step that failed in the view, or an item the
  // view could not tell, leaves the preview incomplete.
  bool ShowPreview(int32_t lastResultCode) {
    report_.items = AsPreview(std::move(report_.items));
    bool incomplete = lastResultCode != 0;
    for (const RunItem& item : report_.items) {
      if (item.result == RunItemResult::Failed) incomplete = true;
      const std::string line = std::string(ReportResultName(item.result)) + kFieldSeparator +
                               ReportKindName(item.kind) + kFieldSeparator + item.name +
                               kFieldSeparator + item.reason;
      (void)platform_.console.WriteLine(ConsoleStream::Out, Utf8Of(line));
    }
    return incomplete;
  }

  Platform& platform_;
  RunMessageBoxes boxes_;
  Platform headless_;
  RunReport report_;
  std::optional<std::string> reportPath_;
  std::optional<std::string> logDirectory_;
  std::unique_ptr<PreviewPlatform> preview_;
  std::unique_ptr<IUnattendedWork> work_;
  std::mutex messageMutex_;
  std::vector<std::string> earlyMessages_;
  StopSignal stop_;
  bool stopped_ = false;
  int32_t exitCode_ = 0;
};

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

int RunMessageBoxes::Show(BoxOwner, const std::string& textValue, const std::string&,
                          uint32_t style) {
  const uint32_t buttons = style & win::kMbTypeMask;
  if (buttons == win::kMbOkCancel) return win::kIdOk;
  if (buttons == win::kMbYesNo || buttons == win::kMbYesNoCancel) return win::kIdYes;
  if (receiver_) receiver_(textValue);
  return win::kIdOk;
}

void RunItemCollector::Add(const RunItem& item) {
  std::lock_guard<std::mutex> lock(mutex_);
  items_.push_back(item);
}

std::vector<RunItem> RunItemCollector::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::move(items_);
}

int32_t RunUnattended(Platform& platform, const UnattendedStart& start,
                      const UnattendedWorkFactory& makeWork) {
  Run run(platform, start);
  return run.Execute(start, makeWork);
}

std::string ListLine(const ReportPrinter& printer) {
  std::string line;
  for (const std::string* field :
       {&printer.name, &printer.driver, &printer.hardwareId, &printer.driverVersion,
        &printer.driverStoreFolder}) {
    line += *field;
    line += kFieldSeparator;
  }
  line += printer.driverShared ? kSharedField : kNotSharedField;
  return line;
}

std::string FullPath(const std::string& path, const std::string& currentDirectory) {
  if (path.empty()) return "";
  const bool hasDrive = path.size() >= 2 && path[1] == ':';
  if (hasDrive && path.size() >= 3 && IsSeparator(path[2])) return path;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return path;
  if (currentDirectory.size() < 2 || currentDirectory[1] != ':') return "";
  if (IsSeparator(path[0])) return currentDirectory.substr(0, 2) + path;
  std::string base = currentDirectory;
  std::string rest = path;
  if (hasDrive) {
    // "D:file" means D's own current directory, which only that drive's
    // process environment knows: only the current drive is taken.
    if (text::CompareNoCase(path.substr(0, 1), currentDirectory.substr(0, 1)) != 0) return "";
    rest = path.substr(2);
  }
  while (!base.empty() && IsSeparator(base.back())) base.pop_back();
  return base + "\\" + rest;
}
