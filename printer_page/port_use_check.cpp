#include "app/purvex_dlg.h"
#include "platform/text.h"
#include "printer_page/remove_drv_prn.h"

namespace {

constexpr RegRoot kMachine = RegRoot::LocalMachine;
constexpr const char* kDeviceInstanceIdValue = "DeviceInstanceId";
constexpr const char* kParentIdPrefixValue = "ParentIdPrefix";
constexpr const char* kServiceValue = "Service";
constexpr const char* kPnPDataSubkey = "PnPData";
// Interface 1 of a composite device is named like interface 0 with a final
// "1" instead of "0", in the hardware-id key and in the instance key alike.
constexpr char kPortInterfaceDigit = '1';

std::string WithLastChar(std::string s, char c) {
  if (!s.empty()) s.back() = c;
  return s;
}

}  // namespace

bool CRemoveDrvPrn::IsVomuStillUsed() {
  for (const auto& record : Printers) {
    if (record->PrinterName == CurrentPrinter.PrinterName) continue;

    const std::string pnpKey = std::string(kPrintersSoftwareKey) + "\\" +
                               record->PrinterName + "\\" + kPnPDataSubkey;
    std::string instanceId;
    if (!Registry.ReadStringToBuffer(kMachine, pnpKey, kDeviceInstanceIdValue,
                                     instanceId)) {
      Log(text::Format(
          "Impossible read [%s\\%s] key. Impossible verify if this printer uses %s",
          pnpKey, kDeviceInstanceIdValue, PortServiceName));
      continue;
    }
    if (instanceId.empty()) {
      // Nothing can match an empty instance; an empty ParentIdPrefix must not.
      Log(text::Format(
          "Key [%s\\%s] is empty. Impossible verify if this printer uses %s",
          pnpKey, kDeviceInstanceIdValue, PortServiceName));
      continue;
    }
    const std::string instance = ReduceInstanceId(instanceId);

    std::string interfaceKey;
    std::string interfaceInstance;
    bool matched = false;
    uint32_t status = 0;
    const uint32_t deviceCount = Registry.CountSubkeys(kMachine, kUsbEnumKey, status);
    for (uint32_t j = 0; j < deviceCount && !matched; ++j) {
      std::string name;
      if (!Registry.EnumSubkey(kMachine, kUsbEnumKey, j, name)) {
        Log(text::Format(
            "Impossible to find HKEY_LOCAL_MACHINE\\%s key in IsVomuStillUsed!",
            kUsbEnumKey));
        continue;
      }
      name = text::Upper(name);
      if (!text::Contains(name, kMakerVendorId) ||
          !text::Contains(name, kPrinterInterfaceTag)) {
        continue;
      }
      interfaceKey = std::string(kUsbEnumKey) + name;
      const uint32_t instanceCount =
          Registry.CountSubkeys(kMachine, interfaceKey, status);
      for (uint32_t i = 0; i < instanceCount; ++i) {
        std::string candidate;
        if (!Registry.EnumSubkey(kMachine, interfaceKey, i, candidate)) {
          Log(text::Format(
              "Impossible to find HKEY_LOCAL_MACHINE\\%s key in IsVomuStillUsed 2!",
              interfaceKey));
          continue;
        }
        std::string prefix;
        if (!Registry.ReadStringToBuffer(kMachine, interfaceKey + "\\" + candidate,
                                         kParentIdPrefixValue, prefix)) {
          continue;
        }
        if (text::Upper(prefix) == instance) {
          interfaceInstance = candidate;
          matched = true;
          break;
        }
      }
    }
    if (!matched) continue;

    const std::string siblingKey =
        WithLastChar(interfaceKey, kPortInterfaceDigit) + "\\" +
        WithLastChar(interfaceInstance, kPortInterfaceDigit);
    std::string service;
    if (Registry.ReadStringToBuffer(kMachine, siblingKey, kServiceValue, service) &&
        text::Upper(service) == PortServiceName) {
      Log(text::Format("\"%s\" is still used.", PortServiceName));
      return true;
    }
  }
  Log(text::Format("\"%s\" is not still used.", PortServiceName));
  return false;
}
