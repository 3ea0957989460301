#include <string>
#include <vector>

#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {


constexpr const char* kService = "VomuUsb";
constexpr const char* kDriverFile = "C:\\Windows\\system32\\drivers\\VOMUUSB.sys";
constexpr const char* kPortInf = "C:\\Windows\\inf\\oem3.inf";
constexpr const char* kPortPnf = "C:\\Windows\\inf\\oem3.pnf";
constexpr const char* kPortId = "USB\\VID_0E7B&PID_0203&REV_0100&MI_01";
constexpr const char* kPortInstance = "USB\\VID_0E7B&PID_0203&MI_01\\7&1A2B3C4D&0&0001";

class PortServiceTest : public RemovalTest {
 protected:
  void SetUp() override {
    sim.AddService(kService);
    sim.AddFile(kDriverFile, "MZ", win::kFileAttributeReadOnly);
  }
  void AddDevice(const std::string& instanceId, const std::string& hardwareId,
                 const std::optional<std::string>& service) {
    sim::DeviceSpec spec;
    spec.instanceId = instanceId;
    spec.hardwareIds = {hardwareId, "USB\\COMPATIBLE_ID"};
    spec.service = service;
    sim.AddDevice(spec);
  }
  void AddPortInf() {
    sim.AddFile(kPortInf, "[Models]\r\n%Port%=Install,USB\\VID_0E7B&PID_0203&MI_01\r\n");
    sim.AddFile(kPortPnf, "PNF");
  }
};

TEST_F(PortServiceTest, RemovesOnlyThePortServiceInterfaces) {
  AddDevice(kPortInstance, kPortId, "vomuUSB");
  AddDevice("USB\\VID_0E7B&PID_0203&MI_00\\7&1A2B3C4D&0&0000",
            "USB\\VID_0E7B&PID_0203&REV_0100&MI_00", kService);
  AddDevice("USB\\VID_0E7B&PID_0204&MI_01\\7&99&0&0001", "USB\\VID_0E7B&PID_0204&MI_01",
            "usbprint");
  AddDevice("USB\\VID_1234&PID_0001&MI_01\\5&1&0&0001", "USB\\VID_1234&PID_0001&MI_01",
            kService);

  EXPECT_TRUE(prn.RemoveUsbDevice());
  EXPECT_EQ(sim.RemovedDevices(), Lines({kPortInstance}));
  EXPECT_EQ(NewLog(), Lines({"Search for Device to remove...",
                                    std::string("Found: [") + kPortId + "]",
                                    std::string("Deleted the Device with Hardware ID [") +
                                        kPortId + "]"}));
  EXPECT_EQ(StatusLine(), std::string("Deleting [") + kPortId + "] registry key...");
}

TEST_F(PortServiceTest, EmptyServiceOfAMatchingDeviceStopsTheStep) {
  AddDevice("USB\\VID_0E7B&PID_0204&MI_01\\7&99&0&0001", "USB\\VID_0E7B&PID_0204&MI_01", "");
  AddDevice(kPortInstance, kPortId, kService);

  EXPECT_EQ(prn.RemovePortService(), kResultDeviceFailed);
  EXPECT_TRUE((sim.RemovedDevices()).empty());
  EXPECT_TRUE(sim.ServiceExists(kService));
  EXPECT_TRUE(sim.Exists(kDriverFile));
}

TEST_F(PortServiceTest, FailedRemovalStopsTheStep) {
  AddDevice(kPortInstance, kPortId, kService);
  sim.FailRemove(kPortInstance);

  EXPECT_FALSE(prn.RemoveUsbDevice());
  EXPECT_EQ(NewLog().back(),
            std::string("Error deleting the Device with Hardware ID [") + kPortId + "]");
}

TEST_F(PortServiceTest, UnlistableDevicesAreLoggedAsFailure) {
  sim.FailGetClassDevs(win::kErrorAccessDenied);
  EXPECT_FALSE(prn.RemoveUsbDevice());
  ASSERT_EQ(NewLog().size(), 2u);
  EXPECT_EQ(NewLog()[1].rfind("GetClassDevs(All Present Devices) FAILURE: ", 0), 0u);
}

TEST_F(PortServiceTest, WithoutDevicesServiceAndFileStillGo) {
  sim.SetOsVersion(5, 1, 2600);

  EXPECT_EQ(prn.UninstallPortService(), kResultOk);
  const std::vector<std::string> log = NewLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0], "Try to delete VOMUUSB");
  EXPECT_EQ(CountLog("Search for Device to remove..."), 1u);
  EXPECT_FALSE(sim.ServiceExists(kService));
  EXPECT_FALSE(sim.Exists(kDriverFile));
  EXPECT_EQ(dlg.DeletedFiles, Lines({kDriverFile}));
  EXPECT_TRUE(Has(sim.ServiceOpenAccesses(), win::kDelete | win::kServiceStop));
  EXPECT_EQ(sim.SpoolerHistory(), Lines({"stop", "start"}));
}

