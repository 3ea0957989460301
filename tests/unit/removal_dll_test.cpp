#include <string>
#include <vector>

#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {


constexpr const char* kDriver = "Model 80 Label";
const std::vector<std::string> kAllDlls = {"QdRk.dll", "QdVuRk.dll", "QdRkTx.dll",
                                           "QdVuRkTx.dll", "QdNetVu.dll"};

std::string DllPath(const std::string& name) {
  return std::string(kWindows) + "\\system32\\" + name;
}

class DllRemovalTest : public RemovalTest {
 protected:
  // The current driver with its dependent files, and every DLL on disk.
  void SeedCurrentDriver(const std::vector<std::string>& dependentFiles, int version = 3) {
    sim::DriverSpec spec;
    spec.name = kDriver;
    spec.manufacturer = kMaker;
    spec.dependentFiles = dependentFiles;
    spec.version = version;
    sim.AddDriver(spec);
    for (const std::string& dll : kAllDlls) sim.AddFile(DllPath(dll), "MZ");
    prn.CurrentPrinter.DriverName = kDriver;
    MarkLog();
  }
  void SeedOtherDriver(const std::string& name, const std::vector<std::string>& dependentFiles,
                       int version = 3) {
    sim::DriverSpec spec;
    spec.name = name;
    spec.manufacturer = kMaker;
    spec.dependentFiles = dependentFiles;
    spec.version = version;
    sim.AddDriver(spec);
  }
};

TEST_F(DllRemovalTest, NothingListedKeepsEverythingAndLeavesSpoolerAlone) {
  SeedCurrentDriver({"model80.dll", "model80ui.dll"});

  EXPECT_EQ(prn.DeleteDriverDlls(), kResultOk);
  std::vector<std::string> expected;
  for (const std::string& dll : kAllDlls) {
    expected.push_back("Dll [" + dll + "] not used! We won't delete it!");
  }
  EXPECT_EQ(NewLog(), expected);
  EXPECT_TRUE((sim.SpoolerHistory()).empty());
  EXPECT_TRUE((sim.Sleeps()).empty());
  for (const std::string& dll : kAllDlls) EXPECT_TRUE(sim.Exists(DllPath(dll)));
}

TEST_F(DllRemovalTest, ListedDllIsDeletedWithSpoolerStopped) {
  // Written as a full path by the current driver (a substring is enough),
  // and by another driver (only an exact entry keeps the file).
  SeedCurrentDriver({DllPath("QdRk.dll")});
  SeedOtherDriver("Model 90", {DllPath("QdRk.dll")});

  EXPECT_TRUE(prn.DeleteDllIfNotUsed("QdRk.dll"));
  EXPECT_FALSE(sim.Exists(DllPath("QdRk.dll")));
  EXPECT_EQ(NewLog(), Lines({"Stop Spooler Service...", "Stop Spooler Service OK",
                                    "File [C:\\Windows\\system32\\QdRk.dll] deleted!",
                                    "Start Spooler Service...", "Start Spooler Service OK"}));
  EXPECT_EQ(sim.SpoolerHistory(), Lines({"stop", "start"}));
  EXPECT_EQ(dlg.DeletedFiles, Lines({DllPath("QdRk.dll")}));
  EXPECT_TRUE(Has(page.TextHistory(IDC_STATUS_LINE), "Removing [QdRk.dll] dll..."));
}

struct SharingCase {
  const char* name;
  const char* otherDriver;
  int otherVersion;
};

class DllSharedTest : public DllRemovalTest,
                      public ::testing::WithParamInterface<SharingCase> {};

