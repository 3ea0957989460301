// What the deletion and scanning logic relies on from FindFirstFileA and
// friends, DeleteFileA, RemoveDirectoryA, CreateDirectoryA, the attribute
// calls and CreateFileA.
#include <algorithm>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "tests/common/found_names.h"
#include "tests/contract/contract_fixture.h"

namespace {

constexpr uint32_t kArchive = win::kFileAttributeArchive;

class ContractFiles : public ContractTest {
 protected:
  // Every name FindFirst/Next returns for pattern, in order; the error that
  // ended the walk (or FindFirst's error) in `error`.
  static std::vector<std::string> List(const std::string& pattern, uint32_t& error) {
    return testfiles::FoundNames(P().files, pattern, &error);
  }

  static std::vector<std::string> List(const std::string& pattern) {
    uint32_t error = 0;
    std::vector<std::string> names = List(pattern, error);
    EXPECT_EQ(error, win::kErrorNoMoreFiles) << pattern;
    return names;
  }

  static std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }

  static uint32_t AttributesOf(const std::string& path) {
    uint32_t attributes = 0;
    Outcome read = P().files.GetAttributes(path, attributes);
    EXPECT_TRUE(read.ok) << path << " error " << read.error;
    return attributes;
  }

  // One opening serves both checks: what the identity says is what the held
  // handle reports, a plain directory, a link itself or its target alike.
  static void ExpectHeldAgreesWithIdentity(const std::string& path, bool follow,
                                           const std::string& finalName) {
    SCOPED_TRACE(path + (follow ? " followed" : ""));
    DirectoryIdentity identity;
    File held;
    ASSERT_TRUE(P().files.OpenDirectory(path, follow, identity, &held).ok);
    ASSERT_TRUE(held);
    FileInformation info;
    ASSERT_TRUE(held->GetInformation(info).ok);
    EXPECT_EQ(info.attributes, identity.attributes);
    std::string heldPath;
    ASSERT_TRUE(held->GetFinalPath(heldPath).ok);
    ASSERT_FALSE(identity.finalPath.empty());
    ASSERT_GE(heldPath.size(), identity.finalPath.size()) << heldPath;
    EXPECT_EQ(text::Upper(heldPath.substr(heldPath.size() - identity.finalPath.size())),
              text::Upper(identity.finalPath));
    const std::string tail = "\\" + text::Upper(finalName);
    ASSERT_GE(identity.finalPath.size(), tail.size());
    EXPECT_EQ(text::Upper(identity.finalPath.substr(identity.finalPath.size() - tail.size())), tail);
  }

  // The directory kept open, as the log's checks keep it; null when the
  // open failed.
  static File HeldDirectory(const std::string& path, bool followLinks) {
    DirectoryIdentity identity;
    File held;
    Outcome opened = P().files.OpenDirectory(path, followLinks, identity, &held);
    EXPECT_TRUE(opened.ok) << path << " error " << opened.error;
    return held;
  }
};

TEST_F(ContractFiles, DirectoryListingStartsWithDotEntries) {
  ASSERT_TRUE(Env().PutFile(Path("b.txt"), "b", kArchive));
  ASSERT_TRUE(Env().CreateDir(Path("Sub")));
  for (const char* glob : {"\\*", "\\*.*"}) {
    std::vector<std::string> names = List(Path("") + glob);
    ASSERT_EQ(names.size(), 4u) << glob;
    EXPECT_EQ(names[0], ".");
    EXPECT_EQ(names[1], "..");
    EXPECT_EQ(Sorted({names[2], names[3]}), (std::vector<std::string>{"Sub", "b.txt"}));
  }
}

TEST_F(ContractFiles, DotEntriesAreDirectories) {
  FindData data;
  FindHandle handle;
  ASSERT_TRUE(P().files.FindFirst(Path("*"), data, handle).ok);
  EXPECT_EQ(data.name, ".");
  EXPECT_NE(data.attributes & win::kFileAttributeDirectory, 0u);
}

TEST_F(ContractFiles, DriveRootHasNoDotEntries) {
  const std::string root = Env().ScratchDir().substr(0, 3);  // "C:\"
  uint32_t error = 0;
  std::vector<std::string> names = List(root + "*", error);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(std::count(names.begin(), names.end(), "."), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), ".."), 0);
}

