#pragma once
// Driver store boundary, shaped like DIFxAPI's two calls. Results are Win32
// or DIFx error codes (0 = success).
#include <cstdint>
#include <string>

// SetupUninstallOEMInfA's flags for a DriverPackageUninstall request, where
// the framework is missing: the package is forced out only when the caller
// asked for that, so one that devices still use is refused as the framework
// refuses it.
constexpr uint32_t kSuoiForceDelete = 0x0001;  // SUOI_FORCEDELETE
constexpr uint32_t kDifxForce = 0x0004;        // DRIVER_PACKAGE_FORCE
constexpr uint32_t SetupApiUninstallFlags(uint32_t difxFlags) {
  return (difxFlags & kDifxForce) != 0 ? kSuoiForceDelete : 0;
}

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
