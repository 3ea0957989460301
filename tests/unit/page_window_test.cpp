#include <initializer_list>

#include "platform/win_constants.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/page_fixture.h"

namespace page_test {
namespace {

constexpr std::initializer_list<int> kAdvanced = {
    IDC_ADVANCED_GROUP, IDC_ADVANCED_PROMPT,    IDC_CHECK_PRINTER,     IDC_CHECK_DRIVER,
    IDC_CHECK_PORT_SERVICE, IDC_UNINSTALL_CHECKED, IDC_CLEAN_GROUP, IDC_CLEAN_SYSTEM};

class PageWindowTest : public PageFixture {
 protected:
  // A user click: the box toggles, then the page hears of it.
  void Click(int id) {
    simPage.UserToggle(id);
    switch (id) {
      case IDC_CHECK_PRINTER: Page().OnCheckPrinterClicked(); break;
      case IDC_CHECK_DRIVER: Page().OnCheckDriverClicked(); break;
      case IDC_CHECK_PORT_SERVICE: Page().OnCheckPortServiceClicked(); break;
      default: FAIL() << "not a check box: " << id;
    }
  }
  void StartWithOnePrinter() {
    AddUsbPrinter(kP1);
    Start();
  }
  void StartWithSharedDriver() {
    AddUsbPrinter(kP1);
    UsbPrinter second = kP2;
    second.driver = kP1.driver;
    AddUsbPrinter(second, /*addDriver=*/false);
    Start();
  }
  // 0, 1, or 2 printers sharing one driver.
  void StartWithPrinters(int printers) {
    switch (printers) {
      case 0: Start(); break;
      case 1: StartWithOnePrinter(); break;
      case 2: StartWithSharedDriver(); break;
      default: ADD_FAILURE() << "no such installation: " << printers;
    }
  }
};

struct StartupCase {
  const char* label;
  int printers;       // 0, 1, or 2 sharing one driver
  bool printerChecked, printerEnabled, driverChecked, driverEnabled, portChecked,
      uninstallSelectedEnabled;
};

class PageStartupTest : public PageWindowTest,
                        public ::testing::WithParamInterface<StartupCase> {};

TEST_P(PageStartupTest, ControlsFollowTheListedPrinters) {
  const StartupCase& c = GetParam();
  StartWithPrinters(c.printers);

  EXPECT_EQ(Checked(IDC_CHECK_PRINTER), c.printerChecked);
  EXPECT_EQ(Enabled(IDC_CHECK_PRINTER), c.printerEnabled);
  EXPECT_EQ(Checked(IDC_CHECK_DRIVER), c.driverChecked);
  EXPECT_EQ(Enabled(IDC_CHECK_DRIVER), c.driverEnabled);
  EXPECT_EQ(Checked(IDC_CHECK_PORT_SERVICE), c.portChecked);
  EXPECT_EQ(Enabled(IDC_UNINSTALL_SELECTED), c.uninstallSelectedEnabled);
  EXPECT_FALSE(simPage.IsVisible(IDC_PROGRESS));
  EXPECT_FALSE(simPage.IsVisible(IDC_STATUS_LINE));
  for (int id : kAdvanced) EXPECT_FALSE(simPage.IsVisible(id)) << id;
  EXPECT_EQ(simPage.Tooltip(IDC_UNINSTALL_SELECTED), IDS_TIP_UNINSTALL_SELECTED);
  EXPECT_EQ(simPage.Tooltip(IDC_ADVANCED_TOGGLE), IDS_TIP_SHOW_ADVANCED);
  EXPECT_EQ(simPage.Tooltip(IDC_UNINSTALL_CHECKED), IDS_TIP_UNINSTALL_CHECKED);
  EXPECT_EQ(simPage.Tooltip(IDC_RELOAD_LIST), IDS_TIP_RELOAD);
  EXPECT_EQ(simPage.CurSel(IDC_PRINTER_COMBO), 0);
  if (c.printers == 0) {
    EXPECT_EQ(simPage.Items(IDC_PRINTER_COMBO),
              std::vector<std::string>{expected::kNoPrinter});
  }
  EXPECT_EQ(Page().PortServiceName, "VOMUUSB");
}

INSTANTIATE_TEST_SUITE_P(
    Listings, PageStartupTest,
    ::testing::Values(
        StartupCase{"OnePrinter", 1, true, true, true, true, true, true},
        StartupCase{"SharedDriver", 2, true, true, false, false, false, true},
        StartupCase{"NoPrinter", 0, false, false, false, false, true, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PageWindowTest, EitherPrinterOfASharedDriverKeepsTheDriverBoxOff) {
  StartWithSharedDriver();
  for (int index : {1, 0}) {
    simPage.UserSelect(IDC_PRINTER_COMBO, index);
    Page().OnPrinterSelChange();
    EXPECT_EQ(Page().CurrentPrinter.PrinterName,
              simPage.Items(IDC_PRINTER_COMBO)[static_cast<size_t>(index)]);
    EXPECT_TRUE(Checked(IDC_CHECK_PRINTER));
    EXPECT_TRUE(Enabled(IDC_CHECK_PRINTER));
    EXPECT_FALSE(Checked(IDC_CHECK_DRIVER));
    EXPECT_FALSE(Enabled(IDC_CHECK_DRIVER));
    EXPECT_EQ(Page().PageFlags & kDriverRemovable, 0);
  }
  EXPECT_EQ(simPage.TextHistory(IDC_STATUS_LINE).back(), "Loading printers info");
}

TEST_F(PageWindowTest, DriverBoxTiesThePrinterBox) {
  StartWithOnePrinter();
  Click(IDC_CHECK_PRINTER);  // off
  EXPECT_FALSE(Checked(IDC_CHECK_DRIVER));
  Click(IDC_CHECK_PRINTER);  // on
  Click(IDC_CHECK_DRIVER);   // on
  EXPECT_TRUE(Checked(IDC_CHECK_PRINTER));
  EXPECT_FALSE(Enabled(IDC_CHECK_PRINTER));
  Click(IDC_CHECK_DRIVER);   // off
  EXPECT_TRUE(Checked(IDC_CHECK_PRINTER));
  EXPECT_TRUE(Enabled(IDC_CHECK_PRINTER));
}

TEST_F(PageWindowTest, UninstallButtonNeedsOneCheckedBox) {
  StartWithOnePrinter();
  Click(IDC_CHECK_PRINTER);  // clears the driver box too
  EXPECT_TRUE(Enabled(IDC_UNINSTALL_CHECKED));  // 1020 still checked
  Click(IDC_CHECK_PORT_SERVICE);
  EXPECT_FALSE(Enabled(IDC_UNINSTALL_CHECKED));
  Click(IDC_CHECK_PRINTER);
  EXPECT_TRUE(Enabled(IDC_UNINSTALL_CHECKED));
}

struct PortBoxCase {
  const char* label;
  int printers;  // 0, 1, or 2 sharing one driver
  bool printerAfter, driverAfter;
};

class PagePortBoxTest : public PageWindowTest,
                        public ::testing::WithParamInterface<PortBoxCase> {};

// Checking 1020 pulls in the printer, and the driver only when removable.
TEST_P(PagePortBoxTest, CheckingThePortServiceBox) {
  const PortBoxCase& c = GetParam();
  StartWithPrinters(c.printers);
  if (c.printers > 0) Click(IDC_CHECK_PRINTER);  // clears both
  if (Checked(IDC_CHECK_PORT_SERVICE)) Click(IDC_CHECK_PORT_SERVICE);
  Click(IDC_CHECK_PORT_SERVICE);
  EXPECT_EQ(Checked(IDC_CHECK_PRINTER), c.printerAfter);
  EXPECT_EQ(Checked(IDC_CHECK_DRIVER), c.driverAfter);
  EXPECT_TRUE(Enabled(IDC_UNINSTALL_CHECKED));
}

INSTANTIATE_TEST_SUITE_P(Listings, PagePortBoxTest,
                         ::testing::Values(PortBoxCase{"OnePrinter", 1, true, true},
                                           PortBoxCase{"SharedDriver", 2, true, false},
                                           PortBoxCase{"NoPrinter", 0, false, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(PageWindowTest, AdvancedGroupToggles) {
  Start();
  Page().OnAdvancedToggleClicked();
  for (int id : kAdvanced) EXPECT_TRUE(simPage.IsVisible(id)) << id;
  EXPECT_EQ(simPage.GetText(IDC_ADVANCED_TOGGLE), "Hide advanced settings");
  EXPECT_EQ(simPage.Tooltip(IDC_ADVANCED_TOGGLE), IDS_TIP_HIDE_ADVANCED);
  EXPECT_FALSE(Checked(IDC_CHECK_PRINTER));
  EXPECT_FALSE(Enabled(IDC_CHECK_PRINTER));
  EXPECT_FALSE(Checked(IDC_CHECK_DRIVER));
  EXPECT_FALSE(Enabled(IDC_CHECK_DRIVER));
  Page().OnAdvancedToggleClicked();
  for (int id : kAdvanced) EXPECT_FALSE(simPage.IsVisible(id)) << id;
  EXPECT_EQ(simPage.GetText(IDC_ADVANCED_TOGGLE), "Show advanced settings");
  EXPECT_EQ(simPage.Tooltip(IDC_ADVANCED_TOGGLE), IDS_TIP_SHOW_ADVANCED);
  EXPECT_EQ(Page().AdvancedShown, 0);
}

struct ConfirmCase {
  const char* label;
  int button;
  bool printer, port;  // states of 1018 and 1020 before the click
  uint32_t stringId;
};

class PageConfirmTest : public PageWindowTest,
                        public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(PageConfirmTest, AsksWithTheMatchingText) {
  const ConfirmCase& c = GetParam();
  StartWithOnePrinter();
  simPage.SetCheck(IDC_CHECK_PRINTER, c.printer);
  simPage.SetCheck(IDC_CHECK_PORT_SERVICE, c.port);
  dlg->Record.DeletedFiles = {"C:\\old"};
  dlg->Record.NotDeletedFiles = {"C:\\old2"};
  sim.QueueAnswer(win::kIdCancel);
  if (c.button == IDC_UNINSTALL_SELECTED) Page().OnUninstallSelectedClicked();
  if (c.button == IDC_UNINSTALL_CHECKED) Page().OnUninstallCheckedClicked();

  const auto boxes = sim.MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  const std::string expected =
      c.stringId == IDS_CONFIRM_PRINTER
          ? dlg->FormatText(c.stringId, kP1.name)
          : c.stringId == IDS_CONFIRM_SERVICE_AND_PRINTER
                ? dlg->FormatText(c.stringId, "VOMUUSB", kP1.name)
                : dlg->FormatText(c.stringId, "VOMUUSB");
  EXPECT_EQ(boxes[0].text, expected);
  EXPECT_EQ(boxes[0].caption, kCaption);
  EXPECT_EQ(boxes[0].style, 0x21u);
  EXPECT_EQ(boxes[0].owner, BoxOwner::Page);
  // Cancelled: nothing locked, nothing started; only "Uninstall" empties the lists.
  EXPECT_TRUE(simPage.MessageParams(WM_PROGRESS_STEP).empty());
  EXPECT_FALSE(Page().Worker.IsRunning());
  EXPECT_EQ(dlg->Record.DeletedFiles.empty(), c.button == IDC_UNINSTALL_CHECKED);
  EXPECT_EQ(dlg->Record.NotDeletedFiles.empty(), c.button == IDC_UNINSTALL_CHECKED);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, PageConfirmTest,
    ::testing::Values(
        ConfirmCase{"Selected", IDC_UNINSTALL_SELECTED, true, true, IDS_CONFIRM_PRINTER},
        ConfirmCase{"CheckedNoService", IDC_UNINSTALL_CHECKED, true, false,
                    IDS_CONFIRM_PRINTER},
        ConfirmCase{"CheckedServiceAndPrinter", IDC_UNINSTALL_CHECKED, true, true,
                    IDS_CONFIRM_SERVICE_AND_PRINTER},
        ConfirmCase{"CheckedOnlyService", IDC_UNINSTALL_CHECKED, false, true,
                    IDS_CONFIRM_SERVICE}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PageWindowTest, StartMessageLocksInOrderAndEndRestoresOnlyWhatWasEnabled) {
  Start();  // empty list: 1014, 1018 and 1019 are disabled before the lock
  simPage.ClearRecords();
  simPage.SendToPage(WM_PROGRESS_STEP, 0, kProgressStart);
  std::vector<int> disabled;
  for (const auto& change : simPage.Changes()) {
    if (change.op == "enable" && change.value == "0") disabled.push_back(change.id);
  }
  EXPECT_EQ(disabled, (std::vector<int>{1018, 1019, 1020, 1021, 1024, 1013, 1014, 1017,
                                        1015, 1025, 1037, 1038}));
  const auto progress = simPage.Progress(IDC_PROGRESS);
  EXPECT_EQ(progress.low, 0);
  EXPECT_EQ(progress.high, 50);
  EXPECT_EQ(progress.pos, 0);
  EXPECT_EQ(progress.step, 5);

  for (int i = 0; i < 10; ++i) simPage.SendToPage(WM_PROGRESS_STEP, 0, kProgressStepOnce);
  EXPECT_EQ(simPage.Progress(IDC_PROGRESS).pos, 50);
  simPage.SendToPage(WM_PROGRESS_STEP, 0, kProgressStepOnce);
  EXPECT_LT(simPage.Progress(IDC_PROGRESS).pos, 50);  // wraps as the control does

  simPage.Show(IDC_PROGRESS, win::kSwShowNa);
  simPage.Show(IDC_STATUS_LINE, win::kSwShow);
  simPage.SendToPage(WM_PROGRESS_STEP, 0, kProgressEnd);
  EXPECT_EQ(simPage.Progress(IDC_PROGRESS).pos, 0);
  EXPECT_FALSE(simPage.IsVisible(IDC_PROGRESS));
  EXPECT_FALSE(simPage.IsVisible(IDC_STATUS_LINE));
  EXPECT_TRUE(Enabled(IDC_RELOAD_LIST));
  EXPECT_TRUE(Enabled(IDC_UNINSTALL_CHECKED));
  EXPECT_FALSE(Enabled(IDC_UNINSTALL_SELECTED));
  EXPECT_FALSE(Enabled(IDC_PREVIEW));
  EXPECT_FALSE(Enabled(IDC_CHECK_PRINTER));
}

TEST_F(PageWindowTest, StatusChangeShowsTheEngineText) {
  Start();
  Page().Engine.SetStatusText("Verifying file [C:\\Windows\\inf\\oem3.inf]...");
  simPage.PumpPosted();
  EXPECT_EQ(simPage.GetText(IDC_STATUS_LINE), "Verifying file [C:\\Windows\\inf\\oem3.inf]...");
}

// The worker's reload: the list is rebuilt before the controls unlock, and the
// unlock does not re-enable what the empty list disables.
TEST_F(PageWindowTest, ReloadAfterLastPrinterRebuildsBeforeUnlockAndKeepsItsDisables) {
  StartWithOnePrinter();
  size_t listedAtUnlock = 99;
  simPage.SetHandler([this, &listedAtUnlock](uint32_t m, uintptr_t w, intptr_t l) {
    if (m == WM_PROGRESS_STEP && l == kProgressEnd) {
      listedAtUnlock = Page().Printers.size();
    }
    (void)Page().OnPageMessage(m, w, l);
  });
  simPage.SendToPage(WM_PROGRESS_STEP, 0, kProgressStart);
  EXPECT_FALSE(Enabled(IDC_RELOAD_LIST));
  sim.DeleteKey(RegRoot::LocalMachine, std::string(sim::kPrintersKey) + "\\" + kP1.name);

  Page().ReloadPrinters(/*ok=*/true, /*portServiceRemoved=*/true);

  EXPECT_EQ(listedAtUnlock, 0u);
  for (int id : {IDC_UNINSTALL_SELECTED, IDC_CHECK_PRINTER, IDC_CHECK_DRIVER,
                 IDC_CHECK_PORT_SERVICE, IDC_UNINSTALL_CHECKED}) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
  EXPECT_FALSE(Checked(IDC_CHECK_PORT_SERVICE));
  EXPECT_TRUE(Enabled(IDC_PRINTER_COMBO));
  EXPECT_TRUE(Enabled(IDC_RELOAD_LIST));
  EXPECT_EQ(simPage.Items(IDC_PRINTER_COMBO),
            std::vector<std::string>{expected::kNoPrinter});
}

TEST_F(PageWindowTest, FailedRunKeepsUninstallButtonAfterReload) {
  StartWithOnePrinter();
  simPage.SendToPage(WM_PROGRESS_STEP, 0, kProgressStart);
  sim.DeleteKey(RegRoot::LocalMachine, std::string(sim::kPrintersKey) + "\\" + kP1.name);
  Page().ReloadPrinters(/*ok=*/false, /*portServiceRemoved=*/false);
  EXPECT_TRUE(Enabled(IDC_UNINSTALL_CHECKED));
  EXPECT_TRUE(Enabled(IDC_CHECK_PORT_SERVICE));
  EXPECT_FALSE(Enabled(IDC_UNINSTALL_SELECTED));
}

TEST_F(PageWindowTest, ReloadButtonShowsANewPrinter) {
  StartWithOnePrinter();
  AddUsbPrinter(kP2);
  Page().OnReloadClicked();
  EXPECT_EQ(simPage.Items(IDC_PRINTER_COMBO),
            (std::vector<std::string>{kP1.name, kP2.name}));
  EXPECT_EQ(Page().Printers.size(), 2u);
  EXPECT_EQ(Page().PageFlags & kSinglePrinter, 0);
}

TEST_F(PageWindowTest, DeleteResultsAreRecorded) {
  Start();
  const size_t mark = LogMark();
  Page().ReportDeleteResult("C:\\Windows\\system32\\drivers\\VOMUUSB.sys", true);
  Page().ReportDeleteResult("C:\\Windows\\inf\\oem7.inf", false);
  EXPECT_EQ(dlg->Record.DeletedFiles,
            std::vector<std::string>{"C:\\Windows\\system32\\drivers\\VOMUUSB.sys"});
  EXPECT_EQ(dlg->Record.NotDeletedFiles, std::vector<std::string>{"C:\\Windows\\inf\\oem7.inf"});
  EXPECT_EQ(simPage.GetText(IDC_STATUS_LINE),
            "Deleting [C:\\Windows\\system32\\drivers\\VOMUUSB.sys] file...");
  EXPECT_EQ(LogSince(mark), std::vector<std::string>{
                                "Error! Impossible to delete file \"C:\\Windows\\inf\\oem7.inf!\""});
}

}  // namespace
}  // namespace page_test
