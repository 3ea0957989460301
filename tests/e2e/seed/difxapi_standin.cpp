// Stand-in for the driver-install framework DIFXAPI.dll, whose Wine version is
// a stub (every path query fails with 1630, every uninstall "succeeds" without
// doing anything). On Windows the DLL is a redistributable that ships next to
// the program, which is where the seeding puts this one (it needs
// WINEDLLOVERRIDES=difxapi=n,b).
//
// It behaves as the framework is documented to:
//   DriverPackageGetPathA (INF path in C:\windows\inf, buffer, length): the
//     driver-store INF path of the package that INF was installed from; with
//     no buffer (or one too small) the length needed and ERROR_INSUFFICIENT_BUFFER;
//     ERROR_DRIVER_PACKAGE_NOT_IN_STORE for an INF of no package.
//   DriverPackageUninstallA (driver-store INF path, flags, info, reboot): removes
//     the package's folder from the store and the INF (with its PNF) that was
//     installed from it; ERROR_DRIVER_PACKAGE_NOT_IN_STORE when not in the store.
// The store's index (installed INF -> driver-store INF) is the registry key
// that the seeding writes, kIndexKey.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

constexpr const char* kIndexKey = "SOFTWARE\\PurvexE2E\\DriverStoreIndex";
constexpr DWORD kNotInStore = 0xE0000302u;
constexpr DWORD kPathChars = MAX_PATH;

std::string FileName(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Directory(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The index maps an installed INF's file name (lower case) to its store INF path.
bool StorePathOf(const std::string& infName, std::string* storePath) {
  char value[kPathChars] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, kIndexKey, Lower(infName).c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  *storePath = value;
  return GetFileAttributesA(value) != INVALID_FILE_ATTRIBUTES;
}

bool DeleteTree(const std::string& dir) {
  WIN32_FIND_DATAA data{};
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = dir + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  return RemoveDirectoryA(dir.c_str()) != 0;
}

}  // namespace

extern "C" DWORD WINAPI DriverPackageGetPathA(const char* infPath, char* buffer, DWORD* length) {
  if (!infPath || !length) return ERROR_INVALID_PARAMETER;
  std::string storePath;
  if (!StorePathOf(FileName(infPath), &storePath)) return kNotInStore;
  DWORD needed = static_cast<DWORD>(storePath.size() + 1);
  if (!buffer || *length < needed) {
    *length = needed;
    return ERROR_INSUFFICIENT_BUFFER;
  }
  std::memcpy(buffer, storePath.c_str(), needed);
  *length = needed;
  return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI DriverPackageUninstallA(const char* storeInfPath, DWORD, void*, BOOL* needReboot) {
  if (!storeInfPath) return ERROR_INVALID_PARAMETER;
  if (needReboot) *needReboot = FALSE;
  if (GetFileAttributesA(storeInfPath) == INVALID_FILE_ATTRIBUTES) return kNotInStore;
  // The installed INFs of this package: every index entry that points here.
  HKEY index = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kIndexKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &index) == ERROR_SUCCESS) {
    char windows[kPathChars] = {};
    GetWindowsDirectoryA(windows, kPathChars);
    for (DWORD i = 0;;) {
      char name[kPathChars] = {};
      char value[kPathChars] = {};
      DWORD nameSize = sizeof name, valueSize = sizeof value, type = 0;
      if (RegEnumValueA(index, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(value), &valueSize) !=
          ERROR_SUCCESS) {
        break;
      }
      if (lstrcmpiA(value, storeInfPath) != 0) {
        ++i;
        continue;
      }
      std::string inf = std::string(windows) + "\\inf\\" + name;
      std::string pnf = inf.substr(0, inf.size() - std::strlen(".inf")) + ".pnf";
      DeleteFileA(inf.c_str());
      DeleteFileA(pnf.c_str());
      RegDeleteValueA(index, name);
    }
    RegCloseKey(index);
  }
  DeleteTree(Directory(storeInfPath));
  return ERROR_SUCCESS;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
