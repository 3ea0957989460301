#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/purvex_dlg.h"
#include "engine/device_service.h"
#include "platform/win_constants.h"
#include "resources/resource_ids.h"
#include "tests/sim/sim_windows.h"
#include "tests/unit/log_lines.h"

namespace {

using Lines = std::vector<std::string>;

constexpr const char* kLogPath = "C:\\Work\\log\\purvex.log";
constexpr const char* kModulePath = "C:\\Program Files\\Purvex\\purvex.exe";
constexpr uint32_t kFailureStyle = win::kMbOk | win::kMbIconExclamation;

class PurvexDlgTest : public ::testing::Test {
 protected:
  PurvexDlgTest() : dialog(sim.platform()) {}

  Lines Logged() { return testlog::Messages(sim, kLogPath); }
  std::string Text(uint32_t id) { return sim.platform().strings.Load(id); }
  // The one box shown, checked for what every box of the dialog shares.
  sim::MessageBoxRecord OnlyBox(uint32_t style = kFailureStyle) {
    const std::vector<sim::MessageBoxRecord> boxes = sim.MessageBoxes();
    EXPECT_EQ(boxes.size(), 1u);
    if (boxes.empty()) return {};
    EXPECT_EQ(boxes[0].owner, BoxOwner::MainDialog);
    EXPECT_EQ(boxes[0].caption, "purvex");
    EXPECT_EQ(boxes[0].style, style);
    return boxes[0];
  }