TEST_F(ContractFiles, WildcardsIgnoreCaseAndStarDotStarMatchesNamesWithoutDot) {
  ASSERT_TRUE(Env().PutFile(Path("DRIVER.INF"), "", kArchive));
  ASSERT_TRUE(Env().PutFile(Path("other.txt"), "", kArchive));
  ASSERT_TRUE(Env().PutFile(Path("NoDot"), "", kArchive));
  EXPECT_EQ(List(Path("*.inf")), (std::vector<std::string>{"DRIVER.INF"}));
  EXPECT_EQ(List(Path("dri?er.*")), (std::vector<std::string>{"DRIVER.INF"}));
  std::vector<std::string> all = List(Path("*.*"));
  EXPECT_NE(std::find(all.begin(), all.end(), "NoDot"), all.end());
}

TEST_F(ContractFiles, FindReportsSizeAndAttributes) {
  ASSERT_TRUE(Env().PutFile(Path("data.bin"), "12345", kArchive | win::kFileAttributeHidden));
  FindData data;
  FindHandle handle;
  ASSERT_TRUE(P().files.FindFirst(Path("data.bin"), data, handle).ok);
  EXPECT_EQ(data.name, "data.bin");
  EXPECT_EQ(data.size, 5u);
  EXPECT_NE(data.attributes & win::kFileAttributeHidden, 0u);
  EXPECT_EQ(data.attributes & win::kFileAttributeDirectory, 0u);
}

TEST_F(ContractFiles, FindWithoutMatchIsFileNotFoundAndMissingDirIsPathNotFound) {
  FindData data;
  FindHandle handle;
  Outcome noMatch = P().files.FindFirst(Path("*.none"), data, handle);
  EXPECT_FALSE(noMatch.ok);
  EXPECT_EQ(noMatch.error, win::kErrorFileNotFound);
  Outcome noDir = P().files.FindFirst(Path("Missing\\*"), data, handle);
  EXPECT_FALSE(noDir.ok);
  EXPECT_EQ(noDir.error, win::kErrorPathNotFound);
}

TEST_F(ContractFiles, FailureSetsLastError) {
  FindData data;
  FindHandle handle;
  ASSERT_FALSE(P().files.FindFirst(Path("Missing\\*"), data, handle).ok);
  EXPECT_EQ(P().system.LastError(), win::kErrorPathNotFound);
}

TEST_F(ContractFiles, RemoveFileFailuresAndSuccess) {
  ASSERT_TRUE(Env().PutFile(Path("plain.txt"), "x", kArchive));
  ASSERT_TRUE(Env().PutFile(Path("locked.txt"), "x", kArchive | win::kFileAttributeReadOnly));
  Outcome missing = P().files.RemoveFile(Path("missing.txt"));
  EXPECT_EQ(missing.error, win::kErrorFileNotFound);
  Outcome readOnly = P().files.RemoveFile(Path("locked.txt"));
  EXPECT_FALSE(readOnly.ok);
  EXPECT_EQ(readOnly.error, win::kErrorAccessDenied);
  EXPECT_TRUE(Env().PathExists(Path("locked.txt")));
  EXPECT_TRUE(P().files.RemoveFile(Path("PLAIN.TXT")).ok);
  EXPECT_FALSE(Env().PathExists(Path("plain.txt")));
}

TEST_F(ContractFiles, ClearingReadOnlyAllowsDelete) {
  ASSERT_TRUE(Env().PutFile(Path("ro.txt"), "x", kArchive | win::kFileAttributeReadOnly));
  EXPECT_NE(AttributesOf(Path("ro.txt")) & win::kFileAttributeReadOnly, 0u);
  ASSERT_TRUE(P().files.SetAttributes(Path("ro.txt"), kArchive).ok);
  EXPECT_EQ(AttributesOf(Path("ro.txt")), kArchive);
  EXPECT_TRUE(P().files.RemoveFile(Path("ro.txt")).ok);
}

TEST_F(ContractFiles, FileOpenWithoutSharingBlocksDeleteAndOpen) {
  ASSERT_TRUE(Env().PutFile(Path("busy.log"), "x", kArchive));
  {
    ContractHold hold = Env().HoldOpen(Path("busy.log"));
    ASSERT_NE(hold, nullptr);
    Outcome removed = P().files.RemoveFile(Path("busy.log"));
    EXPECT_FALSE(removed.ok);
    EXPECT_EQ(removed.error, win::kErrorSharingViolation);
    File file;
    Outcome opened =
        P().files.Open(Path("busy.log"), FileAccess::ReadWrite, FileCreation::OpenAlways, false, file);
    EXPECT_FALSE(opened.ok);
    EXPECT_EQ(opened.error, win::kErrorSharingViolation);
  }
  EXPECT_TRUE(P().files.RemoveFile(Path("busy.log")).ok);
}

