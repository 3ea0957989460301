#include "tests/unit/expected_lines.h"
#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {

constexpr const char* kService = "VomuUsb";
constexpr const char* kDriverFile = "C:\\Windows\\system32\\drivers\\VOMUUSB.sys";
constexpr const char* kPortInf = "C:\\Windows\\inf\\oem3.inf";
const std::string kPortId = "USB\\VID_0E7B&PID_0203&REV_0100&MI_01";
constexpr const char* kPortInstance = "USB\\VID_0E7B&PID_0203&MI_01\\7&1A2B3C4D&0&0001";

class PortServiceTest : public RemovalTest {
 protected:
  void SetUp() override {
    sim.AddService(kService);
    sim.AddFile(kDriverFile, "MZ", win::kFileAttributeReadOnly);
    sim.SetOsVersion(5, 1, 2600);
  }
  void AddDevice(const std::string& instanceId, const std::string& hardwareId,
                 const std::string& service) {
    sim::DeviceSpec device;
    device.instanceId = instanceId;
    device.hardwareIds = {hardwareId, "USB\\COMPATIBLE_ID"};
    device.service = service;
    sim.AddDevice(device);
  }
  void AddPortInf() {
    sim.AddFile(kPortInf, "[Models]\r\n%Port%=Install,USB\\VID_0E7B&PID_0203&MI_01\r\n");
    sim.AddFile("C:\\Windows\\inf\\oem3.pnf", "PNF");
  }
};

TEST_F(PortServiceTest, RemovesOnlyThePortServiceInterfaces) {
  AddDevice(kPortInstance, kPortId, "vomuUSB");
  AddDevice("USB\\VID_0E7B&PID_0203&MI_00\\7&1A2B3C4D&0&0000",
            "USB\\VID_0E7B&PID_0203&REV_0100&MI_00", kService);
  AddDevice("USB\\VID_0E7B&PID_0204&MI_01\\7&99&0&0001", "USB\\VID_0E7B&PID_0204&MI_01",
            "usbprint");
  AddDevice("USB\\VID_1234&PID_0001&MI_01\\5&1&0&0001", "USB\\VID_1234&PID_0001&MI_01", kService);

  EXPECT_TRUE(prn.RemoveUsbDevice());
  EXPECT_EQ(sim.RemovedDevices(), Lines({kPortInstance}));
  EXPECT_EQ(NewLog(), Lines({"Search for Device to remove...", "Found: [" + kPortId + "]",
                             expected::DeviceDeletedLine(kPortId)}));
  EXPECT_EQ(StatusTexts().back(), "Deleting [" + kPortId + "] registry key...");
}

// Another vendor's device whose product id is the maker's vendor id, with
// the maker's interface tag and even the port service's name: not the maker's.
TEST_F(PortServiceTest, ProductIdEqualToTheVendorIdIsAnotherVendors) {
  const std::string otherId = "USB\\VID_1A2B&PID_0E7B&MI_01";
  AddDevice(otherId + "\\6&1&0&0001", otherId, kService);
  AddPortInf();
  const std::string otherInf = "C:\\Windows\\inf\\oem4.inf";
  sim.AddFile(otherInf, "[Models]\r\n%Dev%=Install," + otherId + "\r\n");

  EXPECT_EQ(prn.UninstallPortService(), kResultOk);

  EXPECT_TRUE(sim.RemovedDevices().empty());
  EXPECT_TRUE(sim.Exists(otherInf));
  EXPECT_FALSE(sim.Exists(kPortInf));
}

struct UnsearchableId {
  const char* id;
  const char* reason;
};

class HardwareIdSearchTest : public PortServiceTest,
                             public ::testing::WithParamInterface<UnsearchableId> {};

// An earlier search's list must not be acted on for an id that cannot be
// searched.
TEST_P(HardwareIdSearchTest, IdThatNamesNoSingleProductEmptiesTheList) {
  AddPortInf();
  prn.SearchInfFiles(kMakerVendorId, kPortInterfaceTag);
  ASSERT_EQ(prn.Removal.InfFiles, Lines({kPortInf}));

  EXPECT_FALSE(prn.SearchHardwareIdInfFiles(GetParam().id));

  EXPECT_TRUE(prn.Removal.InfFiles.empty());
  EXPECT_EQ(NewLog().back(), std::string("Cannot search .inf files for hardware id [") +
                                 GetParam().id + "]: " + GetParam().reason +
                                 ". No .inf file is removed for it.");
}

