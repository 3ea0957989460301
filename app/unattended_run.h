#pragma once
// A run without a window: the switches of the command line decide what it
// does, its output goes to the console's streams, its outcome to the exit
// code and, when asked, to a report file. Nothing of it may show a window or
// wait for a user: every box the work would show is answered here, its text
// kept as a message of the run.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/run_report.h"
#include "platform/platform.h"

// Every box that a run without a window would show: a question is answered
// as the command line answered it already, anything else goes to the
// receiver (none: nowhere).
class RunMessageBoxes : public IMessageBoxes {
 public:
  using Receiver = std::function<void(const std::string&)>;
  explicit RunMessageBoxes(Receiver receiver = {}) : receiver_(std::move(receiver)) {}
  int Show(BoxOwner owner, const std::string& textValue, const std::string& caption,
           uint32_t style) override;

 private:
  Receiver receiver_;
};

// The items a run's steps report, from whichever thread runs them.
class RunItemCollector : public IRunItemSink {
 public:
  void Add(const RunItem& item) override;
  std::vector<RunItem> Take();

 private:
  std::mutex mutex_;
  std::vector<RunItem> items_;
};

// The printers and the removals an unattended run drives. The program's
// own drives the page's logic; tests give their own.
class IUnattendedWork {
 public:
  virtual ~IUnattendedWork() = default;
  // Opens the log (in `logDirectory` when given, a full path; otherwise
  // where the window program keeps it) and finds the maker's printers.
  virtual void Begin(const std::optional<std::string>& logDirectory) = 0;
  virtual void Log(const std::string& line) = 0;
  virtual std::vector<ReportPrinter> Printers() = 0;
  // Removes printer `index` of Printers() as "Uninstall selected printer"
  // does, or with `components` as "Uninstall" does with those boxes
  // checked. Returns the result codes the steps reported, in order. A stop
  // raised meanwhile ends it at its next stop point; `stopped` tells.
  virtual std::vector<int32_t> Uninstall(size_t index,
                                         const std::optional<ComponentSet>& components,
                                         IRunItemSink& items, const StopSignal& stop,
                                         bool& stopped) = 0;
  virtual std::vector<int32_t> Clean(IRunItemSink& items, const StopSignal& stop,
                                     bool& stopped) = 0;
};

// Built with the platform the run gives it, whose message boxes are the
// run's own.
using UnattendedWorkFactory = std::function<std::unique_ptr<IUnattendedWork>(Platform&)>;

struct UnattendedStart {
  std::u16string commandLine;  // as the system gave it
  // Set when the program must not run on this system (the 32-bit edition
  // under WOW64): the text the window would have shown.
  std::optional<std::string> refusal;
};

// The whole run; returns the process's exit code.
int32_t RunUnattended(Platform& platform, const UnattendedStart& start,
                      const UnattendedWorkFactory& makeWork);

// "name<TAB>driver<TAB>hardware id<TAB>driver version<TAB>store folder<TAB>shared|not shared"
// in the code page's text.
std::string ListLine(const ReportPrinter& printer);

// A path from the command line made full against the current directory
// ("dir\file", "\dir\file" on the current drive, "C:file" in the current
// directory when it is on C:). Empty when it cannot be made full.
std::string FullPath(const std::string& path, const std::string& currentDirectory);
