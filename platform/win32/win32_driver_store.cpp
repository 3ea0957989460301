#include "platform/win32/win32_driver_store.h"

#include <setupapi.h>

#include <vector>

#include "platform/text.h"
#include "platform/win32/grown_text.h"
#include "platform/win32/system_library.h"
#include "platform/win_constants.h"

namespace win32 {
namespace {

constexpr char kDifxLibrary[] = "DIFXAPI.dll";
constexpr char kDifxGetPath[] = "DriverPackageGetPathA";
constexpr char kDifxUninstall[] = "DriverPackageUninstallA";
constexpr char kSetupApiLibrary[] = "setupapi.dll";
constexpr char kStoreLocation[] = "SetupGetInfDriverStoreLocationA";
constexpr char kInfDirectory[] = "\\INF";

// A SetupAPI call that fails without setting an error still has to report
// failure: this is the driver-install framework's generic failure code.
constexpr uint32_t kFailureWithoutCode = win::kErrorInstallFailure;

// Reported when the store-location call does not exist (Windows before
// Vista, Wine): the code the driver-install framework itself gives where it
// is only a stub.
constexpr uint32_t kNoStoreLocationCall = win::kErrorUnsupportedType;

// SetupAPI's answers for an INF that has no copy in the store; callers know
// that case by the framework's code for it.
bool MeansNotInStore(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_NOT_FOUND;
}

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirectoryPart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string WindowsInfDirectory() {
  std::string directory = GrownText(GetWindowsDirectoryA);
  if (directory.empty()) return std::string();
  if (directory.back() == '\\') directory.pop_back();
  return directory + kInfDirectory;
}

}  // namespace

Win32DriverStore::Win32DriverStore() {
  difx_ = LoadSystemLibrary(kDifxLibrary);
  if (difx_) {
    difxGetPath_ = ResolveExport<GetPathFn>(difx_.get(), kDifxGetPath);
    difxUninstall_ = ResolveExport<UninstallFn>(difx_.get(), kDifxUninstall);
    if (difxGetPath_ == nullptr || difxUninstall_ == nullptr) {
      difxGetPath_ = nullptr;
      difxUninstall_ = nullptr;
      difx_.reset();
    }
  }
  // Linked already (SetupUninstallOEMInfA), so no reference is taken here.
  // Wine's setupapi does not export the store-location call; a static
  // import of it would keep the program from starting there.
  if (HMODULE setupApi = GetModuleHandleA(kSetupApiLibrary)) {
    storeLocation_ = ResolveExport<StoreLocationFn>(setupApi, kStoreLocation);
  }
}

uint32_t Win32DriverStore::GetPath(const std::string& infPath, char* buffer,
                                   uint32_t& length) {
  if (difxGetPath_ != nullptr) {
    DWORD characters = length;
    const DWORD result = difxGetPath_(infPath.c_str(), buffer, &characters);
    length = characters;
    return result;
  }
  return SetupApiGetPath(infPath, buffer, length);
}

uint32_t Win32DriverStore::Uninstall(const std::string& storeInfPath,
                                     uint32_t flags) {
  if (difxUninstall_ != nullptr) {
    BOOL rebootNeeded = FALSE;
    return difxUninstall_(storeInfPath.c_str(), flags, nullptr,
                          &rebootNeeded);
  }
  return SetupApiUninstall(storeInfPath, flags);
}

uint32_t Win32DriverStore::SetupApiGetPath(const std::string& infPath,
                                           char* buffer, uint32_t& length) {
  if (storeLocation_ == nullptr) return kNoStoreLocationCall;
  DWORD required = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD capacity = buffer != nullptr ? length : 0;
  if (!storeLocation_(infPath.c_str(), nullptr, nullptr, buffer, capacity,
                      &required)) {
    const DWORD error = GetLastError();
    if (error == ERROR_INSUFFICIENT_BUFFER) length = required;
    if (MeansNotInStore(error)) return win::kErrorDriverPackageNotInStore;
    return error != ERROR_SUCCESS ? error : kFailureWithoutCode;
  }
  length = required;
  if (buffer == nullptr) return ERROR_INSUFFICIENT_BUFFER;

  // Only an INF of the Windows INF directory names a package that
  // SetupUninstallOEMInfA can remove; anything else would make it act on an
  // unrelated INF of the same name.
  if (text::CompareNoCase(DirectoryPart(infPath), WindowsInfDirectory()) ==
      0) {
    std::lock_guard<std::mutex> lock(mutex_);
    oemInfByStorePath_[text::Upper(std::string(buffer))] =
        FileNamePart(infPath);
  }
  return ERROR_SUCCESS;
}

uint32_t Win32DriverStore::SetupApiUninstall(const std::string& storeInfPath,
                                             uint32_t flags) {
  std::string oemInf;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = oemInfByStorePath_.find(text::Upper(storeInfPath));
    if (found == oemInfByStorePath_.end()) {
      return win::kErrorDriverPackageNotInStore;
    }
    oemInf = found->second;
  }
  // Never forced unless asked: the package stays while any device still
  // uses it; the caller removes the device it owns before asking.
  static_assert(kSuoiForceDelete == SUOI_FORCEDELETE, "SetupAPI flag value");
  SetLastError(ERROR_SUCCESS);
  if (!SetupUninstallOEMInfA(oemInf.c_str(), SetupApiUninstallFlags(flags), nullptr)) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : kFailureWithoutCode;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  oemInfByStorePath_.erase(text::Upper(storeInfPath));
  return ERROR_SUCCESS;
}

}  // namespace win32
