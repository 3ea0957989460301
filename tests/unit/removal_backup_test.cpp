#include "tests/unit/expected_lines.h"
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
  EXPECT_TRUE(Has(dlg.Record.DeletedFiles, kBackupDir + "\\sub\\model80.hlp"));
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

// Two models whose ids are a prefix of one another: only the backups whose
// INF names this model's id whole go.
TEST_F(BackupCleanupTest, DrvStoreCopiesAreChosenByTheWholeId) {
  AddBackupTree(kBackupDir);
  AddBackupTree(kDrvStore + "\\model80_0001");
  sim.AddFile(kDrvStore + "\\model80x_0001\\x.inf",
              std::string("[Models]\r\nM=I,") + kHardwareId + "X\r\n");
  sim.AddFile(kDrvStore + "\\commented_0001\\c.inf",
              std::string("[Models]\r\nM=I,OTHER ; was ") + kHardwareId + "\r\n");

  EXPECT_TRUE(prn.DeleteDrvBckupDir());
  EXPECT_FALSE(sim.Exists(kDrvStore + "\\model80_0001"));
  EXPECT_TRUE(sim.Exists(kDrvStore + "\\model80x_0001\\x.inf"));
  EXPECT_TRUE(sim.Exists(kDrvStore + "\\commented_0001\\c.inf"));
}

struct RefusedBackup {
  const char* name;
  const char* hardwareId;
  const char* backupName;
  const char* nameReason;  // nullptr: the backup name is not refused
  const char* idReason;
};

class BackupRefusalTest : public BackupCleanupTest,
                          public ::testing::WithParamInterface<RefusedBackup> {};

