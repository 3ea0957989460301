#include <string>
#include <vector>

#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {


constexpr const char* kHardwareId = "USBPRINT\\MODEL80-1A2B";
constexpr const char* kBackupDir = "C:\\Windows\\system32\\spool\\drivers\\w32x86\\model80_1a2b";
constexpr const char* kDrvStore = "C:\\Windows\\system32\\DRVSTORE";
constexpr const char* kConsoleSettings = "Software\\Korvex\\QdConsole\\App. settings";
constexpr const char* kConsoleDir = "C:\\Program Files\\Korvex\\QdConsole";

struct NameCase {
  const char* hardwareId;
  const char* name;
};

class BackupNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(BackupNameTest, DerivesOneSafeComponent) {
  const std::string name = CRemoveDrvPrn::BackupDirectoryName(GetParam().hardwareId);
  EXPECT_EQ(name, GetParam().name);
  EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_"),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    HardwareIds, BackupNameTest,
    ::testing::Values(NameCase{kHardwareId, "model80_1a2b"},
                      NameCase{"VALUE_NOT_VALID", "value_not_valid"},
                      NameCase{"Office Label", "office_label"},
                      NameCase{"USBPRINT\\Vendor\\Model", "vendor_model"},
                      NameCase{"\\ROOT\\Model", "model"},
                      NameCase{"USBPRINT\\..\\..\\Windows", "______windows"},
                      NameCase{"USBPRINT\\Mod\xE9le", "mod_le"},
                      NameCase{"USBPRINT\\", ""},
                      NameCase{"", ""}));

class BackupCleanupTest : public RemovalTest {
 protected:
  void SetUp() override {
    Start(win::kProcessorArchitectureIntel);
    prn.CurrentPrinter.HardwareId = kHardwareId;
  }
  void AddBackupTree(const std::string& dir) {
    sim.AddFile(dir + "\\model80.dll", "MZ");
    sim.AddFile(dir + "\\model80.inf", std::string("[Models]\r\nModel 80=Inst,") + kHardwareId);
    sim.AddFile(dir + "\\sub\\model80.hlp", "help", win::kFileAttributeReadOnly);
  }
};

TEST_F(BackupCleanupTest, DeletesBackupDirectoryAndTheMatchingDrvStoreCopy) {
  AddBackupTree(kBackupDir);
  const std::string store = kDrvStore;
  AddBackupTree(store + "\\model80_0001");
  sim.AddFile(store + "\\model90_0001\\model90.inf", "[Models]\r\nModel 90=Inst,USBPRINT\\MODEL90");
  sim.AddFile(store + "\\notes\\readme.txt", kHardwareId);

  EXPECT_TRUE(prn.DeleteDrvBckupDir());
  EXPECT_FALSE(sim.Exists(kBackupDir));
  EXPECT_FALSE(sim.Exists(store + "\\model80_0001"));
  EXPECT_TRUE(sim.Exists(store + "\\model90_0001\\model90.inf"));
  EXPECT_TRUE(sim.Exists(store + "\\notes\\readme.txt"));
  EXPECT_EQ(CountLog(std::string("Try to delete [") + kBackupDir + "] dir and all sub-dir"), 1u);
  EXPECT_EQ(CountLog(std::string("[") + kBackupDir + "] directory and all sub-directory deleted!"),
            1u);
  EXPECT_EQ(CountLog("[" + store + "\\model80_0001] directory and all sub-directory deleted!"), 1u);
  EXPECT_EQ(CountLog("No backup directory found in [" + store + "]."), 0u);
  EXPECT_TRUE(Has(dlg.DeletedFiles, std::string(kBackupDir) + "\\sub\\model80.hlp"));
  EXPECT_TRUE((dlg.NotDeletedFiles).empty());
}

TEST_F(BackupCleanupTest, MissingBackupDirectoryIsAFailure) {
  EXPECT_FALSE(prn.DeleteDrvBckupDir());
  const std::string backup = kBackupDir;
  const std::vector<std::string> log = NewLog();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4), Lines({"Try to delete [" + backup + "] dir and all sub-dir",
                          "Impossible to get Path [" + backup + "\\].",
                          "Impossible to delete [" + backup + "] directory or sub-directory.",
                          std::string("Try to find if a backup directory is present into [") +
                              kDrvStore + "]."}));
  EXPECT_EQ(log.back(), std::string("No backup directory found in [") + kDrvStore + "].");
}

