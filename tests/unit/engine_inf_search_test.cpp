#include <string>
#include <vector>

#include "tests/common/utf16_text.h"
#include "tests/unit/engine_fixture.h"

namespace engine_test {
namespace {

constexpr const char* kInfDir = "C:\\Windows\\inf";
constexpr const char* kId = "VID_0E7B&PID_0001";
// Lines longer than this reach the reader in more than one piece.
constexpr size_t kReadBuffer = 4096;

std::string Inf(const std::string& name) { return std::string(kInfDir) + "\\" + name; }

std::string Fill(size_t count) { return std::string(count, 'x'); }

struct LineCase {
  const char* name;
  std::string content;
  std::string first;
  std::string second;
  bool found;
};

class InfContentTest : public EngineTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(InfContentTest, FindsOnlyFilesWithOneLineHoldingBothTexts) {
  const LineCase& c = GetParam();
  sim.AddFile(Inf("oem1.inf"), c.content);
  std::string first = c.first, second = c.second;
  FileList found;

  EXPECT_TRUE(engine.FindInfFiles(kInfDir, &found, first, second, false));

  EXPECT_EQ(found, c.found ? FileList{Inf("oem1.inf")} : FileList{});
}

INSTANTIATE_TEST_SUITE_P(
    Lines, InfContentTest,
    ::testing::Values(
        LineCase{"AnyLetterCase", "[Models]\r\nx=USB\\vid_0e7b&pid_0001\r\n", "vid_0E7B&pid_0001", "", true},
        LineCase{"TextsOnOneLine", "PID_0001 and VID_0E7B\r\n", "vid_0e7b", "pid_0001", true},
        LineCase{"TextsOnDifferentLines", "VID_0E7B\r\nPID_0001\r\n", "VID_0E7B", "PID_0001", false},
        LineCase{"FirstTextEmpty", "a\r\nPID_0001\r\n", "", "PID_0001", true},
        LineCase{"LineFeedEndings", "a\nb\nUSB\\VID_0E7B&PID_0001\n", kId, "", true},
        LineCase{"LastLineWithoutEnd", "a\r\n" + std::string(kId), kId, "", true},
        LineCase{"TextCutByALineEnd", "VID_0E7B&PID_\r\n0001\r\n", kId, "", false},
        LineCase{"TextAfterANul", std::string("abc\0", 4) + kId + "\r\n", kId, "", false},
        LineCase{"TextAcrossTheBufferEnd", Fill(kReadBuffer - 5) + kId + "\r\n", kId, "", true},
        LineCase{"TextsFarApartOnALongLine",
                 "VID_0E7B" + Fill(3 * kReadBuffer) + "PID_0001\r\n", "VID_0E7B", "PID_0001", true},
        LineCase{"LongLineThenTheOther",
                 "VID_0E7B" + Fill(2 * kReadBuffer) + "\r\nPID_0001\r\n", "VID_0E7B", "PID_0001", false},
        LineCase{"LineEndingExactlyAtTheBufferEnd",
                 Fill(kReadBuffer - 8) + "VID_0E7B\nPID_0001\n", "VID_0E7B", "PID_0001", false},
        LineCase{"LongLineEndingInPartOfTheText",
                 Fill(kReadBuffer + 10) + "VID_0E7B&PID_\r\n0001" + Fill(kReadBuffer) + "\r\n",
                 kId, "", false},
        LineCase{"TextOnTheLineAfterALongOne",
                 Fill(kReadBuffer * 2 + 3) + "\r\nx=" + std::string(kId) + "\r\n", kId, "", true},
        LineCase{"TextInTheThirdPieceOfALongLine",
                 Fill(2 * kReadBuffer - 4) + kId + Fill(kReadBuffer) + "\r\n", kId, "", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Driver packages ship their INF as UTF-16 text as often as not; the search
// reads it as text of either byte order.
TEST_F(EngineTest, Utf16InfFilesAreSearchedAsText) {
  using testtext::Utf16WithMark;
  sim.AddFile(Inf("le.inf"), Utf16WithMark(std::string("x=y,usb\\") + kId + "\r\n"));
  sim.AddFile(Inf("be.inf"), Utf16WithMark(std::string("x=y,USB\\") + kId + "\r\n",
                                           testtext::ByteOrder::Big));
  sim.AddFile(Inf("longer.inf"), Utf16WithMark(std::string("x=y,USB\\") + kId + "&MI_00\r\n"));
  sim.AddFile(Inf("comment.inf"), Utf16WithMark(std::string("x=y ; USB\\") + kId + "\r\n"));
  std::string first = std::string("USB\\") + kId, second;
  FileList found;

  EXPECT_TRUE(engine.FindInfFiles(kInfDir, &found, first, second, false, InfTextKind::WholeId));

  EXPECT_EQ(found, (FileList{Inf("be.inf"), Inf("le.inf")}));
}

TEST_F(EngineTest, SearchesTheInfFilesOfTheDirectoryInPathOrder) {
  const std::string line = std::string("x=USB\\") + kId + "\r\n";
  sim.AddFile(Inf("b.INF"), line);
  sim.AddFile(Inf("A.inf"), line);
  sim.AddFile(Inf("c.inf"), "nothing\r\n");
  sim.AddFile(Inf("notes.txt"), line);
  sim.AddFile(Inf("x.inf\\oem9.inf"), line);  // a directory named x.inf
  std::string first = "vid_0e7b&pid_0001", second = "";
  FileList found{"C:\\old.inf"};

  EXPECT_TRUE(engine.FindInfFiles(kInfDir, &found, first, second, false));

  EXPECT_EQ(found, (FileList{Inf("A.inf"), Inf("b.INF")}));
  EXPECT_EQ(first, kId);  // the caller's text is upper-cased
  EXPECT_EQ(Log(), (std::vector<std::string>{"Try to Find Inf Files...",
                                             "Found The File: [" + Inf("A.inf") + "]",
                                             "Found The File: [" + Inf("b.INF") + "]"}));
  EXPECT_EQ(StatusNotices(), 3u);
  EXPECT_EQ(engine.GetStatusText(), "Verifying file [" + Inf("c.inf") + "]...");
}

TEST_F(EngineTest, FileThatCannotBeOpenedIsAnnouncedAndPassedOver) {
  const std::string line = std::string(kId) + "\r\n";
  sim.AddFile(Inf("a.inf"), line);
  sim.AddFile(Inf("b.inf"), line);
  sim.SetDenied(Inf("a.inf"));
  std::string first = kId, second;
  FileList found;

  EXPECT_TRUE(engine.FindInfFiles(kInfDir, &found, first, second, false));

  EXPECT_EQ(found, FileList{Inf("b.inf")});
  EXPECT_EQ(StatusNotices(), 2u);
  EXPECT_EQ(Log(), (std::vector<std::string>{"Try to Find Inf Files...",
                                             "Impossible to open file [" + Inf("a.inf") +
                                                 "]. Error 5.",
                                             "Found The File: [" + Inf("b.inf") + "]"}));
}

TEST_F(EngineTest, AppendFlagKeepsEarlierFindsAndAddsRepeatsAgain) {
  sim.AddFile(Inf("a.inf"), std::string(kId) + "\r\n");
  std::string first = kId, second;
  FileList found{"C:\\old.inf"};

  EXPECT_TRUE(engine.FindInfFiles(kInfDir, &found, first, second, true));
  EXPECT_TRUE(engine.FindInfFiles(kInfDir, &found, first, second, true));

  EXPECT_EQ(found, (FileList{"C:\\old.inf", Inf("a.inf"), Inf("a.inf")}));
}

struct Refusal {
  const char* name;
  std::string directory;
  std::string first;
  std::string second;
  bool withList;
};

class InfSearchRefusalTest : public EngineTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(InfSearchRefusalTest, RefusedSearchChangesNothingAndLogsNothing) {
  const Refusal& r = GetParam();
  sim.AddFile(Inf("a.inf"), "vid\r\n");
  std::string first = r.first, second = r.second;
  FileList found{"C:\\old.inf"};

  EXPECT_FALSE(engine.FindInfFiles(r.directory, r.withList ? &found : nullptr, first, second,
                                   false));

  EXPECT_EQ(found, FileList{"C:\\old.inf"});
  EXPECT_EQ(first, r.first);
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(StatusNotices(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, InfSearchRefusalTest,
    ::testing::Values(Refusal{"BothTextsEmpty", kInfDir, "", "", true},
                      Refusal{"NoDirectory", "", "vid", "", true},
                      Refusal{"NoResultList", kInfDir, "vid", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace engine_test
