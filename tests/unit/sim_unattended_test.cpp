// The simulation's own handles on the unattended-run parts, which the tests
// of the unattended driver steer it by.
#include <gtest/gtest.h>

#include "platform/win_constants.h"
#include "tests/sim/sim_windows.h"

namespace {

TEST(SimUnattended, ConsoleKeepsLinesAndDeliversStopsOnlyToAnInstalledHandler) {
  sim::SimWindows sim;
  IConsole& console = sim.platform().console;
  EXPECT_FALSE(sim.SendConsoleStop());
  ASSERT_TRUE(console.WriteLine(ConsoleStream::Out, "one").ok);
  ASSERT_TRUE(console.WriteLine(ConsoleStream::Error, "two").ok);
  sim.FailNext("ConsoleWrite", win::kErrorInvalidHandle);
  EXPECT_FALSE(console.WriteLine(ConsoleStream::Out, "lost").ok);
  EXPECT_EQ(sim.ConsoleLines(ConsoleStream::Out), std::vector<std::string>{"one"});
  EXPECT_EQ(sim.ConsoleLines(ConsoleStream::Error), std::vector<std::string>{"two"});

  StopSignal stop;
  {
    StopHandlerHold hold;
    ASSERT_TRUE(console.InstallStopHandler(stop, hold).ok);
    EXPECT_TRUE(sim.SendConsoleStop());
    EXPECT_TRUE(stop.Raised());
  }
  EXPECT_FALSE(sim.SendConsoleStop());
}

TEST(SimUnattended, RunLockHeldElsewhereOrFailingIsNeverTaken) {
  sim::SimWindows sim;
  RunLockHold hold;
  uint32_t error = 0;
  sim.SetRunLockHeldElsewhere(true);
  EXPECT_EQ(sim.platform().runLock.TryAcquire(hold, error), RunLockResult::InUse);
  sim.SetRunLockHeldElsewhere(false);
  sim.FailNext("TryAcquireRunLock", win::kErrorAccessDenied);
  EXPECT_EQ(sim.platform().runLock.TryAcquire(hold, error), RunLockResult::Failed);
  EXPECT_EQ(error, win::kErrorAccessDenied);
  EXPECT_FALSE(sim.RunLockHeld());
  EXPECT_EQ(sim.platform().runLock.TryAcquire(hold, error), RunLockResult::Acquired);
  EXPECT_TRUE(sim.RunLockHeld());
  hold.reset();
  EXPECT_FALSE(sim.RunLockHeld());
}

}  // namespace
