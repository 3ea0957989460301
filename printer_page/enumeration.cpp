#include <map>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"

namespace {

constexpr RegRoot kMachine = RegRoot::LocalMachine;
constexpr const char* kManufacturerValue = "Manufacturer";
constexpr const char* kInfPathValue = "InfPath";
constexpr const char* kInterfaceSuffix = "&MI";
constexpr char kBackslash = '\\';
constexpr uint32_t kNoDefaults = 0;

std::string AfterFirstBackslash(const std::string& s) {
  const auto pos = s.find(kBackslash);
  return pos == std::string::npos ? s : s.substr(pos + 1);
}

// The instances below a device key with their "ParentIdPrefix" values, in
// enumeration order; instances without a usable value are left out.
struct PrefixEntry {
  std::string upperName;
  std::string upperPrefix;
};
using PrefixListing = std::vector<PrefixEntry>;

PrefixListing ListPrefixes(CRemoveDrvPrn& page, const std::string& keyPath) {
  PrefixListing listing;
  // A key that cannot be opened or counted lists nothing; one instance that
  // cannot be listed is skipped.
  (void)page.Registry.ForEachCountedSubkey(
      kMachine, keyPath, [&](uint32_t, const Outcome& listed, const std::string& name) {
        if (!listed) {
          page.Log(text::Format(
              "Impossible to find HKEY_LOCAL_MACHINE\\%s key in ReadParIdPref!", keyPath));
          return true;
        }
        const std::string upperName = text::Upper(name);
        std::string value;
        if (!page.Registry.ReadStringToBuffer(kMachine, keyPath + "\\" + upperName,
                                              kParentIdPrefixValue, value)) {
          return true;
        }
        if (value.empty() || upperName.empty()) return true;
        listing.push_back({upperName, text::Upper(value)});
        return true;
      });
  return listing;
}

// Listings read once per enumeration: the printers of one model share their
// device keys, and reading them again for every printer made the
// enumeration grow with the square of the number of printers.
class PrefixCache {
 public:
  explicit PrefixCache(CRemoveDrvPrn& page) : page_(page) {}
  const PrefixListing& Listing(const std::string& keyPath) {
    const std::string upperKey = text::Upper(keyPath);
    auto it = listings_.find(upperKey);
    if (it == listings_.end()) {
      it = listings_.emplace(upperKey, ListPrefixes(page_, keyPath)).first;
    }
    return it->second;
  }

 private:
  CRemoveDrvPrn& page_;
  std::map<std::string, PrefixListing> listings_;
};

bool FindParIdPref(const PrefixListing& listing, const std::string& instanceId,
                   std::string& prefix, std::string& subkeyName) {
  if (!instanceId.empty()) {
    for (const PrefixEntry& entry : listing) {
      if (text::Contains(instanceId, entry.upperPrefix)) {
        prefix = entry.upperPrefix;
        subkeyName = entry.upperName;
        return true;
      }
    }
  }
  prefix = kValueNotValid;
  subkeyName = kValueNotValid;
  return false;
}

std::string ParentIdPrefixOf(CRemoveDrvPrn& page, PrefixCache& cache,
                             const std::string& printerName,
                             const std::string& instanceIdPrefix,
                             const std::string& hardwareId) {
  const std::string base = std::string(kUsbEnumKey) + page.GetVidAndPid(hardwareId);
  std::string prefix;
  std::string subkey;
  bool found = FindParIdPref(cache.Listing(base), instanceIdPrefix, prefix, subkey);
  if (!found) {
    // A composite device: the printer hangs on interface 0, whose instance
    // name carries the composite device's own prefix.
    std::string interfacePrefix;
    std::string interfaceInstance;
    if (FindParIdPref(cache.Listing(base + "&" + kPrinterInterfaceTag), instanceIdPrefix,
                      interfacePrefix, interfaceInstance)) {
      found = FindParIdPref(cache.Listing(base), interfaceInstance, prefix, subkey);
    }
  }
  if (!found) {
    page.Log(text::Format("Impossible to detect ParentIdPrefix for printer [%s].",
                          printerName));
    return kValueNotValid;
  }
  prefix = text::Upper(prefix);
  page.Log(text::Format("Printer [%s] has ParentIdPrefix \"%s\"", printerName, prefix));
  return prefix;
}

}  // namespace

