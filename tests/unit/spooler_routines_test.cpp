#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/purvex_dlg.h"
#include "platform/win_constants.h"
#include "resources/resource_ids.h"
#include "tests/sim/sim_page.h"
#include "tests/sim/sim_windows.h"
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
  page.SpoolerStoppedBySequence = true;

  c.routine(page);

  EXPECT_EQ(Logged(), c.logged);
  Lines statuses;
  for (uint32_t id : c.statusIds) statuses.push_back(sim.platform().strings.Load(id));
  EXPECT_EQ(controls.TextHistory(IDC_STATUS_LINE), statuses);
  EXPECT_EQ(sim.Sleeps(), c.waits);
  EXPECT_EQ(sim.IsRunning(kSpooler), c.runningAfter);
  EXPECT_EQ(page.SpoolerStoppedBySequence, c.leftStoppedAfter);
  EXPECT_EQ(sim.OpenServiceHandles(), 0);
}

void Stop(CRemoveDrvPrn& page) { page.StopSpooler(); }
void Start(CRemoveDrvPrn& page) { page.StartSpooler(); }
void Restart(CRemoveDrvPrn& page) { page.RestartSpooler(); }

const Lines kStopLines = {"Stop Spooler Service...", "Stop Spooler Service OK"};
const Lines kStartLines = {"Start Spooler Service...", "Start Spooler Service OK"};
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
  EXPECT_EQ(logged[3], "Start Spooler Service OK");
  EXPECT_EQ(sim.Sleeps(), Waits{3000});
}

}  // namespace