  sim::SimWindows sim;
  CPurvexDlg dialog;
};

TEST_F(PurvexDlgTest, InitializationOpensTheLogWithABlankLineAndGivesThePageItsOwner) {
  sim.AddFile(kLogPath, "last run\r\n");
  dialog.InitializeState();
  EXPECT_EQ(sim.ReadFile(kLogPath), "last run\r\n\r\n");
  EXPECT_EQ(dialog.PrinterPage.MainDialog, &dialog);
}

struct EnvironmentCase {
  uint16_t architecture;
  const char* driversKey;
  const char* pccDir;
  const char* driversDir;
};

class DetectEnvironmentTest : public PurvexDlgTest,
                              public ::testing::WithParamInterface<EnvironmentCase> {};

TEST_P(DetectEnvironmentTest, ChoosesTheRowOfTheArchitecture) {
  const EnvironmentCase& c = GetParam();
  sim.SetProcessorArchitecture(c.architecture);
  dialog.InitializeState();
  EXPECT_EQ(dialog.EnvDriversKey, c.driversKey);
  EXPECT_EQ(dialog.SpoolPccDir, c.pccDir);
  EXPECT_EQ(dialog.SpoolDriversDir, c.driversDir);
  // The page works on its own copies.
  EXPECT_EQ(dialog.PrinterPage.EnvDriversKey, c.driversKey);
  EXPECT_EQ(dialog.PrinterPage.SpoolPccDir, c.pccDir);
  EXPECT_EQ(dialog.PrinterPage.SpoolDriversDir, c.driversDir);
  EXPECT_EQ(dialog.PrinterPage.ProcessorArchitecture, c.architecture);
}

constexpr const char* kX86Key =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3";
constexpr uint16_t kArm64 = 12;

INSTANTIATE_TEST_SUITE_P(
    Architectures, DetectEnvironmentTest,
    ::testing::Values(
        EnvironmentCase{9,
                        "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3",
                        "system32\\spool\\drivers\\x64\\PCC", "system32\\spool\\drivers\\x64"},
        EnvironmentCase{6,
                        "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows IA64\\Drivers\\Version-3",
                        "system32\\spool\\drivers\\IA64\\PCC", "system32\\spool\\drivers\\IA64"},
        EnvironmentCase{0, kX86Key, "system32\\spool\\drivers\\w32x86\\PCC",
                        "system32\\spool\\drivers\\w32x86"},
        EnvironmentCase{kArm64, kX86Key, "system32\\spool\\drivers\\w32x86\\PCC",
                        "system32\\spool\\drivers\\w32x86"}));

struct ReleaseCase {
  const char* fileVersion;  // nullptr: no version resource
  const char* release;
};

class ReleaseVersionTest : public PurvexDlgTest,
                           public ::testing::WithParamInterface<ReleaseCase> {};

TEST_P(ReleaseVersionTest, FileVersionBecomesTheReleaseText) {
  if (GetParam().fileVersion != nullptr) sim.SetFileVersion(kModulePath, GetParam().fileVersion);
  EXPECT_EQ(dialog.GetReleaseVersion(), GetParam().release);
}

INSTANTIATE_TEST_SUITE_P(Versions, ReleaseVersionTest,
                         ::testing::Values(ReleaseCase{"1, 0, 2, 0", "10.20"},
                                           ReleaseCase{"0, 9, 0, 1", "9.01"},
                                           ReleaseCase{"1, 0, 0, 3", "10.03"},
                                           // 19 characters of the value remain.
                                           ReleaseCase{"1, 2, 3, 4, 5, 6, 7, 8", "12.34567"},
                                           ReleaseCase{nullptr, ""}));

TEST_F(PurvexDlgTest, ManualOpensWithTheShellFromTheProgramDirectory) {
  sim.SetModuleFileName("D:\\Tools\\Purvex.Setup.exe");
  EXPECT_FALSE(dialog.OnHelpKey(true));  // Shift+F1
  EXPECT_TRUE(sim.ShellExecutes().empty());
  EXPECT_TRUE(dialog.OnHelpKey(false));

  const std::vector<sim::ShellExecuteRecord> executes = sim.ShellExecutes();
  ASSERT_EQ(executes.size(), 1u);
  EXPECT_EQ(executes[0].verb, "open");
  EXPECT_EQ(executes[0].file, "D:\\Tools\\Purvex manual.pdf");
  EXPECT_EQ(executes[0].parameters, "");
  EXPECT_EQ(executes[0].directory, "");
  EXPECT_EQ(executes[0].show, win::kSwShow);
  EXPECT_TRUE(sim.MessageBoxes().empty());
}

struct HelpFailureCase {
  int shellResult;
  uint32_t stringId;
};

class HelpFailureTest : public PurvexDlgTest,
                        public ::testing::WithParamInterface<HelpFailureCase> {};

TEST_P(HelpFailureTest, IsLoggedAndExplained) {
  dialog.InitializeState();
  sim.SetShellResult(GetParam().shellResult);
  dialog.ShowHelpFile();
  EXPECT_EQ(Logged(), Lines{"QDConsole -> Error opening help file \"Purvex manual.pdf\". Error was " +
                            std::to_string(GetParam().shellResult)});
  EXPECT_EQ(OnlyBox().text, text::Format(Text(GetParam().stringId), "Purvex manual.pdf"));
}

INSTANTIATE_TEST_SUITE_P(Results, HelpFailureTest,
                         ::testing::Values(HelpFailureCase{31, IDS_HELP_NO_READER},
                                           HelpFailureCase{2, IDS_HELP_NOT_FOUND},
                                           HelpFailureCase{3, IDS_HELP_NOT_FOUND},
                                           HelpFailureCase{32, IDS_HELP_OTHER_ERROR}));

struct ResultCase {
  int code;
  uint32_t stringId;  // 0: no message
};

class ResultMessageTest : public PurvexDlgTest,
                          public ::testing::WithParamInterface<ResultCase> {};

TEST_P(ResultMessageTest, ShowsTheMessageOfTheCode) {
  dialog.ShowResultMessage(static_cast<ResultCode>(GetParam().code));
  if (GetParam().stringId == 0) {
    EXPECT_TRUE(sim.MessageBoxes().empty());
  } else {
    EXPECT_EQ(OnlyBox().text, Text(GetParam().stringId));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ResultMessageTest,
    ::testing::Values(ResultCase{0, 0}, ResultCase{5, 0}, ResultCase{12, 0}, ResultCase{80, 0},
                      ResultCase{10, 146}, ResultCase{15, 159}, ResultCase{20, 147},
                      ResultCase{25, 148}, ResultCase{30, 150}, ResultCase{35, 149},
                      ResultCase{40, 158}, ResultCase{45, 151}, ResultCase{50, 152},
                      ResultCase{55, 153}, ResultCase{60, 154}, ResultCase{65, 154},
                      ResultCase{70, 155}, ResultCase{75, 154}));

// A sequence that ends with code 0 may still have left files behind (a tree
// deleted only in part counts as done): those are listed, never called a success.
TEST_F(PurvexDlgTest, SuccessWithFilesLeftListsThemInsteadOfTheCompletedMessage) {
  dialog.Record.NotDeletedFiles = {"C:\\left.dll"};
  dialog.ShowDeletionReport(kResultOk);
  EXPECT_EQ(OnlyBox(win::kMbOk | win::kMbIconExclamation).text,
            "The following file(s) were not correctly deleted from your system:\r\nC:\\left.dll\r\n");
}

TEST_F(PurvexDlgTest, FailureWithNothingLeftBehindShowsOnlyTheFailureMessage) {
  dialog.ShowResultMessage(kResultDllFailed);
  dialog.ShowDeletionReport(kResultDllFailed);
  EXPECT_EQ(OnlyBox().text, Text(IDS_MSG_DLL));
}

TEST_F(PurvexDlgTest, ReportListsEveryFileLeftBehindUntilTheWindowCloses) {
  dialog.Record.NotDeletedFiles = {"C:\\Windows\\a.dll", "C:\\Windows\\inf\\oem3.inf",
                            "C:\\Windows\\b.cab"};
  dialog.Record.DeletedFiles = {"C:\\Windows\\c.dll"};
  dialog.ShowDeletionReport(kResultInfFailed);
  EXPECT_EQ(OnlyBox().text,
            "The following file(s) were not correctly deleted from your system:\r\n"
            "C:\\Windows\\a.dll\r\nC:\\Windows\\inf\\oem3.inf\r\nC:\\Windows\\b.cab\r\n");

  dialog.OnClose();
  EXPECT_TRUE(dialog.Record.DeletedFiles.empty());
  EXPECT_TRUE(dialog.Record.NotDeletedFiles.empty());
}

class DriverPackageTest : public PurvexDlgTest {
 protected:
  DriverPackageTest() { dialog.InitializeState(); }

  static std::string Inf(int n) { return "C:\\Windows\\inf\\oem" + std::to_string(n) + ".inf"; }
  static std::string Store(int n) {
    return std::string(sim::kDriverStoreRepository) + "\\kx" + std::to_string(n) +
           ".inf_amd64_1a2b\\kx" + std::to_string(n) + ".inf";
  }
  static std::string Attempt(int n) {
    return "Attempting to find the driver store INF path for the driver package's INF file \"" +
           Inf(n) + "\".";
  }
  // The lines of an INF whose store path was found and whose package went.
  static Lines Removed(int n) {
    return {Attempt(n),
            "For the driver package's INF file " + Inf(n) + ", the driver store INF path is \"" +
                Store(n) + "\".",
            "Driver package \"" + Store(n) + "\" correctly uninstalled."};
  }
  static Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }
};

TEST_F(DriverPackageTest, EmptyOrMissingListRemovesNothing) {
  std::vector<std::string> infs;
  std::vector<std::string> stores{"stale"};
  EXPECT_TRUE(dialog.RemoveDriverPackage(&infs, &stores));
  EXPECT_TRUE(stores.empty());
  EXPECT_TRUE(Logged().empty());

  stores = {"stale"};
  EXPECT_FALSE(dialog.RemoveDriverPackage(nullptr, &stores));
  EXPECT_TRUE(stores.empty());
  EXPECT_EQ(Logged(), Lines{"RemoveDriverPackage(..): INF array pointer not valid! Cannot "
                            "continue! ASSERTION FAILED!"});
}

TEST_F(DriverPackageTest, FailureInTheMiddleKeepsOnlyThatInf) {
  for (int n = 1; n <= 3; ++n) sim.AddPackage(Inf(n), Store(n));
  sim.FailUninstall(Store(2), win::kErrorDependentApplicationsExist);
  std::vector<std::string> infs{Inf(1), Inf(2), Inf(3)};
  std::vector<std::string> stores;

  EXPECT_FALSE(dialog.RemoveDriverPackage(&infs, &stores));

  EXPECT_EQ(infs, Lines{Inf(2)});
  EXPECT_EQ(stores, (Lines{Store(1), Store(2), Store(3)}));
  EXPECT_EQ(sim.UninstalledPackages(), (Lines{Store(1), Store(3)}));
  Lines second = Removed(2);
  second.back() =
      "Driver package uninstall FAILED. Error -536870144: ERROR_DEPENDENT_APPLICATIONS_EXIST.";
  EXPECT_EQ(Logged(), Join({Removed(1), second, Removed(3)}));
}

TEST_F(DriverPackageTest, ConsecutiveSuccessesAreAllProcessed) {
  sim.AddPackage(Inf(1), Store(1));
  sim.AddPackage(Inf(2), Store(2));
  std::vector<std::string> infs{Inf(1), Inf(2)};
  EXPECT_TRUE(dialog.RemoveDriverPackage(&infs, nullptr));
  EXPECT_TRUE(infs.empty());
  EXPECT_EQ(sim.Packages().size(), 0u);
  EXPECT_EQ(Logged(), Join({Removed(1), Removed(2)}));
}

TEST_F(DriverPackageTest, InfNotInTheStoreStaysAndAddsNoStorePath) {
  sim.AddFile(Inf(7), "[Version]");
  sim.AddPackage(Inf(1), Store(1));
  std::vector<std::string> infs{Inf(7), Inf(1)};
  std::vector<std::string> stores;

  EXPECT_FALSE(dialog.RemoveDriverPackage(&infs, &stores));

  EXPECT_EQ(infs, Lines{Inf(7)});
  EXPECT_EQ(stores, Lines{Store(1)});
  EXPECT_EQ(Logged(), Join({{Attempt(7),
                             "Get driver store inf file for a driver package's inf file FAILED. "
                             "Error -536870142: ERROR_DRIVER_PACKAGE_NOT_IN_STORE."},
                            Removed(1)}));
}

TEST_F(DriverPackageTest, UnknownCodesHaveNoNameAndOtherKindsAGenericLine) {
  dialog.LogDifxError(2, 1234);
  dialog.LogDifxError(3, win::kCryptEFileError);
  EXPECT_EQ(Logged(), (Lines{"Get driver store inf file for a driver package's inf file "
                             "FAILED. Error 1234: .",
                             "Error -2146885629: CRYPT_E_FILE_ERROR."}));
}

// The engine's driver store cleanup with the dialog as its log and package
// removal: the Temp copy and cabinet it deletes are not the dialog's to report.
TEST_F(DriverPackageTest, StoreCleanupThroughTheDialogLeavesItsReportListsAlone) {
  const std::string temp = "C:\\Windows\\System32\\DriverStore\\Temp\\kx1.inf_amd64_1a2b";
  const std::string cabinet =
      "C:\\Windows\\" + dialog.SpoolPccDir + "\\kx1.inf_amd64_1a2b.cab";
  sim.AddPackage(Inf(1), Store(1));
  sim.AddFile(temp + "\\kx1.inf");
  sim.AddFile(cabinet);
  CDeviceService engine(sim.platform());
  ASSERT_TRUE(engine.SetOwner(&dialog, &dialog));
  engine.SetSpoolPccDir(dialog.SpoolPccDir);
  std::vector<std::string> infs{Inf(1)};

  EXPECT_TRUE(engine.CleanDriverStore(infs));

  EXPECT_FALSE(sim.Exists(temp));
  EXPECT_FALSE(sim.Exists(cabinet));
  EXPECT_TRUE(dialog.Record.DeletedFiles.empty());
  EXPECT_TRUE(dialog.Record.NotDeletedFiles.empty());
}

}  // namespace
