#pragma once
// The report of one unattended run: one JSON document (UTF-8) that a
// deployment tool collects. Text reaches it as the system gave it: the
// command line wide, everything else in the ANSI code page; Render converts.
// The file is written whole or not at all.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "engine/run_items.h"
#include "platform/files.h"
#include "platform/text_conversion.h"

// The report's items are the run's own.
using ReportItemKind = RunItemKind;
using ReportItemResult = RunItemResult;
using ReportItem = RunItem;

// The facts the program gathered for a printer it lists.
struct ReportPrinter {
  std::string name;
  std::string driver;
  std::string hardwareId;
  std::string driverVersion;
  std::string driverStoreFolder;
  bool driverShared = false;
};

struct RunReport {
  std::string programVersion;    // "1.0.2.0"
  std::string windowsVersion;    // "6.1.7601"
  std::string architecture;      // ArchitectureName of the processor
  std::u16string commandLine;    // as the system gave it
  CommandLine command;
  std::optional<ReportPrinter> printer;  // the printer the run is about
  std::vector<ReportPrinter> printers;   // what /list found
  std::vector<ReportItem> items;
  std::vector<std::string> messages;     // every text a box would have shown (ANSI)
  bool stopped = false;
  int32_t exitCode = 0;
};

// "x86", "x64", "ia64", "arm64", or "unknown (<number>)" for the processor
// architecture number the system reports.
std::string ArchitectureName(uint16_t processorArchitecture);

const char* ReportKindName(ReportItemKind kind);
const char* ReportResultName(ReportItemResult result);

struct RenderedReport {
  std::string json;  // the whole document; empty only after an internal fault
  // Texts the code page could not read, or that were not UTF-8 after all,
  // carry U+FFFD where a character could not be told; this counts them.
  size_t replacedCharacters = 0;
};

RenderedReport RenderReport(const RunReport& report, ITextConversion& conversion);

// Writes `content` as the file `path` in one step: a new file beside it that
// no name could have led elsewhere, checked to be a plain file in the named
// directory, then moved over `path`. On any failure `path` is as it was and
// the new file is gone. The directory part of `path` is the caller's choice,
// links included; what stands at `path` itself is replaced, never followed.
// `path` names its directory (a bare file name is refused: the caller makes
// it full against the current directory first).
struct ReportWrite {
  bool written = false;
  uint32_t error = 0;   // the system's error of the step that failed
  std::string step;     // which step failed, for the log
};

ReportWrite WriteReportFile(IFileSystem& files, const std::string& path,
                            const std::string& content);
