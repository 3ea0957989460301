#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {

constexpr const char* kHardwareId = "USBPRINT\\MODEL80-1A2B";
const std::string kBackupDir = "C:\\Windows\\system32\\spool\\drivers\\w32x86\\model80_1a2b";
const std::string kDrvStore = "C:\\Windows\\system32\\DRVSTORE";
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
  EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_"), std::string::npos);
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
                      NameCase{"USBPRINT\\", ""}));

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

TEST_F(BackupCleanupTest, DeletesBackupDirectoryAndOnlyTheMatchingDrvStoreCopy) {
  AddBackupTree(kBackupDir);
  AddBackupTree(kDrvStore + "\\model80_0001");
  sim.AddFile(kDrvStore + "\\model90_0001\\model90.inf", "[Models]\r\nM=I,USBPRINT\\MODEL90");
  sim.AddFile(kDrvStore + "\\notes\\readme.txt", kHardwareId);

  EXPECT_TRUE(prn.DeleteDrvBckupDir());
  EXPECT_FALSE(sim.Exists(kBackupDir));
  EXPECT_FALSE(sim.Exists(kDrvStore + "\\model80_0001"));
  EXPECT_TRUE(sim.Exists(kDrvStore + "\\model90_0001\\model90.inf"));
  EXPECT_TRUE(sim.Exists(kDrvStore + "\\notes\\readme.txt"));
  EXPECT_EQ(CountLog("[" + kBackupDir + "] directory and all sub-directory deleted!"), 1u);
  EXPECT_EQ(CountLog("[" + kDrvStore + "\\model80_0001] directory and all sub-directory deleted!"),
            1u);
  EXPECT_EQ(CountLog("No backup directory found in [" + kDrvStore + "]."), 0u);
  EXPECT_TRUE(Has(dlg.DeletedFiles, kBackupDir + "\\sub\\model80.hlp"));
}

