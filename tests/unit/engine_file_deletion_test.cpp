#include <string>
#include <vector>

#include "tests/unit/engine_fixture.h"

namespace engine_test {
namespace {

constexpr const char* kTree = "C:\\Data\\Tree";
constexpr const char* kFindNextLine =
    "** CDeviceService::DeleteDirectory(..): dopo FindNextFile si.";
constexpr const char* kIsDotLine =
    "** CDeviceService::DeleteDirectory(..): dopo IsDot si.";
constexpr const char* kPathLine =
    "** CDeviceService::DeleteDirectory(..): dopo costruz stringa si.";

std::string In(const std::string& name) { return std::string(kTree) + "\\" + name; }

using FileDeletionTest = EngineTest;

TEST_F(FileDeletionTest, RecordDeletionOfADeletedFileLogsListsAndAnnouncesIt) {
  FileList deleted, notDeleted;
  engine.RecordDeletion("C:\\x\\a.dll", true, 0, &deleted, &notDeleted);
  engine.RecordDeletion("C:\\x\\b.dll", true, 0, nullptr, nullptr);

  EXPECT_EQ(Log(), (std::vector<std::string>{"File C:\\x\\a.dll deleted!!",
                                             "File C:\\x\\b.dll deleted!!"}));
  EXPECT_EQ(deleted, FileList{"C:\\x\\a.dll"});
  EXPECT_TRUE(notDeleted.empty());
  EXPECT_EQ(engine.GetStatusText(), "Deleting [C:\\x\\b.dll] file...");
  EXPECT_EQ(StatusNotices(), 2u);
}

TEST_F(FileDeletionTest, RecordDeletionFailureLinesShowTheCodeOnlyWhenThereIsOne) {
  FileList deleted, notDeleted;
  engine.RecordDeletion("C:\\x\\a.dll", false, win::kErrorAccessDenied, &deleted,
                        &notDeleted);
  engine.RecordDeletion("C:\\x\\b.dll", false, 0, &deleted, &notDeleted);

  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "Error! Impossible to delete file \"C:\\x\\a.dll!\". Error 5",
                       "Error! Impossible to delete file \"C:\\x\\b.dll!\""}));
  EXPECT_TRUE(deleted.empty());
  EXPECT_EQ(notDeleted, (FileList{"C:\\x\\a.dll", "C:\\x\\b.dll"}));
  EXPECT_EQ(engine.GetStatusText(), "");
  EXPECT_EQ(StatusNotices(), 0u);
}

struct ExistsCase {
  const char* name;
  std::string path;
  bool seeded;
  bool expected;
  bool logged;
};

class FileExistsTest : public EngineTest,
                       public ::testing::WithParamInterface<ExistsCase> {};

TEST_P(FileExistsTest, AnswersAndLogsMisses) {
  const ExistsCase& c = GetParam();
  if (c.seeded) sim.AddFile(c.path);
  sim.AddDir("C:\\Data\\Dir");

  EXPECT_EQ(engine.FileExists(c.path), c.expected);
  const std::vector<std::string> expectedLog =
      c.logged ? std::vector<std::string>{"File [" + c.path +
                                          "] do not exist or error opening it"}
               : std::vector<std::string>{};
  EXPECT_EQ(Log(), expectedLog);
}

// "C:\Data\" is 8 characters.
const std::string kLongest = "C:\\Data\\" + std::string(CDeviceService::kMaxPath - 9, 'n');
const std::string kTooLong = "C:\\Data\\" + std::string(CDeviceService::kMaxPath - 8, 'n');

