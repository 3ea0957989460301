#include "tests/sim/sim_windows.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {

std::string Upper(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool IEquals(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

bool IContains(const std::string& haystack, const std::string& needle) {
  return Upper(haystack).find(Upper(needle)) != std::string::npos;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

std::string JoinPath(const std::vector<std::string>& parts, size_t count) {
  std::string out;
  for (size_t i = 0; i < count && i < parts.size(); ++i) {
    if (i > 0) out += '\\';
    out += parts[i];
  }
  return out;
}

std::optional<uint32_t> FaultPlan::Check(const std::string& op, const std::string& detail) {
  const size_t index = calls.size();
  calls.push_back({op, detail});
  auto indexed = byIndex_.find(index);
  if (indexed != byIndex_.end()) {
    const uint32_t code = indexed->second;
    byIndex_.erase(indexed);
    return code;
  }
  if (rules_.empty()) return std::nullopt;
  const std::string upperDetail = Upper(detail);
  for (Rule& rule : rules_) {
    if (rule.remaining == 0 || rule.op != op) continue;
    if (!rule.detail.empty() && upperDetail.find(rule.detail) == std::string::npos) continue;
    if (rule.remaining > 0) --rule.remaining;
    return rule.code;
  }
  return std::nullopt;
}

void FaultPlan::FailWhere(const std::string& op, const std::string& detail, uint32_t code,
                          int count) {
  rules_.push_back({op, Upper(detail), code, count});
}

}  // namespace detail

using detail::Upper;

SimWindows::Impl::Impl() : files([this] { return currentDir; }) {
  const std::string user = "C:\\Users\\User";
  folders = {{SystemFolder::Windows, "C:\\Windows"},
             {SystemFolder::System, "C:\\Windows\\system32"},
             {SystemFolder::Fonts, "C:\\Windows\\Fonts"},
             {SystemFolder::ProgramFiles, "C:\\Program Files"},
             {SystemFolder::ProgramFilesX86, "C:\\Program Files (x86)"},
             {SystemFolder::ProgramFilesX64, "C:\\Program Files"},
             {SystemFolder::ProgramFilesCommon, "C:\\Program Files\\Common Files"},
             {SystemFolder::CommonAppData, "C:\\ProgramData"},
             {SystemFolder::CommonStartMenu, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
             {SystemFolder::UserProfiles, "C:\\Users"},
             {SystemFolder::CommonDesktop, "C:\\Users\\Public\\Desktop"},
             {SystemFolder::CommonDocuments, "C:\\Users\\Public\\Documents"},
             {SystemFolder::Profile, user},
             {SystemFolder::RoamingAppData, user + "\\AppData\\Roaming"},
             {SystemFolder::LocalAppData, user + "\\AppData\\Local"},
             {SystemFolder::Desktop, user + "\\Desktop"},
             {SystemFolder::Documents, user + "\\Documents"},
             {SystemFolder::StartMenu,
              user + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"}};
  registryFacility = detail::MakeRegistry(*this);
  spoolerFacility = detail::MakeSpooler(*this);
  servicesFacility = detail::MakeServices(*this);
  devicesFacility = detail::MakeDevices(*this);
  driverStoreFacility = detail::MakeDriverStore(*this);
  filesFacility = detail::MakeFiles(*this);
  shellFacility = detail::MakeShell(*this);
  systemFacility = detail::MakeSystem(*this);
  clockFacility = detail::MakeClock(*this);
  boxesFacility = detail::MakeMessageBoxes(*this);
  stringsFacility = detail::MakeStrings();
  securityFacility = detail::MakeSecurity(*this);
  textConversionFacility = detail::MakeTextConversion(*this);
  runLockFacility = detail::MakeRunLock(*this);
  consoleFacility = detail::MakeConsole(*this);
  clipboardFacility = detail::MakeClipboard(*this);
  platform.reset(new Platform{*registryFacility, *spoolerFacility, *servicesFacility,
                              *devicesFacility, *driverStoreFacility, *filesFacility,
                              *shellFacility, *systemFacility, *clockFacility,
                              *boxesFacility, *stringsFacility, *securityFacility,
                              *textConversionFacility, *runLockFacility, *consoleFacility,
                              *clipboardFacility});
}

SimWindows::Impl::~Impl() = default;

SimWindows::SimWindows() : impl_(std::make_unique<Impl>()) {
  impl_->files.MakeDirs("C:\\");
  impl_->files.MakeDirs("D:\\");
  AddDir(kDefaultWindowsDir);
  AddDir(std::string(kDefaultWindowsDir) + "\\system32");
  AddDir(kInfDir);
  AddDir(kDefaultCurrentDir);
  AddService("Spooler", true, false);
}

SimWindows::~SimWindows() = default;

Platform& SimWindows::platform() { return *impl_->platform; }

void SimWindows::FailCall(size_t n, uint32_t code) {
  auto lock = impl_->Lock();
  impl_->faults.FailCall(n, code);
}

void SimWindows::FailWhere(const std::string& op, const std::string& detailSubstring,
                           uint32_t code, int count) {
  auto lock = impl_->Lock();
  impl_->faults.FailWhere(op, detailSubstring, code, count);
}

void SimWindows::ClearFaults() {
  auto lock = impl_->Lock();
  impl_->faults.Clear();
}

std::vector<CallRecord> SimWindows::Calls() const {
  auto lock = impl_->Lock();
  return impl_->faults.calls;
}

size_t SimWindows::CallCount() const {
  auto lock = impl_->Lock();
  return impl_->faults.calls.size();
}

void SimWindows::ClearCalls() {
  auto lock = impl_->Lock();
  impl_->faults.calls.clear();
}

std::vector<std::string> SimWindows::CallsOf(const std::string& op) const {
  auto lock = impl_->Lock();
  std::vector<std::string> out;
  for (const CallRecord& call : impl_->faults.calls) {
    if (call.op == op) out.push_back(call.detail);
  }
  return out;
}

std::string SimWindows::Snapshot() const {
  auto lock = impl_->Lock();
  std::string out;
  impl_->registry.Dump(out);
  impl_->files.Dump(out);
  for (const auto& [key, service] : impl_->services) {
    out += "SERVICE " + service.name + (service.running ? " running" : " stopped") +
           (service.disabled ? " disabled" : "") +
           (service.markedForDelete ? " marked-for-delete" : "") + "\n";
  }
  std::vector<PackageRecord> packages = impl_->packages;
  std::sort(packages.begin(), packages.end(), [](const PackageRecord& a, const PackageRecord& b) {
    return Upper(a.storeInfPath) < Upper(b.storeInfPath);
  });
  for (const PackageRecord& package : packages) {
    out += "PACKAGE " + package.storeInfPath + " <- " + package.oemInfPath + "\n";
  }
  for (const auto& [printer, count] : impl_->jobs) {
    if (count != 0) out += "JOBS " + printer + " " + std::to_string(count) + "\n";
  }
  return out;
}

std::string SimWindows::FullSnapshot() const {
  auto lock = impl_->Lock();
  std::string out = Snapshot();
  impl_->files.Dump(out, true);
  for (const FormRemoval& form : impl_->removedForms) {
    out += "FORM-REMOVED " + form.printer + " " + form.form + "\n";
  }
  for (const std::string& device : impl_->removedDevices) out += "DEVICE-REMOVED " + device + "\n";
  for (const std::string& package : impl_->uninstalled) out += "UNINSTALLED " + package + "\n";
  for (const ServiceEvent& event : impl_->serviceHistory) {
    out += "SERVICE-EVENT " + event.service + " " + event.event + "\n";
  }
  for (const ShellExecuteRecord& run : impl_->shellExecutes) {
    out += "SHELL " + run.file + " " + run.parameters + "\n";
  }
  for (const ProcessRecord& process : impl_->processes) out += "PROCESS " + process.exe + "\n";
  return out;
}

Bytes MultiSzBytes(const std::vector<std::string>& values) {
  Bytes out;
  for (const std::string& value : values) {
    out.insert(out.end(), value.begin(), value.end());
    out.push_back(0);
  }
  out.push_back(0);
  return out;
}

Bytes SzBytes(const std::string& value) {
  Bytes out(value.begin(), value.end());
  out.push_back(0);
  return out;
}

Bytes DwordBytes(uint32_t value) {
  constexpr int kBitsPerByte = 8;
  constexpr uint32_t kByteMask = 0xFF;
  Bytes out;
  for (size_t i = 0; i < sizeof(uint32_t); ++i) {
    out.push_back(static_cast<uint8_t>((value >> (i * kBitsPerByte)) & kByteMask));
  }
  return out;
}

}  // namespace sim
