// What only the Win32 side has: the process start with its argument quoting,
// the ANSI casing, the string table of the module, and the guards the Win32
// implementations add on top of the calls.
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win32/code_page.h"
#include "platform/win32/win32_shell.h"
#include "platform/win_constants.h"

#include "tests/sim/outcome_code.h"
#include "tests/contract/contract_fixture.h"
#include "tests/contract/contract_strings.h"
#include "tests/contract/system_split.h"

namespace {

constexpr char kChildProgram[] = "contract_child.exe";
constexpr uint32_t kChildTimeoutMs = 30000;
constexpr uint32_t kShortTimeoutMs = 300;
constexpr UINT kWesternCodePage = 1252;
constexpr uint64_t kFileTimeUnitsPerSecond = 10000000;
constexpr uint64_t kClockSlackSeconds = 120;
constexpr int kHighPartShift = 32;

// The arguments as the system's own parser splits the command line.
std::vector<std::string> Split(const std::string& commandLine) {
  std::vector<std::string> result;
  for (const std::wstring& part : SystemSplit(win32::WideFromAnsi(commandLine).c_str())) {
    result.push_back(win32::AnsiFromWide(part.c_str()));
  }
  return result;
}

std::string ChildPath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path, length);
  return directory.substr(0, directory.find_last_of('\\') + 1) + kChildProgram;
}

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

class Win32Quoting : public ::testing::TestWithParam<std::string> {};

TEST_P(Win32Quoting, SystemParserGivesTheArgumentBack) {
  const std::string argument = GetParam();
  EXPECT_EQ(Split("prog.exe " + win32::QuoteArgument(argument)),
            (std::vector<std::string>{"prog.exe", argument}));
}

INSTANTIATE_TEST_SUITE_P(Arguments, Win32Quoting,
                         ::testing::Values("plain", "with space", "", "tab\there",
                                           "q\"uote", "\"", "\\\"", "trail\\", "trail\\\\",
                                           "back\\\\\"x", "a\\b", "\\\\server\\share\\",
                                           "C:\\Program Files\\Maker\\", "/dd /m \"x\""));

TEST(Win32CommandLine, ProgramPathWithSpacesStaysOneArgument) {
  const std::string program = "C:\\Program Files\\Maker Tools\\tool.exe";
  EXPECT_EQ(Split(win32::BuildCommandLine(program, {"a b", "c"})),
            (std::vector<std::string>{program, "a b", "c"}));
}

class Win32Process : public ContractTest {};

TEST_F(Win32Process, ChildGetsEveryArgumentExactlyAndNoInput) {
  const std::string output = Path("args.txt");
  const std::vector<std::string> echoed = {"/r", "C:\\Program Files\\X", "say \"hi\"", "end\\"};
  std::vector<std::string> arguments = {"echo", output};
  arguments.insert(arguments.end(), echoed.begin(), echoed.end());
  uint32_t exitCode = 1;
  Outcome run = P().shell.RunProcess(ChildPath(), arguments, kChildTimeoutMs, exitCode);
  ASSERT_TRUE(run.ok) << run.error;
  EXPECT_EQ(exitCode, 0u) << "standard input was not at its end";
  EXPECT_EQ(Lines(output), echoed);
}

TEST_F(Win32Process, TimeoutEndsTheChildButCountsAsStarted) {
  uint32_t exitCode = 0;
  Outcome run = P().shell.RunProcess(ChildPath(), {"wait"}, kShortTimeoutMs, exitCode);
  EXPECT_TRUE(run.ok);
  EXPECT_NE(exitCode, 0u);
}

TEST_F(Win32Process, MissingProgramIsNotStarted) {
  uint32_t exitCode = 0;
  Outcome run = P().shell.RunProcess(Path("missing.exe"), {}, kChildTimeoutMs, exitCode);
  EXPECT_FALSE(run.ok);
  EXPECT_EQ(run.error, win::kErrorFileNotFound);
}

// The environment installed the ANSI mappers when it was built.
TEST(Win32CaseMappers, CasingAndComparisonCoverTheCodePage) {
  if (GetACP() != kWesternCodePage) GTEST_SKIP() << "expectations are for code page 1252";
  EXPECT_EQ(text::Upper("abc\xe9\xfc"), "ABC\xc9\xdc");
  EXPECT_EQ(text::Lower("ABC\xc9\xdc"), "abc\xe9\xfc");
  EXPECT_EQ(text::CompareNoCase("Caf\xe9", "CAF\xc9"), 0);
  EXPECT_LT(text::CompareNoCase("apple", "Banana"), 0);
  EXPECT_GT(text::CompareNoCase("banana", "Apple"), 0);
}

class Win32Strings : public ContractTest {};

TEST_F(Win32Strings, LoadsShortLongAndMissingEntries) {
  EXPECT_EQ(P().strings.Load(IDS_CONTRACT_SHORT), "Short text");
  const std::string text = P().strings.Load(IDS_CONTRACT_LONG);
  EXPECT_EQ(text.size(), static_cast<size_t>(CONTRACT_LONG_STRING_LENGTH));
  EXPECT_EQ(text.substr(text.size() - 3), "end");
  EXPECT_EQ(P().strings.Load(IDS_CONTRACT_MISSING), "");
}

class Win32Guards : public ContractTest {};

TEST_F(Win32Guards, DeleteTreeRefusesToEmptyAHive) {
  EXPECT_EQ(sim::CodeOf(P().registry.DeleteTree(RegRoot::CurrentUser, "")), win::kErrorInvalidParameter);
  EXPECT_EQ(sim::CodeOf(P().registry.DeleteTree(RegRoot::CurrentUser, "\\")), win::kErrorInvalidParameter);
  EXPECT_TRUE(Env().KeyExists(Env().ScratchKey()));
}

TEST_F(Win32Guards, ClosedPrinterHandleIsInvalid) {
  if (!Env().InstallPrinter("Purvex Contract Close", "Purvex Contract Close Driver", "Maker",
                        "MAKER_CLOSE")) {
    GTEST_SKIP() << "cannot add printers here";
  }
  PrinterHandle printer;
  ASSERT_TRUE(P().spooler.Open("Purvex Contract Close", 0, printer).ok);
  EXPECT_TRUE(printer->Close().ok);
  EXPECT_EQ(printer->Close().error, win::kErrorInvalidHandle);
  uint32_t needed = 0;
  EXPECT_EQ(printer->GetPrinter2Size(needed).error, win::kErrorInvalidHandle);
}

TEST_F(Win32Guards, FindTimesAreFileTimesOfNow) {
  ASSERT_TRUE(Env().PutFile(Path("now.txt"), "x", win::kFileAttributeArchive));
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const uint64_t current = (static_cast<uint64_t>(now.dwHighDateTime) << kHighPartShift) | now.dwLowDateTime;
  FindData found;
  FindHandle find;
  ASSERT_TRUE(P().files.FindFirst(Path("now.txt"), found, find).ok);
  const uint64_t slack = kClockSlackSeconds * kFileTimeUnitsPerSecond;
  EXPECT_LT(found.lastWriteTime, current + slack);
  EXPECT_GT(found.lastWriteTime, current - slack);
  EXPECT_LT(found.creationTime, current + slack);
  EXPECT_GT(found.creationTime, current - slack);
}

}  // namespace