INSTANTIATE_TEST_SUITE_P(
    Paths, FileExistsTest,
    ::testing::Values(ExistsCase{"Directory", "C:\\Data\\Dir", false, true, false},
                      ExistsCase{"File", "C:\\Data\\a.txt", true, true, false},
                      ExistsCase{"Missing", "C:\\Data\\none.txt", false, false, true},
                      ExistsCase{"Empty", "", false, false, false},
                      ExistsCase{"LongestPath", kLongest, true, true, false},
                      ExistsCase{"PathOfMaxPathCharacters", kTooLong, true, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileDeletionTest, DeleteInfFilesRecordsEachFileAndItsPnfSeparately) {
  sim.AddFile("C:\\Windows\\inf\\oem1.inf");
  sim.AddFile("C:\\Windows\\inf\\oem1.pnf");
  sim.AddFile("C:\\Windows\\inf\\oem2.INF");
  FileList infs{"C:\\Windows\\inf\\oem1.inf", "C:\\Windows\\inf\\oem2.INF"};
  FileList deleted, notDeleted;

  EXPECT_FALSE(engine.DeleteInfFiles(infs, &deleted, &notDeleted));

  EXPECT_TRUE(infs.empty());
  EXPECT_EQ(deleted, (FileList{"C:\\Windows\\inf\\oem1.inf", "C:\\Windows\\inf\\oem1.pnf",
                               "C:\\Windows\\inf\\oem2.INF"}));
  EXPECT_EQ(notDeleted, FileList{"C:\\Windows\\inf\\oem2.pnf"});
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "File C:\\Windows\\inf\\oem1.inf deleted!!",
                       "File C:\\Windows\\inf\\oem1.pnf deleted!!",
                       "File C:\\Windows\\inf\\oem2.INF deleted!!",
                       "Error! Impossible to delete file \"C:\\Windows\\inf\\oem2.pnf!\""}));
  EXPECT_TRUE(sim.ListTree("C:\\Windows\\inf").empty());
}

TEST_F(FileDeletionTest, DeleteInfFilesOnAnEmptyListSucceedsWithoutRecords) {
  FileList infs, deleted, notDeleted;
  EXPECT_TRUE(engine.DeleteInfFiles(infs, &deleted, &notDeleted));
  EXPECT_TRUE(deleted.empty());
  EXPECT_TRUE(notDeleted.empty());
  EXPECT_TRUE(Log().empty());
}

TEST_F(FileDeletionTest, DeleteDirectoryRefusesAnEmptyOrMissingPath) {
  EXPECT_FALSE(engine.DeleteDirectory("", nullptr, nullptr));
  EXPECT_FALSE(engine.DeleteDirectory("C:\\Temp\\nothing", nullptr, nullptr));
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "File name or path not valid. Impossible to delete file",
                       "Impossible to get Path [C:\\Temp\\nothing\\]. Probably it "
                       "doesn't exist."}));
}

TEST_F(FileDeletionTest, EmptyDirectoryLogsOneLineForItsDotDotEntry) {
  sim.AddDir(kTree);
  EXPECT_TRUE(engine.DeleteDirectory(kTree, nullptr, nullptr));
  EXPECT_FALSE(sim.Exists(kTree));
  EXPECT_EQ(Log(), std::vector<std::string>{kFindNextLine});
}

TEST_F(FileDeletionTest, TreeWithReadOnlyFilesIsDeletedAndRecorded) {
  constexpr uint32_t kReadOnly = win::kFileAttributeReadOnly | win::kFileAttributeArchive;
  sim.AddFile(In("a.txt"), "a", kReadOnly);
  sim.AddFile(In("sub\\b.txt"), "b", kReadOnly | win::kFileAttributeHidden);
  sim.AddFile(In("sub\\deeper\\c.txt"));
  FileList deleted, notDeleted;

  EXPECT_TRUE(engine.DeleteDirectory(kTree, &deleted, &notDeleted));

  EXPECT_FALSE(sim.Exists(kTree));
  EXPECT_TRUE(sim.Exists("C:\\Data"));
  EXPECT_EQ(deleted, (FileList{In("a.txt"), In("sub\\b.txt"), In("sub\\deeper\\c.txt")}));
  EXPECT_TRUE(notDeleted.empty());
}

