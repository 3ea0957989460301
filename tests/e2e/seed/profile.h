// The installations seed.exe can lay down: what a profile holds.
#pragma once

#include <windows.h>

#include <vector>

namespace seed {

constexpr const char* kDriversKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\Version-3";
constexpr const char* kPrintersSoftwareKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers";
constexpr const char* kEnumKey = "SYSTEM\\CurrentControlSet\\Enum";
constexpr const char* kSystemDir = "C:\\windows\\system32";

// One printer with its driver, as the spooler and the registry know it.
struct PrinterSpec {
  const char* printer;
  const char* driver;
  const char* manufacturer;
  const char* hardwareId;  // the driver's HardwareID value
  const char* infPath;     // the driver's InfPath value
  const char* port;        // "FILE:" or a USB port that is added first
  const char* deviceInstanceId;  // PnPData DeviceInstanceId; null for none
  std::vector<const char*> forms;           // DsDriver printMediaSupported
  std::vector<const char*> dependentFiles;  // also created in system32
};

struct DeviceSpec {
  const char* instanceId;
  const char* hardwareId;
  const char* service;
  const char* parentIdPrefix;  // null for none
  const char* symbolicName;    // Device Parameters SymbolicName; null for none
};

struct FileSpec {
  const char* path;
  const char* content;
  size_t size = 0;  // bytes of content (for text with NULs); 0 for the C string
};

struct KeySpec {
  HKEY root;
  const char* rootName;
  const char* key;
  const char* value;  // the value to write; null for a bare key
  const char* data;
  DWORD type = REG_SZ;
  DWORD size = 0;  // bytes of data to store; 0 for the string with its terminator
};

struct ServiceSpec {
  const char* name;
  const char* displayName;
  const char* imagePath;
};

// An installed INF and the driver-store INF it came from: the index that the
// DIFXAPI stand-in consults. Not reported: it is the store's bookkeeping.
struct StoreIndexEntry {
  const char* installedInf;
  const char* storeInf;
};

struct Profile {
  const char* name;
  const char* description;
  std::vector<StoreIndexEntry> storeIndex;
  std::vector<PrinterSpec> printers;
  std::vector<DeviceSpec> devices;
  std::vector<ServiceSpec> services;
  std::vector<FileSpec> files;
  std::vector<KeySpec> keys;
};

// Profiles by group; seed.exe offers them all. A group lives in its own file.
Profile MakerProfile();
std::vector<Profile> CoreProfiles();
std::vector<Profile> SequenceProfiles();
std::vector<Profile> BadInputProfiles();
std::vector<Profile> MatchingProfiles();
std::vector<Profile> SafetyProfiles();
std::vector<Profile> ScaleProfiles();

}  // namespace seed
