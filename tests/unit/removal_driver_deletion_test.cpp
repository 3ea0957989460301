#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {

constexpr const char* kDriver = "Model 80 Label";
const std::string kStillExists = "Driver [Model 80 Label] still exists";

class DriverDeletionTest : public RemovalTest {
 protected:
  void SetUp() override { AddPrinter("Office Label", kDriver); }
  void RemoveDriverKeyAfter(uint64_t ms) {
    sim.After(ms, [this] { sim.DeleteKey(RegRoot::LocalMachine, sim.DriverKeyPath(kDriver)); });
  }
};

TEST_F(DriverDeletionTest, KeyGoneAfterThreeSecondsIsSuccess) {
  RemoveDriverKeyAfter(3000);
  EXPECT_EQ(prn.DeleteSelDriver(), kResultOk);
  EXPECT_EQ(NewLog(), Lines({"Try to delete Model 80 Label driver.", kStillExists,
                             "Driver [Model 80 Label] does NOT still exists",
                             "Driver Model 80 Label correctly deleted. ShellExecute returned 42"}));
  EXPECT_EQ(sim.Sleeps(), (std::vector<uint32_t>{2500, 1000}));
  EXPECT_EQ(ProgressSteps(), 1u);
  EXPECT_EQ(StatusTexts().back(), Text(IDS_REMOVING_DRIVER));
}

TEST_F(DriverDeletionTest, DriverThatStaysFailsAfterEightChecks) {
  EXPECT_EQ(prn.DeleteSelDriver(), kResultDriverFailed);
  EXPECT_EQ(CountLog(kStillExists), 8u);
  EXPECT_EQ(NewLog().back(), "Error. Driver Model 80 Label NOT correctly deleted");
  EXPECT_EQ(ProgressSteps(), 8u);
  std::vector<uint32_t> waits(1, 2500);
  waits.insert(waits.end(), 8, 1000);
  EXPECT_EQ(sim.Sleeps(), waits);
}

TEST_F(DriverDeletionTest, DriverLeftUnderVersion2CountsAsInstalled) {
  sim::DriverSpec old;
  old.name = kDriver;
  old.version = 2;
  sim.AddDriver(old);
  RemoveDriverKeyAfter(0);
  EXPECT_EQ(prn.DeleteSelDriver(), kResultDriverFailed);
  EXPECT_EQ(CountLog(kStillExists), 8u);
}

TEST_F(DriverDeletionTest, FailedStartReturnsAtOnce) {
  sim.SetShellResult(win::kSeErrFnf);
  EXPECT_EQ(prn.DeleteSelDriver(), kResultDriverFailed);
  EXPECT_EQ(NewLog().back(), "Error to delete Model 80 Label driver. ShellExecute returned 2.");
  EXPECT_TRUE(sim.Sleeps().empty());
}

TEST_F(DriverDeletionTest, QuoteInDriverNameIsRefused) {
  prn.CurrentPrinter.DriverName = "Model \" /ia /m \"Other";
  EXPECT_EQ(prn.DeleteSelDriver(), kResultDriverFailed);
  EXPECT_TRUE(sim.ShellExecutes().empty());
  EXPECT_TRUE(sim.Sleeps().empty());
}

struct CommandCase {
  uint16_t architecture;
  const char* version;
  const char* parameters;
};

class PrintUiCommandTest : public RemovalTest,
                           public ::testing::WithParamInterface<CommandCase> {};

TEST_P(PrintUiCommandTest, StartsRundllByFullPathWithTheRunningArchitecture) {
  Start(GetParam().architecture);
  AddPrinter("Office Label", kDriver);
  prn.CurrentPrinter.DriverVersion = GetParam().version;
  sim.After(0, [this] { sim.DeleteKey(RegRoot::LocalMachine, sim.DriverKeyPath(kDriver)); });

  ASSERT_EQ(prn.DeleteSelDriver(), kResultOk);
  ASSERT_EQ(sim.ShellExecutes().size(), 1u);
  const sim::ShellExecuteRecord run = sim.ShellExecutes()[0];
  EXPECT_EQ(run.verb, "open");
  EXPECT_EQ(run.file, "C:\\Windows\\system32\\rundll32.exe");
  EXPECT_EQ(run.parameters,
            std::string("printui.dll,PrintUIEntry /dd /m \"Model 80 Label\" ") +
                GetParam().parameters);
  EXPECT_EQ(run.directory, "C:\\Windows\\system32\\");
  EXPECT_EQ(run.show, win::kSwHide);
}

INSTANTIATE_TEST_SUITE_P(
    Systems, PrintUiCommandTest,
    ::testing::Values(CommandCase{win::kProcessorArchitectureIntel, "", "/h \"Intel\""},
                      CommandCase{win::kProcessorArchitectureAmd64, "", "/h \"x64\""},
                      CommandCase{win::kProcessorArchitectureIa64, "", "/h \"IA64\""},
                      CommandCase{win::kProcessorArchitectureIntel, kOldDriverVersion,
                                  "/h \"Intel\" /v \"Windows NT 4.0 or 2000\""}));

}  // namespace
}  // namespace removal_test
