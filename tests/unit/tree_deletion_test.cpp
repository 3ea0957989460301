#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/tree_deletion.h"
#include "platform/win_constants.h"
#include "tests/unit/engine_fixture.h"

namespace engine_test {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kTree = "C:\\Data\\Tree";
constexpr const char* kOutside = "C:\\Outside";
constexpr const char* kKept = "C:\\Outside\\keep.txt";

std::string In(const std::string& name) { return std::string(kTree) + "\\" + name; }

// Every outcome as "<kind> <path> <removed> <error>", and the lines written.
class RecordingTreeSink final : public ITreeDeletionSink {
 public:
  void Log(const std::string& line) override { lines.push_back(line); }
  void Removed(TreeEntryKind kind, const std::string& path, bool removed,
               uint32_t error) override {
    static const char* const kNames[] = {"file", "dirlink", "inplace"};
    outcomes.push_back(std::string(kNames[static_cast<int>(kind)]) + " " + path + " " +
                       (removed ? "removed" : "kept") + " " + std::to_string(error));
  }
  Lines lines;
  Lines outcomes;
};

const TreeDeletionStyle kQuiet{{}, false};
const TreeDeletionStyle kTraced{{"list %s", "link %s", "error %d", "read", "not dot", "built"},
                                true};

struct LinkShape {
  const char* name;
  std::function<void(sim::SimWindows&)> seed;
  std::string path;  // what is deleted
  const TreeDeletionStyle* style;
  bool result;
  Lines outcomes;
};

class TreeLinkTest : public EngineTest, public ::testing::WithParamInterface<LinkShape> {};

// Whatever the shape, what a link leads to stays as it was: content and
// attributes.
TEST_P(TreeLinkTest, WhatALinkLeadsToIsNeverTouched) {
  const LinkShape& c = GetParam();
  sim.AddFile(kKept, "keep", win::kFileAttributeReadOnly);
  sim.AddFile(std::string(kOutside) + "\\sub\\deep.txt", "deep");
  c.seed(sim);
  const size_t seeded = sim.CallsOf("SetAttributes").size();
  RecordingTreeSink sink;

  EXPECT_EQ(DeleteTree(sim.platform().files, c.path, *c.style, sink), c.result);

  EXPECT_EQ(sink.outcomes, c.outcomes);
  EXPECT_EQ(sim.ReadFile(kKept), std::optional<std::string>("keep"));
  EXPECT_EQ(sim.Attributes(kKept), std::optional<uint32_t>(win::kFileAttributeReadOnly));
  EXPECT_TRUE(sim.Exists(std::string(kOutside) + "\\sub\\deep.txt"));
  const Lines changed = sim.CallsOf("SetAttributes");
  EXPECT_TRUE(std::none_of(changed.begin() + static_cast<long>(seeded), changed.end(),
                           [](const std::string& path) {
    return path.find("link") != std::string::npos;
  })) << "attributes changed through a link";
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, TreeLinkTest,
    ::testing::Values(
        LinkShape{"JunctionInside",
                  [](sim::SimWindows& s) {
                    s.AddFile(In("a.txt"));
                    s.AddJunction(In("link"), kOutside);
                  },
                  kTree, &kQuiet, true,
                  {"file " + In("a.txt") + " removed 0", "dirlink " + In("link") + " removed 0"}},
        LinkShape{"ReadOnlyFileLinkInside",
                  [](sim::SimWindows& s) {
                    s.AddFileLink(In("link.txt"), kKept);
                    (void)s.platform().files.SetAttributes(
                        In("link.txt"), win::kFileAttributeReadOnly);
                  },
                  kTree, &kQuiet, false,
                  {"file " + In("link.txt") + " kept 5"}},
        LinkShape{"FileLinkInside",
                  [](sim::SimWindows& s) { s.AddFileLink(In("link.txt"), kKept); }, kTree,
                  &kQuiet, true, {"file " + In("link.txt") + " removed 0"}},
        LinkShape{"JunctionInPlace",
                  [](sim::SimWindows& s) { s.AddJunction("C:\\Data\\link", kOutside); },
                  "C:\\Data\\link", &kQuiet, true, {"inplace C:\\Data\\link removed 0"}},
        LinkShape{"JunctionDeeperDown",
                  [](sim::SimWindows& s) {
                    s.AddJunction(In("sub\\deeper\\link"), kOutside);
                  },
                  kTree, &kQuiet, true, {"dirlink " + In("sub\\deeper\\link") + " removed 0"}},
        // A file link named as the directory: taken as a link only where
        // the style says so, and in neither case entered.
        LinkShape{"FileLinkInPlaceAsLink",
                  [](sim::SimWindows& s) { s.AddFileLink("C:\\Data\\link", kKept); },
                  "C:\\Data\\link", &kTraced, false, {"inplace C:\\Data\\link kept 267"}},
        LinkShape{"FileLinkInPlaceNotListed",
                  [](sim::SimWindows& s) { s.AddFileLink("C:\\Data\\link", kKept); },
                  "C:\\Data\\link", &kQuiet, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, TreeDeletionWritesOnlyTheTextsItIsGiven) {
  sim.AddFile(In("a.txt"));
  RecordingTreeSink quiet;
  EXPECT_TRUE(DeleteTree(sim.platform().files, kTree, kQuiet, quiet));
  EXPECT_TRUE(quiet.lines.empty());

  sim.AddFile(In("b.txt"));
  sim.AddJunction("C:\\Data\\link", kTree);
  RecordingTreeSink traced;
  EXPECT_TRUE(DeleteTree(sim.platform().files, kTree, kTraced, traced));
  EXPECT_TRUE(DeleteTree(sim.platform().files, "C:\\Data\\link", kTraced, traced));
  EXPECT_FALSE(DeleteTree(sim.platform().files, kTree, kTraced, traced));
  EXPECT_EQ(traced.lines, (Lines{"read", "read", "not dot", "built", "link C:\\Data\\link",
                                 "list C:\\Data\\Tree\\"}));
}

TEST_F(EngineTest, TreeDeletionHandsOnTheErrorThatStoppedIt) {
  sim.AddFile(In("a\\busy.txt"));
  sim.AddFile(In("z.txt"));
  sim.SetInUse(In("a\\busy.txt"));
  RecordingTreeSink sink;
  EXPECT_FALSE(DeleteTree(sim.platform().files, kTree, kTraced, sink));
  EXPECT_EQ(sink.outcomes, Lines{"file " + In("a\\busy.txt") + " kept 32"});
  EXPECT_TRUE(sim.Exists(In("z.txt")));

  sim.ClearInUse(In("a\\busy.txt"));
  sim.FailNext("FindNext", win::kErrorAccessDenied);
  EXPECT_FALSE(DeleteTree(sim.platform().files, kTree, kTraced, sink));
  EXPECT_EQ(sink.lines.back(), "error 5");
}

// What the Temp-copy and cabinet removal asked of its caller, in order.
class RecordingStoreSink final : public IStoreCopySink {
 public:
  explicit RecordingStoreSink(bool treeDeleted) : treeDeleted_(treeDeleted) {}
  void Log(const std::string& line) override { events.push_back(line); }
  bool DeleteTempTree(const std::string& directory) override {
    events.push_back("tree " + directory);
    return treeDeleted_;
  }
  void TempTreeDone(const std::string& directory, bool deleted) override {
    events.push_back("done " + directory + (deleted ? " deleted" : " kept"));
  }
  void Record(const std::string& path, bool deleted) override {
    events.push_back("record " + path + (deleted ? " deleted" : " kept"));
  }
  Lines events;

 private:
  bool treeDeleted_;
};

constexpr const char* kTemp = "C:\\Windows\\System32\\DriverStore\\Temp\\p.inf_1";
constexpr const char* kCab = "C:\\Windows\\system32\\spool\\drivers\\x64\\PCC\\p.inf_1.cab";

TEST_F(EngineTest, TempCopyIsDeletedOnlyWhenFoundAndAFailureIsRecorded) {
  const std::string temp = kTemp;
  RecordingStoreSink missing(true);
  RemoveTempCopy(engine, temp, missing);
  EXPECT_TRUE(missing.events.empty());

  sim.AddFile(temp + "\\p.inf");
  RecordingStoreSink failing(false);
  RemoveTempCopy(engine, temp, failing);
  EXPECT_EQ(failing.events,
            (Lines{"[" + temp + "] file exists!", "tree " + temp, "done " + temp + " kept",
                   "Impossible to delete [" + temp + "] directory or sub-directory.",
                   "record " + temp + " kept"}));
  RecordingStoreSink deleting(true);
  RemoveTempCopy(engine, temp, deleting);
  EXPECT_EQ(deleting.events.back(), "[" + temp + "] directory and all sub-directory deleted!");
}

struct CabinetCase {
  const char* name;
  bool present;
  bool inUse;
  bool evenUnseen;
  Lines events;
};

class CabinetTest : public EngineTest, public ::testing::WithParamInterface<CabinetCase> {};

TEST_P(CabinetTest, DeletesAndRecordsAsAsked) {
  const CabinetCase& c = GetParam();
  if (c.present) sim.AddFile(kCab);
  if (c.inUse) sim.SetInUse(kCab);
  RecordingStoreSink sink(true);

  RemoveCabinet(engine, sim.platform().files, kCab, c.evenUnseen, sink);

  EXPECT_EQ(sink.events, c.events);
  EXPECT_EQ(sim.Exists(kCab), c.present && c.inUse);
}

const std::string kCabText = kCab;
INSTANTIATE_TEST_SUITE_P(
    Cases, CabinetTest,
    ::testing::Values(
        CabinetCase{"Present", true, false, false,
                    {"[" + kCabText + "] file exists!", "[" + kCabText + "] file deleted!",
                     "record " + kCabText + " deleted"}},
        CabinetCase{"InUse", true, true, true,
                    {"[" + kCabText + "] file exists!",
                     "Impossible to delete [" + kCabText + "] file.",
                     "record " + kCabText + " kept"}},
        CabinetCase{"MissingNotTried", false, false, false, {}},
        // Tried all the same; a failure of what was not seen is not recorded.
        CabinetCase{"MissingTried", false, false, true,
                    {"Impossible to delete [" + kCabText + "] file."}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace engine_test
