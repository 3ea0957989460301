// The multi-string walkers over malformed data: SplitMultiString on the raw
// bytes (no final terminator, odd sizes, empty strings), and the two readers
// that go through the registry with it, GetPrinterForms and
// IsDllOfSelDriver, over a simulated value of the input's bytes and type.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/text.h"
#include "removal/removal_steps.h"
#include "support/qd_registry.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/sim/sim_windows.h"

namespace {

// The steps show nothing here.
class SilentHost : public IRemovalHost {
 public:
  void SetStatusLine(const std::string&) override {}
  void ProgressStep() override {}
  void ShowProgress() override {}
  void EndProgress() override {}
  void ShowInfFiles(const std::vector<std::string>&) override {}
  void ShowResultMessage(ResultCode) override {}
  void ShowDeletionReport(ResultCode) override {}
  void SequenceEnded(bool, bool) override {}
};

enum Walker : uint8_t { kSplit = 0, kForms = 1, kDependentFiles = 2, kWalkers = 3 };
// Value types the readers may meet: mostly the multi-string they expect.
constexpr uint32_t kTypes[] = {7 /* REG_MULTI_SZ */, 7, 1 /* REG_SZ */, 3 /* REG_BINARY */};
constexpr size_t kTypeCount = sizeof kTypes / sizeof kTypes[0];
constexpr uint32_t kRegMultiSz = 7;
constexpr const char* kPrinter = "Korvex KP-103";
constexpr const char* kDriver = "Korvex KP-103 Driver";
constexpr const char* kDll = "QdRk.dll";

// Walks the exact bytes, every string up to its terminator or the end.
std::vector<std::string> Walk(const sim::Bytes& bytes) {
  // A heap block of exactly this size: a read past it is an ASan report.
  std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
  if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
  return SplitMultiString(bytes.empty() ? nullptr : exact.get(),
                          static_cast<uint32_t>(bytes.size()));
}

void CheckWalk(const sim::Bytes& bytes, const std::vector<std::string>& strings) {
  // Laid end to end with their terminators, the strings are the data.
  std::string joined;
  for (const std::string& s : strings) {
    FUZZ_CHECK(s.find('\0') == std::string::npos, "no terminator inside a string");
    joined += s;
    joined += '\0';
  }
  const std::string raw(bytes.begin(), bytes.end());
  if (bytes.size() < 2) {
    FUZZ_CHECK(strings.empty(), "nothing in less than two bytes");
    return;
  }
  FUZZ_CHECK(joined.size() >= raw.size() - 1 && joined.size() <= raw.size() + 1,
             "the walk covers the data up to its last byte");
  FUZZ_CHECK(raw.compare(0, std::min(joined.size(), raw.size()), joined, 0,
                         std::min(joined.size(), raw.size())) == 0,
             "the strings are the data");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t walker = data[0] % kWalkers;
  const uint32_t type = kTypes[data[1] % kTypeCount];
  const sim::Bytes bytes(data + 2, data + size);
  const std::vector<std::string> walked = Walk(bytes);
  CheckWalk(bytes, walked);
  if (walker == kSplit) return 0;

  // Through the registry: a value that is not a multi-string holds nothing.
  const std::vector<std::string> expected =
      type == kRegMultiSz ? walked : std::vector<std::string>{};
  sim::SimWindows windows;
  CDeviceService engine(windows.platform());
  CSpoolerControl spooler(windows.platform());
  SilentHost host;
  CRemovalSteps page(RemovalServices{windows.platform(), engine, spooler, host});
  page.EnvDriversKey = windows.EnvDriversKey();
  page.CurrentPrinter.PrinterName = kPrinter;
  page.CurrentPrinter.DriverName = kDriver;
  if (walker == kForms) {
    windows.SetRawValue(RegRoot::LocalMachine,
                        std::string(sim::kPrintersSoftwareKeyPath) + "\\" + kPrinter + "\\DsDriver",
                        "printMediaSupported", type, bytes);
    std::vector<std::string> forms{"kept"};
    const int count = page.GetPrinterForms(kPrinter, forms);
    FUZZ_CHECK(static_cast<size_t>(count) == expected.size(), "the count of forms");
    FUZZ_CHECK(std::vector<std::string>(forms.begin() + 1, forms.end()) == expected,
               "the forms are the value's strings, appended");
    return 0;
  }
  windows.SetRawValue(RegRoot::LocalMachine, windows.DriverKeyPath(kDriver), "Dependent Files",
                      type, bytes);
  bool listed = false;
  for (const std::string& entry : expected) {
    listed = listed || text::Upper(entry).find(text::Upper(kDll)) != std::string::npos;
  }
  FUZZ_CHECK(page.IsDllOfSelDriver(kDll) == listed, "the DLL is the driver's exactly when listed");
  return 0;
}