// The spooler's own directories and backups of other products stay; what
// cannot be told apart is refused without counting as a failure.
TEST_P(BackupRefusalTest, KeepsWhatIsNotThisPrintersBackup) {
  const RefusedBackup& r = GetParam();
  prn.CurrentPrinter.HardwareId = r.hardwareId;
  const std::string spoolerDir =
      std::string("C:\\Windows\\system32\\spool\\drivers\\w32x86\\") + r.backupName;
  sim.AddFile(spoolerDir + "\\unidrv.dll", "MZ");
  const std::string storeInf = kDrvStore + "\\other_0001\\other.inf";
  sim.AddFile(storeInf, std::string("M=I,") + r.hardwareId + "-B\r\n");

  EXPECT_TRUE(prn.DeleteDrvBckupDir());

  EXPECT_EQ(sim.Exists(spoolerDir + "\\unidrv.dll"), r.nameReason != nullptr);
  EXPECT_TRUE(sim.Exists(storeInf));
  if (r.nameReason != nullptr) {
    EXPECT_EQ(CountLog("Backup directory [" + spoolerDir + "] not deleted: " + r.nameReason + "."),
              1u);
  }
  if (r.idReason != nullptr) {
    EXPECT_EQ(CountLog("Backup directories of [" + kDrvStore + "] not searched for hardware id [" +
                       r.hardwareId + "]: " + r.idReason + "."),
              1u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, BackupRefusalTest,
    ::testing::Values(
        RefusedBackup{"VersionDirectory", "USBPRINT\\3", "3",
                      "it is made only of digits or underscores, as the spooler's version "
                      "directories are",
                      "fewer than 4 characters follow its last backslash"},
        RefusedBackup{"DigitsAndUnderscores", "USBPRINT\\3\\0001", "3_0001",
                      "it is made only of digits or underscores, as the spooler's version "
                      "directories are",
                      "only digits follow its last backslash"},
        RefusedBackup{"ColorDirectory", "USBPRINT\\COLOR", "color",
                      "it is one of the spooler's own directories", nullptr},
        RefusedBackup{"ArchitectureDirectory", "USBPRINT\\W32X86", "w32x86",
                      "it is one of the spooler's own directories", nullptr},
        RefusedBackup{"NotReadId", "VALUE_NOT_VALID", "value_not_valid", nullptr,
                      "it could not be read"}),
    [](const auto& info) { return std::string(info.param.name); });

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
  EXPECT_TRUE(dlg.Record.DeletedFiles.empty());
  EXPECT_TRUE(dlg.Record.NotDeletedFiles.empty());
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

  EXPECT_TRUE(sim.CallsOf("TakeOwnership").empty());
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
  EXPECT_EQ(NewLog(), Lines({"Directory [C:\\WINDOWS\\] NOT deleted: it is a shell or "
                             "system folder or lies above one."}));
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
  EXPECT_EQ(CountLog(expected::UserRegistryLinkLine(link)),
            1u);
}

INSTANTIATE_TEST_SUITE_P(Keys, ConsoleKeyLinkTest,
                         ::testing::Values("Software\\Korvex", "Software\\Korvex\\QdConsole",
                                           kConsoleSettings));

struct ConsolePathCase {
  const char* path;
  const char* refusal;  // the start of the reason, or "" when it may go
};

class ConsolePathTest : public RemovalTest,
                        public ::testing::WithParamInterface<ConsolePathCase> {
 protected:
  void SetUp() override {
    for (const char* dir :
         {"C:\\Program Files\\Korvex\\QdConsole", "C:\\Program Files (x86)\\Korvex\\QdConsole",
          "C:\\Program Files\\Common Files", "C:\\Users\\User\\AppData\\Roaming\\Korvex\\QdConsole",
          "C:\\Users\\User\\AppData\\Local\\Korvex", "C:\\Users\\User\\Documents",
          "C:\\Windows\\system32", "C:\\Windows\\Korvex", "C:\\Tools\\QdConsole",
          "D:\\Program Files\\QdConsole", "C:\\ProgramData\\Korvex"}) {
      sim.AddFile(std::string(dir) + "\\x.dat", "x");
    }
    sim.AddJunction("C:\\Users\\User\\AppData\\Roaming\\j", "C:\\Windows");
    sim.AddJunction("C:\\Program Files\\Korvex\\QdLink", "C:\\Users");
  }
};

TEST_P(ConsolePathTest, DeletesOnlyAnApplicationFolderBelowTheAllowedOnes) {
  const std::string refusal = prn.RefuseConsoleAppDir(GetParam().path);
  if (*GetParam().refusal == '\0') {
    EXPECT_EQ(refusal, "");
  } else {
    EXPECT_EQ(refusal.rfind(GetParam().refusal, 0), 0u) << refusal;
  }
}

constexpr const char* kShell = "it is a shell or system folder or lies above one";
constexpr const char* kElsewhere = "it lies neither below Program Files nor below";
constexpr const char* kNotAbsolute = "it is not an absolute path on a drive";
constexpr const char* kLink = "it is or lies below a junction or symbolic link";

INSTANTIATE_TEST_SUITE_P(
    Paths, ConsolePathTest,
    ::testing::Values(
        ConsolePathCase{kConsoleDir, ""},
        ConsolePathCase{"c:\\program files\\korvex\\qdconsole\\", ""},
        ConsolePathCase{"C:/Program Files (x86)/Korvex/QdConsole", ""},
        ConsolePathCase{"C:\\Users\\User\\AppData\\Roaming\\Korvex\\QdConsole", ""},
        ConsolePathCase{"C:\\Users\\User\\AppData\\Local\\Korvex", ""},
        ConsolePathCase{"C:\\Program Files\\Korvex", ""},
        ConsolePathCase{"C:\\Program Files", kShell},
        ConsolePathCase{"c:\\program files (x86)\\", kShell},
        ConsolePathCase{"C:\\Program Files\\Common Files", kShell},
        ConsolePathCase{"C:\\Users\\User\\AppData\\Roaming", kShell},
        ConsolePathCase{"C:\\Users\\User\\AppData", kShell},
        ConsolePathCase{"C:\\Users\\User", kShell},
        ConsolePathCase{"C:\\Users", kShell},
        ConsolePathCase{"C:\\Windows.", kShell},
        ConsolePathCase{"C:/Windows/System32", kShell},
        ConsolePathCase{"C:\\Windows\\Korvex", kElsewhere},
        ConsolePathCase{"C:\\Tools\\QdConsole", kElsewhere},
        ConsolePathCase{"D:\\Program Files\\QdConsole", kElsewhere},
        ConsolePathCase{"C:\\ProgramData\\Korvex", kElsewhere},
        ConsolePathCase{"C:\\Program Files\\Korvex\\QdConsole:stream",
                        "it has a colon after the drive letter"},
        ConsolePathCase{"C:\\Program Files\\Korvex\\Qd*", "it holds wildcard characters"},
        ConsolePathCase{"Korvex\\QdConsole", kNotAbsolute},
        ConsolePathCase{"C:QdConsole", kNotAbsolute},
        ConsolePathCase{"\\\\server\\share\\QdConsole", kNotAbsolute},
        ConsolePathCase{"\\\\?\\C:\\Windows", "it holds wildcard characters"},
        ConsolePathCase{"C:\\", "it is a drive root"},
        ConsolePathCase{"C:\\Program Files\\Korvex\\..\\..", "it contains \"..\" components"},
        ConsolePathCase{"C:\\Users\\User\\AppData\\Roaming\\j\\Temp", kLink},
        ConsolePathCase{"C:\\Program Files\\Korvex\\QdLink", kLink},
        ConsolePathCase{"C:\\Program Files\\Korvex\\Missing",
                        "it cannot be opened as a directory (error 2)"}));

// A shell folder moved into the application's folder, by its name or behind
// a junction: the application's folder now holds it and stays.
TEST_F(ConsolePathTest, FolderAboveARedirectedShellFolderIsKept) {
  sim.AddFile("C:\\Program Files\\Korvex\\Docs\\letter.txt", "x");
  sim.SetFolderPath(SystemFolder::Documents, "C:\\PROGRAM FILES\\KORVEX\\DOCS");
  EXPECT_EQ(prn.RefuseConsoleAppDir("C:\\Program Files\\Korvex"), kShell);
  sim.AddJunction("C:\\DocsLink", "C:\\Program Files\\Korvex\\Docs");
  sim.SetFolderPath(SystemFolder::Documents, "C:\\DocsLink");
  EXPECT_EQ(prn.RefuseConsoleAppDir("C:\\Program Files\\Korvex"), kShell);
}

TEST_F(ConsolePathTest, UnknownApplicationFoldersAllowNothing) {
  for (SystemFolder folder : {SystemFolder::ProgramFiles, SystemFolder::ProgramFilesX86,
                              SystemFolder::ProgramFilesX64, SystemFolder::RoamingAppData,
                              SystemFolder::LocalAppData}) {
    sim.SetFolderPath(folder, "");
  }
  EXPECT_EQ(prn.RefuseConsoleAppDir(kConsoleDir).rfind(kElsewhere, 0), 0u);
}

// The tree deletion looks again where it enters: what replaced the checked
// directory since is not deleted, and a link in its place goes as a link.
TEST_F(ConsolePathTest, DirectorySwappedAfterTheCheckIsNotFollowed) {
  const std::string dir = kConsoleDir;
  DirectoryIdentity checked;
  ASSERT_EQ(prn.RefuseConsoleAppDir(dir, &checked), "");

  ASSERT_TRUE(sim.platform().files.RemoveFile(dir + "\\x.dat").ok);
  ASSERT_TRUE(sim.platform().files.RemoveDir(dir).ok);
  sim.AddFile(dir + "\\other.dat", "x");
  EXPECT_FALSE(prn.DeleteDirectoryTree(dir, &checked));
  EXPECT_TRUE(sim.Exists(dir + "\\other.dat"));
  EXPECT_EQ(CountLog("[" + dir + "] is no longer the directory that was checked: NOT deleted."),
            1u);

  ASSERT_TRUE(sim.platform().files.RemoveFile(dir + "\\other.dat").ok);
  ASSERT_TRUE(sim.platform().files.RemoveDir(dir).ok);
  sim.AddJunction(dir, "C:\\Windows");
  EXPECT_TRUE(prn.DeleteDirectoryTree(dir, &checked));
  EXPECT_FALSE(sim.Exists(dir));
  EXPECT_TRUE(sim.Exists("C:\\Windows\\system32\\x.dat"));
}

}  // namespace
}  // namespace removal_test
