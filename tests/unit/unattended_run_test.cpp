// Unattended runs over the simulation: what the command line asks for, what
// reaches the console, the report and the exit code, and that no box is
// ever shown. A scripted work stands in for the page where only the run's
// own rules are at stake; the page's own work runs where its effect is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <sstream>

#include "app/exit_codes.h"
#include "app/unattended_run.h"
#include "app/unattended_work.h"
#include "app/window_run_lock.h"
#include "platform/win_constants.h"
#include "tests/unit/page_fixture.h"

namespace {

constexpr const char* kCurrentDir = "C:\\Work";
constexpr const char* kReportPath = "C:\\Work\\out.json";

bool Contains(const std::string& haystack, const std::string& needle) {
  return haystack.find(needle) != std::string::npos;
}

bool AnyContains(const std::vector<std::string>& lines, const std::string& needle) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return Contains(line, needle); });
}

// What the scripted work is told to do and what it saw.
struct Script {
  std::vector<ReportPrinter> printers;
  std::vector<int32_t> codes;
  std::vector<std::string> boxes;  // shown during the removal
  std::vector<RunItem> items;
  std::function<void()> during;    // runs inside the removal
  bool made = false;
  std::optional<size_t> uninstalled;
  std::optional<ComponentSet> components;
  bool cleaned = false;
  std::optional<std::string> logDirectory;
  std::vector<int> answers;
};

class ScriptedWork : public IUnattendedWork {
 public:
  ScriptedWork(Platform& platform, Script& script) : platform_(platform), script_(script) {}
  void Begin(const std::optional<std::string>& logDirectory) override {
    script_.logDirectory = logDirectory;
  }
  void Log(const std::string&) override {}
  std::vector<ReportPrinter> Printers() override { return script_.printers; }
  std::vector<int32_t> Uninstall(size_t index, const std::optional<ComponentSet>& components,
                                 IRunItemSink& items, const StopSignal& stop,
                                 bool& stopped) override {
    script_.uninstalled = index;
    script_.components = components;
    return Work(items, stop, stopped);
  }
  std::vector<int32_t> Clean(IRunItemSink& items, const StopSignal& stop,
                             bool& stopped) override {
    script_.cleaned = true;
    return Work(items, stop, stopped);
  }

 private:
  std::vector<int32_t> Work(IRunItemSink& items, const StopSignal& stop, bool& stopped) {
    script_.answers.push_back(platform_.messageBoxes.Show(
        BoxOwner::Page, "Remove it?", "purvex", win::kMbOkCancel | win::kMbIconQuestion));
    for (const std::string& box : script_.boxes) {
      (void)platform_.messageBoxes.Show(BoxOwner::MainDialog, box, "purvex", win::kMbOk);
    }
    for (const RunItem& item : script_.items) items.Add(item);
    if (script_.during) script_.during();
    stopped = stop.Raised();
    return script_.codes;
  }

  Platform& platform_;
  Script& script_;
};

ReportPrinter Printer(const std::string& name, const std::string& driver, bool shared = false) {
  ReportPrinter printer;
  printer.name = name;
  printer.driver = driver;
  printer.hardwareId = "USB\\VID_0E7B&PID_0103&MI_00";
  printer.driverVersion = "3.1";
  printer.driverStoreFolder = "kx0103.inf_amd64_1";
  printer.driverShared = shared;
  return printer;
}

class UnattendedRunTest : public ::testing::Test {
 public:
  UnattendedRunTest() {
    sim.SetCurrentDir(kCurrentDir);
    sim.AddDir(kCurrentDir);
    script.printers = {Printer("Korvex KP-103", "KP Driver"), Printer("Korvex KP-105", "Other")};
  }

  int32_t Run(const std::u16string& arguments) {
    UnattendedStart start;
    start.commandLine = u"purvexc.exe " + arguments;
    start.refusal = refusal;
    return RunUnattended(sim.platform(), start, [this](Platform& platform) {
      script.made = true;
      return std::make_unique<ScriptedWork>(platform, script);
    });
  }