TEST_F(BackupCleanupTest, MissingBackupDirectoryIsAFailure) {
  EXPECT_FALSE(prn.DeleteDrvBckupDir());
  const Lines log = NewLog();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(Lines(log.begin(), log.begin() + 3),
            Lines({"Try to delete [" + kBackupDir + "] dir and all sub-dir",
                   "Impossible to get Path [" + kBackupDir + "\\].",
                   "Impossible to delete [" + kBackupDir + "] directory or sub-directory."}));
  EXPECT_EQ(log.back(), "No backup directory found in [" + kDrvStore + "].");
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

TEST_F(BackupCleanupTest, EveryEntryIsExaminedByName) {
  // A drive root lists no "." entry first; nothing may be passed over.
  sim.AddFile("E:\\a.txt", "a");
  sim.AddFile("E:\\b.txt", "b");
  EXPECT_FALSE(prn.DeleteDirectoryTree("E:"));  // the root itself stays
  EXPECT_FALSE(sim.Exists("E:\\a.txt"));
  EXPECT_FALSE(sim.Exists("E:\\b.txt"));
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
  EXPECT_TRUE(dlg.DeletedFiles.empty());
  EXPECT_TRUE(dlg.NotDeletedFiles.empty());
}

TEST_F(DriverStoreCopiesTest, FolderThatIsNotOneNameTouchesNothing) {
  sim.AddFile("C:\\Windows\\System32\\DriverStore\\keep.dat", "x");
  prn.CurrentPrinter.DriverStoreFolder = "..";
  EXPECT_TRUE(prn.DeleteDriverStoreCopies());
  EXPECT_TRUE(sim.Exists("C:\\Windows\\System32\\DriverStore\\keep.dat"));
  EXPECT_TRUE(sim.CallsOf("RemoveFile").empty());
}

class DriverStoreFolderTest : public DriverStoreCopiesTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(DriverStoreFolderTest, UnsafeNameIsRefusedBeforeOwnershipIsTaken) {
  const std::string folder = GetParam();
  sim.AddFile(temp + "\\prn.dll", "MZ");
  sim.AddFile(cabinet, "cab");
  prn.CurrentPrinter.DriverStoreFolder = folder;

  EXPECT_TRUE(prn.DeleteDriverStoreCopies());

  EXPECT_TRUE(sim.Processes().empty());
  EXPECT_TRUE(sim.Exists(temp + "\\prn.dll"));
  EXPECT_TRUE(sim.Exists(cabinet));
  EXPECT_EQ(CountLog("Driver store folder [" + folder +
                     "] holds wildcard characters, a colon or trailing dots or spaces. No "
                     "ownership taken; temporary copy and cabinet file not deleted."),
            1u);
}

INSTANTIATE_TEST_SUITE_P(Names, DriverStoreFolderTest,
                         ::testing::Values("prn.inf_amd64_*", "prn.inf_amd64_neutral_?",
                                           "prn<", "prn.inf\"", "prn.inf_amd64_neutral_1:s",
                                           "prn.inf_amd64_neutral_1.", "prn.inf_amd64_neutral_1 ",
                                           "prn|x", "prn\tx"));

class ConsoleAppDirTest : public RemovalTest {
 protected:
  void SetPath(const std::string& path) {
    sim.SetString(RegRoot::CurrentUser, kConsoleSettings, "Path", path);
  }
};

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

class ConsoleKeyLinkTest : public ConsoleAppDirTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(ConsoleKeyLinkTest, LinkIsDeletedAndNoDirectoryIsReadThroughIt) {
  const std::string link = GetParam();
  const std::string other = "Software\\Other";
  sim.SetString(RegRoot::CurrentUser, other, "Path", kConsoleDir);
  sim.SetString(RegRoot::CurrentUser, other + "\\App. settings", "Path", kConsoleDir);
  sim.SetString(RegRoot::CurrentUser, other + "\\QdConsole\\App. settings", "Path", kConsoleDir);
  sim.CreateKey(RegRoot::CurrentUser, "Software\\Korvex\\QdConsole");
  sim.AddRegistryLink(RegRoot::CurrentUser, link, RegRoot::CurrentUser, other);
  sim.AddFile(std::string(kConsoleDir) + "\\QdConsole.exe", "MZ");

  EXPECT_FALSE(prn.DeleteConsoleAppDir());

  EXPECT_TRUE(sim.Exists(std::string(kConsoleDir) + "\\QdConsole.exe"));
  EXPECT_EQ(sim.GetString(RegRoot::CurrentUser, other, "Path"), kConsoleDir);
  EXPECT_EQ(sim.GetString(RegRoot::CurrentUser, other + "\\App. settings", "Path"), kConsoleDir);
  EXPECT_FALSE(sim.KeyExists(RegRoot::CurrentUser, link));
  EXPECT_EQ(CountLog("Key [HKEY_CURRENT_USER\\" + link +
                     "] is a registry link: only the link is deleted, the key it points to "
                     "stays."),
            1u);
}

INSTANTIATE_TEST_SUITE_P(Keys, ConsoleKeyLinkTest,
                         ::testing::Values("Software\\Korvex", "Software\\Korvex\\QdConsole",
                                           kConsoleSettings));

struct ConsolePathCase {
  const char* path;
  bool refused;
};

class ConsolePathTest : public RemovalTest,
                        public ::testing::WithParamInterface<ConsolePathCase> {};

TEST_P(ConsolePathTest, RefusesWhatIsNotAnOrdinaryFolder) {
  sim.AddJunction("C:\\Users\\me\\j", "C:\\Windows");
  sim.AddJunction("C:\\Program Files\\Korvex\\QdLink", "C:\\Users");
  EXPECT_EQ(!prn.RefuseConsoleAppDir(GetParam().path).empty(), GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ConsolePathTest,
    ::testing::Values(
        ConsolePathCase{kConsoleDir, false}, ConsolePathCase{"C:\\Users\\me\\QdConsole\\", false},
        ConsolePathCase{"C:\\Windows2\\QdConsole", false}, ConsolePathCase{"D:\\Program Files", false},
        ConsolePathCase{"Korvex\\QdConsole", true}, ConsolePathCase{"C:QdConsole", true},
        ConsolePathCase{"\\\\server\\share\\QdConsole", true},
        ConsolePathCase{"\\\\?\\C:\\Windows", true}, ConsolePathCase{"C:\\", true},
        ConsolePathCase{"c:\\windows", true}, ConsolePathCase{"C:/Windows/System32", true},
        ConsolePathCase{"C:\\Windows.", true}, ConsolePathCase{"C:\\Program Files", true},
        ConsolePathCase{"c:\\program files (x86)\\", true}, ConsolePathCase{"C:\\Users", true},
        ConsolePathCase{"C:\\Documents and Settings", true},
        ConsolePathCase{"C:\\Program Files\\Korvex\\..\\..", true},
        ConsolePathCase{"C:\\PROGRA~1", true}, ConsolePathCase{"C:\\Users\\me\\j\\Temp", true},
        ConsolePathCase{"C:\\Program Files\\Korvex\\QdLink", true}));

}  // namespace
}  // namespace removal_test
