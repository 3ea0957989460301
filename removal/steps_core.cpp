#include "platform/text.h"
#include "removal/removal_steps.h"
#include "resources/resource_ids.h"
#include "support/generic_thread.h"

namespace {

constexpr char kBackslash = '\\';
constexpr const char* kUsbPortSuffix = "&USB";

}  // namespace

CRemovalSteps::CRemovalSteps(const RemovalServices& services)
    : Services(services),
      platform(services.platform),
      Registry(services.platform.registry),
      Engine(services.engine),
      Spooler(services.spooler),
      Host(services.host) {}

void CRemovalSteps::SetEnvironment(const RemovalEnvironment& environment) {
  EnvDriversKey = environment.EnvDriversKey;
  SpoolPccDir = environment.SpoolPccDir;
  SpoolDriversDir = environment.SpoolDriversDir;
  ProcessorArchitecture = environment.ProcessorArchitecture;
}

void CRemovalSteps::Log(const std::string& line) {
  if (Services.log != nullptr) Services.log->WriteLine(line);
}

void CRemovalSteps::SetStatusLine(const std::string& text) { Host.SetStatusLine(text); }

void CRemovalSteps::Step() {
  Host.ProgressStep();
  CCGenericThread::CheckStopPoint();
}

void CRemovalSteps::Wait(uint32_t ms) { WaitAtSafePoint(platform, ms); }

std::string CRemovalSteps::LoadText(uint32_t id) { return platform.strings.Load(id); }

std::string CRemovalSteps::WindowsDirectory(uint32_t capacity) {
  return platform.system.WindowsDirectory(capacity);
}

void CRemovalSteps::ReportDeleteResult(const std::string& path, bool deleted) {
  if (Services.deletions == nullptr) return;
  if (deleted) {
    RecordDeletion(path, true);
    SetStatusLine(text::Format(LoadText(IDS_DELETING_FILE), path));
  } else {
    Log(text::Format("Error! Impossible to delete file \"%s!\"", path));
    RecordDeletion(path, false);
  }
}

std::string CRemovalSteps::ReduceInstanceId(const std::string& deviceInstanceId) {
  std::string reduced = deviceInstanceId;
  const auto lastBackslash = reduced.rfind(kBackslash);
  if (lastBackslash != std::string::npos) reduced.erase(0, lastBackslash + 1);
  const auto port = reduced.find(kUsbPortSuffix);
  if (port != std::string::npos) reduced.erase(port);
  return text::Upper(reduced);
}

void CRemovalSteps::RecordDeletion(const std::string& path, bool deleted) {
  if (Services.deletions != nullptr) Services.deletions->Add(path, deleted);
}