TEST_F(ContractFiles, RemoveDirFailuresAndSuccess) {
  ASSERT_TRUE(Env().PutFile(Path("Full\\f.txt"), "x", kArchive));
  ASSERT_TRUE(Env().CreateDir(Path("Empty")));
  EXPECT_EQ(P().files.RemoveDir(Path("Full")).error, win::kErrorDirNotEmpty);
  EXPECT_EQ(P().files.RemoveDir(Path("Missing")).error, win::kErrorFileNotFound);
  EXPECT_TRUE(P().files.RemoveDir(Path("empty")).ok);
  EXPECT_FALSE(Env().PathExists(Path("Empty")));
}

TEST_F(ContractFiles, MakeDirFailuresAndSuccess) {
  ASSERT_TRUE(P().files.MakeDir(Path("New")).ok);
  uint32_t attributes = AttributesOf(Path("New"));
  EXPECT_NE(attributes & win::kFileAttributeDirectory, 0u);
  EXPECT_EQ(P().files.MakeDir(Path("new")).error, win::kErrorAlreadyExists);
  EXPECT_EQ(P().files.MakeDir(Path("Missing\\Child")).error, win::kErrorPathNotFound);
}

TEST_F(ContractFiles, AttributesOfMissingPath) {
  uint32_t attributes = 0;
  Outcome missing = P().files.GetAttributes(Path("missing.txt"), attributes);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error, win::kErrorFileNotFound);
  EXPECT_EQ(attributes, win::kInvalidFileAttributes);
  Outcome missingDir = P().files.GetAttributes(Path("Missing\\f.txt"), attributes);
  EXPECT_EQ(missingDir.error, win::kErrorPathNotFound);
  EXPECT_EQ(P().files.SetAttributes(Path("missing.txt"), kArchive).error, win::kErrorFileNotFound);
}

TEST_F(ContractFiles, SetAttributesKeepsHiddenAndSystem) {
  ASSERT_TRUE(Env().PutFile(Path("h.txt"), "", kArchive));
  const uint32_t wanted = win::kFileAttributeHidden | win::kFileAttributeSystem | kArchive;
  ASSERT_TRUE(P().files.SetAttributes(Path("h.txt"), wanted).ok);
  EXPECT_EQ(AttributesOf(Path("h.txt")), wanted);
}

TEST_F(ContractFiles, CreateWriteAppendAndReadBack) {
  const std::string path = Path("out.log");
  {
    File file;
    ASSERT_TRUE(P().files.Open(path, FileAccess::ReadWrite, FileCreation::CreateAlways, false, file).ok);
    ASSERT_TRUE(file->Write("first", 5).ok);
  }
  {
    File file;
    ASSERT_TRUE(P().files.Open(path, FileAccess::ReadWrite, FileCreation::OpenAlways, false, file).ok);
    ASSERT_TRUE(file->SeekToEnd().ok);
    ASSERT_TRUE(file->Write("+2", 2).ok);
    uint64_t size = 0;
    ASSERT_TRUE(file->GetSize(size).ok);
    EXPECT_EQ(size, 7u);
  }
  File file;
  ASSERT_TRUE(P().files.Open(path, FileAccess::Read, FileCreation::OpenExisting, true, file).ok);
  char buffer[16] = {};
  uint32_t got = 0;
  ASSERT_TRUE(file->Read(buffer, sizeof buffer, got).ok);
  EXPECT_EQ(std::string(buffer, got), "first+2");
  ASSERT_TRUE(file->Read(buffer, sizeof buffer, got).ok);
  EXPECT_EQ(got, 0u);
}

TEST_F(ContractFiles, CreateAlwaysTruncates) {
  ASSERT_TRUE(Env().PutFile(Path("t.txt"), "old content", kArchive));
  File file;
  ASSERT_TRUE(P().files.Open(Path("t.txt"), FileAccess::ReadWrite, FileCreation::CreateAlways, false, file).ok);
  uint64_t size = 1;
  ASSERT_TRUE(file->GetSize(size).ok);
  EXPECT_EQ(size, 0u);
}

TEST_F(ContractFiles, OpenExistingOfMissingFileOrDir) {
  File file;
  EXPECT_EQ(P().files.Open(Path("none.txt"), FileAccess::Read, FileCreation::OpenExisting, true, file).error,
            win::kErrorFileNotFound);
  EXPECT_EQ(P().files.Open(Path("None\\x.txt"), FileAccess::ReadWrite, FileCreation::OpenAlways, true, file).error,
            win::kErrorPathNotFound);
}

