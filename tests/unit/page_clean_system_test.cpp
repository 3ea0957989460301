#include "platform/win_constants.h"
#include "printer_page/symbolic_name.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/page_fixture.h"

namespace page_test {
namespace {

constexpr const char* kSearchLine = "Search for Device -not correctly installed- to remove...";
constexpr uint32_t kCodeWithoutText = 0x0000ABCDu;

class PageCleanSystemTest : public PageFixture {
 protected:
  void AddLoneDevice(const std::string& instanceId, const std::string& hardwareId,
                     std::optional<std::string> prefix = std::nullopt,
                     std::optional<std::string> symbolicName = std::nullopt) {
    sim::DeviceSpec device;
    device.instanceId = instanceId;
    device.hardwareIds = {hardwareId};
    device.parentIdPrefix = std::move(prefix);
    device.symbolicName = std::move(symbolicName);
    sim.AddDevice(device);
  }
  std::vector<std::string> Clean() {
    const size_t mark = LogMark();
    Page().OnCleanSystemClicked();
    return LogSince(mark);
  }
  static std::vector<std::string> Removed(const std::string& id) {
    return {"Found: [" + id + "] device not correctly installed",
            expected::DeviceDeletedLine(id)};
  }
};

TEST_F(PageCleanSystemTest, AsksLocksAndSaysDone) {
  Start();
  Page().OnCleanSystemClicked();
  const auto boxes = sim.MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, Text(IDS_CLEAN_SYSTEM_CONFIRM));
  EXPECT_EQ(boxes[0].style, 0x21u);
  EXPECT_EQ(boxes[0].caption, kCaption);
  EXPECT_EQ(boxes[1].text, "Done!");
  EXPECT_EQ(boxes[1].style, win::kMbOk);
  EXPECT_EQ(simPage.MessageParams(WM_PROGRESS_STEP),
            (std::vector<intptr_t>{kProgressStart, kProgressStepOnce, kProgressStepOnce,
                                   kProgressEnd}));
}

TEST_F(PageCleanSystemTest, CancelDoesNothing) {
  AddUsbDevice(kP1);
  Start();
  sim.QueueAnswer(win::kIdCancel);
  EXPECT_TRUE(Clean().empty());
  EXPECT_TRUE(sim.RemovedDevices().empty());
  EXPECT_EQ(sim.MessageBoxes().size(), 1u);
}

TEST_F(PageCleanSystemTest, WithoutListedPrintersEveryMakerPrinterEntryGoes) {
  AddLoneDevice("USB\\VID_0E7B&PID_0103\\SN1", "USB\\VID_0E7B&PID_0103");
  AddLoneDevice("USB\\VID_046D&PID_0103\\SN2", "USB\\VID_046D&PID_0103");
  AddLoneDevice("USB\\VID_0E7B&PID_0203\\SN3", "usb\\vid_0e7b&pid_0203");
  // 0E7B as another vendor's revision, beside a printer-like product id.
  AddLoneDevice("USB\\VID_1A2B&PID_0107\\SN4", "USB\\VID_1A2B&PID_0107&REV_0E7B");
  Start();
  auto expected = std::vector<std::string>{kSearchLine};
  for (const auto& line : Removed("USB\\VID_0E7B&PID_0103")) expected.push_back(line);
  expected.push_back(
      "Found a device with ID [USB\\VID_0E7B&PID_0203]: this device is not a printer so it "
      "was not cleaned");
  EXPECT_EQ(Clean(), expected);
  EXPECT_EQ(sim.RemovedDevices(), std::vector<std::string>{"USB\\VID_0E7B&PID_0103\\SN1"});
  EXPECT_EQ(simPage.TextHistory(IDC_STATUS_LINE).back(),
            "Deleting [USB\\VID_0E7B&PID_0103] registry key...");
}

TEST_F(PageCleanSystemTest, EntryOfAListedPrinterStaysAndAStrayOneGoes) {
  AddUsbPrinter(kP1);
  AddLoneDevice("USB\\VID_0E7B&PID_0103\\SN99", "USB\\VID_0E7B&PID_0103", "6&99999999&0",
                "\\??\\USB#VID_0E7B&PID_0103#SN99#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
  // Not a path to any instance: left where it is.
  AddLoneDevice("USB\\VID_0E7B&PID_0103\\SN98", "USB\\VID_0E7B&PID_0103", "6&98989898&0",
                "\\??\\ROOT#PRINTER#0000#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
  Start();
  (void)Clean();
  EXPECT_EQ(sim.RemovedDevices(), std::vector<std::string>{"USB\\VID_0E7B&PID_0103\\SN99"});
  EXPECT_TRUE(sim.DeviceExists(kP1.DeviceInstance()));
  EXPECT_TRUE(sim.DeviceExists(kP1.Interface0()));
  EXPECT_EQ(Page().Printers.size(), 1u);
}

TEST_F(PageCleanSystemTest, PidsComeFromEveryPrinterWithAHardwareId) {
  Start();
  for (const char* id : {"", "USB\\VID_0E7B&PID_0103&MI_00", "VALUE_NOT_VALID",
                         "USB\\VID_0E7B&PID_0103", "usb\\vid_0e7b&pid_0107"}) {
    auto record = std::make_unique<CPrinterRecord>();
    record->HardwareId = id;
    Page().Printers.push_back(std::move(record));
  }
  std::vector<std::string> pids{"stale"};
  EXPECT_TRUE(Page().CollectPrinterPids(pids));
  EXPECT_EQ(pids, (std::vector<std::string>{"PID_0103", "PID_0107"}));
}

TEST_F(PageCleanSystemTest, FailedDeviceListIsLoggedWithItsCode) {
  AddLoneDevice("USB\\VID_0E7B&PID_0103\\SN1", "USB\\VID_0E7B&PID_0103");
  Start();
  sim.FailGetClassDevs(kCodeWithoutText);
  EXPECT_EQ(Clean(), (std::vector<std::string>{
                         kSearchLine, "GetClassDevs(All Present Devices) FAILURE: (0x0000abcd)"}));
  EXPECT_EQ(sim.MessageBoxes().back().text, "Done!");
  EXPECT_EQ(sim.platform().system.LastError(), kCodeWithoutText);
}

TEST_F(PageCleanSystemTest, LogLastErrorUsesTheSystemTextAndKeepsTheCode) {
  Start();
  sim.platform().system.SetLastErrorCode(win::kErrorAccessDenied);
  const size_t mark = LogMark();
  EXPECT_EQ(Page().LogLastError("SetupDiCallClassInstaller"), 0);
  // The system text keeps its own line end.
  const auto lines = LogSince(mark);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("SetupDiCallClassInstaller FAILURE: ", 0), 0u);
  EXPECT_EQ(lines[0].find("(0x"), std::string::npos);
  EXPECT_EQ(sim.platform().system.LastError(), win::kErrorAccessDenied);
}

}  // namespace
}  // namespace page_test

