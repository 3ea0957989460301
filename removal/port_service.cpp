#include <cstdint>
#include <string>

#include "app/purvex_dlg.h"
#include "platform/text.h"
#include "platform/win_constants.h"
#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"

namespace {

constexpr uint32_t kInfSearchDirCapacity = 260;
constexpr uint32_t kWindowsDirCapacity = 255;
constexpr const char* kInfSubdir = "inf";
constexpr const char* kDriversSubdir = "system32\\drivers";
constexpr const char* kDriverFileExtension = ".sys";
constexpr const char* kClassDevsStep = "GetClassDevs(All Present Devices)";
// What DeletePortService reports for a missing name or an undeletable file;
// RemovePortService folds it into the driver-file failure.
constexpr int kPortServiceNotDeleted = kResultSettingsFailed;

// Device properties come back with their terminators (and, for hardware
// ids, the further ids); every test here is about the first string.
std::string FirstString(const std::string& property) {
  return property.substr(0, property.find('\0'));
}

}  // namespace

int CRemoveDrvPrn::UninstallPortService() {
  Log(text::Format("Try to delete %s", PortServiceName));
  SearchInfFiles(kMakerVendorId, kPortInterfaceTag);
  return RemovePortService();
}

void CRemoveDrvPrn::SearchInfFiles(const std::string& text1,
                                   const std::string& text2) {
  const std::string infDir =
      WindowsDirectory(kInfSearchDirCapacity) + "\\" + kInfSubdir;
  std::string first = text1;
  std::string second = text2;
  (void)Engine.FindInfFiles(infDir, &InfFiles, first, second, false);
  ShowInfFiles();
}

void CRemoveDrvPrn::ShowInfFiles() {
  if (Controls == nullptr) return;
  Controls->ResetContent(IDC_INF_LIST);
  for (const std::string& inf : InfFiles) Controls->AddString(IDC_INF_LIST, inf);
}

int CRemoveDrvPrn::RemovePortService() {
  Step();
  if (!RemoveUsbDevice()) return kResultDeviceFailed;

  Step();
  const int serviceResult = DeletePortService();
  Step();
  int result = (serviceResult == kResultOk ||
                serviceResult == kResultServiceFileMissing)
                   ? kResultOk
                   : kResultServiceFileFailed;

  if (Engine.IsVista()) {
    if (!Engine.CleanDriverStore(InfFiles)) {
      if (MainDialog != nullptr) MainDialog->ShowResultMessage(kResultBackupFailed);
      // The store cleanup has been reported on its own; a driver file that
      // could not be deleted must still reach the sequence.
      return result;
    }
  } else {
    if (!Engine.DeleteInfFiles(InfFiles,
                               MainDialog ? &MainDialog->DeletedFiles : nullptr,
                               MainDialog ? &MainDialog->NotDeletedFiles : nullptr)) {
      result = kResultInfFailed;
    }
    Step();
  }

  RestartSpooler();
  Step();
  return result;
}

bool CRemoveDrvPrn::RemoveUsbDevice() {
  Log("Search for Device to remove...");
  DeviceInfoSet devices;
  const Outcome listed =
      platform.devices.GetClassDevs(win::kDigcfAllClasses, devices);
  if (!listed || !devices) {
    platform.system.SetLastErrorCode(listed.error);
    (void)LogLastError(kClassDevsStep);
    return false;
  }

  for (uint32_t index = 0; devices->EnumDevice(index); ++index) {
    uint32_t regType = 0;
    std::string property;
    if (!Engine.GetDevicePropertyString(*devices, index, win::kSpdrpHardwareId,
                                        regType, property)) {
      continue;
    }
    const std::string hardwareId = FirstString(property);
    const std::string upperId = text::Upper(hardwareId);
    if (!text::Contains(upperId, kMakerVendorId) ||
        !text::Contains(upperId, kPortInterfaceTag)) {
      continue;
    }

    if (!Engine.GetDevicePropertyString(*devices, index, win::kSpdrpService,
                                        regType, property)) {
      continue;
    }
    const std::string service = FirstString(property);
    if (service.empty()) return false;
    if (text::Upper(service) != PortServiceName) continue;

    Log(text::Format("Found: [%s]", hardwareId));
    SetStatusLine(text::Format(LoadText(IDS_DELETING_REG_KEY), hardwareId));
    if (!devices->CallClassInstaller(win::kDifRemove, index)) {
      Log(text::Format("Error deleting the Device with Hardware ID [%s]",
                       hardwareId));
      return false;
    }
    Log(text::Format("Deleted the Device with Hardware ID [%s]", hardwareId));
  }
  return true;
}

int CRemoveDrvPrn::DeletePortService() {
  const std::string windowsDir = WindowsDirectory(kWindowsDirCapacity);
  if (PortServiceName.empty()) {
    Log("The service to delete is not specified. Cannot continue to delete "
        "service");
    return kPortServiceNotDeleted;
  }

  {
    // Stop and deletion are best effort: the driver file decides the result.
    ServiceManager manager;
    if (platform.services.OpenManager(win::kScManagerConnect, manager) &&
        manager) {
      ServiceHandle service;
      if (manager->Open(text::Lower(PortServiceName),
                        win::kDelete | win::kServiceStop, service) &&
          service) {
        (void)service->Control(win::kServiceControlStop);
        (void)service->Delete();
      }
    }
  }

  const std::string driverFile = windowsDir + "\\" + kDriversSubdir + "\\" +
                                 PortServiceName + kDriverFileExtension;
  uint32_t attributes = 0;
  if (!platform.files.GetAttributes(driverFile, attributes)) {
    Log(text::Format("Error Open File [%s]", driverFile));
    return kResultServiceFileMissing;
  }
  (void)platform.files.SetAttributes(driverFile, win::kFileAttributeArchive);
  Log(text::Format("Removing the file: [%s]...", driverFile));
  if (platform.files.RemoveFile(driverFile)) {
    ReportDeleteResult(driverFile, true);
    return kResultOk;
  }
  ReportDeleteResult(driverFile, false);
  return kPortServiceNotDeleted;
}
