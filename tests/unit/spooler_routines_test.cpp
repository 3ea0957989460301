#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/purvex_dlg.h"
#include "platform/win_constants.h"
#include "resources/resource_ids.h"
#include "tests/sim/sim_page.h"
#include "tests/sim/sim_windows.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/log_lines.h"

namespace {

constexpr const char* kLogPath = "C:\\Work\\log\\purvex.log";
constexpr const char* kSpooler = "spooler";

using Lines = std::vector<std::string>;
using Waits = std::vector<uint32_t>;

class SpoolerRoutinesTest : public ::testing::Test {
 protected:
  SpoolerRoutinesTest() : dialog(sim.platform()), page(dialog.PrinterPage) {
    dialog.InitializeState();
    page.AttachControls(&controls);
  }

  Lines Logged() { return testlog::Messages(sim, kLogPath); }

  sim::SimWindows sim;
  CPurvexDlg dialog;
  CRemoveDrvPrn& page;
  sim::SimPage controls;
};

enum class Spooler { Running, Stopped, Disabled, NoManager };

struct RoutineCase {
  const char* label;
  void (*routine)(CRemoveDrvPrn&);
  Spooler spooler;
  Lines logged;
  std::vector<uint32_t> statusIds;
  Waits waits;
  bool runningAfter;
  // Whether a spooler that this run had stopped still counts as stopped by it.
  bool leftStoppedAfter;
};

class SpoolerRoutineCaseTest : public SpoolerRoutinesTest,
                               public ::testing::WithParamInterface<RoutineCase> {};

TEST_P(SpoolerRoutineCaseTest, LogsShowsAndWaitsAsExpected) {
  const RoutineCase& c = GetParam();
  sim.AddService(kSpooler, c.spooler == Spooler::Running || c.spooler == Spooler::NoManager,
                 c.spooler == Spooler::Disabled);
  sim.DenyServiceManager(c.spooler == Spooler::NoManager);
  page.Spooler.SpoolerStoppedBySequence = true;

  c.routine(page);

  EXPECT_EQ(Logged(), c.logged);
  Lines statuses;
  for (uint32_t id : c.statusIds) statuses.push_back(sim.platform().strings.Load(id));
  EXPECT_EQ(controls.TextHistory(IDC_STATUS_LINE), statuses);
  EXPECT_EQ(sim.Sleeps(), c.waits);
  EXPECT_EQ(sim.IsRunning(kSpooler), c.runningAfter);
  EXPECT_EQ(page.Spooler.SpoolerStoppedBySequence, c.leftStoppedAfter);
  EXPECT_EQ(sim.OpenServiceHandles(), 0);
}

void Stop(CRemoveDrvPrn& page) { page.StopSpooler(); }
void Start(CRemoveDrvPrn& page) { page.StartSpooler(); }
void Restart(CRemoveDrvPrn& page) { page.RestartSpooler(); }

const Lines kStopLines = {expected::kStopSpooler, expected::kStopSpoolerOk};
const Lines kStartLines = {expected::kStartSpooler, expected::kStartSpoolerOk};
const std::vector<uint32_t> kStopTexts = {IDS_STOP_SPOOLER, IDS_STOP_SPOOLER_OK};
const std::vector<uint32_t> kStartTexts = {IDS_START_SPOOLER, IDS_START_SPOOLER_OK};

INSTANTIATE_TEST_SUITE_P(
    Routines, SpoolerRoutineCaseTest,
    ::testing::Values(
        RoutineCase{"StopRunning", Stop, Spooler::Running, kStopLines,
                    kStopTexts, {3000}, false, true},
        RoutineCase{"StopAlreadyStopped", Stop, Spooler::Stopped,
                    {kStopLines[0]}, kStopTexts, {3000}, false, true},
        RoutineCase{"StopWithoutManager", Stop, Spooler::NoManager,
                    {kStopLines[0]}, kStopTexts, {3000}, true, true},
        RoutineCase{"StartStopped", Start, Spooler::Stopped, kStartLines,
                    kStartTexts, {1000}, true, false},
        RoutineCase{"StartAlreadyRunning", Start, Spooler::Running,
                    {kStartLines[0]}, kStartTexts, {1000}, true, false},
        RoutineCase{"StartDisabled", Start, Spooler::Disabled,
                    {kStartLines[0]}, kStartTexts, {1000}, false, true},
        RoutineCase{"StartWithoutManager", Start, Spooler::NoManager,
                    {kStartLines[0]}, kStartTexts, {1000}, true, true},
        RoutineCase{"RestartRunning", Restart, Spooler::Running,
                    {kStopLines[0], kStopLines[1], kStartLines[0]},
                    {IDS_STOP_SPOOLER, IDS_STOP_SPOOLER_OK, IDS_START_SPOOLER}, {2000, 1500},
                    true, false},
        RoutineCase{"RestartWithoutManager", Restart, Spooler::NoManager,
                    {kStopLines[0], kStartLines[0]}, {IDS_STOP_SPOOLER, IDS_START_SPOOLER},
                    {2000, 1500}, true, true}),
    [](const ::testing::TestParamInfo<RoutineCase>& info) {
      return std::string(info.param.label);
    });

TEST_F(SpoolerRoutinesTest, ASpoolerLeftStoppedIsStartedAgainOnceWithoutWaiting) {
  sim.AddService(kSpooler, true);
  page.EnsureSpoolerRunning();  // nothing stopped yet
  page.StopSpooler();

  page.EnsureSpoolerRunning();
  page.EnsureSpoolerRunning();

  EXPECT_TRUE(sim.IsRunning(kSpooler));
  EXPECT_EQ(sim.SpoolerHistory(), (Lines{"stop", "start"}));
  const Lines logged = Logged();
  ASSERT_EQ(logged.size(), 4u);
  EXPECT_EQ(logged[3], expected::kStartSpoolerOk);
  EXPECT_EQ(sim.Sleeps(), Waits{3000});
}


const std::string kPendingLine =
    "Spooler Service is still stopping: waiting for it to stop before starting it again...";
const std::string kStillStoppingLine =
    "Spooler Service not started: after 30 seconds it is still in state STOP_PENDING (3).";
const Waits kThirtySecondsOfPolls(60, 500);

Waits Concat(Waits a, const Waits& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A stop that takes longer than the fixed waits: the start that follows is
// refused with "already running" until the stop has ended.
struct SlowStopCase {
  const char* label;
  void (*routine)(CRemoveDrvPrn&);
  uint64_t stopTakesMs;
  Lines logged;
  Waits waits;
  bool runningAfter;
};

class SlowStopTest : public SpoolerRoutinesTest,
                     public ::testing::WithParamInterface<SlowStopCase> {};

TEST_P(SlowStopTest, WaitsForThePendingStopThenStartsAgain) {
  const SlowStopCase& c = GetParam();
  sim.AddService(kSpooler, true);
  sim.SetStopDelay(kSpooler, c.stopTakesMs);

  c.routine(page);

  EXPECT_EQ(Logged(), c.logged);
  EXPECT_EQ(sim.Sleeps(), c.waits);
  EXPECT_EQ(sim.IsRunning(kSpooler), c.runningAfter);
  EXPECT_EQ(page.Spooler.SpoolerStoppedBySequence, !c.runningAfter);
  EXPECT_EQ(sim.OpenServiceHandles(), 0);
}

void StopThenStart(CRemoveDrvPrn& page) {
  page.StopSpooler();
  page.StartSpooler();
}

INSTANTIATE_TEST_SUITE_P(
    Routines, SlowStopTest,
    ::testing::Values(
        // Stopped at 0, refused at 3000, polled from 4000 until the end at 4500.
        SlowStopCase{"StartAfterStop", StopThenStart, 4500,
                     {kStopLines[0], kStopLines[1], kStartLines[0], kPendingLine, kStartLines[1]},
                     {3000, 1000, 500}, true},
        // The stop ends exactly with the fixed waits: no poll at all.
        SlowStopCase{"StartAfterStopEndingWithTheWaits", StopThenStart, 4000,
                     {kStopLines[0], kStopLines[1], kStartLines[0], kStartLines[1]},
                     {3000, 1000}, true},
        SlowStopCase{"Restart", Restart, 5000,
                     {kStopLines[0], kStopLines[1], kStartLines[0], kPendingLine, kStartLines[1]},
                     {2000, 1500, 500, 500, 500}, true},
        SlowStopCase{"StartAfterAStopThatNeverEnds", StopThenStart, sim::kStopsForEver,
                     {kStopLines[0], kStopLines[1], kStartLines[0], kPendingLine,
                      kStillStoppingLine},
                     Concat({3000, 1000}, kThirtySecondsOfPolls), false},
        SlowStopCase{"RestartWithAStopThatNeverEnds", Restart, sim::kStopsForEver,
                     {kStopLines[0], kStopLines[1], kStartLines[0], kPendingLine,
                      kStillStoppingLine},
                     Concat({2000, 1500}, kThirtySecondsOfPolls), false}),
    [](const ::testing::TestParamInfo<SlowStopCase>& info) {
      return std::string(info.param.label);
    });

TEST_F(SpoolerRoutinesTest, AStateThatCannotBeReadCountsAsRunningAsBefore) {
  sim.AddService(kSpooler, true);
  page.Spooler.SpoolerStoppedBySequence = true;
  sim.FailNext("QueryServiceStatus", win::kErrorAccessDenied);

  page.StartSpooler();

  EXPECT_EQ(Logged(), (Lines{kStartLines[0],
                             "Spooler Service state could not be read after its start was "
                             "refused: error 5."}));
  EXPECT_FALSE(page.Spooler.SpoolerStoppedBySequence);
}

TEST_F(SpoolerRoutinesTest, RecoveryWaitsForAPendingStopWithoutSafePoints) {
  sim.AddService(kSpooler, true);
  sim.SetStopDelay(kSpooler, 1200);
  page.Spooler.SpoolerStoppedBySequence = true;
  {
    // Stopped by a sequence that was stopped in turn before its start.
    ServiceManager manager;
    ASSERT_TRUE(sim.platform().services.OpenManager(win::kScManagerAllAccess, manager).ok);
    ServiceHandle spooler;
    ASSERT_TRUE(manager->Open(kSpooler, win::kServiceAllAccess, spooler).ok);
    ASSERT_TRUE(spooler->Control(win::kServiceControlStop).ok);
  }

  page.EnsureSpoolerRunning();

  EXPECT_TRUE(sim.IsRunning(kSpooler));
  EXPECT_FALSE(page.Spooler.SpoolerStoppedBySequence);
  EXPECT_EQ(sim.Sleeps(), (Waits{500, 500, 500}));
  EXPECT_EQ(Logged(), (Lines{"Spooler Service left stopped by an interrupted operation: "
                             "starting it again...",
                             kPendingLine, kStartLines[1]}));
}

// The final report tells the user of a spooler that could not be started.
struct ReportCase {
  const char* label;
  ResultCode code;
  bool spoolerLeftStopped;
  Lines notDeleted;
  uint32_t icon;
  std::vector<uint32_t> textIds;  // the box text: these strings in order
};

class DeletionReportTest : public SpoolerRoutinesTest,
                           public ::testing::WithParamInterface<ReportCase> {};

TEST_P(DeletionReportTest, NamesASpoolerLeftStopped) {
  const ReportCase& c = GetParam();
  page.Spooler.SpoolerStoppedBySequence = c.spoolerLeftStopped;
  dialog.Record.NotDeletedFiles = c.notDeleted;

  dialog.ShowDeletionReport(c.code);

  const auto boxes = sim.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  std::string expected;
  for (uint32_t id : c.textIds) {
    if (id == IDS_SPOOLER_NOT_STARTED && !expected.empty()) expected += "\r\n";
    expected += sim.platform().strings.Load(id);
    if (id == IDS_REPORT_HEADING) {
      for (const std::string& path : c.notDeleted) expected += path + "\r\n";
    }
  }
  EXPECT_EQ(boxes[0].text, expected);
  EXPECT_EQ(boxes[0].style, win::kMbOk | c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Report, DeletionReportTest,
    ::testing::Values(
        ReportCase{"Success", kResultOk, false, {}, win::kMbIconInformation,
                   {IDS_UNINSTALL_COMPLETED}},
        ReportCase{"SpoolerOnly", kResultOk, true, {}, win::kMbIconExclamation,
                   {IDS_SPOOLER_NOT_STARTED}},
        ReportCase{"SpoolerAfterAFailure", kResultDriverFailed, true, {},
                   win::kMbIconExclamation, {IDS_SPOOLER_NOT_STARTED}},
        ReportCase{"FilesAndSpooler", kResultOk, true, {"C:\\x.dll"}, win::kMbIconExclamation,
                   {IDS_REPORT_HEADING, IDS_SPOOLER_NOT_STARTED}}),
    [](const ::testing::TestParamInfo<ReportCase>& info) {
      return std::string(info.param.label);
    });

}  // namespace
