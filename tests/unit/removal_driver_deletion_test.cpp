#include <string>
#include <vector>

#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {


constexpr const char* kDriver = "Model 80 Label";

class DriverDeletionTest : public RemovalTest {
 protected:
  void SetUp() override { AddPrinter("Office Label", kDriver); }
  void RemoveDriverKeyAfter(uint64_t ms, int version = 3) {
    sim.After(ms, [this, version] {
      sim.DeleteKey(RegRoot::LocalMachine, sim.DriverKeyPath(kDriver, version));
    });
  }
  std::string StillExists() const { return std::string("Driver [") + kDriver + "] still exists"; }
};

TEST_F(DriverDeletionTest, KeyGoneAfterThreeSecondsIsSuccess) {
  RemoveDriverKeyAfter(3000);

  EXPECT_EQ(prn.DeleteSelDriver(), kResultOk);
  EXPECT_EQ(NewLog(), Lines({"Try to delete Model 80 Label driver.", StillExists(),
                          "Driver [Model 80 Label] does NOT still exists",
                          "Driver Model 80 Label correctly deleted. ShellExecute returned 42"}));
  EXPECT_EQ(sim.Sleeps(), (std::vector<uint32_t>{2500u, 1000u}));
  EXPECT_EQ(ProgressSteps(), 1u);
  EXPECT_EQ(StatusLine(), Text(IDS_REMOVING_DRIVER));
}

TEST_F(DriverDeletionTest, DriverThatStaysFailsAfterEightChecks) {
  EXPECT_EQ(prn.DeleteSelDriver(), kResultDriverFailed);
  EXPECT_EQ(CountLog(StillExists()), 8u);
  EXPECT_EQ(NewLog().back(), "Error. Driver Model 80 Label NOT correctly deleted");
  EXPECT_EQ(ProgressSteps(), 8u);
  std::vector<uint32_t> expected(1, 2500u);
  expected.insert(expected.end(), 8, 1000u);
  EXPECT_EQ(sim.Sleeps(), expected);
}

TEST_F(DriverDeletionTest, DriverLeftUnderVersion2CountsAsInstalled) {
  sim::DriverSpec old;
  old.name = kDriver;
  old.manufacturer = kMaker;
  old.version = 2;
  sim.AddDriver(old);
  RemoveDriverKeyAfter(0);

  EXPECT_EQ(prn.DeleteSelDriver(), kResultDriverFailed);
  EXPECT_EQ(CountLog(StillExists()), 8u);
}

TEST_F(DriverDeletionTest, FailedStartReturnsAtOnce) {
  sim.SetShellResult(win::kSeErrFnf);

  EXPECT_EQ(prn.DeleteSelDriver(), kResultDriverFailed);
  EXPECT_EQ(NewLog(), Lines({"Try to delete Model 80 Label driver.",
                                    "Error to delete Model 80 Label driver. ShellExecute "
                                    "returned 2."}));
  EXPECT_TRUE((sim.Sleeps()).empty());
}

TEST_F(DriverDeletionTest, CommandStartsRundllFromSystemDirectory) {
  RemoveDriverKeyAfter(0);
  ASSERT_EQ(prn.DeleteSelDriver(), kResultOk);

  ASSERT_EQ(sim.ShellExecutes().size(), 1u);
  const sim::ShellExecuteRecord run = sim.ShellExecutes()[0];
  EXPECT_EQ(run.verb, "open");
  EXPECT_EQ(run.file, "C:\\Windows\\system32\\rundll32.exe");
  EXPECT_EQ(run.parameters, "printui.dll,PrintUIEntry /dd /m \"Model 80 Label\" /h \"x64\"");
  EXPECT_EQ(run.directory, "C:\\Windows\\system32\\");
  EXPECT_EQ(run.show, win::kSwHide);
}

TEST_F(DriverDeletionTest, OldDriverVersionIsPassed) {
  prn.CurrentPrinter.DriverVersion = kOldDriverVersion;
  RemoveDriverKeyAfter(0);
  ASSERT_EQ(prn.DeleteSelDriver(), kResultOk);
  ASSERT_EQ(sim.ShellExecutes().size(), 1u);
  EXPECT_EQ(sim.ShellExecutes()[0].parameters,
            "printui.dll,PrintUIEntry /dd /m \"Model 80 Label\" /h \"x64\" /v "
            "\"Windows NT 4.0 or 2000\"");
}

TEST_F(DriverDeletionTest, QuoteInDriverNameIsRefused) {
  prn.CurrentPrinter.DriverName = "Model \" /ia /m \"Other";

  EXPECT_EQ(prn.DeleteSelDriver(), kResultDriverFailed);
  EXPECT_TRUE((sim.ShellExecutes()).empty());
  EXPECT_EQ(NewLog().size(), 2u);
  EXPECT_TRUE((sim.Sleeps()).empty());
}

struct ArchitectureCase {
  uint16_t architecture;
  const char* printUiName;
};

class PrintUiArchitectureTest : public RemovalTest,
                                public ::testing::WithParamInterface<ArchitectureCase> {};

TEST_P(PrintUiArchitectureTest, NamesTheRunningArchitecture) {
  Start(GetParam().architecture);
  AddPrinter("Office Label", kDriver);
  sim.After(0, [this] { sim.DeleteKey(RegRoot::LocalMachine, sim.DriverKeyPath(kDriver)); });

  EXPECT_EQ(CRemoveDrvPrn::ArchitectureForPrintUi(GetParam().architecture),
            GetParam().printUiName);
  ASSERT_EQ(prn.DeleteSelDriver(), kResultOk);
  ASSERT_EQ(sim.ShellExecutes().size(), 1u);
  EXPECT_EQ(sim.ShellExecutes()[0].parameters,
            std::string("printui.dll,PrintUIEntry /dd /m \"Model 80 Label\" /h \"") +
                GetParam().printUiName + "\"");
}

INSTANTIATE_TEST_SUITE_P(
    Architectures, PrintUiArchitectureTest,
    ::testing::Values(ArchitectureCase{win::kProcessorArchitectureIntel, "Intel"},
                      ArchitectureCase{win::kProcessorArchitectureAmd64, "x64"},
                      ArchitectureCase{win::kProcessorArchitectureIa64, "IA64"}));

}  // namespace
}  // namespace removal_test