int CRemoveDrvPrn::EnumeratePrinters() {
  PageFlags = 0;
  Log("--- Printers enumeration: begin ---");

  uint32_t needed = 0;
  const Outcome sizeQuery = platform.spooler.EnumPrinters2Size(needed);
  if (!sizeQuery && sizeQuery.error != win::kErrorInsufficientBuffer) {
    Log(text::Format("EnumPrinters error. EnumPrinters returned %d!",
                     static_cast<int>(sizeQuery.error)));
    return 0;
  }
  std::vector<PrinterInfo2> found;
  if (!platform.spooler.EnumPrinters2(needed, found)) {
    Log("EnumPrinters error 2...");
    return 0;
  }

  Printers.clear();
  if (found.empty()) {
    Log("No printer installed!");
    if (Controls != nullptr) {
      Controls->Enable(IDC_UNINSTALL_SELECTED, false);
      Controls->Enable(IDC_CHECK_DRIVER, false);
      Controls->Enable(IDC_CHECK_PRINTER, false);
    }
    return 0;
  }

  PrefixCache prefixes(*this);
  for (const PrinterInfo2& info : found) {
    if (!IsMakerDriver(info.driverName)) continue;
    auto record = std::make_unique<CPrinterRecord>();
    record->PrinterName = info.printerName;
    record->HardwareId = GetDriverHardwareId(record->PrinterName);
    record->DriverName = info.driverName;
    record->DriverVersion = GetDriverVersion(record->DriverName);
    record->InstanceIdPrefix = GetInstanceIdPrefix(record->PrinterName);
    record->DriverStoreFolder = GetDriverStoreFolder(record->DriverName);
    if (record->InstanceIdPrefix != kValueNotValid) {
      record->ParentIdPrefix = ParentIdPrefixOf(*this, prefixes, record->PrinterName,
                                                record->InstanceIdPrefix, record->HardwareId);
    } else {
      record->ParentIdPrefix = kValueNotValid;
    }
    Printers.push_back(std::move(record));
  }

  if (Printers.size() == 1) {
    PageFlags |= kSinglePrinter;
    if (Controls != nullptr) Controls->SetCheck(IDC_CHECK_PORT_SERVICE, true);
  } else {
    PageFlags &= static_cast<uint16_t>(~kSinglePrinter);
  }
  Log("--- Printers enumeration: end ---");
  return static_cast<int>(Printers.size());
}

bool CRemoveDrvPrn::IsMakerDriver(const std::string& driverName) {
  std::string manufacturer;
  const auto read = [&](const std::string& key) {
    return Registry.ReadStringToBuffer(kMachine, key, kManufacturerValue, manufacturer);
  };
  if (CQDRegistry::FindDriverKey(EnvDriversKey, driverName, read) ==
      CQDRegistry::DriverKeyFound::None) {
    Log(text::Format("Impossible to read [%s\\%s] key!",
                     CQDRegistry::DriverKeyPath(kVersion2DriversKey, driverName),
                     kManufacturerValue));
    return false;
  }
  return text::Contains(text::Upper(manufacturer), kMakerName);
}

std::string CRemoveDrvPrn::GetDriverHardwareId(const std::string& printerName) {
  PrinterHandle printer;
  if (!platform.spooler.Open(printerName, kNoDefaults, printer) || !printer) {
    Log(text::Format("Impossible to find [%s] printer!", printerName));
    return kValueNotValid;
  }
  uint32_t needed = 0;
  const Outcome sizeQuery = printer->GetDriver6Size(needed);
  if (!sizeQuery && sizeQuery.error != win::kErrorInsufficientBuffer) {
    Log("Error GetPrinterDriver 1!");
    return kValueNotValid;
  }
  DriverInfo6 driver;
  if (!printer->GetDriver6(needed, driver)) {
    Log("Error GetPrinterDriver 2!");
    return kValueNotValid;
  }
  const std::string hardwareId = driver.hasHardwareId ? driver.hardwareId : "";
  Log(text::Format("Found [%s] printer installed...", printerName));
  (void)printer->Close();
  return hardwareId;
}

