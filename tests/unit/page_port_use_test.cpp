#include <functional>
#include <ostream>

#include "platform/text.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/page_fixture.h"

namespace page_test {
namespace {

using expected::kPortServiceNotUsed;
using expected::kPortServiceUsed;

// The keys of the second printer of the fixture (kP2), where the faults go.
const std::string kUsbEnum = std::string(sim::kEnumKey) + "\\USB";
const std::string kUsbKey = kUsbEnum + "\\";
const std::string kPnPKey =
    std::string(sim::kPrintersSoftwareKeyPath) + "\\" + kP2.name + "\\PnPData";
const std::string kOtherInterface0 = kUsbKey + kP2.VidPid() + "&MI_00";
const std::string kOtherInterface0Instance = std::string(sim::kEnumKey) + "\\" + kP2.Interface0();
const std::string kOtherInterface1Instance = std::string(sim::kEnumKey) + "\\" + kP2.Interface1();

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
  AddUsbPrinter(kP1);
  Start();
  sim.ClearCalls();
  EXPECT_EQ(Check(false), std::vector<std::string>{kPortServiceNotUsed});
  EXPECT_TRUE(sim.CallsOf("OpenKey").empty());
}

struct ServiceCase {
  const char* service;  // "" for no "Service" value
  bool used;
};

class PagePortServiceTest : public PagePortUseTest,
                            public ::testing::WithParamInterface<ServiceCase> {};

TEST_P(PagePortServiceTest, SecondPrinterCountsOnlyWhenItsInterfaceRunsTheService) {
  AddUsbPrinter(kP1);
  UsbPrinter other = kP2;
  other.portService = GetParam().service;
  AddUsbPrinter(other);
  Start();
  ASSERT_EQ(Page().CurrentPrinter.PrinterName, kP1.name);
  EXPECT_EQ(Check(GetParam().used),
            std::vector<std::string>{GetParam().used ? kPortServiceUsed : kPortServiceNotUsed});
}

INSTANTIATE_TEST_SUITE_P(Services, PagePortServiceTest,
                         ::testing::Values(ServiceCase{"VomuUsb", true},
                                           ServiceCase{"vomuusb", true},
                                           ServiceCase{"usbprint", false},
                                           ServiceCase{"", false}));

TEST_F(PagePortUseTest, SingleFunctionPrinterDoesNotCount) {
  AddUsbPrinter(kP1);
  AddDriver(kP2.driver, std::string("USB\\VID_0E7B&PID_0105"));
  AddPrinter(kP2.name, kP2.driver, std::string("USBPRINT\\KORVEX0105\\7&5E6F7A8B&0&USB002"));
  sim::DeviceSpec device;
  device.instanceId = "USB\\VID_0E7B&PID_0105\\SN5E6F7A8B";
  device.hardwareIds = {"USB\\VID_0E7B&PID_0105"};
  device.parentIdPrefix = "7&5E6F7A8B&0";
  device.service = "VomuUsb";
  sim.AddDevice(device);
  Start();
  EXPECT_EQ(Check(false), std::vector<std::string>{kPortServiceNotUsed});
}

TEST_F(PagePortUseTest, PrinterWithoutInstanceIdIsLoggedAndSkipped) {
  AddUsbPrinter(kP1);
  AddDriver(kP2.driver, kP2.HardwareId());
  AddPrinter(kP2.name, kP2.driver, std::nullopt, "FILE:");
  UsbPrinter third{"Korvex KP-107", "Korvex KP-107 Driver", "0107", "9C0D1E2F"};
  AddUsbPrinter(third);
  Start();
  EXPECT_EQ(Check(true),
            (std::vector<std::string>{
                "Impossible read [SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\"
                "Printers\\Korvex KP-105\\PnPData\\DeviceInstanceId] key. Impossible verify "
                "if this printer uses VOMUUSB",
                kPortServiceUsed}));
}

TEST_F(PagePortUseTest, EmptyInstanceIdMatchesNoEmptyPrefix) {
  AddUsbPrinter(kP1);
  AddUsbPrinter(kP2);
  Start();
  sim.SetString(RegRoot::LocalMachine, kPnPKey, "DeviceInstanceId", "");
  sim.SetString(RegRoot::LocalMachine, kOtherInterface0Instance, "ParentIdPrefix", "");
  const auto lines = Check(false);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("Key [", 0), 0u) << lines[0];
}

// When in doubt, keep: a read that fails other than by a missing key or
// value leaves the question open, so the service stays and the log says why.
constexpr RegRoot kHklm = RegRoot::LocalMachine;

struct DoubtCase {
  const char* name;
  std::function<void(sim::SimWindows&)> fault;
  std::string why;  // empty: the fault answers the question, nothing is kept
};

void PrintTo(const DoubtCase& c, std::ostream* os) { *os << c.name; }

std::string Unreadable(const std::string& key, const std::string& value, const std::string& why) {
  return "[HKEY_LOCAL_MACHINE\\" + key + "\\" + value + "] could not be read (" + why + ")";
}

std::string NotOpened(const std::string& key) {
  return "[HKEY_LOCAL_MACHINE\\" + key + "] could not be opened (error 5)";
}

std::string NotEnumerated(const std::string& key, uint32_t error) {
  return "the subkeys of [HKEY_LOCAL_MACHINE\\" + key + "] could not be enumerated (error " +
         std::to_string(error) + ")";
}

class PagePortDoubtTest : public PagePortUseTest,
                          public ::testing::WithParamInterface<DoubtCase> {};

