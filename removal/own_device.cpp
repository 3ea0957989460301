#include <string>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "removal/removal_steps.h"

void CRemovalSteps::ReadOwnDeviceInstanceId() {
  OwnDeviceInstanceId.clear();
  const std::string key = std::string(kPrintersSoftwareKey) + "\\" +
                          CurrentPrinter.PrinterName + "\\" + kPnPDataSubkey;
  // A printer without PnPData (a network or file printer) has no entry.
  (void)Registry.ReadStringToBuffer(RegRoot::LocalMachine, key,
                                    kDeviceInstanceIdValue, OwnDeviceInstanceId);
}

// The store refuses a package that a device still uses, and the printer's
// own entry (present or not) uses the printer's package. Only that one
// instance is removed: entries of other printers keep the package in place.
void CRemovalSteps::RemoveOwnDeviceEntry() {
  const std::string& wanted = OwnDeviceInstanceId;
  if (wanted.empty()) {
    Log("The printer's PnPData names no device instance: no device entry "
        "removed before its driver package.");
    return;
  }
  DeviceInfoSet device;
  const Outcome opened = platform.devices.OpenDevice(wanted, device);
  if (!opened || !device) {
    if (opened.error == win::kErrorNoSuchDevinst) {
      Log(text::Format("Device entry [%s] of the printer not found: nothing to remove.",
                       wanted));
    } else {
      Log(text::Format("Device entry [%s] of the printer NOT removed: it cannot be "
                       "opened. Error %d.",
                       wanted, static_cast<int>(opened.error)));
      ReportRemoval(RunItemKind::Device, wanted, false, opened.error);
    }
    return;
  }
  constexpr uint32_t kOnlyElement = 0;
  const Outcome removed = device->CallClassInstaller(win::kDifRemove, kOnlyElement);
  if (removed) {
    ReportRemoval(RunItemKind::Device, wanted, true);
    Log(text::Format("Device entry [%s] of the printer removed.", wanted));
  } else {
    ReportRemoval(RunItemKind::Device, wanted, false, removed.error);
    Log(text::Format("Device entry [%s] of the printer NOT removed! Error %d.", wanted,
                     static_cast<int>(removed.error)));
  }
}
