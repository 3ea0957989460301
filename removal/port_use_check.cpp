#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "removal/removal_steps.h"

namespace {

constexpr RegRoot kMachine = RegRoot::LocalMachine;
constexpr const char* kServiceValue = "Service";
// Interface 1 of a composite device is named like interface 0 with a final
// "1" instead of "0", in the hardware-id key and in the instance key alike.
constexpr char kPortInterfaceDigit = '1';
constexpr uint32_t kStringCapacity = CQDRegistry::kStringBufferSize;

constexpr const char* kKeptLine = "Impossible verify if printer [%s] uses %s: %s. %s is kept.";
constexpr const char* kUnreadableValue = "[HKEY_LOCAL_MACHINE\\%s\\%s] could not be read (%s)";
constexpr const char* kUnopenableKey = "[HKEY_LOCAL_MACHINE\\%s] could not be opened (error %d)";
constexpr const char* kBrokenEnumeration =
    "the subkeys of [HKEY_LOCAL_MACHINE\\%s] could not be enumerated (error %d)";

std::string WithLastChar(std::string s, char c) {
  if (!s.empty()) s.back() = c;
  return s;
}

// A missing key or value is an answer ("not on USB", "lists nothing"); any
// other failure is not, and leaves the question open.
bool IsMissing(const Outcome& outcome) {
  return !outcome &&
         (outcome.error == win::kErrorFileNotFound || outcome.error == win::kErrorPathNotFound);
}

enum class ReadResult { Read, Missing, Unreadable };

struct StringRead {
  ReadResult result = ReadResult::Missing;
  std::string value;
  std::string why;  // for Unreadable: what went wrong, for the log
};

// A REG_SZ value of less than 255 bytes, as ReadStringToBuffer reads it, but
// telling a missing value from one that could not be read.
StringRead ReadString(CQDRegistry& registry, const std::string& key,
                      const std::string& valueName) {
  StringRead read;
  uint8_t buffer[kStringCapacity] = {};
  uint32_t bytesRead = 0;
  uint32_t type = win::kRegNone;
  const Outcome queried = registry.QueryValue(kMachine, key, valueName, nullptr, buffer,
                                              kStringCapacity, &bytesRead, type);
  std::string why;
  if (IsMissing(queried)) return read;
  if ((!queried && queried.error == win::kErrorMoreData) ||
      (queried && bytesRead >= kStringCapacity)) {
    why = text::Format("longer than %d bytes", static_cast<int>(kStringCapacity - 1));
  } else if (!queried) {
    why = text::Format("error %d", static_cast<int>(queried.error));
  } else if (type != win::kRegSz) {
    why = text::Format("type %d instead of a string", static_cast<int>(type));
  } else {
    read.result = ReadResult::Read;
    const char* chars = reinterpret_cast<const char*>(buffer);
    read.value.assign(chars, strnlen(chars, bytesRead));
    return read;
  }
  read.result = ReadResult::Unreadable;
  read.why = text::Format(kUnreadableValue, key, valueName, why);
  return read;
}

// Where a printer hangs: the interface-0 key and instance whose
// "ParentIdPrefix" begins its device instance id.
struct Interface0Instance {
  std::string interfaceKey;
  std::string instance;
};

// One walk over the USB device keys for all printers at once: the first
// interface-0 instance of the maker (in enumeration order) for each wanted
// instance. Stops as soon as every wanted instance is found. A failure that
// may hide one of them is written to `doubt` (the first one only).
class Interface0Walk {
 public:
  Interface0Walk(IRegistry& registry, CQDRegistry& reader, CRemovalSteps& steps)
      : registry_(registry), reader_(reader), page_(steps) {}

  void Want(const std::string& instance) { found_.emplace(instance, Interface0Instance{}); }

  void Run() {
    pending_ = found_.size();
    RegistryKey usb;
    // No USB key: no printer is on USB.
    if (!OpenWalked(kUsbEnumKey, usb)) return;
    // Called with instances still wanted: the listing ends once none is.
    const Outcome listed = CQDRegistry::ForEachSubkey(*usb, [this](const std::string& found) {
      const std::string name = text::Upper(found);
      if (text::Contains(name, kMakerVendorId) && text::Contains(name, kPrinterInterfaceTag)) {
        SearchInterface(std::string(kUsbEnumKey) + name);
      }
      return pending_ > 0;
    });
    if (!listed) {
      page_.Log(text::Format("Impossible to find HKEY_LOCAL_MACHINE\\%s key in IsVomuStillUsed!",
                             kUsbEnumKey));
      Doubt(text::Format(kBrokenEnumeration, kUsbEnumKey, static_cast<int>(listed.error)));
    }
  }

  // Null when the instance hangs on no interface-0 instance found.
  const Interface0Instance* Find(const std::string& instance) const {
    const auto it = found_.find(instance);
    return it == found_.end() || it->second.interfaceKey.empty() ? nullptr : &it->second;
  }
  const std::string& doubt() const { return doubt_; }

