#include "app/run_report.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "platform/win_constants.h"
#include "tests/sim/sim_windows.h"

namespace {

constexpr const char* kDir = "C:\\Reports";
constexpr const char* kTarget = "C:\\Reports\\run.json";

RunReport SampleReport() {
  RunReport report;
  report.programVersion = "1.0.2.0";
  report.windowsVersion = "6.1.7601";
  report.architecture = ArchitectureName(9);
  report.commandLine = u"purvexc.exe /uninstall \"Caf\u00e9 \u5370\" /components driver";
  report.command = *ParseCommandLine(report.commandLine).command;
  ReportPrinter printer;
  printer.name = "Caf\xE9 ?";  // the spooler's ANSI name
  printer.driver = "Maker \"Pro\" Driver";
  printer.hardwareId = "USBPRINT\\MAKERPRO5D4E";
  printer.driverVersion = "3.1.0.0";
  printer.driverStoreFolder = "C:\\Windows\\System32\\DriverStore\\FileRepository\\mk.inf_1";
  printer.driverShared = false;
  report.printer = printer;
  report.items.push_back({ReportItemKind::Printer, printer.name, ReportItemResult::Removed, "", 0});
  report.items.push_back({ReportItemKind::File, "C:\\Windows\\system32\\mkui.dll",
                          ReportItemResult::Failed, "in use", win::kErrorSharingViolation});
  report.items.push_back({ReportItemKind::RegistryKey, "HKLM\\SOFTWARE\\Maker\\Shared",
                          ReportItemResult::Kept, "another printer uses it", 0});
  report.messages = {"Line one\r\nline two"};
  report.exitCode = 40;
  return report;
}

class RunReportTest : public ::testing::Test {
 protected:
  RunReportTest() { sim.AddDir(kDir); }