TEST_F(BackupCleanupTest, HardwareIdWithoutNameIsRefused) {
  prn.CurrentPrinter.HardwareId = "USBPRINT\\";
  EXPECT_FALSE(prn.DeleteDrvBckupDir());
  EXPECT_EQ(NewLog(), Lines({"DeleteDrvBckupDir: impossible to get HARDWARE ID for "
                                    "current printer. Backup directory name cannot be built."}));
}

TEST_F(BackupCleanupTest, FileInUseStopsTheTree) {
  AddBackupTree(kBackupDir);
  const std::string locked = std::string(kBackupDir) + "\\model80.dll";
  sim.SetInUse(locked);

  EXPECT_FALSE(prn.DeleteDirectoryTree(kBackupDir));
  EXPECT_TRUE(sim.Exists(locked));
  EXPECT_EQ(dlg.NotDeletedFiles, Lines({locked}));
  EXPECT_EQ(CountLog("Error! Impossible to delete file \"" + locked + "!\""), 1u);
}

TEST_F(BackupCleanupTest, LinksAreRemovedWithoutTouchingTheirTargets) {
  sim.AddFile("C:\\Keep\\important.txt", "keep");
  sim.AddFile("C:\\Data\\Tree\\a.txt", "a");
  sim.AddJunction("C:\\Data\\Tree\\link", "C:\\Keep");
  sim.AddJunction("C:\\Data\\TopLink", "C:\\Keep");

  EXPECT_TRUE(prn.DeleteDirectoryTree("C:\\Data\\Tree"));
  EXPECT_TRUE(prn.DeleteDirectoryTree("C:\\Data\\TopLink"));
  EXPECT_FALSE(sim.Exists("C:\\Data\\Tree"));
  EXPECT_FALSE(sim.Exists("C:\\Data\\TopLink"));
  EXPECT_TRUE(sim.Exists("C:\\Keep\\important.txt"));
}

TEST_F(BackupCleanupTest, EmptyPathIsRefused) {
  EXPECT_FALSE(prn.DeleteDirectoryTree(""));
  EXPECT_EQ(NewLog(), Lines({"File name or path not valid. Impossible to delete file"}));
}

class DriverStoreCopiesTest : public RemovalTest {
 protected:
  void SetUp() override { prn.CurrentPrinter.DriverStoreFolder = "prn.inf_amd64_neutral_1"; }
  const std::string temp = "C:\\Windows\\System32\\DriverStore\\Temp\\prn.inf_amd64_neutral_1";
  const std::string cabinet =
      "C:\\Windows\\system32\\spool\\drivers\\x64\\PCC\\prn.inf_amd64_neutral_1.cab";
};

TEST_F(DriverStoreCopiesTest, NothingPresentLogsAndRecordsNothing) {
  EXPECT_TRUE(prn.DeleteDriverStoreCopies());
  EXPECT_EQ(NewLog(), Lines({"File [" + temp + "] do not exist or error opening it",
                                    "File [" + cabinet + "] do not exist or error opening it",
                                    "Impossible to delete [" + cabinet + "] file."}));
  EXPECT_TRUE((dlg.DeletedFiles).empty());
  EXPECT_TRUE((dlg.NotDeletedFiles).empty());
}

TEST_F(DriverStoreCopiesTest, DeletesTemporaryCopyAndCabinet) {
  sim.AddFile(temp + "\\prn.inf", "[Version]");
  sim.AddFile(cabinet, "MSCF");

  EXPECT_TRUE(prn.DeleteDriverStoreCopies());
  EXPECT_FALSE(sim.Exists(temp));
  EXPECT_FALSE(sim.Exists(cabinet));
  EXPECT_EQ(dlg.DeletedFiles, Lines({temp + "\\prn.inf", cabinet}));
  EXPECT_EQ(CountLog("[" + cabinet + "] file deleted!"), 1u);
}

