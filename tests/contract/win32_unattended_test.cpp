// What only the Win32 side has of an unattended run: the system's own
// command-line parser, the run lock seen from another process, and the
// console as a redirected child sees it.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_report.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_run_lock.h"
#include "support/json_writer.h"
#include "tests/contract/command_line_cases.h"
#include "tests/contract/system_split.h"

namespace {

constexpr wchar_t kChildProgram[] = L"contract_unattended_child.exe";
constexpr DWORD kChildTimeoutMs = 30000;
constexpr DWORD kTimedOut = 0xFFFFFFFF;
constexpr int kLockInUse = 1;

std::vector<std::string> SystemSplitUtf8(const std::u16string& raw) {
  std::vector<std::string> out;
  for (const std::wstring& part : SystemSplit(reinterpret_cast<const wchar_t*>(raw.c_str()))) {
    out.push_back(json::Utf16ToUtf8(std::u16string(part.begin(), part.end())));
  }
  return out;
}

std::vector<std::string> OurSplit(const std::u16string& raw) {
  std::vector<std::string> out;
  for (const std::u16string& part : SplitCommandLine(raw)) out.push_back(json::Utf16ToUtf8(part));
  return out;
}

class Win32CommandLineSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(Win32CommandLineSplit, OursSplitsAsTheSystemDoes) {
  const std::u16string raw = GetParam().raw;
  EXPECT_EQ(OurSplit(raw), SystemSplitUtf8(raw)) << json::Utf16ToUtf8(raw);
}

INSTANTIATE_TEST_SUITE_P(Table, Win32CommandLineSplit, ::testing::ValuesIn(SplitCases()));

std::wstring ChildPath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring directory(path, length);
  return directory.substr(0, directory.find_last_of(L'\\') + 1) + kChildProgram;
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t directory[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, directory);
  return std::wstring(directory) + name;
}

HANDLE InheritableFile(const std::wstring& path) {
  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof(inherit);
  inherit.bInheritHandle = TRUE;
  return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Runs the child with its standard output and error in the given files
// (none: inherited); its exit code, or kTimedOut.
DWORD RunChild(const std::wstring& arguments, const std::wstring& outPath = L"",
               const std::wstring& errorPath = L"", DWORD flags = 0) {
  std::wstring commandLine = L"\"" + ChildPath() + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  HANDLE out = nullptr;
  HANDLE error = nullptr;
  if (!outPath.empty()) {
    out = InheritableFile(outPath);
    error = InheritableFile(errorPath);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = error;
  }
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      flags, nullptr, nullptr, &startup, &process);
  if (out != nullptr) CloseHandle(out);
  if (error != nullptr) CloseHandle(error);
  if (!started) return kTimedOut;
  DWORD code = kTimedOut;
  if (WaitForSingleObject(process.hProcess, kChildTimeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, kTimedOut);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

std::string Contents(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(Win32RunLockAcrossProcesses, AnotherProcessIsRefusedAndACrashedHolderLetsGo) {
  const std::string name = "Global\\PurvexContract.RunLock.Processes";
  const std::wstring wideName(name.begin(), name.end());
  {
    win32::Win32RunLock lock(name);
    RunLockHold hold;
    uint32_t error = 0;
    ASSERT_EQ(lock.TryAcquire(hold, error), RunLockResult::Acquired) << error;
    EXPECT_EQ(RunChild(L"lock " + wideName), static_cast<DWORD>(kLockInUse));
  }
  // Free again: the child takes it and ends without letting go.
  EXPECT_EQ(RunChild(L"lock " + wideName), 0u);
  win32::Win32RunLock lock(name);
  RunLockHold hold;
  uint32_t error = 0;
  EXPECT_EQ(lock.TryAcquire(hold, error), RunLockResult::Acquired) << error;
}

TEST(Win32ConsoleRedirected, WritesUtf8LinesEndedByCrLf) {
  const std::wstring out = TempFile(L"purvex_contract_out.txt");
  const std::wstring error = TempFile(L"purvex_contract_err.txt");
  ASSERT_EQ(RunChild(L"write", out, error), 0u);
  EXPECT_EQ(Contents(out), "first caf\xC3\xA9 \xE5\x8D\xB0\r\n\r\n");
  EXPECT_EQ(Contents(error), "to error\r\n");
  DeleteFileW(out.c_str());
  DeleteFileW(error.c_str());
}

TEST(Win32ConsoleStop, CtrlCRaisesTheSignalAndTheProcessLivesOn) {
  const DWORD code = RunChild(L"ctrl-c", L"", L"", CREATE_NEW_CONSOLE);
  if (code == 4) GTEST_SKIP() << "no console events here";
  EXPECT_EQ(code, 0u);
}

TEST(Win32ConsoleStop, TheEndOfTheSessionRaisesTheSignal) {
  const DWORD code = RunChild(L"end-session");
  if (code == 4) GTEST_SKIP() << "no windows here";
  EXPECT_EQ(code, 0u);
}

// The final-path checks of the report writer hold on the real file system.
TEST(Win32ReportFile, IsWrittenWholeOverTheOldOne) {
  char directory[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, directory), 0u);
  const std::string folder = std::string(directory) + "purvex_contract_report";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string target = folder + "\\run.json";
  {
    std::ofstream old(target, std::ios::binary);
    old << "old report, longer than the new one";
  }
  win32::Win32FileSystem files;
  const ReportWrite write = WriteReportFile(files, target, "{}\r\n");
  EXPECT_TRUE(write.written) << write.step << " " << write.error;
  EXPECT_EQ(Contents(std::wstring(target.begin(), target.end())), "{}\r\n");
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "\\*.tmp").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  DeleteFileA(target.c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
