// The installations seed.exe can lay down: what a profile holds.
#pragma once

#include <windows.h>

#include <string>
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

// Helpers the profile groups share (profile_build.cpp).

// A string that lives as long as the program: the specs hold pointers, and
// generated texts must outlive the profile built from them.
const char* Keep(std::string text);

// A new profile with its name and description, to be filled in.
Profile NewProfile(const char* name, const char* description);

// A copy of base under another name, to be changed by the caller.
Profile Variant(Profile base, const char* name, const char* description);

// A maker printer's composite USB device: the device itself, interface 0
// with the printer (and below it the USBPRINT entry of the printer's port),
// interface 1 with the maker's port service.
struct CompositeUsbPrinter {
  const char* productId;      // "0105"
  const char* serial;         // "KVX80000001"
  const char* devicePrefix;   // the device's ParentIdPrefix, "6&2c3d4e5f&0"
  const char* printerPrefix;  // interface 0's ParentIdPrefix, "7&1a2b3c4d&0"
  const char* model;          // "80" in USBPRINT\KorvexModel_80
  const char* port;           // "USB001"
};
void AddCompositeUsbPrinter(Profile& p, const CompositeUsbPrinter& device);

// The keys the maker's products keep per printer, in both hives:
// SOFTWARE\QD\<product>\<printer> with one value each.
struct ProductValue {
  const char* product;  // "QdRk"
  const char* value;
  const char* data;
};
void AddProductKeys(Profile& p, const char* printer, const std::vector<ProductValue>& values);

// A driver package as installed: the INF (and, given its text, the PNF) in
// the Windows inf directory under its oem name, the package's INF in the
// driver store, and the store's index entry between them.
struct DriverPackage {
  const char* oemName;    // "oem12"
  const char* storeInf;   // the full path in the driver store
  const char* installedText;
  const char* storeText;
  const char* pnfText;    // null: no PNF file
};
void AddDriverPackage(Profile& p, const DriverPackage& package);

// Profiles by group; seed.exe offers them all. A group lives in its own file.
Profile MakerProfile();
std::vector<Profile> CoreProfiles();
std::vector<Profile> SequenceProfiles();
std::vector<Profile> BadInputProfiles();
std::vector<Profile> MatchingProfiles();
std::vector<Profile> SafetyProfiles();
std::vector<Profile> ScaleProfiles();

}  // namespace seed