std::string CRemoveDrvPrn::GetDriverVersion(const std::string& driverName) {
  const auto exists = [this](const std::string& key) { return Registry.KeyExists(kMachine, key); };
  switch (CQDRegistry::FindDriverKey(EnvDriversKey, driverName, exists)) {
    case CQDRegistry::DriverKeyFound::Environment:
      Log(text::Format("[%s] is a new version driver", driverName));
      return "";
    case CQDRegistry::DriverKeyFound::Version2:
      Log(text::Format("[%s] is a old version driver", driverName));
      return kOldDriverVersion;
    case CQDRegistry::DriverKeyFound::None:
      break;
  }
  Log(text::Format(
      "Impossible to determine [%s] driver version: set default: new version",
      driverName));
  return "";
}

std::string CRemoveDrvPrn::ReduceInstanceId(const std::string& deviceInstanceId) {
  return CRemovalSteps::ReduceInstanceId(deviceInstanceId);
}

std::string CRemoveDrvPrn::GetInstanceIdPrefix(const std::string& printerName) {
  const std::string key = std::string(kPrintersSoftwareKey) + "\\" +
                          printerName + "\\" + kPnPDataSubkey;
  std::string instanceId;
  if (!Registry.ReadStringToBuffer(kMachine, key, kDeviceInstanceIdValue,
                                   instanceId)) {
    Log(text::Format(
        "Impossible read [%s\\%s] key. Impossible verify if this printer uses %s",
        key, kDeviceInstanceIdValue, PortServiceName));
    return kValueNotValid;
  }
  if (instanceId.empty()) {
    Log(text::Format(
        "Key [%s\\%s] is empty. Impossible verify if this printer uses %s", key,
        kDeviceInstanceIdValue, PortServiceName));
    return kValueNotValid;
  }
  return ReduceInstanceId(instanceId);
}

std::string CRemoveDrvPrn::GetDriverStoreFolder(const std::string& driverName) {
  std::string infPath;
  if (!Registry.ReadStringToBuffer(kMachine, EnvDriversKey + "\\" + driverName,
                                   kInfPathValue, infPath)) {
    Log("Driver File Name NOT Found!");
    return "";
  }
  const auto lastBackslash = infPath.rfind(kBackslash);
  const std::string directory =
      lastBackslash == std::string::npos ? "" : infPath.substr(0, lastBackslash);
  const auto folderStart = directory.rfind(kBackslash);
  const std::string folder = folderStart == std::string::npos
                                 ? directory
                                 : directory.substr(folderStart + 1);
  Log(text::Format("[%s] Driver File Name Found!", folder));
  return folder;
}

std::string VidAndPidOf(const std::string& hardwareId) {
  if (hardwareId.empty()) return kValueNotValid;
  std::string rest = hardwareId;
  if (rest.find(kBackslash) != std::string::npos) {
    // Leading components go until the one just before the product id, so an
    // id like "USB\VID_x&PID_y" keeps only its last part.
    for (;;) {
      rest = AfterFirstBackslash(rest);
      const auto next = rest.find(kBackslash);
      if (rest.empty() || next == std::string::npos) break;
      if (text::Contains(rest.substr(next + 1), kProductIdTag)) break;
    }
  }
  rest = text::Upper(rest);
  const auto tag = rest.find(kInterfaceSuffix);
  if (tag != std::string::npos) rest.erase(tag);
  return rest;
}

std::string CRemoveDrvPrn::GetVidAndPid(const std::string& hardwareId) {
  if (hardwareId.empty()) {
    Log(text::Format("Value [%s] is empty. Impossible get Vid and pid!",
                     hardwareId));
  }
  return VidAndPidOf(hardwareId);
}

bool CRemoveDrvPrn::ReadParIdPref(const std::string& keyPath,
                                  const std::string& instanceId,
                                  std::string& prefix, std::string& subkeyName) {
  return FindParIdPref(ListPrefixes(*this, keyPath), instanceId, prefix, subkeyName);
}

std::string CRemoveDrvPrn::GetParentIdPrefix(const std::string& printerName,
                                             const std::string& instanceIdPrefix,
                                             const std::string& hardwareId) {
  PrefixCache cache(*this);
  return ParentIdPrefixOf(*this, cache, printerName, instanceIdPrefix, hardwareId);
}
