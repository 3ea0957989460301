#include <gtest/gtest.h>

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