TEST_F(FileDeletionTest, OneFileTreeWritesTheThreeTraceLinesPerEntry) {
  sim.AddFile(In("a.txt"));
  EXPECT_TRUE(engine.DeleteDirectory(kTree, nullptr, nullptr));
  EXPECT_EQ(Log(), (std::vector<std::string>{kFindNextLine, kFindNextLine, kIsDotLine,
                                             kPathLine, "File " + In("a.txt") + " deleted!!"}));
}

TEST_F(FileDeletionTest, FileInUseStopsTheTreeDeletionAndIsRecordedWithItsCode) {
  sim.AddFile(In("a.txt"));
  sim.AddFile(In("sub\\m.txt"));
  sim.AddFile(In("sub\\n.txt"));
  sim.AddFile(In("z.txt"));
  sim.SetInUse(In("sub\\m.txt"));
  FileList deleted, notDeleted;

  EXPECT_FALSE(engine.DeleteDirectory(kTree, &deleted, &notDeleted));

  EXPECT_EQ(deleted, FileList{In("a.txt")});
  EXPECT_EQ(notDeleted, FileList{In("sub\\m.txt")});
  EXPECT_EQ(sim.ListTree(kTree),
            (std::vector<std::string>{In("sub"), In("sub\\m.txt"), In("sub\\n.txt"),
                                      In("z.txt")}));
  EXPECT_EQ(Log().back(),
            "Error! Impossible to delete file \"" + In("sub\\m.txt") + "!\". Error 32");
}

TEST_F(FileDeletionTest, JunctionInsideTheTreeIsRemovedWithoutTouchingItsTarget) {
  sim.AddFile("C:\\Outside\\keep.txt");
  sim.AddJunction(In("link"), "C:\\Outside");
  sim.AddFile(In("own.txt"));
  FileList deleted, notDeleted;

  EXPECT_TRUE(engine.DeleteDirectory(kTree, &deleted, &notDeleted));

  EXPECT_FALSE(sim.Exists(kTree));
  EXPECT_TRUE(sim.Exists("C:\\Outside\\keep.txt"));
  EXPECT_EQ(deleted, FileList{In("own.txt")});
}

TEST_F(FileDeletionTest, DirectoryThatIsItselfAJunctionLosesOnlyTheLink) {
  sim.AddFile("C:\\Outside\\keep.txt");
  sim.AddJunction("C:\\Data\\Link", "C:\\Outside");

  EXPECT_TRUE(engine.DeleteDirectory("C:\\Data\\Link", nullptr, nullptr));

  EXPECT_FALSE(sim.Exists("C:\\Data\\Link"));
  EXPECT_TRUE(sim.Exists("C:\\Outside\\keep.txt"));
}

TEST_F(FileDeletionTest, JunctionThatCannotBeRemovedStopsLikeAFailedFile) {
  sim.AddFile("C:\\Outside\\keep.txt");
  sim.AddJunction(In("link"), "C:\\Outside");
  sim.AddFile(In("z.txt"));
  sim.SetDenied(In("link"));
  FileList deleted, notDeleted;

  EXPECT_FALSE(engine.DeleteDirectory(kTree, &deleted, &notDeleted));

  EXPECT_EQ(notDeleted, FileList{In("link")});
  EXPECT_TRUE(sim.Exists(In("z.txt")));
  EXPECT_TRUE(sim.Exists("C:\\Outside\\keep.txt"));
  EXPECT_EQ(Log().back(),
            "Error! Impossible to delete file \"" + In("link") + "!\". Error 5");
}

