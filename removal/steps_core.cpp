#include <algorithm>

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
  ReportRemoval(RunItemKind::File, path, deleted);
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

void CRemovalSteps::ReportItem(RunItemKind kind, const std::string& name,
                               RunItemResult result, const std::string& reason,
                               uint32_t errorCode) {
  if (Services.items == nullptr) return;
  Services.items->Add(RunItem{kind, name, result, reason, errorCode});
}

void CRemovalSteps::ReportRemoval(RunItemKind kind, const std::string& name, bool removed,
                                  uint32_t errorCode) {
  ReportItem(kind, name, removed ? RunItemResult::Removed : RunItemResult::Failed, {},
             errorCode);
}

CRemovalSteps::DeletionMark CRemovalSteps::MarkDeletions() const {
  if (Services.deletions == nullptr) return {};
  return {Services.deletions->DeletedFiles.size(), Services.deletions->NotDeletedFiles.size()};
}

void CRemovalSteps::ReportDeletionsSince(const DeletionMark& mark) {
  if (Services.deletions == nullptr) return;
  const FileList& deleted = Services.deletions->DeletedFiles;
  const FileList& notDeleted = Services.deletions->NotDeletedFiles;
  for (size_t i = mark.deleted; i < deleted.size(); ++i) {
    ReportRemoval(RunItemKind::File, deleted[i], true);
  }
  for (size_t i = mark.notDeleted; i < notDeleted.size(); ++i) {
    ReportRemoval(RunItemKind::File, notDeleted[i], false);
  }
}

void CRemovalSteps::ReportRemovedPackages(const FileList& asked, const FileList& left) {
  for (const std::string& inf : asked) {
    if (std::find(left.begin(), left.end(), inf) == left.end()) {
      ReportItem(RunItemKind::DriverPackage, inf, RunItemResult::Removed);
    }
  }
}
