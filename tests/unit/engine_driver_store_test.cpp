#include <string>
#include <vector>

#include "tests/unit/engine_fixture.h"

namespace engine_test {
namespace {

constexpr const char* kOemInf = "C:\\Windows\\inf\\oem12.inf";
constexpr const char* kPackage = "abc.inf_amd64_neutral_0123456789abcdef";
const std::string kStoreInf = "C:\\Windows\\System32\\DriverStore\\FileRepository\\" +
                              std::string(kPackage) + "\\abc.inf";
const std::string kTempDir =
    "C:\\Windows\\System32\\DriverStore\\Temp\\" + std::string(kPackage);
const std::string kCabinet =
    "C:\\Windows\\system32\\spool\\drivers\\x64\\PCC\\" + std::string(kPackage) + ".cab";

std::string Missing(const std::string& path) {
  return "File [" + path + "] do not exist or error opening it";
}

using DriverStoreTest = EngineTest;

TEST_F(DriverStoreTest, RemovesThePackageThenItsTempCopyAndCabinet) {
  sim.AddPackage(kOemInf, kStoreInf);
  sim.AddFile(kTempDir + "\\abc.inf");
  sim.AddFile(kTempDir + "\\sub\\abc.dll", "", win::kFileAttributeReadOnly);
  sim.AddFile(kCabinet);
  FileList infs{kOemInf};

  EXPECT_TRUE(engine.CleanDriverStore(infs));

  EXPECT_TRUE(infs.empty());
  EXPECT_FALSE(sim.PackageExists(kStoreInf));
  EXPECT_FALSE(sim.Exists(kTempDir));
  EXPECT_FALSE(sim.Exists(kCabinet));
  const auto taken = sim.CallsOf("TakeOwnership");
  ASSERT_FALSE(taken.empty());
  EXPECT_EQ(taken.front(), kTempDir);
  EXPECT_TRUE(InOrder(Log(), {"[" + kTempDir + "] file exists!",
                              "[" + kTempDir + "] directory and all sub-directory deleted!",
                              "[" + kCabinet + "] file exists!",
                              "[" + kCabinet + "] file deleted!",
                              "File " + kCabinet + " deleted!!"}));
}

struct StorePathCase {
  const char* name;
  uint16_t architecture;
  std::string storeInf;
  std::vector<std::string> lines;  // the names acted on, in order
  std::string ownershipOf;         // empty: no tool started
};

class DriverStoreNamesTest : public EngineTest,
                             public ::testing::WithParamInterface<StorePathCase> {};

TEST_P(DriverStoreNamesTest, DerivesTheTempDirectoryAndCabinetPath) {
  const StorePathCase& c = GetParam();
  UseArchitecture(c.architecture);
  sim.AddPackage(kOemInf, c.storeInf);
  FileList infs{kOemInf};

  (void)engine.CleanDriverStore(infs);

  EXPECT_TRUE(InOrder(Log(), c.lines));
  const auto tried = sim.CallsOf("GetAttributes");
  if (c.ownershipOf.empty()) {
    EXPECT_TRUE(sim.CallsOf("TakeOwnership").empty());
  } else {
    // The Temp copy does not exist here: its ownership is looked for only.
    ASSERT_FALSE(tried.empty());
    EXPECT_EQ(tried.front(), c.ownershipOf);
  }
}

INSTANTIATE_TEST_SUITE_P(
    StorePaths, DriverStoreNamesTest,
    ::testing::Values(
        StorePathCase{"X64", win::kProcessorArchitectureAmd64, kStoreInf,
                      {Missing(kTempDir), Missing(kCabinet)}, kTempDir},
        StorePathCase{"TrailingBackslash", win::kProcessorArchitectureAmd64, kStoreInf + "\\",
                      {Missing(kTempDir), Missing(kCabinet)}, kTempDir},
        StorePathCase{
            "X86", win::kProcessorArchitectureIntel,
            "C:\\Windows\\System32\\DriverStore\\FileRepository\\abc.inf_x86_neutral_1\\abc.inf",
            {Missing("C:\\Windows\\System32\\DriverStore\\Temp\\abc.inf_x86_neutral_1"),
             Missing("C:\\Windows\\system32\\spool\\drivers\\w32x86\\PCC\\abc.inf_x86_neutral_1.cab")},
            "C:\\Windows\\System32\\DriverStore\\Temp\\abc.inf_x86_neutral_1"},
        StorePathCase{
            "WindowsTwoLevelsDown", win::kProcessorArchitectureAmd64,
            "D:\\OS\\Windows\\System32\\DriverStore\\FileRepository\\abc.inf_1\\abc.inf",
            {"Cannot proceed to delete DriverStore\\TEMP\\packName directory: dir name "
             "D:\\OS\\Windows\\System32\\DriverStore\\Temp\\abc.inf_1 is supposed to be incorrect.",
             Missing("D:\\OS\\system32\\spool\\drivers\\x64\\PCC\\abc.inf_1.cab")},
            ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DriverStoreTest, RepositoryNameInAnotherLetterCaseStillLeadsToTheTempCopy) {
  const std::string package =
      "C:\\Windows\\System32\\DriverStore\\filerepository\\abc.inf_amd64_1";
  sim.AddPackage(kOemInf, package + "\\abc.inf");
  sim.AddFile(package + "\\abc.dll");
  const std::string temp = "C:\\Windows\\System32\\DriverStore\\Temp\\abc.inf_amd64_1";
  sim.AddFile(temp + "\\abc.dll");
  FileList infs{kOemInf};
  sim.FailUninstall(package + "\\abc.inf", win::kErrorAccessDenied);

  (void)engine.CleanDriverStore(infs);

  const auto taken = sim.CallsOf("TakeOwnership");
  ASSERT_FALSE(taken.empty());
  EXPECT_EQ(taken.front(), temp);
  EXPECT_FALSE(sim.Exists(temp + "\\abc.dll"));
  EXPECT_TRUE(sim.Exists(package + "\\abc.dll"));
}

// Store paths that would point the ownership commands and the deletion at
// the package itself or at more than one folder.
class DriverStoreRefusedPathTest : public EngineTest,
                                   public ::testing::WithParamInterface<const char*> {};

TEST_P(DriverStoreRefusedPathTest, TakesNoOwnershipAndDeletesNothing) {
  const std::string storeInf = GetParam();
  sim.AddPackage(kOemInf, storeInf);
  sim.FailUninstall(storeInf, win::kErrorAccessDenied);
  sim.AddFile(kTempDir + "\\abc.inf");
  FileList infs{kOemInf};

  (void)engine.CleanDriverStore(infs);

  EXPECT_TRUE(sim.CallsOf("TakeOwnership").empty());
  EXPECT_TRUE(sim.Exists(storeInf));
  EXPECT_TRUE(sim.Exists(kTempDir + "\\abc.inf"));
  EXPECT_TRUE(InOrder(Log(), {"Driver store path [" + storeInf +
                              "] is not a package folder of the driver store: its Temp "
                              "directory and .cab file are not deleted."}));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DriverStoreRefusedPathTest,
    ::testing::Values("C:\\Windows\\System32\\DriverStore\\Packages\\abc.inf_1\\abc.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\abc*\\abc.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\ab?\\abc.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\ab<c\\abc.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\abc:s\\abc.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\abc.\\abc.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\abc \\abc.inf",
                      "C:\\Windows\\System32\\DriverStore\\FILEREPOSITORY\\"
                      "filerepository\\abc.inf"));

TEST_F(DriverStoreTest, FileInUseInTheTempCopyIsLoggedAndDoesNotChangeTheResult) {
  sim.AddPackage(kOemInf, kStoreInf);
  sim.AddFile(kTempDir + "\\abc.dll");
  sim.SetInUse(kTempDir + "\\abc.dll");
  FileList infs{kOemInf};

  EXPECT_TRUE(engine.CleanDriverStore(infs));

  EXPECT_TRUE(sim.Exists(kTempDir + "\\abc.dll"));
  EXPECT_TRUE(InOrder(Log(), {"Error! Impossible to delete file \"" + kTempDir +
                                  "\\abc.dll!\". Error 32",
                              "Impossible to delete [" + kTempDir +
                                  "] directory or sub-directory.",
                              "Error! Impossible to delete file \"" + kTempDir + "!\"",
                              Missing(kCabinet)}));
}

TEST_F(DriverStoreTest, EmptyInfListDeletesNothing) {
  sim.AddFile(kTempDir + "\\abc.inf");
  sim.AddFile(kCabinet);
  FileList infs;

  EXPECT_TRUE(engine.CleanDriverStore(infs));

  EXPECT_TRUE(sim.Exists(kTempDir + "\\abc.inf"));
  EXPECT_TRUE(sim.Exists(kCabinet));
  EXPECT_TRUE(sim.CallsOf("TakeOwnership").empty());
}

}  // namespace
}  // namespace engine_test