class ContractJunction : public ContractFiles {
 protected:
  void SetUp() override {
    ContractFiles::SetUp();
    ASSERT_TRUE(Env().PutFile(Path("Target\\inside.txt"), "data", kArchive));
    if (!Env().CreateJunction(Path("Link"), Path("Target"))) {
      GTEST_SKIP() << "junctions are not supported here";
    }
  }
};

TEST_F(ContractJunction, IsADirectoryReparsePoint) {
  const uint32_t attributes = AttributesOf(Path("Link"));
  EXPECT_NE(attributes & win::kFileAttributeDirectory, 0u);
  EXPECT_NE(attributes & win::kFileAttributeReparsePoint, 0u);
}

TEST_F(ContractJunction, ListsTheTargetsContents) {
  EXPECT_EQ(List(Path("Link\\*.txt")), (std::vector<std::string>{"inside.txt"}));
}

TEST_F(ContractJunction, RemoveDirRemovesOnlyTheLink) {
  EXPECT_TRUE(P().files.RemoveDir(Path("Link")).ok);
  EXPECT_FALSE(Env().PathExists(Path("Link")));
  EXPECT_TRUE(Env().PathExists(Path("Target\\inside.txt")));
}

TEST_F(ContractJunction, DeletingThroughTheLinkDeletesTheTargetsFile) {
  EXPECT_TRUE(P().files.RemoveFile(Path("Link\\inside.txt")).ok);
  EXPECT_FALSE(Env().PathExists(Path("Target\\inside.txt")));
}

// What the log relies on to tell a plain file of its directory from a link.
class ContractNoFollow : public ContractFiles {
 protected:
  static std::string FinalPathOf(File& file) {
    std::string path;
    Outcome got = file->GetFinalPath(path);
    EXPECT_TRUE(got.ok) << got.error;
    return path;
  }

  static FileInformation InformationOf(File& file) {
    FileInformation info;
    Outcome got = file->GetInformation(info);
    EXPECT_TRUE(got.ok) << got.error;
    return info;
  }
};

TEST_F(ContractNoFollow, CreateNewNeverOpensAnExistingNameAndCreatesAMissingOne) {
  ASSERT_TRUE(Env().PutFile(Path("old.log"), "keep", kArchive));
  File file;
  Outcome existing =
      P().files.OpenNoFollow(Path("old.log"), FileAccess::ReadWrite, FileCreation::CreateNew, file);
  EXPECT_FALSE(existing.ok);
  EXPECT_EQ(existing.error, win::kErrorFileExists);
  EXPECT_EQ(P().files.OpenNoFollow(Path("new.log"), FileAccess::ReadWrite,
                                   FileCreation::OpenExisting, file).error,
            win::kErrorFileNotFound);
  ASSERT_TRUE(P().files.OpenNoFollow(Path("new.log"), FileAccess::ReadWrite,
                                     FileCreation::CreateNew, file).ok);
  EXPECT_TRUE(Env().PathExists(Path("new.log")));
}

TEST_F(ContractNoFollow, FileFinalPathIsItsDirectorysFinalPathAndName) {
  ASSERT_TRUE(Env().PutFile(Path("Sub\\plain.log"), "x", kArchive));
  File directory = HeldDirectory(Path("sub"), false);
  ASSERT_TRUE(directory);
  const FileInformation dirInfo = InformationOf(directory);
  EXPECT_NE(dirInfo.attributes & win::kFileAttributeDirectory, 0u);
  EXPECT_EQ(dirInfo.attributes & win::kFileAttributeReparsePoint, 0u);
  File file;
  ASSERT_TRUE(P().files.OpenNoFollow(Path("Sub\\PLAIN.log"), FileAccess::ReadWrite,
                                     FileCreation::OpenExisting, file).ok);
  const FileInformation info = InformationOf(file);
  EXPECT_EQ(info.linkCount, 1u);
  EXPECT_EQ(info.attributes & (win::kFileAttributeDirectory | win::kFileAttributeReparsePoint), 0u);
  const std::string dirPath = FinalPathOf(directory);
  EXPECT_EQ(text::Upper(FinalPathOf(file)), text::Upper(dirPath + "\\plain.log"));
}

TEST_F(ContractNoFollow, TruncateEmptiesThroughTheHandle) {
  ASSERT_TRUE(Env().PutFile(Path("big.log"), "0123456789", kArchive));
  File file;
  ASSERT_TRUE(P().files.OpenNoFollow(Path("big.log"), FileAccess::ReadWrite,
                                     FileCreation::OpenExisting, file).ok);
  ASSERT_TRUE(file->Truncate().ok);
  uint64_t size = 1;
  ASSERT_TRUE(file->GetSize(size).ok);
  EXPECT_EQ(size, 0u);
}

