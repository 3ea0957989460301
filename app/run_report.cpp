#include "app/run_report.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "support/json_writer.h"

namespace {

constexpr int64_t kReportFormat = 1;

// Other runs' leftovers, or a name somebody made meanwhile, are passed over.
constexpr int kNewNameTries = 16;
constexpr const char* kNewNameSuffix = ".tmp";
constexpr uint32_t kWriteChunk = 1u << 20;

const char* ActionName(CliAction action) {
  switch (action) {
    case CliAction::List: return "list";
    case CliAction::Uninstall: return "uninstall";
    case CliAction::Clean: return "clean";
    case CliAction::None: break;
  }
  return "none";
}

class ReportRenderer {
 public:
  explicit ReportRenderer(ITextConversion& conversion) : conversion_(conversion) {}

  void AnsiString(const std::string& ansi) {
    std::string utf8;
    if (conversion_.AnsiToUtf8(ansi, utf8)) {
      writer_.String(utf8);
    } else {
      // Bytes the code page does not define: the writer keeps what reads as
      // UTF-8 and marks the rest.
      writer_.String(ansi);
    }
  }

  void WideString(const std::u16string& wide) { writer_.String(json::Utf16ToUtf8(wide, &unpaired_)); }

  void AnsiField(const char* key, const std::string& ansi) {
    writer_.Key(key);
    AnsiString(ansi);
  }

  void Printer(const ReportPrinter& printer) {
    writer_.BeginObject();
    AnsiField("name", printer.name);
    AnsiField("driver", printer.driver);
    AnsiField("hardwareId", printer.hardwareId);
    AnsiField("driverVersion", printer.driverVersion);
    AnsiField("driverStoreFolder", printer.driverStoreFolder);
    writer_.Key("driverShared");
    writer_.Bool(printer.driverShared);
    writer_.EndObject();
  }

  void Command(const RunReport& report) {
    const CommandLine& command = report.command;
    writer_.BeginObject();
    writer_.Key("line");
    WideString(report.commandLine);
    writer_.Key("action");
    writer_.String(ActionName(command.action));
    writer_.Key("printer");
    if (command.action == CliAction::Uninstall) {
      WideString(command.printer);
    } else {
      writer_.Null();
    }
    writer_.Key("components");
    if (command.components) {
      writer_.BeginArray();
      if (command.components->printer) writer_.String("printer");
      if (command.components->driver) writer_.String("driver");
      if (command.components->port) writer_.String("port");
      writer_.EndArray();
    } else {
      writer_.Null();
    }
    writer_.Key("preview");
    writer_.Bool(command.preview);
    writer_.Key("report");
    if (command.reportPath) WideString(*command.reportPath); else writer_.Null();
    writer_.Key("log");
    if (command.logDir) WideString(*command.logDir); else writer_.Null();
    writer_.EndObject();
  }

  RenderedReport Render(const RunReport& report) {
    writer_.BeginObject();
    writer_.Key("format");
    writer_.Number(kReportFormat);
    writer_.Key("program");
    writer_.BeginObject();
    AnsiField("version", report.programVersion);
    writer_.EndObject();
    writer_.Key("windows");
    writer_.BeginObject();
    AnsiField("version", report.windowsVersion);
    AnsiField("architecture", report.architecture);
    writer_.EndObject();
    writer_.Key("command");
    Command(report);
    writer_.Key("printer");
    if (report.printer) Printer(*report.printer); else writer_.Null();
    writer_.Key("printers");
    writer_.BeginArray();
    for (const ReportPrinter& printer : report.printers) Printer(printer);
    writer_.EndArray();
    writer_.Key("items");
    writer_.BeginArray();
    for (const ReportItem& item : report.items) {
      writer_.BeginObject();
      writer_.Key("kind");
      writer_.String(ReportKindName(item.kind));
      AnsiField("name", item.name);
      writer_.Key("result");
      writer_.String(ReportResultName(item.result));
      AnsiField("reason", item.reason);
      writer_.Key("error");
      writer_.Number(item.errorCode);
      writer_.EndObject();
    }
    writer_.EndArray();
    writer_.Key("messages");
    writer_.BeginArray();
    for (const std::string& message : report.messages) AnsiString(message);
    writer_.EndArray();
    writer_.Key("stopped");
    writer_.Bool(report.stopped);
    writer_.Key("exitCode");
    writer_.Number(report.exitCode);
    writer_.EndObject();

    RenderedReport rendered;
    rendered.json = writer_.Document();
    rendered.replacedCharacters = writer_.ReplacedSequences() + unpaired_;
    return rendered;
  }

 private:
  ITextConversion& conversion_;
  json::JsonWriter writer_;
  size_t unpaired_ = 0;
};

ReportWrite Failure(const char* step, uint32_t error) {
  ReportWrite result;
  result.error = error;
  result.step = step;
  return result;
}

}  // namespace

