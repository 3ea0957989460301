// The symbolic-name split of Clean system, driven through the simulation: a
// stray device entry of a listed model carries the input as its
// "SymbolicName". Only that entry may go, and only when the instance key the
// name leads to has a ParentIdPrefix that no listed printer has; the
// installed printer's entries always stay.
#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "printer_page/remove_drv_prn.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/sim/sim_windows.h"

namespace {

constexpr const char* kEnumUsb = "SYSTEM\\CurrentControlSet\\Enum\\USB\\";
constexpr const char* kPrinterDevice = "USB\\VID_0E7B&PID_0103\\SN1A2B3C4D";
constexpr const char* kPrinterInterface = "USB\\VID_0E7B&PID_0103&MI_00\\6&1A2B3C4D&0&0000";
constexpr const char* kPrinterPrefix = "6&1A2B3C4D&0";
constexpr const char* kStrayDevice = "USB\\VID_0E7B&PID_0103\\SNFUZZ";
constexpr const char* kStrayPrefix = "6&FFFFFFFF&0";
constexpr const char* kListedPid = "PID_0103";
constexpr size_t kNameBufferSize = 260;  // what Clean system reads the name into
constexpr uint32_t kRegSz = 1;

void AddDevice(sim::SimWindows& windows, const std::string& instance, const std::string& id,
               const std::string& prefix, const std::string& symbolicName) {
  sim::DeviceSpec device;
  device.instanceId = instance;
  device.hardwareIds = {id};
  device.parentIdPrefix = prefix;
  if (!symbolicName.empty()) device.symbolicName = symbolicName;
  windows.AddDevice(device);
}

// The split as Clean system documents it, on the upper-cased name.
std::string InstancePath(const std::string& name) {
  const size_t first = name.find('#');
  if (first == std::string::npos) return "";
  const size_t second = name.find('#', first + 1);
  if (second == std::string::npos) return "";
  const std::string hardware = name.substr(first + 1, second - first - 1);
  if (hardware.find("VID") == std::string::npos || hardware.find("PID") == std::string::npos) {
    return "";
  }
  const size_t third = name.find('#', second + 1);
  const std::string instance =
      name.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
  return instance.empty() ? "" : hardware + "\\" + instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::SimWindows windows;
  AddDevice(windows, kPrinterDevice, "USB\\VID_0E7B&PID_0103&REV_0100", kPrinterPrefix,
            "\\??\\USB#VID_0E7B&PID_0103#SN1A2B3C4D#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
  AddDevice(windows, kPrinterInterface, "USB\\VID_0E7B&PID_0103&MI_00", "7&1A2B3C4D&0", "");
  AddDevice(windows, kStrayDevice, "USB\\VID_0E7B&PID_0103&REV_0100", kStrayPrefix, "");
  const sim::Bytes name(data, data + size);
  windows.SetRawValue(RegRoot::LocalMachine,
                      std::string(sim::kEnumKey) + "\\" + kStrayDevice + "\\Device Parameters",
                      "SymbolicName", kRegSz, name);

  CRemoveDrvPrn page(windows.platform());
  auto record = std::make_unique<CPrinterRecord>();
  record->HardwareId = "USB\\VID_0E7B&PID_0103&MI_00";
  record->ParentIdPrefix = kPrinterPrefix;
  page.Printers.push_back(std::move(record));

  // What the entry's name leads to, before anything is removed.
  std::string path;
  if (size <= kNameBufferSize) {
    const std::string text(name.begin(), name.end());
    path = InstancePath(text::Upper(text.substr(0, text.find('\0'))));
  }
  const std::string key = std::string(kEnumUsb) + path;
  const auto prefix = path.empty() ? std::nullopt
                                   : windows.GetString(RegRoot::LocalMachine, key, "ParentIdPrefix");
  const bool expectRemoved =
      prefix && prefix->size() < CQDRegistry::kStringBufferSize &&
      (prefix->empty() || text::Upper(*prefix) != kPrinterPrefix);

  windows.ClearCalls();
  FUZZ_CHECK(page.RemoveBadlyInstalledDevices({kListedPid}), "the device list is built");

  const auto removed = windows.RemovedDevices();
  FUZZ_CHECK(windows.DeviceExists(kPrinterDevice) && windows.DeviceExists(kPrinterInterface),
             "the installed printer's entries stay");
  FUZZ_CHECK(removed == (expectRemoved ? std::vector<std::string>{kStrayDevice}
                                       : std::vector<std::string>{}),
             "the stray entry goes exactly when its instance key says so");
  // Every key read lies below the USB enumerator.
  for (const std::string& opened : windows.CallsOf("OpenKey")) {
    FUZZ_CHECK(opened.rfind(std::string("HKLM\\") + kEnumUsb, 0) == 0, "reads below Enum\\USB");
  }
  return 0;
}