TEST_F(ContractNoFollow, ASecondNameCountsAsALink) {
  ASSERT_TRUE(Env().PutFile(Path("first.txt"), "x", kArchive));
  if (!Env().MakeHardLink(Path("second.log"), Path("first.txt"))) {
    GTEST_SKIP() << "hard links are not supported here";
  }
  File file;
  ASSERT_TRUE(P().files.OpenNoFollow(Path("second.log"), FileAccess::ReadWrite,
                                     FileCreation::OpenExisting, file).ok);
  EXPECT_EQ(InformationOf(file).linkCount, 2u);
}

TEST_F(ContractJunction, OpenedWithoutFollowingItIsAReparsePointElsewhere) {
  File link = HeldDirectory(Path("Link"), false);
  ASSERT_TRUE(link);
  FileInformation info;
  ASSERT_TRUE(link->GetInformation(info).ok);
  EXPECT_NE(info.attributes & win::kFileAttributeReparsePoint, 0u);
  File target = HeldDirectory(Path("Target"), false);
  ASSERT_TRUE(target);
  File followed = HeldDirectory(Path("Link"), true);
  ASSERT_TRUE(followed);
  std::string linkPath, targetPath, followedPath;
  ASSERT_TRUE(link->GetFinalPath(linkPath).ok);
  ASSERT_TRUE(target->GetFinalPath(targetPath).ok);
  ASSERT_TRUE(followed->GetFinalPath(followedPath).ok);
  EXPECT_NE(text::Upper(linkPath), text::Upper(targetPath));
  EXPECT_EQ(text::Upper(followedPath), text::Upper(targetPath));
}

// Identity is what the control-panel folder checks compare: one directory
// under two spellings is one, a junction is its own entry unless followed.
TEST_F(ContractJunction, DirectoryIdentityFollowsOnlyWhenAsked) {
  DirectoryIdentity target;
  DirectoryIdentity otherSpelling;
  DirectoryIdentity followed;
  DirectoryIdentity link;
  ASSERT_TRUE(P().files.OpenDirectory(Path("Target"), false, target, nullptr).ok);
  std::string upper = Path("TARGET\\");
  ASSERT_TRUE(P().files.OpenDirectory(upper, false, otherSpelling, nullptr).ok);
  EXPECT_TRUE(target.SameAs(otherSpelling));
  ASSERT_TRUE(P().files.OpenDirectory(Path("Link"), true, followed, nullptr).ok);
  EXPECT_TRUE(target.SameAs(followed));
  ASSERT_TRUE(P().files.OpenDirectory(Path("Link"), false, link, nullptr).ok);
  EXPECT_FALSE(target.SameAs(link));
  EXPECT_NE(link.attributes & win::kFileAttributeReparsePoint, 0u);
}

TEST_F(ContractFiles, HeldDirectoryAgreesWithItsIdentity) {
  ASSERT_TRUE(Env().CreateDir(Path("Plain")));
  ExpectHeldAgreesWithIdentity(Path("PLAIN"), false, "Plain");
  ExpectHeldAgreesWithIdentity(Path("Plain"), true, "Plain");
}

TEST_F(ContractJunction, HeldLinkAgreesWithItsIdentity) {
  ExpectHeldAgreesWithIdentity(Path("Link"), false, "Link");
  ExpectHeldAgreesWithIdentity(Path("Link"), true, "Target");
}

TEST_F(ContractFiles, OpenDirectoryRefusesFilesAndLetsEntriesGo) {
  ASSERT_TRUE(Env().PutFile(Path("Dir\\file.txt"), "x", kArchive));
  DirectoryIdentity identity;
  EXPECT_EQ(P().files.OpenDirectory(Path("Dir\\file.txt"), false, identity, nullptr).error,
            win::kErrorDirectory);
  EXPECT_EQ(P().files.OpenDirectory(Path("Missing"), false, identity, nullptr).error,
            win::kErrorFileNotFound);
  File hold;
  ASSERT_TRUE(Env().PutFile(Path("Held\\x.txt"), "x", kArchive));
  ASSERT_TRUE(P().files.OpenDirectory(Path("Held"), false, identity, &hold).ok);
  // Entries of a held directory go; Windows refuses to remove the held
  // directory itself (Wine 8 does not), so only what both do is checked.
  EXPECT_TRUE(P().files.RemoveFile(Path("Held\\x.txt")).ok);
  hold.reset();
  EXPECT_TRUE(P().files.RemoveDir(Path("Held")).ok);
}

}  // namespace
