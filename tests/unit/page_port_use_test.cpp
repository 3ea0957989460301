#include "tests/unit/page_fixture.h"

namespace page_test {
namespace {

const UsbPrinter kSelected{"Korvex KP-103", "Korvex KP-103 Driver", "0103", "1A2B3C4D"};
const UsbPrinter kOther{"Korvex KP-105", "Korvex KP-105 Driver", "0105", "5E6F7A8B"};
constexpr const char* kStillUsed = "\"VOMUUSB\" is still used.";
constexpr const char* kNotUsed = "\"VOMUUSB\" is not still used.";

class PagePortUseTest : public PageFixture {
 protected:
  // Runs the check for the selected printer (the first entry) and returns
  // its log lines.
  std::vector<std::string> Check(bool expected) {
    const size_t mark = LogMark();
    EXPECT_EQ(Page().IsVomuStillUsed(), expected);
    return LogSince(mark);
  }
};

TEST_F(PagePortUseTest, OnlyTheSelectedPrinterTouchesNoRegistry) {
  AddUsbPrinter(kSelected);
  Start();
  sim.ClearCalls();
  EXPECT_EQ(Check(false), std::vector<std::string>{kNotUsed});
  EXPECT_TRUE(sim.CallsOf("OpenKey").empty());
}

struct ServiceCase {
  const char* service;  // "" for no "Service" value
  bool used;
};

class PagePortServiceTest : public PagePortUseTest,
                            public ::testing::WithParamInterface<ServiceCase> {};

TEST_P(PagePortServiceTest, SecondPrinterCountsOnlyWhenItsInterfaceRunsTheService) {
  AddUsbPrinter(kSelected);
  UsbPrinter other = kOther;
  other.portService = GetParam().service;
  AddUsbPrinter(other);
  Start();
  ASSERT_EQ(Page().CurrentPrinter.PrinterName, kSelected.name);
  EXPECT_EQ(Check(GetParam().used),
            std::vector<std::string>{GetParam().used ? kStillUsed : kNotUsed});
}

INSTANTIATE_TEST_SUITE_P(Services, PagePortServiceTest,
                         ::testing::Values(ServiceCase{"VomuUsb", true},
                                           ServiceCase{"vomuusb", true},
                                           ServiceCase{"usbprint", false},
                                           ServiceCase{"", false}));

TEST_F(PagePortUseTest, SingleFunctionPrinterDoesNotCount) {
  AddUsbPrinter(kSelected);
  AddDriver(kOther.driver, std::string("USB\\VID_0E7B&PID_0105"));
  AddPrinter(kOther.name, kOther.driver, std::string("USBPRINT\\KORVEX0105\\7&5E6F7A8B&0&USB002"));
  sim::DeviceSpec device;
  device.instanceId = "USB\\VID_0E7B&PID_0105\\SN5E6F7A8B";
  device.hardwareIds = {"USB\\VID_0E7B&PID_0105"};
  device.parentIdPrefix = "7&5E6F7A8B&0";
  device.service = "VomuUsb";
  sim.AddDevice(device);
  Start();
  EXPECT_EQ(Check(false), std::vector<std::string>{kNotUsed});
}

TEST_F(PagePortUseTest, PrinterWithoutInstanceIdIsLoggedAndSkipped) {
  AddUsbPrinter(kSelected);
  AddDriver(kOther.driver, kOther.HardwareId());
  AddPrinter(kOther.name, kOther.driver, std::nullopt, "FILE:");
  UsbPrinter third{"Korvex KP-107", "Korvex KP-107 Driver", "0107", "9C0D1E2F"};
  AddUsbPrinter(third);
  Start();
  EXPECT_EQ(Check(true),
            (std::vector<std::string>{
                "Impossible read [SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\"
                "Printers\\Korvex KP-105\\PnPData\\DeviceInstanceId] key. Impossible verify "
                "if this printer uses VOMUUSB",
                kStillUsed}));
}

TEST_F(PagePortUseTest, EmptyInstanceIdMatchesNoEmptyPrefix) {
  AddUsbPrinter(kSelected);
  AddUsbPrinter(kOther);
  Start();
  sim.SetString(RegRoot::LocalMachine,
                std::string(sim::kPrintersSoftwareKeyPath) + "\\" + kOther.name + "\\PnPData",
                "DeviceInstanceId", "");
  sim.SetString(RegRoot::LocalMachine, std::string(sim::kEnumKey) + "\\" + kOther.Interface0(),
                "ParentIdPrefix", "");
  const auto lines = Check(false);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("Key [", 0), 0u) << lines[0];
}

}  // namespace
}  // namespace page_test
