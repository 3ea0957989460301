#include "removal/device_walk.h"

#include "platform/text.h"
#include "platform/win_constants.h"
#include "removal/removal_steps.h"

namespace {

constexpr const char* kClassDevsStep = "GetClassDevs(All Present Devices)";
constexpr const char* kEnumDeviceStep = "SetupDiEnumDeviceInfo(%d)";
constexpr const char* kPropertyStep = "SetupDiGetDeviceRegistryProperty(%d, %d)";

}  // namespace

std::string FirstString(const std::string& property) {
  return property.substr(0, property.find('\0'));
}

void LogPropertyError(CRemovalSteps& steps, uint32_t index, uint32_t property) {
  const uint32_t error = steps.platform.system.LastError();
  if (error == win::kErrorInvalidData) return;
  (void)steps.LogLastError(
      text::Format(kPropertyStep, static_cast<int>(index), static_cast<int>(property)), error);
}

DeviceWalkEnd WalkPresentDevices(
    CRemovalSteps& steps,
    const std::function<bool(IDeviceInfoSet&, uint32_t, const std::string&)>& visit) {
  DeviceInfoSet devices;
  const Outcome listed = steps.platform.devices.GetClassDevs(win::kDigcfAllClasses, devices);
  if (!listed || !devices) {
    (void)steps.LogLastError(kClassDevsStep, listed.error);
    return DeviceWalkEnd::ListFailed;
  }
  for (uint32_t index = 0;; ++index) {
    const Outcome enumerated = devices->EnumDevice(index);
    if (!enumerated) {
      if (enumerated.error == win::kErrorNoMoreItems) return DeviceWalkEnd::Completed;
      (void)steps.LogLastError(text::Format(kEnumDeviceStep, static_cast<int>(index)),
                               enumerated.error);
      return DeviceWalkEnd::EnumerationBroke;
    }
    uint32_t regType = 0;
    std::string property;
    if (!steps.Engine.GetDevicePropertyString(*devices, index, win::kSpdrpHardwareId, regType,
                                              property)) {
      LogPropertyError(steps, index, win::kSpdrpHardwareId);
      continue;
    }
    if (!visit(*devices, index, FirstString(property))) return DeviceWalkEnd::Stopped;
  }
}
