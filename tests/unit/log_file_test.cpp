#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/log_file_manager.h"
#include "tests/sim/sim_windows.h"
#include "tests/unit/log_lines.h"

namespace {

constexpr const char* kLogName = "purvex.log";
constexpr const char* kLogPath = "C:\\Work\\log\\purvex.log";

class LogFileTest : public ::testing::Test {
 protected:
  LogFileTest() : log(sim.platform().files, sim.platform().system, sim.platform().clock) {
    sim.SetCurrentDir("C:\\Work");
    sim.SetLocalTime(9, 5, 7);
  }

  std::string Content() { return sim.ReadFile(kLogPath).value_or("<missing>"); }

  sim::SimWindows sim;
  CLogFileManager log;
};

TEST_F(LogFileTest, LogGoesUnderTheCurrentDirectoryNotTheProgramDirectory) {
  sim.SetCurrentDir("D:\\Jobs");
  sim.AddDir("D:\\Jobs");
  ASSERT_TRUE(log.OpenLog(kLogName));
  EXPECT_EQ(log.LogFilePath(), "D:\\Jobs\\log\\purvex.log");
  EXPECT_EQ(sim.ReadFile("D:\\Jobs\\log\\purvex.log"), "");
  EXPECT_FALSE(sim.Exists("C:\\Program Files\\Purvex\\log"));

  sim.SetCurrentDir("C:\\");
  ASSERT_TRUE(log.OpenLog(kLogName));
  EXPECT_EQ(log.LogFilePath(), "C:\\log\\purvex.log");
}

class LogSizeRuleTest : public LogFileTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(LogSizeRuleTest, OnlyAFileLargerThanTheLimitIsEmptied) {
  const std::string old(GetParam(), 'x');
  sim.AddFile(kLogPath, old);
  ASSERT_TRUE(log.OpenLog(kLogName));
  ASSERT_TRUE(log.WriteRaw("", false));
  EXPECT_EQ(Content(), (GetParam() <= CLogFileManager::kMaxKeptSize ? old : "") + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(Sizes, LogSizeRuleTest, ::testing::Values(50000, 50001));

struct TimeStampCase {
  int hour, minute, second;
  bool conversionFails;
  const char* expectedLine;
};

class LogTimeStampTest : public LogFileTest,
                         public ::testing::WithParamInterface<TimeStampCase> {};

TEST_P(LogTimeStampTest, LineCarriesHourMinuteSecondWithoutLeadingZeros) {
  const TimeStampCase& c = GetParam();
  sim.SetLocalTime(c.hour, c.minute, c.second);
  sim.SetLocalTimeFails(c.conversionFails);
  ASSERT_TRUE(log.OpenLog(kLogName));
  ASSERT_TRUE(log.WriteLine("Stop Spooler Service..."));
  EXPECT_EQ(Content(), std::string(c.expectedLine) + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Times, LogTimeStampTest,
    ::testing::Values(
        TimeStampCase{0, 0, 0, false, "--> 0.0.0 <--  Stop Spooler Service..."},
        TimeStampCase{9, 5, 7, false, "--> 9.5.7 <--  Stop Spooler Service..."},
        TimeStampCase{9, 5, 7, true, "--> -1.-1.-1 <--  Stop Spooler Service..."}));

TEST_F(LogFileTest, LinesAppendInOrderAndRawLinesHaveNoStamp) {
  sim.AddFile(kLogPath, "earlier run\r\n");
  ASSERT_TRUE(log.OpenLog(kLogName));
  ASSERT_TRUE(log.WriteRaw("", false));
  ASSERT_TRUE(log.WriteLine("first"));
  ASSERT_TRUE(log.WriteRaw("plain", false));
  EXPECT_EQ(Content(), "earlier run\r\n\r\n--> 9.5.7 <--  first\r\nplain\r\n");
}

TEST_F(LogFileTest, LinesThatCannotReachTheFileAreDropped) {
  EXPECT_FALSE(log.WriteLine("before the log is open"));
  ASSERT_TRUE(log.OpenLog(kLogName));
  sim.SetInUse(kLogPath);
  EXPECT_FALSE(log.WriteLine("file held by another writer"));
  sim.ClearInUse(kLogPath);
  EXPECT_TRUE(log.WriteLine("kept"));
  EXPECT_EQ(testlog::Messages(sim, kLogPath), std::vector<std::string>{"kept"});

  sim.SetDenied(kLogPath);
  EXPECT_FALSE(log.OpenLog(kLogName));
  EXPECT_FALSE(log.WriteLine("denied"));
}

TEST_F(LogFileTest, FormattedLinesAreCutToTheFormatBuffer) {
  ASSERT_TRUE(log.OpenLog(kLogName));
  const std::string fits(CLogFileManager::kFormatBufferSize - 1, 'a');
  const std::string tooLong(400, 'b');
  ASSERT_TRUE(log.WriteLineFormat("%s", fits));
  ASSERT_TRUE(log.WriteLineFormat("Path [%s] %d", tooLong, 42));
  EXPECT_EQ(testlog::Messages(sim, kLogPath),
            (std::vector<std::string>{fits, ("Path [" + tooLong).substr(0, 271)}));
}

}  // namespace

// Another file that a link in the log's place would reach.
constexpr const char* kVictimPath = "C:\\Target\\victim.txt";
constexpr const char* kLogDir = "C:\\Work\\log";

struct LinkCase {
  const char* name;
  std::function<void(sim::SimWindows&)> plant;
};

class LogLinkTest : public LogFileTest, public ::testing::WithParamInterface<LinkCase> {
 protected:
  // Larger than the size rule, so that emptying it would show too.
  const std::string victim = std::string(CLogFileManager::kMaxKeptSize + 1, 'v');
};

TEST_P(LogLinkTest, NothingIsWrittenThroughTheLinkAndTheProgramRunsWithoutLog) {
  sim.AddFile(kVictimPath, victim);
  GetParam().plant(sim);
  EXPECT_FALSE(log.OpenLog(kLogName));
  EXPECT_FALSE(log.WriteRaw("", false));
  EXPECT_FALSE(log.WriteLine("a line"));
  EXPECT_EQ(sim.ReadFile(kVictimPath), victim);
  EXPECT_FALSE(sim.Exists("C:\\Target\\created.log"));
  EXPECT_EQ(sim.ReadFile("C:\\Target\\purvex.log").value_or(""), "");
}

INSTANTIATE_TEST_SUITE_P(
    Places, LogLinkTest,
    ::testing::Values(
        LinkCase{"FileLinkToAnotherFile",
                 [](sim::SimWindows& s) { s.AddFileLink(kLogPath, kVictimPath); }},
        LinkCase{"DanglingFileLink",
                 [](sim::SimWindows& s) { s.AddFileLink(kLogPath, "C:\\Target\\created.log"); }},
        LinkCase{"SecondNameOfAnotherFile",
                 [](sim::SimWindows& s) { s.AddHardLink(kLogPath, kVictimPath); }},
        LinkCase{"LogDirectoryIsAJunction",
                 [](sim::SimWindows& s) { s.AddJunction(kLogDir, "C:\\Target"); }},
        LinkCase{"LogDirectoryIsAJunctionHoldingALog",
                 [](sim::SimWindows& s) {
                   s.AddFile("C:\\Target\\purvex.log", "");
                   s.AddJunction(kLogDir, "C:\\Target");
                 }}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

// The log directory's own place may be reached through a junction higher up
// (a current directory on a mounted folder): the file is still the one in
// the directory that was opened.
TEST_F(LogFileTest, CurrentDirectoryReachedThroughAJunctionStillLogs) {
  sim.AddDir("D:\\Real");
  sim.AddJunction("C:\\Work", "D:\\Real");
  ASSERT_TRUE(log.OpenLog(kLogName));
  ASSERT_TRUE(log.WriteLine("kept"));
  EXPECT_EQ(testlog::Messages(sim, "D:\\Real\\log\\purvex.log"), std::vector<std::string>{"kept"});
}

TEST_F(LogFileTest, ALinkPutInTheLogsPlaceDuringTheRunDropsTheLines) {
  sim.AddFile(kVictimPath, "keep");
  ASSERT_TRUE(log.OpenLog(kLogName));
  ASSERT_TRUE(log.WriteLine("before"));
  ASSERT_TRUE(sim.platform().files.RemoveFile(kLogPath).ok);
  sim.AddFileLink(kLogPath, kVictimPath);
  EXPECT_FALSE(log.WriteLine("through the link"));
  EXPECT_EQ(sim.ReadFile(kVictimPath), "keep");
  // A line never creates the file: a dangling link would create its target.
  ASSERT_TRUE(sim.platform().files.RemoveFile(kLogPath).ok);
  EXPECT_FALSE(log.WriteLine("after"));
  EXPECT_FALSE(sim.Exists(kLogPath));
}

namespace {

struct LogDirectoryCase {
  const char* current;
  const char* expected;
};

class DefaultLogDirectoryTest : public ::testing::TestWithParam<LogDirectoryCase> {};

// Others that look for the log (an unattended run's own report of it) ask
// here, so they find it where OpenLog puts it.
TEST_P(DefaultLogDirectoryTest, IsTheLogFolderOfTheCurrentDirectory) {
  EXPECT_EQ(CLogFileManager::DefaultLogDirectory(GetParam().current), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Directories, DefaultLogDirectoryTest,
                         ::testing::Values(LogDirectoryCase{"C:\\Work", "C:\\Work\\log"},
                                           LogDirectoryCase{"C:\\Work\\\\", "C:\\Work\\log"},
                                           LogDirectoryCase{"C:\\", "C:\\log"}));

}  // namespace
