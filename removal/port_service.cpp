#include <cstdint>
#include <string>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "removal/device_walk.h"
#include "removal/removal_steps.h"
#include "resources/resource_ids.h"

namespace {

constexpr uint32_t kInfSearchDirCapacity = 260;
constexpr const char* kInfSubdir = "inf";
constexpr const char* kDriversSubdir = "system32\\drivers";
constexpr const char* kDriverFileExtension = ".sys";
// What DeletePortService reports for a missing name or an undeletable file;
// RemovePortService folds it into the driver-file failure.
constexpr ResultCode kPortServiceNotDeleted = kResultSettingsFailed;

}  // namespace

ResultCode CRemovalSteps::UninstallPortService() {
  Log(text::Format("Try to delete %s", PortServiceName));
  SearchInfFiles(kMakerVendorId, kPortInterfaceTag);
  return RemovePortService();
}

bool CRemovalSteps::SearchHardwareIdInfFiles(const std::string& hardwareId) {
  if (const char* reason = UnsearchableHardwareIdReason(hardwareId)) {
    // Whatever an earlier search left in the list is not this driver's.
    Log(text::Format("Cannot search .inf files for hardware id [%s]: %s. No .inf "
                     "file is removed for it.",
                     hardwareId, reason));
    InfFiles.clear();
    ShowInfFiles();
    return false;
  }
  SearchInfFiles(hardwareId, "", InfTextKind::WholeId);
  return true;
}

void CRemovalSteps::SearchInfFiles(const std::string& text1,
                                   const std::string& text2, InfTextKind kind1) {
  const std::string windowsDir = WindowsDirectory(kInfSearchDirCapacity);
  if (windowsDir.empty()) {
    // "\inf" would be searched on the current drive, and what it found
    // deleted as if it were the system's.
    Log(text::Format(
        "Windows directory unknown: .inf files of [%s] not searched. Error %d.",
        text1, static_cast<int>(platform.system.LastError())));
    InfFiles.clear();
    ShowInfFiles();
    return;
  }
  const std::string infDir = windowsDir + "\\" + kInfSubdir;
  std::string first = text1;
  std::string second = text2;
  (void)Engine.FindInfFiles(infDir, &InfFiles, first, second, false, kind1);
  ShowInfFiles();
}

void CRemovalSteps::ShowInfFiles() {
  Host.ShowInfFiles(InfFiles);
}

ResultCode CRemovalSteps::RemovePortService() {
  Step();
  if (!RemoveUsbDevice()) return kResultDeviceFailed;

  Step();
  const ResultCode serviceResult = DeletePortService();
  Step();
  ResultCode result = (serviceResult == kResultOk ||
                serviceResult == kResultServiceFileMissing)
                   ? kResultOk
                   : kResultServiceFileFailed;

  const DeletionMark mark = MarkDeletions();
  const FileList asked = InfFiles;
  if (Engine.IsVista()) {
    const bool cleaned = Engine.CleanDriverStore(InfFiles);
    ReportRemovedPackages(asked, InfFiles);
    if (!cleaned) {
      Host.ShowResultMessage(kResultBackupFailed);
      // The store cleanup has been reported on its own; a driver file that
      // could not be deleted must still reach the sequence.
      return result;
    }
  } else {
    if (!Engine.DeleteInfFiles(InfFiles,
                               Services.deletions ? &Services.deletions->DeletedFiles : nullptr,
                               Services.deletions ? &Services.deletions->NotDeletedFiles : nullptr)) {
      result = kResultInfFailed;
    }
    ReportDeletionsSince(mark);
    Step();
  }

  RestartSpooler();
  Step();
  return result;
}

bool CRemovalSteps::RemoveUsbDevice() {
  Log("Search for Device to remove...");
  // The devices after a broken-off enumeration were not seen: the service
  // must not go while one of them may still use it.
  const DeviceWalkEnd end = WalkPresentDevices(
      *this, [this](IDeviceInfoSet& devices, uint32_t index, const std::string& hardwareId) {
        const std::string upperId = text::Upper(hardwareId);
        if (!text::Contains(upperId, kMakerVendorId) ||
            !text::Contains(upperId, kPortInterfaceTag)) {
          return true;
        }
        uint32_t regType = 0;
        std::string property;
        if (!Engine.GetDevicePropertyString(devices, index, win::kSpdrpService, regType,
                                            property)) {
          LogPropertyError(*this, index, win::kSpdrpService);
          return true;
        }
        const std::string service = FirstString(property);
        if (service.empty()) return false;
        if (text::Upper(service) != PortServiceName) return true;

        Log(text::Format("Found: [%s]", hardwareId));
        SetStatusLine(text::Format(LoadText(IDS_DELETING_REG_KEY), hardwareId));
        if (!devices.CallClassInstaller(win::kDifRemove, index)) {
          Log(text::Format("Error deleting the Device with Hardware ID [%s]", hardwareId));
          ReportRemoval(RunItemKind::Device, hardwareId, false);
          return false;
        }
        Log(text::Format("Deleted the Device with Hardware ID [%s]", hardwareId));
        ReportRemoval(RunItemKind::Device, hardwareId, true);
        return true;
      });
  return end == DeviceWalkEnd::Completed;
}

ResultCode CRemovalSteps::DeletePortService() {
  const std::string windowsDir = WindowsDirectory(kWindowsDirCapacity);
  if (PortServiceName.empty()) {
    Log("The service to delete is not specified. Cannot continue to delete "
        "service");
    return kPortServiceNotDeleted;
  }

  if (windowsDir.empty()) {
    Log(text::Format(
        "Windows directory unknown: %s and its driver file NOT deleted. Error %d.",
        PortServiceName, static_cast<int>(platform.system.LastError())));
    return kPortServiceNotDeleted;
  }

  {
    // Stop and deletion are best effort: the driver file decides the result.
    // A failure is still written down, as the service may be left behind.
    ServiceManager manager;
    const Outcome managerOpened =
        platform.services.OpenManager(win::kScManagerConnect, manager);
    if (managerOpened && manager) {
      ServiceHandle service;
      const Outcome serviceOpened = manager->Open(
          text::Lower(PortServiceName), win::kDelete | win::kServiceStop, service);
      if (serviceOpened && service) {
        const Outcome stopped = service->Control(win::kServiceControlStop);
        if (!stopped && stopped.error != win::kErrorServiceNotActive) {
          Log(text::Format("Service %s NOT stopped! Error %d", PortServiceName,
                           static_cast<int>(stopped.error)));
        }
        const Outcome deleted = service->Delete();
        ReportRemoval(RunItemKind::Service, PortServiceName, static_cast<bool>(deleted),
                      deleted.error);
        if (!deleted) {
          Log(text::Format("Service %s NOT deleted! Error %d", PortServiceName,
                           static_cast<int>(deleted.error)));
        }
      } else if (serviceOpened.error != win::kErrorServiceDoesNotExist) {
        Log(text::Format("Impossible to open service %s! Error %d",
                         PortServiceName, static_cast<int>(serviceOpened.error)));
        ReportRemoval(RunItemKind::Service, PortServiceName, false, serviceOpened.error);
      }
    } else {
      Log(text::Format(
          "Impossible to open the service control manager! Error %d. Service "
          "%s NOT deleted.",
          static_cast<int>(managerOpened.error), PortServiceName));
      ReportRemoval(RunItemKind::Service, PortServiceName, false, managerOpened.error);
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