TEST_F(DriverStoreCopiesTest, FolderThatIsNotOneNameTouchesNothing) {
  sim.AddFile("C:\\Windows\\System32\\DriverStore\\keep.dat", "x");
  prn.CurrentPrinter.DriverStoreFolder = "..";
  EXPECT_TRUE(prn.DeleteDriverStoreCopies());
  EXPECT_TRUE(sim.Exists("C:\\Windows\\System32\\DriverStore\\keep.dat"));
  EXPECT_TRUE((sim.CallsOf("RemoveFile")).empty());
}

class ConsoleAppDirTest : public RemovalTest {
 protected:
  void SetPath(const std::string& path) {
    sim.SetString(RegRoot::CurrentUser, kConsoleSettings, "Path", path);
  }
};

TEST_F(ConsoleAppDirTest, NotInstalledIsSuccess) {
  EXPECT_TRUE(prn.DeleteConsoleAppDir());
  EXPECT_EQ(NewLog(), Lines({"Impossible read from [HKEY_CURRENT_USER\\Software\\Korvex\\"
                                    "QdConsole\\App. settings\\Path] key. Probably software is "
                                    "not installed"}));
}

TEST_F(ConsoleAppDirTest, EmptyPathIsAFailure) {
  SetPath("");
  EXPECT_FALSE(prn.DeleteConsoleAppDir());
  EXPECT_TRUE((NewLog()).empty());
}

TEST_F(ConsoleAppDirTest, DeletesDirectoryAndSettings) {
  SetPath(kConsoleDir);
  sim.AddFile(std::string(kConsoleDir) + "\\QdConsole.exe", "MZ");

  EXPECT_TRUE(prn.DeleteConsoleAppDir());
  EXPECT_FALSE(sim.Exists(kConsoleDir));
  EXPECT_TRUE(sim.Exists("C:\\Program Files\\Korvex"));
  EXPECT_FALSE(sim.KeyExists(RegRoot::CurrentUser, "Software\\Korvex\\QdConsole"));
  EXPECT_EQ(NewLog().back(),
            std::string("[") + kConsoleDir + "] directory and all sub-directory deleted!");
}

TEST_F(ConsoleAppDirTest, SystemFolderIsRefusedAndNothingChanges) {
  SetPath("C:\\WINDOWS\\");
  sim.AddFile("C:\\Windows\\notepad.exe", "MZ");

  EXPECT_FALSE(prn.DeleteConsoleAppDir());
  EXPECT_TRUE(sim.Exists("C:\\Windows\\notepad.exe"));
  EXPECT_TRUE(sim.KeyExists(RegRoot::CurrentUser, kConsoleSettings));
  EXPECT_EQ(NewLog(), Lines({"Directory [C:\\WINDOWS\\] NOT deleted: it is the Windows "
                                    "directory or lies inside it."}));
}

class ConsoleRefusalTest : public RemovalTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(ConsoleRefusalTest, IsRefused) {
  sim.AddJunction("C:\\Users\\me\\j", kWindows);
  sim.AddJunction("C:\\Program Files\\Korvex\\QdLink", "C:\\Users");
  EXPECT_NE(prn.RefuseConsoleAppDir(GetParam()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ConsoleRefusalTest,
    ::testing::Values("Korvex\\QdConsole", "C:QdConsole", "\\\\server\\share\\QdConsole",
                      "\\\\?\\C:\\Windows", "C:", "C:\\", "c:\\windows", "C:\\Windows\\System32",
                      "C:/Windows/Temp", "C:\\Windows.", "C:\\Windows\\\\", "C:\\Program Files",
                      "c:\\program files (x86)\\", "C:\\Users", "C:\\Documents and Settings",
                      "C:\\Program Files\\Korvex\\..\\..", "C:\\Program Files\\Korvex\\..",
                      "C:\\PROGRA~1", "C:\\Users\\me\\j\\Temp", "C:\\Program Files\\Korvex\\QdLink"));

class ConsoleAllowedTest : public RemovalTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(ConsoleAllowedTest, IsAllowed) { EXPECT_EQ(prn.RefuseConsoleAppDir(GetParam()), ""); }

INSTANTIATE_TEST_SUITE_P(Paths, ConsoleAllowedTest,
                         ::testing::Values(kConsoleDir, "C:\\Program Files\\Korvex\\QdConsole\\",
                                           "C:\\Users\\me\\QdConsole", "C:\\Windows2\\QdConsole",
                                           "D:\\Program Files"));

}  // namespace
}  // namespace removal_test
