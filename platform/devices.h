#pragma once
// SetupAPI boundary: a device information set over all classes, walked by
// index. Removing a device (DIF_REMOVE) leaves its element in the set, so
// indices stay stable while walking, as on Windows.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/outcome.h"
#include "platform/registry.h"

class IDeviceInfoSet {
 public:
  virtual ~IDeviceInfoSet() = default;  // SetupDiDestroyDeviceInfoList
  // SetupDiEnumDeviceInfo: false (error 259) past the last element.
  virtual Outcome EnumDevice(uint32_t index) = 0;
  // SetupDiGetDeviceRegistryPropertyA on element `index`. buffer may be null
  // with bufferSize 0. Missing property: error 13; small buffer: error 122
  // with requiredSize set.
  virtual Outcome GetRegistryProperty(uint32_t index, uint32_t property,
                                      uint32_t& regType, uint8_t* buffer,
                                      uint32_t bufferSize,
                                      uint32_t& requiredSize) = 0;
  // SetupDiOpenDevRegKey(set, element, scope, 0, keyType, access).
  virtual Outcome OpenDevRegKey(uint32_t index, uint32_t scope,
                                uint32_t keyType, uint32_t access,
                                RegistryKey& out) = 0;
  // SetupDiCallClassInstaller(function, set, element).
  virtual Outcome CallClassInstaller(uint32_t function, uint32_t index) = 0;
  // SetupDiGetDeviceInstanceIdA of element `index`: who the element is, so
  // that one device can be told apart from the others across sets.
  virtual Outcome GetInstanceId(uint32_t index, std::string& out) = 0;
};

using DeviceInfoSet = std::unique_ptr<IDeviceInfoSet>;

class IDevices {
 public:
  virtual ~IDevices() = default;
  // SetupDiGetClassDevsA(NULL, NULL, NULL, flags).
  virtual Outcome GetClassDevs(uint32_t flags, DeviceInfoSet& out) = 0;
  // SetupDiCreateDeviceInfoList + SetupDiOpenDeviceInfoA: a set holding the
  // one device with this instance id as element 0, present or not.
  virtual Outcome OpenDevice(const std::string& instanceId, DeviceInfoSet& out) = 0;
};
