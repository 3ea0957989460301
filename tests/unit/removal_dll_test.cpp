#include <functional>

#include "tests/unit/expected_lines.h"
#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {

constexpr const char* kDriver = "Model 80 Label";
const Lines kAllDlls = {"QdRk.dll", "QdVuRk.dll", "QdRkTx.dll", "QdVuRkTx.dll", "QdNetVu.dll"};

std::string DllPath(const std::string& name) { return "C:\\Windows\\system32\\" + name; }

class DllRemovalTest : public RemovalTest {
 protected:
  void AddDriver(const std::string& name, const Lines& dependentFiles, int version = 3) {
    sim::DriverSpec setup;
    setup.name = name;
    setup.manufacturer = kMaker;
    setup.dependentFiles = dependentFiles;
    setup.version = version;
    sim.AddDriver(setup);
  }
  // The driver being removed, and every DLL in the system directory.
  void SeedCurrentDriver(const Lines& dependentFiles) {
    AddDriver(kDriver, dependentFiles);
    for (const std::string& dll : kAllDlls) sim.AddFile(DllPath(dll), "MZ");
    prn.CurrentPrinter.DriverName = kDriver;
  }
};

TEST_F(DllRemovalTest, NothingListedKeepsEverythingAndLeavesTheSpoolerAlone) {
  SeedCurrentDriver({"model80.dll"});
  EXPECT_EQ(prn.DeleteDriverDlls(), kResultOk);
  Lines expected;
  for (const std::string& dll : kAllDlls) {
    expected.push_back("Dll [" + dll + "] not used! We won't delete it!");
  }
  EXPECT_EQ(NewLog(), expected);
  EXPECT_TRUE(sim.SpoolerHistory().empty());
  EXPECT_TRUE(sim.Sleeps().empty());
}