std::string ArchitectureName(uint16_t processorArchitecture) {
  switch (processorArchitecture) {
    case win::kProcessorArchitectureIntel: return "x86";
    case win::kProcessorArchitectureAmd64: return "x64";
    case win::kProcessorArchitectureIa64: return "ia64";
    case win::kProcessorArchitectureArm64: return "arm64";
    default: break;
  }
  return "unknown (" + std::to_string(processorArchitecture) + ")";
}

const char* ReportKindName(ReportItemKind kind) {
  switch (kind) {
    case ReportItemKind::Printer: return "printer";
    case ReportItemKind::Form: return "form";
    case ReportItemKind::Driver: return "driver";
    case ReportItemKind::File: return "file";
    case ReportItemKind::Directory: return "directory";
    case ReportItemKind::RegistryKey: return "registry-key";
    case ReportItemKind::DriverPackage: return "driver-package";
    case ReportItemKind::Service: return "service";
    case ReportItemKind::Device: return "device";
  }
  return "file";
}

const char* ReportResultName(ReportItemResult result) {
  switch (result) {
    case ReportItemResult::Removed: return "removed";
    case ReportItemResult::Failed: return "failed";
    case ReportItemResult::Kept: return "kept";
    case ReportItemResult::WouldRemove: return "would-remove";
  }
  return "failed";
}

RenderedReport RenderReport(const RunReport& report, ITextConversion& conversion) {
  return ReportRenderer(conversion).Render(report);
}

ReportWrite WriteReportFile(IFileSystem& files, const std::string& path,
                            const std::string& content) {
  const size_t separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return Failure("name", win::kErrorInvalidName);
  const std::string name = path.substr(separator + 1);
  std::string directoryPath = path.substr(0, separator);
  if (name.empty() || name == "." || name == "..") {
    return Failure("name", win::kErrorInvalidName);
  }
  // "C:" alone names the drive's current directory, "C:\" its root.
  if (directoryPath.empty() || directoryPath.back() == ':') directoryPath += '\\';

  // Held without delete sharing, so that the directory cannot be renamed or
  // replaced between the checks and the move.
  File directory;
  DirectoryIdentity identity;
  std::string directoryFinal;
  const Outcome opened = files.OpenDirectory(directoryPath, true, identity, &directory);
  if (!opened) return Failure("open directory", opened.error);
  FileInformation directoryInfo;
  const Outcome informed = directory->GetInformation(directoryInfo);
  if (!informed) return Failure("open directory", informed.error);
  if ((directoryInfo.attributes & win::kFileAttributeDirectory) == 0) {
    return Failure("open directory", win::kErrorDirectory);
  }
  const Outcome located = directory->GetFinalPath(directoryFinal);
  if (!located) return Failure("open directory", located.error);
  text::TrimTrailingBackslashes(directoryFinal);

  std::string newName;
  std::string newPath;
  File file;
  Outcome created = Outcome::Failure(win::kErrorFileExists);
  for (int attempt = 0; attempt < kNewNameTries && !created; ++attempt) {
    newName = name + "." + std::to_string(attempt) + kNewNameSuffix;
    newPath = directoryPath;
    if (newPath.back() != '\\' && newPath.back() != '/') newPath += '\\';
    newPath += newName;
    // A new name only: never an existing file, nor a dangling link whose
    // target would be created.
    created = files.OpenNoFollow(newPath, FileAccess::ReadWrite, FileCreation::CreateNew, file);
    if (!created && created.error != win::kErrorFileExists &&
        created.error != win::kErrorAlreadyExists) {
      return Failure("create", created.error);
    }
  }
  if (!created) return Failure("create", created.error);

  auto abandon = [&](const char* step, uint32_t error) {
    file.reset();
    (void)files.RemoveFile(newPath);
    return Failure(step, error);
  };

  FileInformation fileInfo;
  std::string fileFinal;
  const Outcome checked = file->GetInformation(fileInfo);
  if (!checked) return abandon("check", checked.error);
  const Outcome named = file->GetFinalPath(fileFinal);
  if (!named) return abandon("check", named.error);
  if (!IsPlainSingleFile(fileInfo) ||
      text::CompareNoCase(fileFinal, directoryFinal + "\\" + newName) != 0) {
    return abandon("check", win::kErrorAccessDenied);
  }

  size_t offset = 0;
  while (offset < content.size()) {
    const uint32_t chunk =
        static_cast<uint32_t>(std::min<size_t>(content.size() - offset, kWriteChunk));
    const Outcome wrote = file->Write(content.data() + offset, chunk);
    if (!wrote) return abandon("write", wrote.error);
    offset += chunk;
  }
  file.reset();

  const Outcome moved = files.MoveReplacing(newPath, path);
  if (!moved) return abandon("replace", moved.error);
  ReportWrite result;
  result.written = true;
  return result;
}