 private:
  // Opens a key of the walk; a failure other than a missing key is a doubt.
  bool OpenWalked(const std::string& path, RegistryKey& key) {
    const Outcome opened = registry_.OpenKey(kMachine, path, win::kKeyRead, key);
    if (opened && key) return true;
    if (!IsMissing(opened)) {
      Doubt(text::Format(kUnopenableKey, path, static_cast<int>(opened.error)));
    }
    return false;
  }

  void SearchInterface(const std::string& interfaceKey) {
    RegistryKey key;
    if (!OpenWalked(interfaceKey, key)) return;
    const Outcome listed = CQDRegistry::ForEachSubkey(*key, [&](const std::string& candidate) {
      const StringRead prefix =
          ReadString(reader_, interfaceKey + "\\" + candidate, kParentIdPrefixValue);
      if (prefix.result == ReadResult::Unreadable) Doubt(prefix.why);
      if (prefix.result != ReadResult::Read) return pending_ > 0;
      const auto it = found_.find(text::Upper(prefix.value));
      if (it == found_.end() || !it->second.interfaceKey.empty()) return pending_ > 0;
      it->second = Interface0Instance{interfaceKey, candidate};
      --pending_;
      return pending_ > 0;
    });
    if (!listed) {
      page_.Log(text::Format("Impossible to find HKEY_LOCAL_MACHINE\\%s key in IsVomuStillUsed 2!",
                             interfaceKey));
      Doubt(text::Format(kBrokenEnumeration, interfaceKey, static_cast<int>(listed.error)));
    }
  }

  void Doubt(const std::string& why) {
    if (doubt_.empty()) doubt_ = why;
  }

  IRegistry& registry_;
  CQDRegistry& reader_;
  CRemovalSteps& page_;
  std::map<std::string, Interface0Instance> found_;
  size_t pending_ = 0;
  std::string doubt_;
};

struct OtherPrinter {
  const std::string* name;
  std::string instance;
};

}  // namespace

bool CRemovalSteps::IsVomuStillUsed() {
  const auto kept = [this](const std::string& printer, const std::string& why) {
    Log(text::Format(kKeptLine, printer, PortServiceName, why, PortServiceName));
    ReportItem(RunItemKind::Service, PortServiceName, RunItemResult::Kept,
               text::Format("whether printer [%s] uses it cannot be verified: %s", printer, why));
    return true;
  };

  std::vector<OtherPrinter> others;
  Interface0Walk walk(platform.registry, Registry, *this);
  for (const std::string& printerName : PrinterNames) {
    if (printerName == CurrentPrinter.PrinterName) continue;

    const std::string pnpKey = std::string(kPrintersSoftwareKey) + "\\" +
                               printerName + "\\" + kPnPDataSubkey;
    const StringRead instanceId = ReadString(Registry, pnpKey, kDeviceInstanceIdValue);
    if (instanceId.result == ReadResult::Unreadable) return kept(printerName, instanceId.why);
    if (instanceId.result == ReadResult::Missing) {
      // Not connected through USB.
      Log(text::Format(
          "Impossible read [%s\\%s] key. Impossible verify if this printer uses %s",
          pnpKey, kDeviceInstanceIdValue, PortServiceName));
      continue;
    }
    if (instanceId.value.empty()) {
      // Nothing can match an empty instance; an empty ParentIdPrefix must not.
      Log(text::Format(
          "Key [%s\\%s] is empty. Impossible verify if this printer uses %s",
          pnpKey, kDeviceInstanceIdValue, PortServiceName));
      continue;
    }
    others.push_back({&printerName, ReduceInstanceId(instanceId.value)});
    walk.Want(others.back().instance);
  }

  if (!others.empty()) walk.Run();
  for (const OtherPrinter& other : others) {
    const Interface0Instance* hangsOn = walk.Find(other.instance);
    if (hangsOn == nullptr) {
      // A failure during the walk may have hidden where it hangs.
      if (!walk.doubt().empty()) return kept(*other.name, walk.doubt());
      continue;
    }
    const std::string siblingKey =
        WithLastChar(hangsOn->interfaceKey, kPortInterfaceDigit) + "\\" +
        WithLastChar(hangsOn->instance, kPortInterfaceDigit);
    const StringRead service = ReadString(Registry, siblingKey, kServiceValue);
    if (service.result == ReadResult::Unreadable) return kept(*other.name, service.why);
    if (service.result == ReadResult::Read && text::Upper(service.value) == PortServiceName) {
      Log(text::Format("\"%s\" is still used.", PortServiceName));
      ReportItem(RunItemKind::Service, PortServiceName, RunItemResult::Kept,
                 text::Format("printer [%s] still uses it", *other.name));
      return true;
    }
  }
  Log(text::Format("\"%s\" is not still used.", PortServiceName));
  return false;
}
