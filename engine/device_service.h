#pragma once
// The removal engine: file and tree deletion with the recording of every
// outcome, INF search, driver-store cleanup and device/system helpers.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine_links.h"
#include "engine/inf_match.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

class CDeviceService {
 public:
  static constexpr uint32_t kMaxPath = win::kMaxPath;

  explicit CDeviceService(Platform& platform);
  virtual ~CDeviceService();

  // The log and the package removal of the program around the engine; false
  // without a log.
  bool SetOwner(ILogSink* log, IDriverPackages* packages);
  // Under the Windows directory: where the driver cabinets of this
  // environment are kept.
  void SetSpoolPccDir(const std::string& spoolPccDir) { spoolPccDir_ = spoolPccDir; }
  void SetNotifyWindow(IWindowControls* window);
  // Thread-safe: written on the worker, read on the user-interface thread.
  void SetStatusText(const std::string& text);
  std::string GetStatusText() const;

  void RecordDeletion(const std::string& path, bool deleted, uint32_t errorCode,
                      FileList* deletedList, FileList* notDeletedList);
  bool DeleteInfFiles(FileList& infList, FileList* deletedList,
                      FileList* notDeletedList);
  bool DeleteDirectory(const std::string& path, FileList* deletedList,
                       FileList* notDeletedList);
  bool SetRightToDelDir(const std::string& directory);
  bool GetCurrentUserName(std::string& name);
  bool FileExists(const std::string& path);

  bool CleanDriverStore(FileList& infList);
  static int CountBackslashes(const std::string& path);
  static std::string TrimTrailingChar(const std::string& s, char c);

  // A hardware id is searched as a whole id; vendor ids, interface tags and
  // other pieces of ids as parts.
  bool FindInfFiles(const std::string& directory, FileList* result,
                    std::string& firstText, std::string& secondText,
                    bool append, InfTextKind firstKind = InfTextKind::Part,
                    InfTextKind secondKind = InfTextKind::Part);

  bool GetDevicePropertyString(IDeviceInfoSet& set, uint32_t index,
                               uint32_t property, uint32_t& regType,
                               std::string& out);
  bool IsVista();

 private:
  void Log(const std::string& line);
  // Ownership and full control of every entry below a directory already
  // taken, links taken as themselves and never entered.
  void TakeTreeBelow(const std::string& directory, const Sid& user);

  Platform& platform_;
  ILogSink* log_ = nullptr;
  IDriverPackages* packages_ = nullptr;
  std::string spoolPccDir_;
  IWindowControls* notifyWindow_ = nullptr;
  mutable std::mutex statusMutex_;
  std::string statusText_;
};
