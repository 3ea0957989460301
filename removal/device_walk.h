#pragma once
// The one walk over the system's present devices, for Clean system and for
// the removal of the port service's device entries.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/platform.h"

class CRemovalSteps;

enum class DeviceWalkEnd {
  Completed,         // every device was visited
  ListFailed,        // no device list (logged)
  EnumerationBroke,  // the list broke off before its end (logged)
  Stopped,           // the visitor asked to stop
};

// A device property as it comes back: its first string. A multi-string
// property holds further ids after the first terminator; only the first one
// is compared.
std::string FirstString(const std::string& property);

// Visits each present device with the first string of its hardware id; a
// device whose id cannot be read is skipped (logged unless it has none).
// `visit` answers false to stop the walk.
DeviceWalkEnd WalkPresentDevices(
    CRemovalSteps& steps,
    const std::function<bool(IDeviceInfoSet& devices, uint32_t index,
                             const std::string& hardwareId)>& visit);

// A property the device does not have is no failure; any other error is
// logged with the step that failed.
void LogPropertyError(CRemovalSteps& steps, uint32_t index, uint32_t property);