TEST_F(PortServiceTest, MissingDriverFileIsNoFailure) {
  ASSERT_TRUE(sim.platform().files.SetAttributes(kDriverFile, win::kFileAttributeArchive).ok);
  ASSERT_TRUE(sim.platform().files.RemoveFile(kDriverFile).ok);
  MarkLog();

  EXPECT_EQ(prn.DeletePortService(), kResultServiceFileMissing);
  EXPECT_EQ(NewLog(), Lines({std::string("Error Open File [") + kDriverFile + "]"}));
  EXPECT_FALSE(sim.ServiceExists(kService));
  sim.SetOsVersion(5, 1, 2600);
  EXPECT_EQ(prn.RemovePortService(), kResultOk);
}

TEST_F(PortServiceTest, UndeletableDriverFileIsReported) {
  sim.SetInUse(kDriverFile);
  EXPECT_EQ(prn.DeletePortService(), kResultSettingsFailed);
  EXPECT_EQ(dlg.NotDeletedFiles, Lines({kDriverFile}));

  prn.PortServiceName.clear();
  MarkLog();
  EXPECT_EQ(prn.DeletePortService(), kResultSettingsFailed);
  EXPECT_EQ(NewLog(), Lines({"The service to delete is not specified. Cannot continue "
                                    "to delete service"}));
}

TEST_F(PortServiceTest, OlderSystemWithUndeletableInfRestartsSpooler) {
  sim.SetOsVersion(5, 1, 2600);
  AddPortInf();
  sim.SetInUse(kPortInf);

  EXPECT_EQ(prn.UninstallPortService(), kResultInfFailed);
  EXPECT_EQ(dlg.NotDeletedFiles, Lines({kPortInf}));
  EXPECT_FALSE(sim.Exists(kPortPnf));
  EXPECT_EQ(sim.SpoolerHistory(), Lines({"stop", "start"}));
  EXPECT_EQ(ProgressSteps(), 5u);
}

struct StoreFailureCase {
  const char* name;
  bool driverFileInUse;
  int result;
};

class PortStoreFailureTest : public PortServiceTest,
                             public ::testing::WithParamInterface<StoreFailureCase> {};

TEST_P(PortStoreFailureTest, ShowsBackupMessageAndKeepsTheFileResult) {
  sim.SetOsVersion(6, 1, 7601);
  AddPortInf();  // never added to the driver store: its package cannot be removed
  if (GetParam().driverFileInUse) sim.SetInUse(kDriverFile);

  EXPECT_EQ(prn.UninstallPortService(), GetParam().result);
  EXPECT_EQ(BoxTexts(), Lines({Text(IDS_MSG_BACKUP)}));
  EXPECT_TRUE((sim.SpoolerHistory()).empty());
  EXPECT_TRUE(sim.Exists(kPortInf));
}

INSTANTIATE_TEST_SUITE_P(
    DriverFile, PortStoreFailureTest,
    ::testing::Values(StoreFailureCase{"Deleted", false, kResultOk},
                      StoreFailureCase{"InUse", true, kResultServiceFileFailed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortServiceTest, StoreCleanupOnNt6RemovesThePackage) {
  sim.SetOsVersion(6, 1, 7601);
  const std::string store = std::string(sim::kDriverStoreRepository) +
                            "\\vomu.inf_amd64_neutral_1\\vomu.inf";
  AddPortInf();
  sim.AddPackage(kPortInf, store);

  EXPECT_EQ(prn.UninstallPortService(), kResultOk);
  EXPECT_EQ(sim.UninstalledPackages(), Lines({store}));
  EXPECT_TRUE((BoxTexts()).empty());
  EXPECT_EQ(sim.SpoolerHistory(), Lines({"stop", "start"}));
}

TEST_F(PortServiceTest, InfSearchNeedsBothTextsOnOneLine) {
  AddPortInf();
  sim.AddFile("C:\\Windows\\inf\\oem4.inf", "[Strings]\r\nVID_0E7B\r\nMI_01\r\n");
  sim.AddFile("C:\\Windows\\inf\\oem5.inf", "[Models]\r\nx=y,usb\\vid_0e7b&pid_0300\r\n");

  prn.SearchInfFiles(kMakerVendorId, kPortInterfaceTag);
  EXPECT_EQ(prn.InfFiles, Lines({kPortInf}));
  EXPECT_EQ(page.Items(IDC_INF_LIST), prn.InfFiles);

  prn.SearchInfFiles(kMakerVendorId, "");
  EXPECT_EQ(prn.InfFiles, Lines({kPortInf, "C:\\Windows\\inf\\oem4.inf",
                                        "C:\\Windows\\inf\\oem5.inf"}));
  EXPECT_EQ(page.Items(IDC_INF_LIST), prn.InfFiles);
}

}  // namespace
}  // namespace removal_test
