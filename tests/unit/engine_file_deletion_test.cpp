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

// A tree the system owns, with a link inside that leads out of it.
class OwnershipTest : public EngineTest {
 protected:
  OwnershipTest() {
    for (const char* entry : {"", "\\a.dll", "\\sub", "\\sub\\b.inf"}) {
      if (std::string(entry).find('.') != std::string::npos) {
        sim.AddFile(kProtected + std::string(entry));
      } else {
        sim.AddDir(kProtected + std::string(entry));
      }
      sim.SetOwnedByOther(kProtected + std::string(entry));
    }
    sim.AddFile("C:\\Elsewhere\\keep.txt");
    sim.SetOwnedByOther("C:\\Elsewhere\\keep.txt");
    sim.AddJunction(kProtected + std::string("\\link"), "C:\\Elsewhere");
  }
  bool Taken(const std::string& path) {
    return sim.OwnerOf(path) == std::optional<Sid>(sim.UserSid()) &&
           sim.HasFullControl(path, sim.UserSid());
  }
};

TEST_F(OwnershipTest, TakesEveryEntryOfTheTreeForTheRunningUserWithoutEnteringLinks) {
  EXPECT_TRUE(engine.SetRightToDelDir(kProtected));

  for (const char* entry : {"", "\\a.dll", "\\sub", "\\sub\\b.inf", "\\link"}) {
    EXPECT_TRUE(Taken(kProtected + std::string(entry))) << entry;
  }
  EXPECT_FALSE(Taken("C:\\Elsewhere"));
  EXPECT_FALSE(Taken("C:\\Elsewhere\\keep.txt"));
  EXPECT_TRUE(Log().empty());
  // Deletable now, and only the tree itself went.
  EXPECT_TRUE(engine.DeleteDirectory(kProtected, nullptr, nullptr));
  EXPECT_FALSE(sim.Exists(kProtected));
  EXPECT_TRUE(sim.Exists("C:\\Elsewhere\\keep.txt"));
}

TEST_F(OwnershipTest, WithoutItTheProtectedTreeStays) {
  EXPECT_FALSE(engine.DeleteDirectory(kProtected, nullptr, nullptr));
  EXPECT_TRUE(sim.Exists(kProtected + std::string("\\a.dll")));
}

TEST_F(OwnershipTest, AnEntryThatCannotBeTakenIsPassedOverAndTheRestIsTaken) {
  sim.FailWhere("TakeOwnership", "\\sub", win::kErrorAccessDenied);

  EXPECT_TRUE(engine.SetRightToDelDir(kProtected));

  EXPECT_FALSE(Taken(kProtected + std::string("\\sub")));
  EXPECT_FALSE(Taken(kProtected + std::string("\\sub\\b.inf")));  // not listed
  EXPECT_TRUE(Taken(kProtected + std::string("\\a.dll")));
  EXPECT_TRUE(Taken(kProtected + std::string("\\link")));
}

TEST_F(EngineTest, OwnershipOfAMissingDirectoryIsNotTriedOrLogged) {
  EXPECT_FALSE(engine.SetRightToDelDir("C:\\Windows\\System32\\DriverStore\\Temp\\none"));
  EXPECT_TRUE(sim.CallsOf("TakeOwnership").empty());
  EXPECT_TRUE(Log().empty());
}

struct RightsFailure {
  const char* name;
  void (*arrange)(sim::SimWindows&);
  std::string line;
};

class SetRightToDelDirFailureTest : public OwnershipTest,
                                    public ::testing::WithParamInterface<RightsFailure> {};

TEST_P(SetRightToDelDirFailureTest, LogsTheStepThatFailedAndTakesNothingBelow) {
  GetParam().arrange(sim);
  EXPECT_FALSE(engine.SetRightToDelDir(kProtected));
  EXPECT_EQ(Log(), std::vector<std::string>{GetParam().line});
  EXPECT_FALSE(Taken(kProtected + std::string("\\a.dll")));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, SetRightToDelDirFailureTest,
    ::testing::Values(
        RightsFailure{"UserAccount", [](sim::SimWindows& s) { s.FailNext("CurrentUserSid", 5); },
                      "An error occurred getting User Name in SetRightToDelDir(). "
                      "Impossible to get ownership of directory [C:\\Program Files\\X & Y]."},
        RightsFailure{"NoPrivilege",
                      [](sim::SimWindows& s) {
                        s.FailWhere("EnablePrivilege", "SeTakeOwnership",
                                    win::kErrorNotAllAssigned);
                      },
                      "An error occurred in SetRightToDelDir(), taking ownership of "
                      "directory [C:\\Program Files\\X & Y]."},
        RightsFailure{"Owner",
                      [](sim::SimWindows& s) {
                        s.FailNext("TakeOwnership", win::kErrorCantResolveFilename);
                      },
                      "An error occurred in SetRightToDelDir(), taking ownership of "
                      "directory [C:\\Program Files\\X & Y]."},
        RightsFailure{"AccessList",
                      [](sim::SimWindows& s) {
                        s.FailNext("GrantFullControl", win::kErrorAccessDenied);
                      },
                      "An error occurred in SetRightToDelDir(), modifying access control "
                      "of directory [C:\\Program Files\\X & Y]."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace engine_test