TEST_P(PagePortDoubtTest, OnlyAMissingKeyOrValueIsAnAnswer) {
  AddUsbPrinter(kP1);
  UsbPrinter other = kP2;
  other.portService = "usbprint";  // without the fault: not used
  AddUsbPrinter(other);
  Start();
  GetParam().fault(sim);
  const bool kept = !GetParam().why.empty();
  const auto lines = Check(kept);
  ASSERT_FALSE(lines.empty());
  if (kept) {
    EXPECT_EQ(lines.back(), "Impossible verify if printer [Korvex KP-105] uses VOMUUSB: " +
                                GetParam().why + ". VOMUUSB is kept.");
  } else {
    EXPECT_EQ(lines.back(), kPortServiceNotUsed);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PagePortDoubtTest,
    ::testing::Values(
        DoubtCase{"InstanceIdOfWrongType",
                  [](sim::SimWindows& s) { s.SetDword(kHklm, kPnPKey, "DeviceInstanceId", 1); },
                  Unreadable(kPnPKey, "DeviceInstanceId", "type 4 instead of a string")},
        DoubtCase{"InstanceIdTooLong",
                  [](sim::SimWindows& s) {
                    s.SetString(kHklm, kPnPKey, "DeviceInstanceId", std::string(300, 'A'));
                  },
                  Unreadable(kPnPKey, "DeviceInstanceId", "longer than 254 bytes")},
        DoubtCase{"PnPDataDenied", [](sim::SimWindows& s) { s.DenyOpen(kHklm, kPnPKey); },
                  Unreadable(kPnPKey, "DeviceInstanceId", "error 5")},
        DoubtCase{"UsbKeyDenied",
                  [](sim::SimWindows& s) {
                    s.DenyOpen(kHklm, kUsbEnum);
                  },
                  NotOpened(kUsbKey)},
        DoubtCase{"UsbEnumerationBreaksOff",
                  [](sim::SimWindows& s) {
                    s.FailWhere("EnumKey", "Enum\\USB\\#2", 1117, sim::kUnlimited);
                  },
                  NotEnumerated(kUsbKey, 1117)},
        DoubtCase{"InterfaceKeyDenied",
                  [](sim::SimWindows& s) { s.DenyOpen(kHklm, kOtherInterface0); },
                  NotOpened(kOtherInterface0)},
        DoubtCase{"InterfaceEnumerationBreaksOff",
                  [](sim::SimWindows& s) {
                    s.FailWhere("EnumKey", "PID_0105&MI_00#0", 5, sim::kUnlimited);
                  },
                  NotEnumerated(kOtherInterface0, 5)},
        DoubtCase{"ParentIdPrefixOfWrongType",
                  [](sim::SimWindows& s) {
                    s.SetDword(kHklm, kOtherInterface0Instance, "ParentIdPrefix", 7);
                  },
                  Unreadable(kOtherInterface0Instance, "ParentIdPrefix", "type 4 instead of a string")},
        DoubtCase{"ServiceOfWrongType",
                  [](sim::SimWindows& s) {
                    s.SetDword(kHklm, kOtherInterface1Instance, "Service", 1);
                  },
                  Unreadable(kOtherInterface1Instance, "Service", "type 4 instead of a string")},
        DoubtCase{"ServiceKeyDenied",
                  [](sim::SimWindows& s) { s.DenyOpen(kHklm, kOtherInterface1Instance); },
                  Unreadable(kOtherInterface1Instance, "Service", "error 5")},
        // Missing keys and values are answers.
        DoubtCase{"NoUsbKey",
                  [](sim::SimWindows& s) {
                    s.DeleteKey(kHklm, kUsbEnum);
                  },
                  ""},
        DoubtCase{"NoParentIdPrefix",
                  [](sim::SimWindows& s) {
                    s.DeleteValue(kHklm, kOtherInterface0Instance, "ParentIdPrefix");
                  },
                  ""},
        DoubtCase{"NoInterface1",
                  [](sim::SimWindows& s) { s.DeleteKey(kHklm, kOtherInterface1Instance); }, ""},
        // Past the other printer's interface 0 (index 4), a failure hides nothing.
        DoubtCase{"EnumerationBreaksOffAfterTheLastPrinterIsFound",
                  [](sim::SimWindows& s) {
                    s.FailWhere("EnumKey", "Enum\\USB\\#5", 5, sim::kUnlimited);
                  },
                  ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PagePortUseTest, TheUsbKeysAreWalkedOnceForAllPrinters) {
  AddUsbPrinter(kP1);
  constexpr int kOthers = 12;
  for (int i = 0; i < kOthers; ++i) {
    const std::string pid = text::Format("02%02d", i);
    UsbPrinter other{"Korvex KP-2" + pid, "Korvex KP-2" + pid + " Driver", pid,
                     text::Format("5E6F7A%02d", i), "usbprint"};
    AddUsbPrinter(other);
  }
  Start();
  sim.ClearCalls();
  EXPECT_EQ(Check(false), std::vector<std::string>{kPortServiceNotUsed});
  const auto usbSubkeys = sim.SubkeyNames(kHklm, kUsbEnum).size();
  size_t usbEnumerations = 0;
  for (const std::string& detail : sim.CallsOf("EnumKey")) {
    if (detail.find("Enum\\USB\\#") != std::string::npos) ++usbEnumerations;
  }
  EXPECT_LE(usbEnumerations, usbSubkeys + 1);
}

}  // namespace
}  // namespace page_test
