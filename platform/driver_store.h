#pragma once
// Driver store boundary, shaped like DIFxAPI's two calls. Results are Win32
// or DIFx error codes (0 = success).
#include <cstdint>
#include <string>

class IDriverStore {
 public:
  virtual ~IDriverStore() = default;
  // DriverPackageGetPathA. buffer null: length (characters, terminator
  // included) is reported in `length` and the result is 122. Otherwise fills
  // buffer (capacity `length`) with the driver-store INF path.
  virtual uint32_t GetPath(const std::string& infPath, char* buffer,
                           uint32_t& length) = 0;
  // DriverPackageUninstallA(storeInfPath, flags, NULL, &reboot).
  virtual uint32_t Uninstall(const std::string& storeInfPath,
                             uint32_t flags) = 0;
};