TEST_F(DllRemovalTest, FullPathEntriesCountOnlyForTheCurrentDriver) {
  // A substring is enough for the driver being removed; another driver keeps
  // the file only with an entry that is exactly the name.
  SeedCurrentDriver({DllPath("QdRk.dll"), DllPath("QdNetVu.dll")});
  AddDriver("Model 90", {DllPath("QdRk.dll")});

  EXPECT_EQ(prn.DeleteDriverDlls(), kResultOk);
  EXPECT_FALSE(sim.Exists(DllPath("QdRk.dll")));
  EXPECT_FALSE(sim.Exists(DllPath("QdNetVu.dll")));
  EXPECT_TRUE(sim.Exists(DllPath("QdRkTx.dll")));
  EXPECT_EQ(dlg.Record.DeletedFiles, Lines({DllPath("QdRk.dll"), DllPath("QdNetVu.dll")}));
  EXPECT_EQ(sim.SpoolerHistory(), Lines({"stop", "start", "stop", "start"}));
  EXPECT_EQ(CountLog("File [C:\\Windows\\system32\\QdRk.dll] deleted!"), 1u);
  EXPECT_TRUE(Has(StatusTexts(), "Removing [QdRk.dll] dll..."));
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
  AddDriver(GetParam().otherDriver, {"qdrk.DLL"}, GetParam().otherVersion);

  EXPECT_TRUE(prn.DeleteDllIfNotUsed("QdRk.dll"));
  EXPECT_EQ(NewLog(), Lines({"Dll [QdRk.dll] is still used. We won't delete it!"}));
  EXPECT_TRUE(sim.Exists(DllPath("QdRk.dll")));
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, DllSharedTest,
    ::testing::Values(SharingCase{"SameArchitecture", "Model 90", 3},
                      SharingCase{"OnlyVersion2", "Model 90", 2},
                      // Another driver, whatever the letter case says.
                      SharingCase{"NameDiffersInCase", "MODEL 80 LABEL", 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DllRemovalTest, DllFreedAtTheThirdAttemptIsDeleted) {
  SeedCurrentDriver({"QdRk.dll"});
  sim.SetInUse(DllPath("QdRk.dll"), 2);

  EXPECT_TRUE(prn.DeleteDllIfNotUsed("QdRk.dll"));
  EXPECT_EQ(NewLog(), Lines({expected::kStopSpooler, expected::kStopSpoolerOk,
                             "File [C:\\Windows\\system32\\QdRk.dll] deleted!",
                             expected::kStartSpooler, expected::kStartSpoolerOk}));
  EXPECT_EQ(dlg.Record.DeletedFiles, Lines({DllPath("QdRk.dll")}));
  // Before the stop, the stop, two failed attempts, the start.
  EXPECT_EQ(sim.Sleeps(), (std::vector<uint32_t>{1000, 3000, 1000, 1000, 1000}));
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
    ASSERT_TRUE(sim.platform().files.RemoveFile(DllPath("QdRk.dll")).ok);
    sim.ClearCalls();
  } else {
    sim.SetInUse(DllPath("QdRk.dll"));
  }

  EXPECT_EQ(prn.DeleteDriverDlls(), kResultDllFailed);
  EXPECT_EQ(CountLog("File [C:\\Windows\\system32\\QdRk.dll] NOT deleted! Error " +
                     std::to_string(GetParam().error) + "."),
            1u);
  EXPECT_EQ(sim.CallsOf("RemoveFile").size(), 5u);
  EXPECT_EQ(dlg.Record.NotDeletedFiles, Lines({DllPath("QdRk.dll")}));
  EXPECT_EQ(sim.SpoolerHistory(), Lines({"stop", "start"}));
}

INSTANTIATE_TEST_SUITE_P(Faults, DllUndeletableTest,
                         ::testing::Values(UndeletableCase{"InUse", false, 32},
                                           UndeletableCase{"Missing", true, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// Another driver's list that cannot be read keeps the DLL; only a missing key
// or value means that it lists nothing.
struct DoubtCase {
  const char* name;
  std::function<void(sim::SimWindows&, const std::string& driversKey)> fault;
  bool kept;
  const char* line;  // with %K for the drivers key; empty: no extra line
};

class DllDoubtTest : public DllRemovalTest, public ::testing::WithParamInterface<DoubtCase> {};

TEST_P(DllDoubtTest, KeepsTheDllUnlessTheListIsReallyMissing) {
  SeedCurrentDriver({"QdRk.dll"});
  AddDriver("Model 90", {"model90.dll"});
  AddDriver("Model 95", {"model95.dll"});
  GetParam().fault(sim, prn.EnvDriversKey);

  EXPECT_TRUE(prn.DeleteDllIfNotUsed("QdRk.dll"));

  EXPECT_EQ(sim.Exists(DllPath("QdRk.dll")), GetParam().kept);
  std::string line = GetParam().line;
  const size_t at = line.find("%K");
  if (at != std::string::npos) line.replace(at, 2, prn.EnvDriversKey);
  if (!line.empty()) {
    EXPECT_EQ(CountLog(line), 1u) << line;
  }
  if (GetParam().kept) {
    EXPECT_EQ(CountLog("Dll [QdRk.dll] is still used. We won't delete it!"), 1u);
    EXPECT_TRUE(sim.SpoolerHistory().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DllDoubtTest,
    ::testing::Values(
        DoubtCase{"DriversKeyDenied",
                  [](sim::SimWindows& s, const std::string& key) {
                    s.DenyOpen(RegRoot::LocalMachine, key);
                  },
                  true,
                  "Impossible to read HKEY_LOCAL_MACHINE\\%K key in IsDllStillUsedCheckReg! "
                  "Error 5. Dll [QdRk.dll] is kept."},
        DoubtCase{"EnumerationBreaksOff",
                  [](sim::SimWindows& s, const std::string&) {
                    s.FailWhere("EnumKey", "#1", win::kErrorAccessDenied);
                  },
                  true,
                  "The list of drivers under HKEY_LOCAL_MACHINE\\%K broke off at index 1 "
                  "(error 5): a driver that lists it may be unread. Dll [QdRk.dll] is kept."},
        DoubtCase{"OtherDriverKeyDenied",
                  [](sim::SimWindows& s, const std::string& key) {
                    s.DenyOpen(RegRoot::LocalMachine, key + "\\Model 90");
                  },
                  true,
                  "Impossible to read \"Dependent Files\" of HKEY_LOCAL_MACHINE\\%K\\Model "
                  "90! Error 5. Dll [QdRk.dll] is kept."},
        DoubtCase{"ValueOfWrongType",
                  [](sim::SimWindows& s, const std::string& key) {
                    s.SetString(RegRoot::LocalMachine, key + "\\Model 95", "Dependent Files",
                                "QdRk.dll");
                  },
                  true,
                  "\"Dependent Files\" of HKEY_LOCAL_MACHINE\\%K\\Model 95 is not a "
                  "multi-string (type 1). Dll [QdRk.dll] is kept."},
        DoubtCase{"ValueReadFails",
                  [](sim::SimWindows& s, const std::string&) {
                    s.FailWhere("QueryValue", "Model 95\\Dependent Files",
                                win::kErrorAccessDenied);
                  },
                  true,
                  "Impossible to read \"Dependent Files\" of HKEY_LOCAL_MACHINE\\%K\\Model "
                  "95! Error 5. Dll [QdRk.dll] is kept."},
        DoubtCase{"ValueMissing",
                  [](sim::SimWindows& s, const std::string& key) {
                    s.DeleteValue(RegRoot::LocalMachine, key + "\\Model 90", "Dependent Files");
                  },
                  false, ""},
        DoubtCase{"DriverKeyVanished",
                  [](sim::SimWindows& s, const std::string& key) {
                    s.DeleteKey(RegRoot::LocalMachine, key + "\\Model 95");
                  },
                  false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace removal_test
