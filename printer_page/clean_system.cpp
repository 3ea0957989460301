#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "printer_page/remove_drv_prn.h"
#include "printer_page/symbolic_name.h"
#include "removal/device_walk.h"
#include "support/generic_thread.h"
#include "resources/resource_ids.h"

namespace {

constexpr RegRoot kMachine = RegRoot::LocalMachine;
constexpr const char* kCleanRefusedLine =
    "An uninstall operation is still running: Clean system was not started.";
constexpr size_t kProductIdLength = 8;  // "PID_" and four hexadecimal digits
constexpr const char* kPrinterProductTag = "PID_01";
constexpr const char* kSymbolicNameValue = "SymbolicName";
constexpr uint32_t kSymbolicNameBufferSize = 260;
constexpr const char* kNotCleanedLine =
    "Device [%s] was not cleaned: %s could not be read. Error %d";

}  // namespace

void CRemoveDrvPrn::OnCleanSystemClicked() {
  // It runs on this thread; the devices it removes and the printer list it
  // reads are the worker's to change until its end.
  if (Controls == nullptr || RefuseWhileWorkerRuns(kCleanRefusedLine)) return;
  if (!Confirm(LoadText(IDS_CLEAN_SYSTEM_CONFIRM))) return;
  Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressStart);
  Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressStepOnce);
  std::vector<std::string> pids;
  (void)CollectPrinterPids(pids);
  Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressStepOnce);
  (void)RemoveBadlyInstalledDevices(pids);
  (void)platform.messageBoxes.Show(BoxOwner::Page, LoadText(IDS_DONE), Caption(), win::kMbOk);
  Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressEnd);
}

bool CRemoveDrvPrn::CollectPrinterPids(std::vector<std::string>& pids) {
  pids.clear();
  for (const auto& record : Printers) {
    // A printer without a hardware id adds nothing, but the later ones still
    // count: their devices must not be taken for leftovers.
    if (record->HardwareId.empty()) continue;
    const std::string id = text::Upper(record->HardwareId);
    const auto pos = id.find(kProductIdTag);
    if (pos == std::string::npos) continue;
    const std::string pid = id.substr(pos, kProductIdLength);
    if (!pid.empty() && std::find(pids.begin(), pids.end(), pid) == pids.end()) {
      pids.push_back(pid);
    }
  }
  return true;
}

bool CRemoveDrvPrn::RemoveBadlyInstalledDevices(const std::vector<std::string>& pids) {
  Log("Search for Device -not correctly installed- to remove...");
  // Looked up once per maker entry: a set, not a walk over every printer.
  std::set<std::string> prefixesInUse;
  for (const auto& record : Printers) prefixesInUse.insert(record->ParentIdPrefix);

  // Entries that stay because something could not be read are written
  // down: the user is told "Done!" whatever happens.
  const DeviceWalkEnd end = WalkPresentDevices(Steps(), [&](IDeviceInfoSet& devices, uint32_t index,
                                                            const std::string& hardwareId) {
    // Between two devices: an unattended run asked to stop leaves no device
    // half handled. The window's Clean system has no stop signal here.
    CCGenericThread::CheckStopPoint();
    const std::string id = text::Upper(hardwareId);
    if (!text::Contains(id, kMakerVendorId)) return true;
    if (!text::Contains(id, kPrinterProductTag)) {
      Log(text::Format(
          "Found a device with ID [%s]: this device is not a printer so it was not cleaned",
          id));
      return true;
    }

    const bool listedModel =
        std::any_of(pids.begin(), pids.end(),
                    [&id](const std::string& pid) { return text::Contains(id, pid); });
    if (listedModel) {
      // Kept when a listed printer hangs on it.
      RegistryKey hardwareKey;
      const Outcome keyOpened = devices.OpenDevRegKey(
          index, win::kDicsFlagGlobal, win::kDiregDev, win::kKeyRead, hardwareKey);
      if (!keyOpened || !hardwareKey) {
        // Interfaces have no hardware key of their own: no failure.
        if (!keyOpened && keyOpened.error != win::kErrorKeyDoesNotExist) {
          Log(text::Format(kNotCleanedLine, hardwareId, "its hardware key",
                           static_cast<int>(keyOpened.error)));
        }
        return true;
      }
      std::vector<uint8_t> buffer(kSymbolicNameBufferSize, 0);
      uint32_t type = 0;
      uint32_t size = kSymbolicNameBufferSize;
      const Outcome queried =
          hardwareKey->QueryValue(kSymbolicNameValue, type, buffer.data(), size);
      if (!queried) {
        if (queried.error != win::kErrorFileNotFound) {
          Log(text::Format(kNotCleanedLine, hardwareId, kSymbolicNameValue,
                           static_cast<int>(queried.error)));
        }
        return true;
      }
      const std::string instancePath = InstancePathOfSymbolicName(
          std::string(reinterpret_cast<const char*>(buffer.data()),
                      std::min(size, kSymbolicNameBufferSize)));
      if (instancePath.empty()) return true;
      std::string prefix;
      if (!Registry.ReadStringToBuffer(kMachine, std::string(kUsbEnumKey) + instancePath,
                                       kParentIdPrefixValue, prefix)) {
        Log(text::Format("Impossible to read [HKEY_LOCAL_MACHINE\\%s%s\\%s]: device [%s] "
                         "was not cleaned",
                         kUsbEnumKey, instancePath, kParentIdPrefixValue, hardwareId));
        return true;
      }
      if (!prefix.empty()) {
        if (prefixesInUse.count(text::Upper(prefix)) != 0) return true;
      }
    }

    Log(text::Format("Found: [%s] device not correctly installed", hardwareId));
    SetStatusLine(text::Format(LoadText(IDS_DELETING_REG_KEY), hardwareId));
    const Outcome removed = devices.CallClassInstaller(win::kDifRemove, index);
    if (removed) {
      Log(text::Format("Deleted the Device with Hardware ID [%s]", hardwareId));
    } else {
      Log(text::Format("Error deleting the Device with Hardware ID [%s]", hardwareId));
    }
    Steps().ReportRemoval(RunItemKind::Device, hardwareId, static_cast<bool>(removed),
                          removed.error);
    return true;
  });
  return end != DeviceWalkEnd::ListFailed;
}
