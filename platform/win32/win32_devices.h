#pragma once
#include <windows.h>
#include <setupapi.h>

#include <map>

#include "platform/devices.h"
#include "platform/win32/handles.h"

namespace win32 {

class Win32DeviceInfoSet : public IDeviceInfoSet {
 public:
  explicit Win32DeviceInfoSet(HDEVINFO set) : set_(set) {}
  // A set whose element 0 is already known (SetupDiOpenDeviceInfoA).
  Win32DeviceInfoSet(HDEVINFO set, const SP_DEVINFO_DATA& first) : set_(set) {
    elements_[0] = first;
  }

  Outcome EnumDevice(uint32_t index) override;
  Outcome GetRegistryProperty(uint32_t index, uint32_t property,
                              uint32_t& regType, uint8_t* buffer,
                              uint32_t bufferSize,
                              uint32_t& requiredSize) override;
  Outcome OpenDevRegKey(uint32_t index, uint32_t scope, uint32_t keyType,
                        uint32_t access, RegistryKey& out) override;
  Outcome CallClassInstaller(uint32_t function, uint32_t index) override;
  Outcome GetInstanceId(uint32_t index, std::string& out) override;

 private:
  // The element record of `index`, enumerated on first use.
  Outcome Element(uint32_t index, SP_DEVINFO_DATA*& element);

  UniqueDevInfoList set_;
  std::map<uint32_t, SP_DEVINFO_DATA> elements_;
};

class Win32Devices : public IDevices {
 public:
  Outcome GetClassDevs(uint32_t flags, DeviceInfoSet& out) override;
  Outcome OpenDevice(const std::string& instanceId, DeviceInfoSet& out) override;
};

}  // namespace win32
