#include <cstdint>
#include <string>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "removal/removal_steps.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kShellVerb = "open";
constexpr const char* kRundllFileName = "rundll32.exe";
constexpr const char* kDeleteDriverCommand = "printui.dll,PrintUIEntry /dd /m ";
constexpr const char* kArchitectureSwitch = " /h ";
constexpr const char* kVersionSwitch = " /v ";
constexpr char kQuote = '"';
constexpr uint32_t kWaitAfterStartMs = 2500;
constexpr uint32_t kWaitBetweenChecksMs = 1000;
constexpr int kMaxDriverChecks = 8;

std::string Quoted(const std::string& value) {
  return std::string(1, kQuote) + value + kQuote;
}

}  // namespace

std::string CRemovalSteps::ArchitectureForPrintUi(uint16_t processorArchitecture) {
  switch (processorArchitecture) {
    case win::kProcessorArchitectureAmd64:
      return "x64";
    case win::kProcessorArchitectureIa64:
      return "IA64";
    default:
      return "Intel";
  }
}

ResultCode CRemovalSteps::DeleteSelDriver() {
  const std::string driverName = CurrentPrinter.DriverName;
  const std::string directory = WindowsDirectory(kWindowsDirCapacity) + "\\" +
                                kSystemSubdir + "\\";
  Log(text::Format("Try to delete %s driver.", driverName));

  // The name goes between quotes on a command line that is not escaped; a
  // quote inside it would end the argument and let the rest become switches.
  if (driverName.find(kQuote) != std::string::npos) {
    Log(text::Format(
        "Driver name [%s] contains a double quote. It cannot be passed to "
        "the printer user interface; driver NOT deleted.",
        driverName));
    ReportItem(RunItemKind::Driver, driverName, RunItemResult::Failed,
               "its name contains a double quote");
    return kResultDriverFailed;
  }
  const std::string systemDirectory = platform.system.SystemDirectory();
  if (systemDirectory.empty()) {
    Log(text::Format(
        "Error to delete %s driver. System directory unknown, rundll32 cannot "
        "be started by its full path.",
        driverName));
    ReportItem(RunItemKind::Driver, driverName, RunItemResult::Failed,
               "the system directory is unknown");
    return kResultDriverFailed;
  }

  SetStatusLine(LoadText(IDS_REMOVING_DRIVER));

  std::string parameters = std::string(kDeleteDriverCommand) +
                           Quoted(driverName) + kArchitectureSwitch +
                           Quoted(ArchitectureForPrintUi(ProcessorArchitecture));
  if (!CurrentPrinter.DriverVersion.empty()) {
    parameters += kVersionSwitch + Quoted(CurrentPrinter.DriverVersion);
  }
  const std::string program = systemDirectory + "\\" + kRundllFileName;
  const int started = platform.shell.Execute(kShellVerb, program, parameters,
                                             directory, win::kSwHide);
  if (started <= win::kShellExecuteSuccessAbove) {
    Log(text::Format("Error to delete %s driver. ShellExecute returned %d.",
                     driverName, started));
    ReportItem(RunItemKind::Driver, driverName, RunItemResult::Failed,
               text::Format("ShellExecute returned %d", started));
    return kResultDriverFailed;
  }

  Wait(kWaitAfterStartMs);
  for (int check = 0; check < kMaxDriverChecks; ++check) {
    if (!IsDriverStillInstalled(driverName)) {
      Log(text::Format("Driver %s correctly deleted. ShellExecute returned %d",
                       driverName, started));
      ReportRemoval(RunItemKind::Driver, driverName, true);
      return kResultOk;
    }
    Wait(kWaitBetweenChecksMs);
    Step();
  }
  Log(text::Format("Error. Driver %s NOT correctly deleted", driverName));
  ReportItem(RunItemKind::Driver, driverName, RunItemResult::Failed,
             "it is still installed");
  return kResultDriverFailed;
}

bool CRemovalSteps::IsDriverStillInstalled(const std::string& driverName) {
  const auto exists = [this](const std::string& key) {
    return Registry.KeyExists(RegRoot::LocalMachine, key);
  };
  if (CQDRegistry::FindDriverKey(EnvDriversKey, driverName, exists) !=
      CQDRegistry::DriverKeyFound::None) {
    Log(text::Format("Driver [%s] still exists", driverName));
    return true;
  }
  Log(text::Format("Driver [%s] does NOT still exists", driverName));
  return false;
}
