#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/dir_read.h"
#include "tests/sim/sim_windows.h"

namespace {

using Paths = std::vector<std::string>;

class DirReadTest : public ::testing::Test {
 protected:
  DirReadTest() : scanner(sim.platform().files) {}

  Paths Files(const std::string& dir, int sortKey, bool recurse = false) {
    scanner.ScanFiles(dir, "*.inf", found, sortKey, recurse);
    return PathsOf();
  }
  Paths PathsOf() const {
    Paths paths;
    for (const DirEntry* entry : found) paths.push_back(entry->path);
    return paths;
  }

  sim::SimWindows sim;
  CSADirRead scanner;
  std::vector<const DirEntry*> found;
};

TEST_F(DirReadTest, InfScanSortsWithoutRegardToCaseAndSkipsDirectories) {
  sim.AddFile("C:\\Drivers\\B.inf");
  sim.AddFile("C:\\Drivers\\a.INF", "[Version]\r\n");
  sim.AddFile("C:\\Drivers\\readme.txt");
  sim.AddDir("C:\\Drivers\\c.inf");

  EXPECT_EQ(Files("C:\\Drivers", CSADirRead::kSortByPath),
            (Paths{"C:\\Drivers\\a.INF", "C:\\Drivers\\B.inf"}));
  EXPECT_FALSE(found[0]->isDirectory);
  EXPECT_EQ(found[0]->size, 11u);
}

TEST_F(DirReadTest, TrailingSeparatorsGiveTheSamePaths) {
  sim.AddFile("C:\\Drivers\\x.inf");
  for (const char* spelling : {"C:\\Drivers\\", "C:\\Drivers\\\\", "C:\\Drivers\\ "}) {
    EXPECT_EQ(Files(spelling, CSADirRead::kSortByPath), Paths{"C:\\Drivers\\x.inf"}) << spelling;
  }
  EXPECT_EQ(CSADirRead::NormalizeDir("C:/A/B/"), "C:/A/B");
  EXPECT_EQ(CSADirRead::NormalizeDir("C:\\A\\B \t"), "C:\\A\\B \t");
}

TEST_F(DirReadTest, DirectoryScanListsSubdirectoriesButNeverDotEntries) {
  sim.AddDir("C:\\Backup\\3\\Old");
  sim.AddDir("C:\\Backup\\2");
  sim.AddFile("C:\\Backup\\notes.txt");
  EXPECT_EQ(scanner.ScanDirs("C:\\Backup", found, CSADirRead::kSortByPath, false), 2u);
  EXPECT_EQ(PathsOf(), (Paths{"C:\\Backup\\2", "C:\\Backup\\3"}));
}

TEST_F(DirReadTest, EachScanReplacesTheLastAndAMissingDirectoryGivesNothing) {
  sim.AddFile("C:\\One\\a.inf");
  sim.AddFile("C:\\One\\b.inf");
  sim.AddFile("C:\\Two\\z.inf");
  ASSERT_EQ(Files("C:\\One", CSADirRead::kSortByPath).size(), 2u);
  EXPECT_EQ(Files("C:\\Two", CSADirRead::kSortByPath), Paths{"C:\\Two\\z.inf"});
  EXPECT_EQ(Files("C:\\Nowhere", CSADirRead::kSortByPath), Paths{});
}

TEST_F(DirReadTest, RecursiveScanReadsDeepestDirectoriesFirstAndSkipsJunctions) {
  sim.AddFile("C:\\T\\top.inf");
  sim.AddFile("C:\\T\\x\\mid.inf");
  sim.AddFile("C:\\T\\x\\y\\deep.inf");
  sim.AddFile("C:\\T\\z\\side.inf");
  sim.AddFile("C:\\Elsewhere\\foreign.inf");
  sim.AddJunction("C:\\T\\link", "C:\\Elsewhere");

  EXPECT_EQ(Files("C:\\T\\", CSADirRead::kSortNone, true),
            (Paths{"C:\\T\\x\\y\\deep.inf", "C:\\T\\x\\mid.inf", "C:\\T\\z\\side.inf",
                   "C:\\T\\top.inf"}));
  // The junction is listed as a directory of the base, but not entered.
  EXPECT_EQ(scanner.ScanDirs("C:\\T", found, CSADirRead::kSortNone, true), 4u);
  EXPECT_EQ(PathsOf(), (Paths{"C:\\T\\x\\y", "C:\\T\\link", "C:\\T\\x", "C:\\T\\z"}));
}

TEST_F(DirReadTest, AFailedSearchStepEndsTheScanWithWhatWasFound) {
  for (const char* name : {"a", "b", "c"}) sim.AddFile(std::string("C:\\D\\") + name + ".inf");
  sim.FailNext("FindNext", 5);
  // The first entry comes with the search itself; the next step fails.
  EXPECT_EQ(Files("C:\\D", CSADirRead::kSortByPath), Paths{"C:\\D\\a.inf"});
}

}  // namespace
