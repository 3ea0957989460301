#include "platform/win32/win32_devices.h"

#include <string>

#include "platform/win32/last_error.h"
#include "platform/win32/win32_registry.h"

namespace win32 {

Outcome Win32DeviceInfoSet::EnumDevice(uint32_t index) {
  SP_DEVINFO_DATA element{};
  element.cbSize = sizeof(element);
  const Outcome result = CallWithLastError(
      [&] { return SetupDiEnumDeviceInfo(set_.get(), index, &element); });
  if (result) elements_[index] = element;
  return result;
}

Outcome Win32DeviceInfoSet::Element(uint32_t index,
                                    SP_DEVINFO_DATA*& element) {
  auto found = elements_.find(index);
  if (found == elements_.end()) {
    const Outcome enumerated = EnumDevice(index);
    if (!enumerated) return enumerated;
    found = elements_.find(index);
  }
  element = &found->second;
  return Outcome::Success();
}

Outcome Win32DeviceInfoSet::GetRegistryProperty(uint32_t index,
                                                uint32_t property,
                                                uint32_t& regType,
                                                uint8_t* buffer,
                                                uint32_t bufferSize,
                                                uint32_t& requiredSize) {
  SP_DEVINFO_DATA* element = nullptr;
  const Outcome found = Element(index, element);
  if (!found) return found;
  DWORD type = REG_NONE;
  DWORD required = 0;
  const Outcome result = CallWithLastError([&] {
    return SetupDiGetDeviceRegistryPropertyA(set_.get(), element, property,
                                             &type, buffer, bufferSize,
                                             &required);
  });
  regType = type;
  requiredSize = required;
  return result;
}

Outcome Win32DeviceInfoSet::OpenDevRegKey(uint32_t index, uint32_t scope,
                                          uint32_t keyType, uint32_t access,
                                          RegistryKey& out) {
  out.reset();
  SP_DEVINFO_DATA* element = nullptr;
  const Outcome found = Element(index, element);
  if (!found) return found;
  HKEY key = static_cast<HKEY>(INVALID_HANDLE_VALUE);
  const Outcome result = CallWithLastError([&] {
    key = SetupDiOpenDevRegKey(set_.get(), element, scope, 0, keyType, access);
    return key != static_cast<HKEY>(INVALID_HANDLE_VALUE);
  });
  if (result) out = std::make_unique<Win32RegistryKey>(key);
  return result;
}

Outcome Win32DeviceInfoSet::CallClassInstaller(uint32_t function,
                                               uint32_t index) {
  SP_DEVINFO_DATA* element = nullptr;
  const Outcome found = Element(index, element);
  if (!found) return found;
  return CallWithLastError([&] {
    return SetupDiCallClassInstaller(function, set_.get(), element);
  });
}

Outcome Win32DeviceInfoSet::GetInstanceId(uint32_t index, std::string& out) {
  out.clear();
  SP_DEVINFO_DATA* element = nullptr;
  const Outcome found = Element(index, element);
  if (!found) return found;
  // MAX_DEVICE_ID_LEN; a longer id is asked for again at the size it needs.
  constexpr DWORD kUsualIdLength = 200;
  std::string buffer(kUsualIdLength, '\0');
  DWORD required = 0;
  Outcome result = CallWithLastError([&] {
    return SetupDiGetDeviceInstanceIdA(set_.get(), element, buffer.data(),
                                       static_cast<DWORD>(buffer.size()), &required);
  });
  if (!result && result.error == ERROR_INSUFFICIENT_BUFFER && required > buffer.size()) {
    buffer.assign(required, '\0');
    result = CallWithLastError([&] {
      return SetupDiGetDeviceInstanceIdA(set_.get(), element, buffer.data(),
                                         static_cast<DWORD>(buffer.size()), &required);
    });
  }
  if (result) out = buffer.c_str();
  return result;
}

Outcome Win32Devices::GetClassDevs(uint32_t flags, DeviceInfoSet& out) {
  out.reset();
  HDEVINFO set = INVALID_HANDLE_VALUE;
  const Outcome result = CallWithLastError([&] {
    set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, flags);
    return set != INVALID_HANDLE_VALUE;
  });
  if (result) out = std::make_unique<Win32DeviceInfoSet>(set);
  return result;
}

Outcome Win32Devices::OpenDevice(const std::string& instanceId, DeviceInfoSet& out) {
  out.reset();
  UniqueDevInfoList set;
  const Outcome created = CallWithLastError([&] {
    set.reset(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    return static_cast<bool>(set);
  });
  if (!created) return created;
  SP_DEVINFO_DATA element{};
  element.cbSize = sizeof(element);
  const Outcome result = CallWithLastError([&] {
    return SetupDiOpenDeviceInfoA(set.get(), instanceId.c_str(), nullptr, 0, &element);
  });
  if (result) out = std::make_unique<Win32DeviceInfoSet>(set.release(), element);
  return result;
}

}  // namespace win32