INSTANTIATE_TEST_SUITE_P(
    Ids, HardwareIdSearchTest,
    ::testing::Values(UnsearchableId{"VALUE_NOT_VALID", expected::kIdUnreadable},
                      UnsearchableId{"Korvex QL-800", expected::kIdWithoutBackslash},
                      UnsearchableId{"USBPRINT\\3", expected::kIdTailTooShort},
                      UnsearchableId{"USB\\0001", expected::kIdTailOnlyDigits}));

TEST_F(PortServiceTest, HardwareIdIsSearchedWhole) {
  sim.AddFile("C:\\Windows\\inf\\oem1.inf", "M=I,USBPRINT\\KORVEXQL-800\r\n");
  sim.AddFile("C:\\Windows\\inf\\oem2.inf", "M=I,USBPRINT\\KORVEXQL-8000\r\n");

  EXPECT_TRUE(prn.SearchHardwareIdInfFiles("USBPRINT\\KorvexQL-800"));

  EXPECT_EQ(prn.Removal.InfFiles, Lines({"C:\\Windows\\inf\\oem1.inf"}));
}

TEST_F(PortServiceTest, EmptyServiceOfAMatchingDeviceStopsTheStep) {
  // Listed before the port device, so the step ends before reaching it.
  AddDevice("USB\\VID_0E7B&PID_0201&MI_01\\7&99&0&0001", "USB\\VID_0E7B&PID_0201&MI_01", "");
  AddDevice(kPortInstance, kPortId, kService);
  ASSERT_EQ(sim.DeviceIds().front(), "USB\\VID_0E7B&PID_0201&MI_01\\7&99&0&0001");

  EXPECT_EQ(prn.RemovePortService(), kResultDeviceFailed);
  EXPECT_TRUE(sim.RemovedDevices().empty());
  EXPECT_TRUE(sim.ServiceExists(kService));
  EXPECT_TRUE(sim.Exists(kDriverFile));
}

TEST_F(PortServiceTest, WithoutDevicesServiceAndFileStillGo) {
  EXPECT_EQ(prn.UninstallPortService(), kResultOk);
  EXPECT_EQ(NewLog().front(), "Try to delete VOMUUSB");
  EXPECT_EQ(CountLog("Search for Device to remove..."), 1u);
  EXPECT_FALSE(sim.ServiceExists(kService));
  EXPECT_FALSE(sim.Exists(kDriverFile));
  EXPECT_EQ(dlg.Record.DeletedFiles, Lines({kDriverFile}));
  EXPECT_TRUE(Has(sim.ServiceOpenAccesses(), win::kDelete | win::kServiceStop));
}

TEST_F(PortServiceTest, MissingDriverFileIsNoFailure) {
  ASSERT_TRUE(sim.platform().files.SetAttributes(kDriverFile, win::kFileAttributeArchive).ok);
  ASSERT_TRUE(sim.platform().files.RemoveFile(kDriverFile).ok);

  EXPECT_EQ(prn.DeletePortService(), kResultServiceFileMissing);
  EXPECT_EQ(NewLog(), Lines({std::string("Error Open File [") + kDriverFile + "]"}));
  EXPECT_FALSE(sim.ServiceExists(kService));
  EXPECT_EQ(prn.RemovePortService(), kResultOk);
}

TEST_F(PortServiceTest, OlderSystemWithUndeletableInfStillRestartsTheSpooler) {
  AddPortInf();
  sim.SetInUse(kPortInf);

  EXPECT_EQ(prn.UninstallPortService(), kResultInfFailed);
  EXPECT_EQ(dlg.Record.NotDeletedFiles, Lines({kPortInf}));
  EXPECT_EQ(sim.SpoolerHistory(), Lines({"stop", "start"}));
  EXPECT_EQ(ProgressSteps(), 5u);
}

struct StoreFailureCase {
  const char* name;
  bool driverFileInUse;
  ResultCode result;
};

class PortStoreFailureTest : public PortServiceTest,
                             public ::testing::WithParamInterface<StoreFailureCase> {};

TEST_P(PortStoreFailureTest, ShowsTheBackupMessageAndKeepsTheFileResult) {
  sim.SetOsVersion(6, 1, 7601);
  AddPortInf();  // never added to the driver store: its package cannot be removed
  if (GetParam().driverFileInUse) sim.SetInUse(kDriverFile);

  EXPECT_EQ(prn.UninstallPortService(), GetParam().result);
  EXPECT_EQ(BoxTexts(), Lines({Text(IDS_MSG_BACKUP)}));
  EXPECT_TRUE(sim.SpoolerHistory().empty());
}

INSTANTIATE_TEST_SUITE_P(DriverFile, PortStoreFailureTest,
                         ::testing::Values(StoreFailureCase{"Deleted", false, kResultOk},
                                           StoreFailureCase{"InUse", true,
                                                            kResultServiceFileFailed}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace removal_test
