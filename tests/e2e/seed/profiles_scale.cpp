// Installations at scale for tools/bench_scale.sh: "scaleN" holds, next to the
// maker and canary profiles (seed those first), N - 1 more maker printers on
// N / 10 - 1 drivers and device entries in proportion, so that maker + canary
// + scaleN make N maker printers on N / 10 drivers and 25 N USB device entries:
// the composite device and both interfaces of every listed printer, N stale
// maker entries and other vendors' entries for the rest.
//
// The device entries are written straight into the Enum keys, as SetupAPI
// would leave them: registering thousands of devices through SetupAPI takes
// minutes under Wine. "seed.exe count-devices" shows that SetupAPI still
// enumerates them.
#include <cstdio>
#include <string>

#include "profile.h"

namespace seed {

namespace {

constexpr int kSizes[] = {50, 100, 200};
constexpr int kPrintersPerDriver = 10;
constexpr int kEntriesPerPrinter = 25;
// Maker + canary profiles: 1 printer of the maker; 4 maker entries and 1 other.
constexpr int kBaseMakerEntries = 4;
constexpr int kBaseOtherEntries = 1;
constexpr int kFirstScalePid = 0x0110;
constexpr int kStaleModels = 10;
constexpr int kFirstStalePid = 0x0150;
constexpr int kOtherInstancesPerId = 2;
constexpr int kOtherIdsPerVendor = 20;
// Other vendors' ids run from below the maker's to above it, so that their
// keys sort on both sides of the maker's.
constexpr int kFirstOtherVendor = 0x0400;
constexpr int kOtherVendorStep = 0x40;
constexpr unsigned kPrinterUniqueBase = 0x5C000000;
constexpr unsigned kStaleUniqueBase = 0x5D000000;
constexpr unsigned kOtherUniqueBase = 0x60000000;
constexpr const char* kUnknownClassGuid = "{4d36e97e-e325-11ce-bfc1-08002be10318}";
constexpr const char* kUsbDeviceInterface = "{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

void AddValue(Profile& p, const std::string& key, const char* value, const std::string& data,
              DWORD type = REG_SZ) {
  const DWORD size = type == REG_MULTI_SZ ? static_cast<DWORD>(data.size()) : 0;
  p.keys.push_back({HKEY_LOCAL_MACHINE, "HKLM", Keep(key), value, Keep(data), type, size});
}

// One device entry under Enum\USB, with what SetupAPI reads of it.
void AddEntry(Profile& p, const std::string& hardwareKey, const std::string& instance,
              const std::string& firstHardwareId, const std::string& service, const std::string& parentIdPrefix,
              const std::string& symbolicName) {
  const std::string key = std::string(kEnumKey) + "\\USB\\" + hardwareKey + "\\" + instance;
  AddValue(p, key, "ClassGUID", kUnknownClassGuid);
  std::string ids = firstHardwareId + '\0';
  if (firstHardwareId != "USB\\" + hardwareKey) ids += "USB\\" + hardwareKey + '\0';
  AddValue(p, key, "HardwareID", ids + '\0', REG_MULTI_SZ);
  AddValue(p, key, "Service", service);
  if (!parentIdPrefix.empty()) AddValue(p, key, "ParentIdPrefix", parentIdPrefix);
  if (!symbolicName.empty()) AddValue(p, key + "\\Device Parameters", "SymbolicName", symbolicName);
}

std::string SymbolicName(const std::string& vidPid, const std::string& serial) {
  return "\\??\\USB#" + vidPid + "#" + serial + "#" + kUsbDeviceInterface;
}

Profile ScaleProfile(int size) {
  Profile p;
  p.name = Keep(Printf("scale%d", size));
  p.description = Keep(Printf("%d more Korvex USB printers on %d drivers and %d USB device entries in all "
                              "(seed after maker and canary)",
                              size - 1, size / kPrintersPerDriver - 1, size * kEntriesPerPrinter));
  const int drivers = size / kPrintersPerDriver - 1;
  const int printers = size - 1;
  int makerEntries = kBaseMakerEntries;

  for (int i = 1; i <= printers; ++i) {
    const int model = 1 + (i - 1) % drivers;
    const std::string vidPid = Printf("VID_0E7B&PID_%04X", kFirstScalePid + model);
    const unsigned unique = kPrinterUniqueBase + static_cast<unsigned>(i);
    const std::string devicePrefix = Printf("6&%08X&0", unique);
    const std::string printerPrefix = Printf("7&%08X&0", unique);
    const std::string serial = Printf("KVXS%06d", i);
    const std::string driver = Printf("Korvex Scale Driver %02d", model);
    const std::string store = Printf("kxscale%02d.inf_amd64_neutral_%08x", model, 0x51000000u + model);
    // The port service of the last printer only: the use check has to look at
    // every other printer before it finds one that still uses it.
    const char* portService = i == printers ? "VomuUsb" : "WinUsb";
    p.printers.push_back({Keep(Printf("Korvex Scale %03d", i)), Keep(driver), "Korvex",
                          Keep("USB\\" + vidPid + "&MI_00"),
                          Keep("C:\\windows\\System32\\DriverStore\\FileRepository\\" + store +
                               Printf("\\kxscale%02d.inf", model)),
                          "FILE:", Keep(Printf("USBPRINT\\KORVEX%04X\\", kFirstScalePid + model) + printerPrefix + "&USB001"),
                          {}, {"QdRk.dll"}});
    AddEntry(p, vidPid, serial, "USB\\" + vidPid + "&REV_0100", "usbccgp", devicePrefix, SymbolicName(vidPid, serial));
    AddEntry(p, vidPid + "&MI_00", devicePrefix + "&0000", "USB\\" + vidPid + "&MI_00", "usbprint", printerPrefix, "");
    AddEntry(p, vidPid + "&MI_01", devicePrefix + "&0001", "USB\\" + vidPid + "&MI_01", portService, "", "");
    makerEntries += 3;
  }

  // Stale entries: of models no longer installed, and of listed models that
  // no listed printer hangs on.
  for (int k = 0; k < size; ++k) {
    const bool listedModel = k % 2 == 1;
    const int pid = listedModel ? kFirstScalePid + 1 + k % drivers : kFirstStalePid + (k / 2) % kStaleModels;
    const std::string vidPid = Printf("VID_0E7B&PID_%04X", pid);
    const std::string serial = Printf("KVXO%06d", k);
    AddEntry(p, vidPid, serial, "USB\\" + vidPid + "&REV_0100", "usbprint",
             Printf("6&%08X&0", kStaleUniqueBase + static_cast<unsigned>(k)), SymbolicName(vidPid, serial));
    ++makerEntries;
  }

  const int others = size * kEntriesPerPrinter - makerEntries - kBaseOtherEntries;
  for (int k = 0; k < others; ++k) {
    const int id = k / kOtherInstancesPerId;
    const std::string vidPid =
        Printf("VID_%04X&PID_%04X", kFirstOtherVendor + kOtherVendorStep * (id / kOtherIdsPerVendor),
               1 + id % kOtherIdsPerVendor);
    AddEntry(p, vidPid, Printf("OV%06d", k), "USB\\" + vidPid + "&REV_0001", "usbccgp",
             Printf("6&%08X&0", kOtherUniqueBase + static_cast<unsigned>(k)), "");
  }
  return p;
}

}  // namespace

std::vector<Profile> ScaleProfiles() {
  std::vector<Profile> all;
  for (int size : kSizes) all.push_back(ScaleProfile(size));
  return all;
}

}  // namespace seed