TEST_F(FileDeletionTest, FirstEntryOfAListingWithoutDotEntriesIsDeletedToo) {
  // A drive root lists no "." and "..": its first entry is a real one.
  sim.AddFile("E:\\first.txt");
  sim.AddFile("E:\\second.txt");
  FileList deleted;

  // The root itself cannot be removed.
  EXPECT_FALSE(engine.DeleteDirectory("E:", &deleted, nullptr));

  EXPECT_EQ(deleted, (FileList{"E:\\first.txt", "E:\\second.txt"}));
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       kIsDotLine, kPathLine, "File E:\\first.txt deleted!!", kFindNextLine,
                       kIsDotLine, kPathLine, "File E:\\second.txt deleted!!"}));
}

TEST_F(FileDeletionTest, ListingErrorOtherThanTheEndStopsWithItsCode) {
  sim.AddFile(In("a.txt"));
  sim.FailNext("FindNext", win::kErrorAccessDenied);

  EXPECT_FALSE(engine.DeleteDirectory(kTree, nullptr, nullptr));

  EXPECT_TRUE(sim.Exists(In("a.txt")));
  EXPECT_EQ(Log(), std::vector<std::string>{
                       "Impossible to delete file or directory: error 5"});
}

constexpr const char* kProtected = "C:\\Program Files\\X & Y";

TEST_F(FileDeletionTest, SetRightToDelDirStartsTheSystemToolsWithSeparateArguments) {
  sim.SetSystemDir("D:\\WinNT\\System32");
  sim.AddFile("C:\\Work\\takeown.exe");  // a planted copy in the current directory
  sim.SetProcessResult(true, 1);         // exit codes do not matter

  EXPECT_TRUE(engine.SetRightToDelDir(kProtected));

  const auto runs = sim.Processes();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].exe, "D:\\WinNT\\System32\\takeown.exe");
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"/r", "/d", "Y", "/f", kProtected}));
  EXPECT_EQ(runs[1].exe, "D:\\WinNT\\System32\\icacls.exe");
  EXPECT_EQ(runs[1].args, (std::vector<std::string>{kProtected, "/grant", "Admin:F"}));
  for (const auto& run : runs) {
    EXPECT_EQ(run.timeoutMs, CDeviceService::kExternalToolTimeoutMs);
  }
  EXPECT_TRUE(Log().empty());
}

struct RightsFailure {
  const char* name;
  void (*arrange)(sim::SimWindows&);
  size_t started;
  std::string line;
};

class SetRightToDelDirFailureTest : public EngineTest,
                                    public ::testing::WithParamInterface<RightsFailure> {};

TEST_P(SetRightToDelDirFailureTest, LogsTheStepThatFailed) {
  GetParam().arrange(sim);
  EXPECT_FALSE(engine.SetRightToDelDir(kProtected));
  EXPECT_EQ(sim.Processes().size(), GetParam().started);
  EXPECT_EQ(Log(), std::vector<std::string>{GetParam().line});
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SetRightToDelDirFailureTest,
    ::testing::Values(
        RightsFailure{"UserName", [](sim::SimWindows& s) { s.SetUserNameFails(true); }, 0,
                      "An error occurred getting User Name in SetRightToDelDir(). "
                      "Impossible to get ownership of directory [C:\\Program Files\\X & Y]."},
        RightsFailure{"Takeown", [](sim::SimWindows& s) { s.SetProcessResult(false); }, 1,
                      "An error occurred in SetRightToDelDir(), taking ownership of "
                      "directory [C:\\Program Files\\X & Y]."},
        RightsFailure{"NoSystemDirectory",
                      [](sim::SimWindows& s) { s.FailNext("SystemDirectory", 5); }, 0,
                      "An error occurred in SetRightToDelDir(), taking ownership of "
                      "directory [C:\\Program Files\\X & Y]."},
        RightsFailure{"Icacls",
                      [](sim::SimWindows& s) {
                        s.FailWhere("RunProcess", "icacls", win::kErrorFileNotFound);
                      },
                      1,
                      "An error occurred in SetRightToDelDir(), modifying access control "
                      "of directory [C:\\Program Files\\X & Y]."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace engine_test
