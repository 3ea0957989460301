#include "engine/device_service.h"

#include "platform/text.h"
#include "platform/win_constants.h"
#include "engine/worker_messages.h"
#include "platform/ui.h"
#include "resources/resource_ids.h"

CDeviceService::CDeviceService(Platform& platform) : platform_(platform) {}

CDeviceService::~CDeviceService() = default;

bool CDeviceService::SetOwner(ILogSink* log, IDriverPackages* packages) {
  if (log == nullptr) return false;
  log_ = log;
  packages_ = packages;
  return true;
}

void CDeviceService::SetNotifyWindow(IWindowControls* window) {
  std::lock_guard<std::mutex> lock(statusMutex_);
  notifyWindow_ = window;
}

void CDeviceService::SetStatusText(const std::string& text) {
  IWindowControls* window = nullptr;
  {
    std::lock_guard<std::mutex> lock(statusMutex_);
    statusText_ = text;
    window = notifyWindow_;
  }
  // Posted outside the lock: the page answers by calling GetStatusText.
  if (window != nullptr) window->PostToPage(WM_STATUS_CHANGED, 0, 0);
}

std::string CDeviceService::GetStatusText() const {
  std::lock_guard<std::mutex> lock(statusMutex_);
  return statusText_;
}

void CDeviceService::Log(const std::string& line) {
  if (log_ != nullptr) log_->WriteLine(line);
}

void CDeviceService::RecordDeletion(const std::string& path, bool deleted,
                                    uint32_t errorCode, FileList* deletedList,
                                    FileList* notDeletedList) {
  if (deleted) {
    Log(text::Format("File %s deleted!!", path));
    RecordDeletionOutcome(path, true, deletedList, notDeletedList);
    SetStatusText(text::Format(platform_.strings.Load(IDS_DELETING_FILE), path));
    return;
  }
  if (errorCode != win::kErrorSuccess) {
    Log(text::Format("Error! Impossible to delete file \"%s!\". Error %d", path,
                     static_cast<int>(errorCode)));
  } else {
    Log(text::Format("Error! Impossible to delete file \"%s!\"", path));
  }
  RecordDeletionOutcome(path, false, deletedList, notDeletedList);
}

bool CDeviceService::FileExists(const std::string& path) {
  if (path.empty()) return false;
  // FindFirstFileA cannot take a path that does not fit MAX_PATH.
  if (path.size() < kMaxPath) {
    FindData found;
    FindHandle search;
    if (platform_.files.FindFirst(path, found, search)) return true;
  }
  Log(text::Format("File [%s] do not exist or error opening it", path));
  return false;
}

bool CDeviceService::GetCurrentUserName(std::string& name) {
  std::string found;
  if (!platform_.system.UserName(found)) return false;
  name = found;
  return true;
}