  sim::SimWindows sim;
};

TEST_F(RunReportTest, RendersEveryFieldAsUtf8) {
  const RenderedReport rendered = RenderReport(SampleReport(), sim.platform().textConversion);
  EXPECT_EQ(rendered.replacedCharacters, 0u);
  EXPECT_EQ(rendered.json,
            "{\r\n"
            "  \"format\": 1,\r\n"
            "  \"program\": {\r\n"
            "    \"version\": \"1.0.2.0\"\r\n"
            "  },\r\n"
            "  \"windows\": {\r\n"
            "    \"version\": \"6.1.7601\",\r\n"
            "    \"architecture\": \"x64\"\r\n"
            "  },\r\n"
            "  \"command\": {\r\n"
            "    \"line\": \"purvexc.exe /uninstall \\\"Caf\xC3\xA9 \xE5\x8D\xB0\\\" /components driver\",\r\n"
            "    \"action\": \"uninstall\",\r\n"
            "    \"printer\": \"Caf\xC3\xA9 \xE5\x8D\xB0\",\r\n"
            "    \"components\": [\r\n"
            "      \"printer\",\r\n"
            "      \"driver\"\r\n"
            "    ],\r\n"
            "    \"preview\": false,\r\n"
            "    \"report\": null,\r\n"
            "    \"log\": null\r\n"
            "  },\r\n"
            "  \"printer\": {\r\n"
            "    \"name\": \"Caf\xC3\xA9 ?\",\r\n"
            "    \"driver\": \"Maker \\\"Pro\\\" Driver\",\r\n"
            "    \"hardwareId\": \"USBPRINT\\\\MAKERPRO5D4E\",\r\n"
            "    \"driverVersion\": \"3.1.0.0\",\r\n"
            "    \"driverStoreFolder\": \"C:\\\\Windows\\\\System32\\\\DriverStore\\\\FileRepository\\\\mk.inf_1\",\r\n"
            "    \"driverShared\": false\r\n"
            "  },\r\n"
            "  \"printers\": [],\r\n"
            "  \"items\": [\r\n"
            "    {\r\n"
            "      \"kind\": \"printer\",\r\n"
            "      \"name\": \"Caf\xC3\xA9 ?\",\r\n"
            "      \"result\": \"removed\",\r\n"
            "      \"reason\": \"\",\r\n"
            "      \"error\": 0\r\n"
            "    },\r\n"
            "    {\r\n"
            "      \"kind\": \"file\",\r\n"
            "      \"name\": \"C:\\\\Windows\\\\system32\\\\mkui.dll\",\r\n"
            "      \"result\": \"failed\",\r\n"
            "      \"reason\": \"in use\",\r\n"
            "      \"error\": 32\r\n"
            "    },\r\n"
            "    {\r\n"
            "      \"kind\": \"registry-key\",\r\n"
            "      \"name\": \"HKLM\\\\SOFTWARE\\\\Maker\\\\Shared\",\r\n"
            "      \"result\": \"kept\",\r\n"
            "      \"reason\": \"another printer uses it\",\r\n"
            "      \"error\": 0\r\n"
            "    }\r\n"
            "  ],\r\n"
            "  \"messages\": [\r\n"
            "    \"Line one\\r\\nline two\"\r\n"
            "  ],\r\n"
            "  \"stopped\": false,\r\n"
            "  \"exitCode\": 40\r\n"
            "}\r\n");
}

TEST_F(RunReportTest, TextTheCodePageCannotReadIsMarkedNotLost) {
  RunReport report = SampleReport();
  report.messages = {"ok \xE9"};
  sim.FailNext("AnsiToUtf8", win::kErrorNoUnicodeTranslation);  // the version field
  const RenderedReport rendered = RenderReport(report, sim.platform().textConversion);
  EXPECT_NE(rendered.json.find("\"version\": \"1.0.2.0\""), std::string::npos);
  EXPECT_EQ(rendered.replacedCharacters, 0u);

  report.programVersion = "1.0\xE9";
  sim.FailNext("AnsiToUtf8", win::kErrorNoUnicodeTranslation);
  const RenderedReport marked = RenderReport(report, sim.platform().textConversion);
  EXPECT_NE(marked.json.find("\"version\": \"1.0\xEF\xBF\xBD\""), std::string::npos);
  EXPECT_EQ(marked.replacedCharacters, 1u);
  EXPECT_NE(marked.json.find("\"ok \xC3\xA9\""), std::string::npos);
}

TEST_F(RunReportTest, ListsPrintersAndStops) {
  RunReport report;
  report.command.action = CliAction::List;
  report.printers = {ReportPrinter{"A", "D", "", "", "", true}, ReportPrinter{"B", "D", "", "", "", true}};
  report.stopped = true;
  report.exitCode = ExitCodeValue(ExitCode::kStopped);
  const std::string json = RenderReport(report, sim.platform().textConversion).json;
  EXPECT_NE(json.find("\"action\": \"list\""), std::string::npos);
  EXPECT_NE(json.find("\"printer\": null"), std::string::npos);
  EXPECT_NE(json.find("\"components\": null"), std::string::npos);
  EXPECT_NE(json.find("\"name\": \"B\""), std::string::npos);
  EXPECT_NE(json.find("\"driverShared\": true"), std::string::npos);
  EXPECT_NE(json.find("\"stopped\": true,\r\n  \"exitCode\": 108\r\n}"), std::string::npos);
}

TEST(ReportNames, ArchitecturesKindsAndResults) {
  EXPECT_EQ(ArchitectureName(0), "x86");
  EXPECT_EQ(ArchitectureName(6), "ia64");
  EXPECT_EQ(ArchitectureName(12), "arm64");
  EXPECT_EQ(ArchitectureName(5), "unknown (5)");
  EXPECT_STREQ(ReportKindName(ReportItemKind::DriverPackage), "driver-package");
  EXPECT_STREQ(ReportResultName(ReportItemResult::WouldRemove), "would-remove");
}

TEST_F(RunReportTest, WritesANewFileAndReplacesTheOldOneWhole) {
  sim.AddFile(kTarget, "old report");
  const ReportWrite write = WriteReportFile(sim.platform().files, kTarget, "{}\r\n");
  ASSERT_TRUE(write.written) << write.step << " " << write.error;
  EXPECT_EQ(sim.ReadFile(kTarget), "{}\r\n");
  EXPECT_EQ(sim.ListTree(kDir), std::vector<std::string>{kTarget});
}

TEST_F(RunReportTest, WritesLargeContentAndBelowTheCurrentDirectory) {
  const std::string big(3 * 1024 * 1024 + 5, 'x');
  ASSERT_TRUE(WriteReportFile(sim.platform().files, kTarget, big).written);
  EXPECT_EQ(sim.ReadFile(kTarget), big);
  sim.AddDir(std::string(sim::kDefaultCurrentDir) + "\\out");
  const ReportWrite here = WriteReportFile(sim.platform().files, "out\\here.json", "1");
  ASSERT_TRUE(here.written) << here.step << " " << here.error;
  EXPECT_EQ(sim.ReadFile(std::string(sim::kDefaultCurrentDir) + "\\out\\here.json"), "1");
}

TEST_F(RunReportTest, PassesOverNamesThatAlreadyExist) {
  sim.AddFile(std::string(kTarget) + ".0.tmp", "somebody's");
  sim.AddFileLink(std::string(kTarget) + ".1.tmp", "C:\\Windows\\system32\\victim.dll");
  ASSERT_TRUE(WriteReportFile(sim.platform().files, kTarget, "new").written);
  EXPECT_EQ(sim.ReadFile(kTarget), "new");
  EXPECT_EQ(sim.ReadFile(std::string(kTarget) + ".0.tmp"), "somebody's");
  EXPECT_FALSE(sim.Exists("C:\\Windows\\system32\\victim.dll"));
  EXPECT_FALSE(sim.Exists(std::string(kTarget) + ".2.tmp"));
}

TEST_F(RunReportTest, ALinkAtTheTargetIsReplacedNotFollowed) {
  sim.AddFile("C:\\Windows\\system32\\keep.dll", "code");
  sim.AddFileLink(kTarget, "C:\\Windows\\system32\\keep.dll");
  ASSERT_TRUE(WriteReportFile(sim.platform().files, kTarget, "{}").written);
  EXPECT_EQ(sim.ReadFile("C:\\Windows\\system32\\keep.dll"), "code");
  EXPECT_EQ(sim.ReadFile(kTarget), "{}");
  EXPECT_EQ(sim.Attributes(kTarget).value_or(0) & win::kFileAttributeReparsePoint, 0u);
}

struct WriteFault {
  const char* name;
  std::function<void(sim::SimWindows&)> arrange;
  const char* step;
  uint32_t error;
};

class ReportWriteFaultTest : public ::testing::TestWithParam<WriteFault> {};

// Whatever step fails, the old report stays as it was and nothing new is
// left behind.
TEST_P(ReportWriteFaultTest, LeavesTheOldReportAndNoLeftovers) {
  sim::SimWindows sim;
  sim.AddDir(kDir);
  sim.AddFile(kTarget, "old");
  GetParam().arrange(sim);
  const ReportWrite write = WriteReportFile(sim.platform().files, kTarget, "new");
  EXPECT_FALSE(write.written);
  EXPECT_EQ(write.step, GetParam().step);
  EXPECT_EQ(write.error, GetParam().error);
  sim.ClearFaults();
  if (sim.Exists(kTarget) && !sim.IsDirectory(kTarget)) {
    EXPECT_EQ(sim.ReadFile(kTarget), "old");
  }
  for (const std::string& path : sim.ListTree(kDir)) {
    EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReportWriteFaultTest,
    ::testing::Values(
        WriteFault{"MissingDirectory",
                   [](sim::SimWindows& s) { s.FailNext("OpenDirectory", win::kErrorPathNotFound); },
                   "open directory", win::kErrorPathNotFound},
        WriteFault{"CreateDenied",
                   [](sim::SimWindows& s) { s.FailNext("OpenFile", win::kErrorAccessDenied); },
                   "create", win::kErrorAccessDenied},
        WriteFault{"EveryNameTaken",
                   [](sim::SimWindows& s) {
                     s.FailNext("OpenFile", win::kErrorFileExists, sim::kUnlimited);
                   },
                   "create", win::kErrorFileExists},
        WriteFault{"DiskFull",
                   [](sim::SimWindows& s) { s.FailNext("WriteFile", 112); }, "write", 112},
        WriteFault{"TargetReadOnly",
                   [](sim::SimWindows& s) {
                     s.AddFile(kTarget, "old", win::kFileAttributeReadOnly);
                   },
                   "replace", win::kErrorAccessDenied},
        WriteFault{"TargetIsADirectory",
                   [](sim::SimWindows& s) {
                     ASSERT_TRUE(s.platform().files.RemoveFile(kTarget).ok);
                     s.AddDir(kTarget);
                   },
                   "replace", win::kErrorAccessDenied}),
    [](const ::testing::TestParamInfo<WriteFault>& info) { return std::string(info.param.name); });

TEST_F(RunReportTest, RefusesATargetWithoutAName) {
  EXPECT_EQ(WriteReportFile(sim.platform().files, "C:\\Reports\\", "x").step, "name");
  EXPECT_EQ(WriteReportFile(sim.platform().files, "C:\\Reports\\..", "x").error,
            win::kErrorInvalidName);
  EXPECT_EQ(WriteReportFile(sim.platform().files, "bare.json", "x").error,
            win::kErrorInvalidName);
  EXPECT_TRUE(sim.ListTree(kDir).empty());
}

TEST(ExitCodes, OwnCodesMeetNoResultCodeAndFollowTheirOrder) {
  for (ExitCode code : {ExitCode::kUsageError, ExitCode::kPrinterNotListed,
                        ExitCode::kNotElevated, ExitCode::kRunInProgress,
                        ExitCode::kPreviewIncomplete, ExitCode::kReportNotWritten,
                        ExitCode::kStopped}) {
    const int32_t value = ExitCodeValue(code);
    EXPECT_GT(value, 80);
    EXPECT_NE(value % 5, 0);
    EXPECT_NE(value, 1602);
    EXPECT_NE(value, 1641);
    EXPECT_NE(value, 3010);
  }
  EXPECT_EQ(FinalExitCode(RunEnd{}), 0);
  EXPECT_EQ(FinalExitCode(RunEnd{45, false, false, false}), 45);
  EXPECT_EQ(FinalExitCode(RunEnd{45, false, true, false}), 106);
  EXPECT_EQ(FinalExitCode(RunEnd{45, false, true, true}), 107);
  EXPECT_EQ(FinalExitCode(RunEnd{45, true, true, true}), 108);
  EXPECT_EQ(LastNonZeroResult(std::vector<int>{0, 40, 0, 70, 0}), 70);
  EXPECT_EQ(LastNonZeroResult(std::vector<int>{0, 0}), 0);
  // A port-service driver file that was already gone is no failure.
  EXPECT_EQ(LastNonZeroResult(std::vector<int>{45, 80}), 45);
  EXPECT_EQ(LastNonZeroResult(std::vector<int>{80}), 0);
}

}  // namespace
