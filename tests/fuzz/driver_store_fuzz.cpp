// The driver-store name derivation: CleanDriverStore over the store path
// that a simulated driver store gives for the driver's INF (the input's
// first line). Whatever the path, the cleanup may act only on the package's
// Temp copy, "...\DriverStore\Temp\<package>" and what it holds, and on its
// cabinet "...\PCC\<package>.cab", never through "." or ".." components,
// and files elsewhere stay.
#include <string>
#include <vector>

#include "app/purvex_dlg.h"
#include "platform/text.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/sim/sim_windows.h"

namespace {

constexpr const char* kOemInf = "C:\\Windows\\inf\\oem12.inf";
constexpr const char* kPccDir = "system32\\spool\\drivers\\x64\\PCC";
constexpr uint32_t kPackageInUse = 0xE0000300u;  // the store keeps the package
// Files the cleanup has no business with, among them the places that a path
// of the right depth but the wrong shape would reach.
const char* const kCanaries[] = {
    "C:\\Windows\\System32\\DriverStore\\keep.txt",
    "C:\\Windows\\System32\\DriverStore\\Temp\\other.inf_amd64_1\\keep.inf",
    "C:\\Windows\\System32\\DriverStore\\FileRepository\\other.inf_amd64_1\\keep.inf",
    "C:\\Windows\\system32\\spool\\drivers\\x64\\PCC\\other.inf_amd64_1.cab",
    "C:\\Windows\\keep.txt",
    "C:\\Users\\Admin\\Documents\\Projects\\Keep\\keep.txt",
    "C:\\A\\B\\C\\D\\E\\keep.txt",
};

std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  size_t begin = 0;
  for (;;) {
    const size_t end = path.find('\\', begin);
    parts.push_back(text::Upper(path.substr(begin, end == std::string::npos ? end : end - begin)));
    if (end == std::string::npos) return parts;
    begin = end + 1;
  }
}

// "...\DRIVERSTORE\TEMP\<package>[\...]" or "...\PCC\<package>.cab": never
// the package in the store itself, whatever letter case names it.
bool IsPackageLeftover(const std::string& path, const std::string& package) {
  const std::vector<std::string> parts = Components(path);
  for (const std::string& part : parts) {
    if (part.empty() || part == "." || part == "..") return false;
  }
  const std::string upperPackage = text::Upper(package);
  if (parts.size() >= 2 && parts[parts.size() - 2] == "PCC" &&
      parts.back() == upperPackage + ".CAB") {
    return true;
  }
  for (size_t i = 0; i + 2 < parts.size(); ++i) {
    if (parts[i] == "DRIVERSTORE" && parts[i + 1] == "TEMP" &&
        parts[i + 2] == upperPackage) {
      return true;
    }
  }
  return false;
}

// The directory name that holds the store INF, as the cleanup names it.
std::string PackageOf(std::string storePath) {
  if (!storePath.empty() && storePath.back() == '\\') storePath.pop_back();
  const size_t last = storePath.rfind('\\');
  const std::string directory = last == std::string::npos ? "" : storePath.substr(0, last);
  const size_t start = directory.rfind('\\');
  return start == std::string::npos ? directory : directory.substr(start + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string rest = fuzz::AsText(data, size);
  const std::string storePath = fuzz::TakeLine(rest);
  if (storePath.find('\0') != std::string::npos) return 0;  // an ANSI string ends there

  sim::SimWindows windows;
  for (const char* canary : kCanaries) windows.AddFile(canary, "keep");
  windows.AddFile(kOemInf, "[Version]\r\n");
  windows.AddPackage(kOemInf, storePath);
  windows.FailUninstall(storePath, kPackageInUse);
  const std::string package = PackageOf(storePath);
  // The package's own leftovers, where a well-formed path puts them.
  if (!package.empty() && package.find('/') == std::string::npos) {
    windows.AddFile("C:\\Windows\\System32\\DriverStore\\Temp\\" + package + "\\x.inf", "temp");
    windows.AddFile(std::string("C:\\Windows\\") + kPccDir + "\\" + package + ".cab", "cab");
  }

  // The main dialog stands in for the package removal and the log only.
  CPurvexDlg dialog(windows.platform());
  CDeviceService engine(windows.platform());
  (void)engine.SetOwner(&dialog, &dialog);
  engine.SetSpoolPccDir(kPccDir);
  FileList infs{kOemInf};
  windows.ClearCalls();
  (void)engine.CleanDriverStore(infs);

  for (const sim::CallRecord& call : windows.Calls()) {
    if (call.op != "RemoveFile" && call.op != "RemoveDir" && call.op != "SetAttributes") continue;
    FUZZ_CHECK(IsPackageLeftover(call.detail, package), "deletes only the package's leftovers");
  }
  for (const sim::CallRecord& call : windows.Calls()) {
    if (call.op != "TakeOwnership" && call.op != "GrantFullControl") continue;
    FUZZ_CHECK(IsPackageLeftover(call.detail, package), "takes ownership of the Temp copy only");
  }
  for (const char* canary : kCanaries) FUZZ_CHECK(windows.Exists(canary), "other files stay");
  return 0;
}