TEST_P(DllSharedTest, DllListedByAnotherDriverIsKept) {
  SeedCurrentDriver({"QdRk.dll"});
  SeedOtherDriver(GetParam().otherDriver, {"qdrk.DLL"}, GetParam().otherVersion);

  EXPECT_TRUE(prn.DeleteDllIfNotUsed("QdRk.dll"));
  EXPECT_EQ(NewLog(), Lines({"Dll [QdRk.dll] is still used. We won't delete it!"}));
  EXPECT_TRUE(sim.Exists(DllPath("QdRk.dll")));
  EXPECT_TRUE((sim.SpoolerHistory()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, DllSharedTest,
    ::testing::Values(SharingCase{"SameArchitecture", "Model 90", 3},
                      SharingCase{"OnlyVersion2", "Model 90", 2},
                      // Not the driver being removed, whatever the case says.
                      SharingCase{"NameDiffersInCase", "MODEL 80 LABEL", 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DllRemovalTest, DllFreedAtThirdAttemptIsDeleted) {
  SeedCurrentDriver({"QdRk.dll"});
  sim.SetInUse(DllPath("QdRk.dll"), 2);

  EXPECT_TRUE(prn.DeleteDllIfNotUsed("QdRk.dll"));
  EXPECT_EQ(CountLog("File [C:\\Windows\\system32\\QdRk.dll] deleted!"), 1u);
  EXPECT_EQ(dlg.DeletedFiles, Lines({DllPath("QdRk.dll")}));
  EXPECT_TRUE((dlg.NotDeletedFiles).empty());
  // Before the stop, the stop itself, two failed attempts, the start.
  EXPECT_EQ(sim.Sleeps(), (std::vector<uint32_t>{1000u, 3000u, 1000u, 1000u, 1000u}));
}

struct UndeletableCase {
  const char* name;
  bool missing;
  int error;
};

class DllUndeletableTest : public DllRemovalTest,
                           public ::testing::WithParamInterface<UndeletableCase> {};

TEST_P(DllUndeletableTest, FiveAttemptsThenReportedNotDeleted) {
  SeedCurrentDriver({"QdRk.dll"});
  if (GetParam().missing) {
    // Gone before the step runs, as if another program had removed it.
    ASSERT_TRUE(sim.platform().files.RemoveFile(DllPath("QdRk.dll")).ok);
    sim.ClearCalls();
  } else {
    sim.SetInUse(DllPath("QdRk.dll"));
  }

  EXPECT_EQ(prn.DeleteDriverDlls(), kResultDllFailed);
  const std::string line = "File [C:\\Windows\\system32\\QdRk.dll] NOT deleted! Error " +
                           std::to_string(GetParam().error) + ".";
  EXPECT_EQ(CountLog(line), 1u);
  EXPECT_EQ(sim.CallsOf("RemoveFile").size(), 5u);
  EXPECT_EQ(dlg.NotDeletedFiles, Lines({DllPath("QdRk.dll")}));
  EXPECT_EQ(sim.SpoolerHistory(), Lines({"stop", "start"}));
  EXPECT_EQ(sim.Sleeps(), (std::vector<uint32_t>{1000u, 3000u, 1000u, 1000u, 1000u, 1000u, 1000u,
                                        1000u}));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DllUndeletableTest,
    ::testing::Values(UndeletableCase{"InUse", false, 32},
                      UndeletableCase{"Missing", true, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DllRemovalTest, SpoolerIsRestartedForEveryDeletedDll) {
  SeedCurrentDriver({"QdRk.dll", "QdNetVu.dll"});

  EXPECT_EQ(prn.DeleteDriverDlls(), kResultOk);
  EXPECT_EQ(sim.SpoolerHistory(), Lines({"stop", "start", "stop", "start"}));
  EXPECT_FALSE(sim.Exists(DllPath("QdRk.dll")));
  EXPECT_FALSE(sim.Exists(DllPath("QdNetVu.dll")));
  EXPECT_TRUE(sim.Exists(DllPath("QdRkTx.dll")));
}

TEST_F(DllRemovalTest, Version2ListIsReadOnlyWhenTheArchitectureKeyIsMissing) {
  SeedCurrentDriver({"QdRk.dll"}, 2);
  EXPECT_TRUE(prn.IsDllOfSelDriver("QdRk.dll"));

  // Readable under the architecture's key but without the DLL: not listed.
  sim::DriverSpec current;
  current.name = kDriver;
  current.manufacturer = kMaker;
  current.dependentFiles = {"model80.dll"};
  sim.AddDriver(current);
  EXPECT_FALSE(prn.IsDllOfSelDriver("QdRk.dll"));
}

TEST_F(DllRemovalTest, EmptyNameIsRefused) {
  EXPECT_FALSE(prn.DeleteDllIfNotUsed(""));
  EXPECT_EQ(NewLog(), Lines({"Dll name null! Impossible to delete a dll!"}));
}

}  // namespace
}  // namespace removal_test
