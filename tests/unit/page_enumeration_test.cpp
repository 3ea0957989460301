#include <algorithm>
#include <string>

#include "platform/win_constants.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/page_fixture.h"

namespace page_test {
namespace {

constexpr const char* kBegin = "--- Printers enumeration: begin ---";
constexpr const char* kEnd = "--- Printers enumeration: end ---";

using PageEnumerationTest = PageFixture;

std::vector<std::string> Lines(std::initializer_list<std::string> lines) { return lines; }

TEST_F(PageEnumerationTest, NoPrinterAtAll) {
  Start();
  EXPECT_EQ(LogSince(1), Lines({kBegin, expected::kNoPrinter}));
  EXPECT_TRUE(Page().Printers.empty());
  for (int id : {IDC_UNINSTALL_SELECTED, IDC_CHECK_PRINTER, IDC_CHECK_DRIVER}) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
  EXPECT_EQ(Page().EnumeratePrinters(), 0);
}

TEST_F(PageEnumerationTest, PrintersOfOtherMakersAreNotListed) {
  AddDriver("Other Laser", std::string("USBPRINT\\OTHERLASER"), "", 3, "Other Corp");
  AddPrinter("Office Laser", "Other Laser");
  Start();
  EXPECT_EQ(LogSince(1), Lines({kBegin, kEnd}));
  EXPECT_TRUE(Page().Printers.empty());
  EXPECT_EQ(Page().PageFlags & kSinglePrinter, 0);
}

TEST_F(PageEnumerationTest, CompositeUsbPrinterAmongOthers) {
  AddDriver("Other Laser", std::string("USBPRINT\\OTHERLASER"), "", 3, "Other Corp");
  AddPrinter("Office Laser", "Other Laser", std::nullopt, "FILE:");
  AddUsbPrinter(kP1);
  Start();

  ASSERT_EQ(Page().Printers.size(), 1u);
  const CPrinterRecord& r = *Page().Printers[0];
  EXPECT_EQ(r.PrinterName, kP1.name);
  EXPECT_EQ(r.DriverName, kP1.driver);
  EXPECT_EQ(r.HardwareId, kP1.HardwareId());
  EXPECT_EQ(r.DriverVersion, "");
  EXPECT_EQ(r.InstanceIdPrefix, kP1.PrinterPrefix());
  EXPECT_EQ(r.ParentIdPrefix, kP1.DevicePrefix());
  EXPECT_EQ(r.DriverStoreFolder, kP1.StoreFolder());
  EXPECT_EQ(Page().PageFlags & kSinglePrinter, kSinglePrinter);
  EXPECT_TRUE(Checked(IDC_CHECK_PORT_SERVICE));
  EXPECT_EQ(LogSince(1),
            Lines({kBegin, "Found [Korvex KP-103] printer installed...",
                   "[Korvex KP-103 Driver] is a new version driver",
                   "[kx0103.inf_amd64_1A2B3C4D] Driver File Name Found!",
                   "Printer [Korvex KP-103] has ParentIdPrefix \"6&1A2B3C4D&0\"", kEnd}));
  EXPECT_EQ(sim.OpenPrinterHandles(), 0);
}

TEST_F(PageEnumerationTest, SingleFunctionDeviceGivesItsOwnPrefix) {
  AddDriver(kP2.driver, std::string("USB\\VID_0E7B&PID_0105"), kP2.InfPath());
  AddPrinter(kP2.name, kP2.driver, std::string("USBPRINT\\KORVEX0105\\7&5e6f7a8b&0&USB002"));
  sim::DeviceSpec device;
  device.instanceId = "USB\\VID_0E7B&PID_0105\\SN5E6F7A8B";
  device.hardwareIds = {"USB\\VID_0E7B&PID_0105"};
  device.parentIdPrefix = "7&5e6f7a8b&0";
  sim.AddDevice(device);
  Start();
  ASSERT_EQ(Page().Printers.size(), 1u);
  EXPECT_EQ(Page().Printers[0]->InstanceIdPrefix, "7&5E6F7A8B&0");
  EXPECT_EQ(Page().Printers[0]->ParentIdPrefix, "7&5E6F7A8B&0");
}

// Printers of one model share the model's device keys: each key is read
// once per enumeration, and every printer still finds its own device.
TEST_F(PageEnumerationTest, SharedDeviceKeysAreReadOncePerEnumeration) {
  constexpr int kPrinters = 6;
  for (int i = 0; i < kPrinters; ++i) {
    UsbPrinter p{"Korvex KP-103 #" + std::to_string(i), kP1.driver, kP1.pid,
                 "1A2B3C4" + std::to_string(i)};
    AddUsbPrinter(p, i == 0);
  }
  Start();
  ASSERT_EQ(Page().Printers.size(), static_cast<size_t>(kPrinters));
  for (int i = 0; i < kPrinters; ++i) {
    EXPECT_EQ(Page().Printers[i]->ParentIdPrefix, "6&1A2B3C4" + std::to_string(i) + "&0");
  }
  sim.ClearCalls();
  EXPECT_EQ(Page().EnumeratePrinters(), kPrinters);
  for (const std::string key : {"VID_0E7B&PID_0103", "VID_0E7B&PID_0103&MI_00"}) {
    const auto opens = sim.CallsOf("OpenKey");
    EXPECT_EQ(std::count(opens.begin(), opens.end(),
                         "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB\\" + key),
              1)
        << key;
  }
}

TEST_F(PageEnumerationTest, VersionTwoDriverIsAnOldVersion) {
  AddDriver("Korvex Legacy", std::string("USB\\VID_0E7B&PID_0110"), "", 2);
  AddPrinter("Legacy", "Korvex Legacy", std::nullopt, "LPT1:");
  AddUsbPrinter(kP1);
  Start();
  ASSERT_EQ(Page().Printers.size(), 2u);
  const auto& legacy = Page().Printers[0]->PrinterName == "Legacy" ? *Page().Printers[0]
                                                                    : *Page().Printers[1];
  EXPECT_EQ(legacy.DriverVersion, "Windows NT 4.0 or 2000");
  EXPECT_EQ(legacy.DriverStoreFolder, "");
  EXPECT_TRUE(LogHas("[Korvex Legacy] is a old version driver"));
  EXPECT_TRUE(LogHas("Driver File Name NOT Found!"));
  EXPECT_EQ(Page().PageFlags & kSinglePrinter, 0);
}

TEST_F(PageEnumerationTest, FilePortPrinterWithoutPnPDataSearchesNoEnumKey) {
  AddDriver(kP1.driver, kP1.HardwareId(), kP1.InfPath());
  AddPrinter("KP to file", kP1.driver, std::nullopt, "FILE:");
  sim.ClearCalls();
  Start();
  ASSERT_EQ(Page().Printers.size(), 1u);
  const CPrinterRecord& r = *Page().Printers[0];
  EXPECT_EQ(r.InstanceIdPrefix, kValueNotValid);
  EXPECT_EQ(r.ParentIdPrefix, kValueNotValid);
  EXPECT_EQ(r.HardwareId, kP1.HardwareId());
  EXPECT_EQ(r.DriverStoreFolder, kP1.StoreFolder());
  EXPECT_TRUE(LogHas(
      "Impossible read [SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers\\"
      "KP to file\\PnPData\\DeviceInstanceId] key. Impossible verify if this printer uses "
      "VOMUUSB"));
  for (const auto& key : sim.CallsOf("OpenKey")) {
    EXPECT_EQ(key.find("Enum"), std::string::npos) << key;
  }
}

TEST_F(PageEnumerationTest, DriverWithoutHardwareId) {
  AddDriver(kP1.driver, std::nullopt, kP1.InfPath());
  AddPrinter(kP1.name, kP1.driver, kP1.PnpInstance());
  AddUsbDevice(kP1);
  Start();
  ASSERT_EQ(Page().Printers.size(), 1u);
  EXPECT_EQ(Page().Printers[0]->HardwareId, "");
  EXPECT_EQ(Page().Printers[0]->ParentIdPrefix, kValueNotValid);
  const auto lines = LogLines();
  const auto empty = std::find(lines.begin(), lines.end(),
                               "Value [] is empty. Impossible get Vid and pid!");
  ASSERT_NE(empty, lines.end());
  EXPECT_EQ(*(empty + 1), "Impossible to detect ParentIdPrefix for printer [Korvex KP-103].");
}

TEST_F(PageEnumerationTest, FailingSecondEnumerationKeepsTheOldList) {
  AddUsbPrinter(kP1);
  AddUsbPrinter(kP2);
  Start();
  Page().PageFlags = kDriverRemovable;
  sim.FailNext("EnumPrinters2", win::kErrorAccessDenied);
  const size_t mark = LogMark();
  EXPECT_EQ(Page().EnumeratePrinters(), 0);
  EXPECT_EQ(Page().Printers.size(), 2u);
  EXPECT_EQ(Page().PageFlags, 0);
  EXPECT_EQ(LogSince(mark), Lines({kBegin, "EnumPrinters error 2..."}));
}

TEST_F(PageEnumerationTest, FailingSizeQueryLogsItsError) {
  AddUsbPrinter(kP1);
  Start();
  sim.FailNext("EnumPrinters2Size", win::kErrorAccessDenied);
  const size_t mark = LogMark();
  EXPECT_EQ(Page().EnumeratePrinters(), 0);
  EXPECT_EQ(Page().Printers.size(), 1u);
  EXPECT_EQ(LogSince(mark), Lines({kBegin, "EnumPrinters error. EnumPrinters returned 5!"}));
}

TEST_F(PageEnumerationTest, DriverQueryFailuresCloseThePrinter) {
  AddUsbPrinter(kP1);
  Start();
  for (const char* op : {"GetDriver6Size", "GetDriver6"}) {
    sim.FailNext(op, win::kErrorAccessDenied);
    EXPECT_EQ(Page().GetDriverHardwareId(kP1.name), kValueNotValid) << op;
    EXPECT_EQ(sim.OpenPrinterHandles(), 0) << op;
  }
  EXPECT_TRUE(LogHas("Error GetPrinterDriver 1!"));
  EXPECT_TRUE(LogHas("Error GetPrinterDriver 2!"));
  sim.FailOpenPrinter(kP1.name, win::kErrorInvalidPrinterName);
  EXPECT_EQ(Page().GetDriverHardwareId(kP1.name), kValueNotValid);
  EXPECT_TRUE(LogHas("Impossible to find [Korvex KP-103] printer!"));
}

struct TextCase {
  const char* in;
  const char* out;
};

class VidAndPidTest : public PageFixture, public ::testing::WithParamInterface<TextCase> {};

TEST_P(VidAndPidTest, Reduces) {
  Start();
  EXPECT_EQ(Page().GetVidAndPid(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, VidAndPidTest,
    ::testing::Values(TextCase{"USB\\VID_0E7B&PID_0203&MI_00", "VID_0E7B&PID_0203"},
                      TextCase{"usb\\vid_0e7b&pid_0203", "VID_0E7B&PID_0203"},
                      TextCase{"VID_0E7B&PID_0203&MI_01", "VID_0E7B&PID_0203"},
                      TextCase{"A\\B\\VID_1&PID_2", "B\\VID_1&PID_2"},
                      TextCase{"VALUE_NOT_VALID", "VALUE_NOT_VALID"},
                      TextCase{"", "VALUE_NOT_VALID"}));

TEST(ReduceInstanceIdTest, KeepsTheLastComponentBeforeThePort) {
  EXPECT_EQ(CRemoveDrvPrn::ReduceInstanceId("USBPRINT\\MODELX\\7&1a2b3c4d&0&USB001"),
            "7&1A2B3C4D&0");
  EXPECT_EQ(CRemoveDrvPrn::ReduceInstanceId("7&1a2b&0"), "7&1A2B&0");
  EXPECT_EQ(CRemoveDrvPrn::ReduceInstanceId("ROOT\\PRINTER\\0000"), "0000");
}

}  // namespace
}  // namespace page_test