  std::vector<std::string> Out() const { return sim.ConsoleLines(ConsoleStream::Out); }
  std::vector<std::string> Err() const { return sim.ConsoleLines(ConsoleStream::Error); }
  std::string Report() const { return sim.ReadFile(kReportPath).value_or(""); }

  sim::SimWindows sim;
  Script script;
  std::optional<std::string> refusal;
};

// Runs that end before any work: nothing is made, the code says why, and
// the one line on standard error says it too.
struct EarlyEndCase {
  const char* name;
  std::u16string arguments;
  std::function<void(UnattendedRunTest&)> setUp;
  ExitCode code;
  const char* errorPart;
};

class UnattendedEarlyEndTest : public UnattendedRunTest,
                               public ::testing::WithParamInterface<EarlyEndCase> {};

TEST_P(UnattendedEarlyEndTest, EndsWithItsCodeAndChangesNothing) {
  const EarlyEndCase& c = GetParam();
  if (c.setUp) c.setUp(*this);
  const std::string before = sim.Snapshot();
  EXPECT_EQ(Run(c.arguments), ExitCodeValue(c.code));
  EXPECT_FALSE(script.made);
  EXPECT_FALSE(sim.RunLockHeld());
  EXPECT_TRUE(sim.MessageBoxes().empty());
  ASSERT_FALSE(Err().empty());
  EXPECT_TRUE(AnyContains(Err(), c.errorPart)) << Err().front();
  EXPECT_TRUE(Out().empty());
  EXPECT_EQ(sim.Snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnattendedEarlyEndTest,
    ::testing::Values(
        EarlyEndCase{"UnknownSwitch", u"/bogus", nullptr, ExitCode::kUsageError, "/bogus"},
        EarlyEndCase{"NoSwitch", u"", nullptr, ExitCode::kUsageError, "No switch"},
        EarlyEndCase{"PreviewOfList", u"/list /preview", nullptr, ExitCode::kUsageError,
                     "/preview applies to"},
        EarlyEndCase{"ReportPathNotInCodePage", u"/list /report C:\\\u4E00.json", nullptr,
                     ExitCode::kUsageError, "code page"},
        EarlyEndCase{"NotElevated", u"/list",
                     [](UnattendedRunTest& t) { t.sim.SetProcessElevated(false); },
                     ExitCode::kNotElevated, "administrator rights"},
        EarlyEndCase{"ElevationUnknown", u"/list",
                     [](UnattendedRunTest& t) {
                       t.sim.FailNext("IsProcessElevated", win::kErrorAccessDenied);
                     },
                     ExitCode::kNotElevated, "error 5"},
        EarlyEndCase{"LockHeld", u"/clean",
                     [](UnattendedRunTest& t) { t.sim.SetRunLockHeldElsewhere(true); },
                     ExitCode::kRunInProgress, "Another Purvex run"},
        EarlyEndCase{"LockUnavailable", u"/clean",
                     [](UnattendedRunTest& t) {
                       t.sim.FailNext("TryAcquireRunLock", win::kErrorAccessDenied);
                     },
                     ExitCode::kRunInProgress, "error 5"},
        EarlyEndCase{"WrongEdition", u"/clean",
                     [](UnattendedRunTest& t) { t.refusal = "This is the 32-bit edition"; },
                     ExitCode::kWrongEdition, "32-bit edition"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UnattendedRunTest, AnEarlyEndStillWritesTheReportThatWasAskedFor) {
  sim.SetRunLockHeldElsewhere(true);
  EXPECT_EQ(Run(u"/clean /report out.json"), ExitCodeValue(ExitCode::kRunInProgress));
  EXPECT_TRUE(Contains(Report(), "\"exitCode\": 104"));
  EXPECT_TRUE(Contains(Report(), "Another Purvex run is in progress"));
}

TEST_F(UnattendedRunTest, ListWritesOneTabbedLinePerPrinterAndChangesNothing) {
  script.printers[1].driverShared = true;
  EXPECT_EQ(Run(u"-LIST /report out.json"), 0);
  EXPECT_EQ(Out(), (std::vector<std::string>{
                       "Korvex KP-103\tKP Driver\tUSB\\VID_0E7B&PID_0103&MI_00\t3.1\t"
                       "kx0103.inf_amd64_1\tnot shared",
                       "Korvex KP-105\tOther\tUSB\\VID_0E7B&PID_0103&MI_00\t3.1\t"
                       "kx0103.inf_amd64_1\tshared"}));
  EXPECT_FALSE(script.uninstalled);
  EXPECT_FALSE(script.cleaned);
  EXPECT_TRUE(Contains(Report(), "\"driverShared\": true"));
  EXPECT_FALSE(sim.RunLockHeld());
}

TEST_F(UnattendedRunTest, UninstallFindsThePrinterWhateverItsCaseAndPassesTheComponents) {
  EXPECT_EQ(Run(u"/uninstall \"korvex kp-105\" /components port"), 0);
  EXPECT_EQ(script.uninstalled, 1u);
  ASSERT_TRUE(script.components);
  EXPECT_TRUE(script.components->port);
  EXPECT_FALSE(script.components->printer);
  // The command line is the confirmation: asked, answered, not a message.
  EXPECT_EQ(script.answers, std::vector<int>{win::kIdOk});
  EXPECT_TRUE(Err().empty());
  EXPECT_TRUE(sim.MessageBoxes().empty());
}

struct NotListedCase {
  const char* name;
  std::u16string printer;
  const char* errorPart;
};

class UnattendedNotListedTest : public UnattendedRunTest,
                                public ::testing::WithParamInterface<NotListedCase> {};

TEST_P(UnattendedNotListedTest, ANameThatNamesNoListedPrinterRemovesNothing) {
  EXPECT_EQ(Run(u"/uninstall \"" + GetParam().printer + u"\" /report out.json"),
            ExitCodeValue(ExitCode::kPrinterNotListed));
  EXPECT_FALSE(script.uninstalled);
  EXPECT_TRUE(AnyContains(Err(), GetParam().errorPart));
  EXPECT_TRUE(Contains(Report(), "\"exitCode\": 102"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnattendedNotListedTest,
    ::testing::Values(NotListedCase{"Unknown", u"Korvex KP-999", "\"Korvex KP-999\" is not listed"},
                      // A look-alike of a listed name must not stand for it.
                      NotListedCase{"NotInCodePage", u"Korvex KP\u2010103", "code page"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UnattendedRunTest, TheDriverOfAnotherPrinterIsAUsageErrorAfterTheLookUp) {
  script.printers[0].driverShared = true;
  EXPECT_EQ(Run(u"/uninstall \"Korvex KP-103\" /components driver"),
            ExitCodeValue(ExitCode::kUsageError));
  EXPECT_FALSE(script.uninstalled);
}

TEST_F(UnattendedRunTest, TheLastFailureDecidesAndEveryMessageReachesErrorAndReport) {
  script.codes = {40, 20, kResultPortDriverFileAlreadyGone, 0};
  script.boxes = {"A driver support file could not be deleted.", "Forms failed."};
  script.items = {RunItem{RunItemKind::File, "C:\\Windows\\system32\\QdRk.dll",
                          RunItemResult::Failed, "in use", 32}};
  EXPECT_EQ(Run(u"/uninstall \"Korvex KP-103\" /report out.json"), 20);
  EXPECT_EQ(Err(), script.boxes);
  const std::string report = Report();
  EXPECT_TRUE(Contains(report, "\"exitCode\": 20"));
  EXPECT_TRUE(Contains(report, "Forms failed."));
  EXPECT_TRUE(Contains(report, "QdRk.dll"));
  EXPECT_TRUE(Contains(report, "\"stopped\": false"));
  EXPECT_TRUE(sim.MessageBoxes().empty());
}

TEST_F(UnattendedRunTest, AStopDuringTheWorkEndsWith108AndAStoppedReport) {
  script.codes = {45};
  script.during = [this] { EXPECT_TRUE(sim.SendConsoleStop()); };
  EXPECT_EQ(Run(u"/clean /report out.json"), ExitCodeValue(ExitCode::kStopped));
  EXPECT_TRUE(Contains(Report(), "\"stopped\": true"));
  EXPECT_TRUE(Contains(Report(), "\"exitCode\": 108"));
  // The handler goes with the run: a later stop finds none.
  EXPECT_FALSE(sim.SendConsoleStop());
}

TEST_F(UnattendedRunTest, AReportThatCannotBeWrittenEndsWith107AfterTheWork) {
  script.codes = {25};
  EXPECT_EQ(Run(u"/clean /report C:\\Missing\\out.json"),
            ExitCodeValue(ExitCode::kReportNotWritten));
  EXPECT_TRUE(script.cleaned);
  EXPECT_TRUE(AnyContains(Err(), "could not be written to \"C:\\Missing\\out.json\""));
}

TEST_F(UnattendedRunTest, RelativeLogAndReportPathsAreTakenFromTheCurrentDirectory) {
  EXPECT_EQ(Run(u"/clean /log logs /report out.json"), 0);
  EXPECT_EQ(script.logDirectory, std::string("C:\\Work\\logs"));
  EXPECT_FALSE(Report().empty());
}

struct FullPathCase {
  const char* name;
  const char* path;
  const char* expected;
};

class FullPathTest : public ::testing::TestWithParam<FullPathCase> {};

TEST_P(FullPathTest, MakesTheCommandLinesPathFull) {
  EXPECT_EQ(FullPath(GetParam().path, "C:\\Work\\"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FullPathTest,
    ::testing::Values(FullPathCase{"Full", "D:\\r.json", "D:\\r.json"},
                      FullPathCase{"Unc", "\\\\srv\\share\\r.json", "\\\\srv\\share\\r.json"},
                      FullPathCase{"RootOfCurrentDrive", "\\r.json", "C:\\r.json"},
                      FullPathCase{"Relative", "r.json", "C:\\Work\\r.json"},
                      FullPathCase{"CurrentDriveRelative", "c:r.json", "C:\\Work\\r.json"},
                      // Another drive's current directory is unknown.
                      FullPathCase{"OtherDriveRelative", "D:r.json", ""},
                      FullPathCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowRunLock, TheWindowEndsWithABoxWhileAnotherRunHoldsTheLock) {
  sim::SimWindows sim;
  RunLockHold hold;
  sim.SetRunLockHeldElsewhere(true);
  EXPECT_FALSE(TakeWindowRunLock(sim.platform(), hold));
  ASSERT_EQ(sim.MessageBoxes().size(), 1u);
  EXPECT_TRUE(Contains(sim.MessageBoxes()[0].text, "Another Purvex run is in progress"));

  sim.SetRunLockHeldElsewhere(false);
  EXPECT_TRUE(TakeWindowRunLock(sim.platform(), hold));
  EXPECT_TRUE(sim.RunLockHeld());
  // While the window holds it, an unattended run does not start.
  EXPECT_EQ(RunUnattended(sim.platform(), UnattendedStart{u"purvexc /list", std::nullopt},
                          [](Platform&) -> std::unique_ptr<IUnattendedWork> { return nullptr; }),
            ExitCodeValue(ExitCode::kRunInProgress));
  hold.reset();
  // A lock that cannot be asked for does not keep the window shut.
  sim.FailNext("TryAcquireRunLock", win::kErrorAccessDenied);
  EXPECT_TRUE(TakeWindowRunLock(sim.platform(), hold));
}

}  // namespace

// The page's own work behind the command line, on a seeded system.
namespace page_test {
namespace {

const UsbPrinter kA{"Korvex KP-103", "Korvex KP-103 Driver", "0103", "1A2B3C4D"};
const UsbPrinter kB{"Korvex KP-105", "Korvex KP-105 Driver", "0105", "5E6F7A8B"};

class UnattendedPageWorkTest : public PageFixture {
 public:
  UnattendedPageWorkTest() {
    sim.SetCurrentDir("C:\\Work");
    sim.AddDir("C:\\Work");
    sim.AddService("spooler", /*running=*/true);
    sim.AddService("VomuUsb", /*running=*/true);
    AddUsbPrinter(kA);
    AddUsbPrinter(kB);
    // The printer user interface removes the driver it is asked for.
    sim.SetShellHook([this](const sim::ShellExecuteRecord& run) {
      for (const UsbPrinter* p : {&kA, &kB}) {
        if (run.parameters.find("\"" + p->driver + "\"") == std::string::npos) continue;
        sim.DeleteKey(RegRoot::LocalMachine, sim.DriverKeyPath(p->driver, 3));
      }
    });
  }

  int32_t Run(const std::u16string& arguments) {
    UnattendedStart start;
    start.commandLine = u"purvexc.exe " + arguments;
    return RunUnattended(sim.platform(), start, &MakePageWork);
  }
};

TEST_F(UnattendedPageWorkTest, ListShowsBothPrintersWithTheirFacts) {
  EXPECT_EQ(Run(u"/list"), 0);
  const auto out = sim.ConsoleLines(ConsoleStream::Out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_TRUE(AnyContains(out, "Korvex KP-103\tKorvex KP-103 Driver\t" + kA.HardwareId()));
  EXPECT_TRUE(AnyContains(out, "\tnot shared"));
  EXPECT_TRUE(sim.PrinterExists(kA.name));
}

TEST_F(UnattendedPageWorkTest, UninstallRemovesThatPrinterAloneWithoutABox) {
  EXPECT_EQ(Run(u"/uninstall \"KORVEX KP-103\" /log C:\\Logs /report C:\\Work\\r.json"), 0);
  EXPECT_FALSE(sim.PrinterExists(kA.name));
  EXPECT_FALSE(sim.DriverExists(kA.driver));
  EXPECT_TRUE(sim.PrinterExists(kB.name));
  EXPECT_TRUE(sim.DriverExists(kB.driver));
  EXPECT_TRUE(sim.MessageBoxes().empty());
  EXPECT_FALSE(sim.RunLockHeld());
  const std::string log = sim.ReadFile("C:\\Logs\\purvex.log").value_or("");
  EXPECT_TRUE(Contains(log, "Unattended run: purvexc.exe /uninstall"));
  EXPECT_TRUE(Contains(log, "Unattended run ended with exit code 0."));
  EXPECT_TRUE(Contains(sim.ReadFile("C:\\Work\\r.json").value_or(""), "\"name\": \"Korvex KP-103\""));
}

TEST_F(UnattendedPageWorkTest, ThePrinterComponentAloneKeepsTheDriver) {
  EXPECT_EQ(Run(u"/uninstall \"Korvex KP-105\" /components printer"), 0);
  EXPECT_FALSE(sim.PrinterExists(kB.name));
  EXPECT_TRUE(sim.DriverExists(kB.driver));
  EXPECT_TRUE(sim.PrinterExists(kA.name));
  EXPECT_TRUE(sim.MessageBoxes().empty());
}

// The system apart from the run's own log and report.
std::string SystemWithoutOwnFiles(const sim::SimWindows& sim) {
  std::istringstream lines(sim.FullSnapshot());
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    std::string upper = line;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.find("C:\\LOGS") != std::string::npos) continue;
    if (upper.find("C:\\WORK\\P.JSON") != std::string::npos) continue;
    kept += line + "\n";
  }
  return kept;
}

TEST_F(UnattendedPageWorkTest, APreviewChangesNothingAndNamesWhatTheRealRunThenRemoves) {
  const std::string before = SystemWithoutOwnFiles(sim);
  EXPECT_EQ(Run(u"/uninstall \"Korvex KP-103\" /preview /log C:\\Logs /report C:\\Work\\p.json"), 0);
  EXPECT_EQ(SystemWithoutOwnFiles(sim), before) << "the preview changed the system";
  EXPECT_TRUE(sim.MessageBoxes().empty());
  const auto out = sim.ConsoleLines(ConsoleStream::Out);
  ASSERT_FALSE(out.empty());
  EXPECT_TRUE(AnyContains(out, "would-remove\tprinter\tKorvex KP-103"));
  const std::string previewReport = sim.ReadFile("C:\\Work\\p.json").value_or("");
  EXPECT_TRUE(Contains(previewReport, "\"would-remove\""));
  EXPECT_FALSE(Contains(previewReport, "\"removed\""));

  EXPECT_EQ(Run(u"/uninstall \"Korvex KP-103\" /log C:\\Logs /report C:\\Work\\r.json"), 0);
  EXPECT_FALSE(sim.PrinterExists(kA.name));
  const std::string realReport = sim.ReadFile("C:\\Work\\r.json").value_or("");
  // Every target the preview named is one the real run names, with the same
  // result once "would remove" has happened.
  size_t previewed = 0;
  for (const std::string& line : out) {
    const size_t kindEnd = line.find('\t', line.find('\t') + 1);
    const size_t nameEnd = line.find('\t', kindEnd + 1);
    if (line.rfind("would-remove\t", 0) != 0 || nameEnd == std::string::npos) continue;
    ++previewed;
    std::string name = line.substr(kindEnd + 1, nameEnd - kindEnd - 1);
    std::string escaped;
    for (char c : name) escaped += (c == '\\') ? std::string("\\\\") : std::string(1, c);
    EXPECT_TRUE(Contains(realReport, "\"name\": \"" + escaped + "\"")) << name;
  }
  size_t removed = 0;
  for (size_t at = realReport.find("\"removed\""); at != std::string::npos;
       at = realReport.find("\"removed\"", at + 1)) {
    ++removed;
  }
  EXPECT_EQ(previewed, removed);
}

TEST_F(UnattendedPageWorkTest, CleanTellsItsDoneOnStandardErrorNotInABox) {
  EXPECT_EQ(Run(u"/clean"), 0);
  EXPECT_TRUE(sim.MessageBoxes().empty());
  EXPECT_FALSE(sim.ConsoleLines(ConsoleStream::Error).empty());
  EXPECT_TRUE(sim.PrinterExists(kA.name));
}

TEST_F(UnattendedPageWorkTest, AStopDuringCleanEndsItBetweenTwoDevices) {
  const std::vector<std::string> stale = {"USB\\VID_0E7B&PID_0107\\SN1",
                                          "USB\\VID_0E7B&PID_0107\\SN2",
                                          "USB\\VID_0E7B&PID_0107\\SN3"};
  for (const std::string& id : stale) {
    sim::DeviceSpec device;
    device.instanceId = id;
    device.hardwareIds = {"USB\\VID_0E7B&PID_0107"};
    sim.AddDevice(device);
  }
  sim.SetDeviceRemovedHook([this](const std::string&) { (void)sim.SendConsoleStop(); });
  EXPECT_EQ(Run(u"/clean /report C:\\Work\\c.json"), ExitCodeValue(ExitCode::kStopped));
  // The device being removed when the stop came is finished; no other is begun.
  EXPECT_EQ(sim.RemovedDevices(), std::vector<std::string>{stale[0]});
  EXPECT_TRUE(sim.DeviceExists(stale[1]));
  EXPECT_TRUE(sim.DeviceExists(stale[2]));
  const std::string report = sim.ReadFile("C:\\Work\\c.json").value_or("");
  EXPECT_TRUE(Contains(report, "\"stopped\": true"));
  EXPECT_TRUE(Contains(report, "PID_0107"));
}

}  // namespace
}  // namespace page_test