struct SymbolicNameCase {
  std::string value;
  std::string path;
};

class SymbolicNameTest : public ::testing::TestWithParam<SymbolicNameCase> {};

// Only a name with a hardware part carrying both ids and a non-empty
// instance leads anywhere; the rest of the value after its first string and
// the class part are never read.
TEST_P(SymbolicNameTest, NamesTheInstanceKeyOrNothing) {
  EXPECT_EQ(InstancePathOfSymbolicName(GetParam().value), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SymbolicNameTest,
    ::testing::Values(
        SymbolicNameCase{"\\??\\usb#vid_0e7b&pid_0103#sn1#{a5dcbf10}", "VID_0E7B&PID_0103\\SN1"},
        SymbolicNameCase{"\\??\\USB#VID_0E7B&PID_0103#SN1", "VID_0E7B&PID_0103\\SN1"},
        SymbolicNameCase{std::string("#VID&PID#A\0#B#", 14), "VID&PID\\A"},
        SymbolicNameCase{std::string("#VID&PID#\0A#", 12), ""},
        SymbolicNameCase{"#VID_0E7B#SN1#", ""},
        SymbolicNameCase{"#PID_0103#SN1#", ""},
        SymbolicNameCase{"#VID&PID##", ""},
        SymbolicNameCase{"#VID&PID", ""},
        SymbolicNameCase{"", ""}));
