#include "engine/device_service.h"
#include "engine/tree_deletion.h"
#include "support/dir_read.h"
#include "platform/text.h"
#include "platform/win_constants.h"

namespace {

constexpr const char* kPnfExtension = "pnf";
constexpr size_t kInfExtensionLength = 3;
constexpr const char* kAllEntriesPattern = "*";

// Taking ownership needs the first privilege; the second lets the access
// list of an entry be written while someone else still owns it.
constexpr const char* kTakeOwnershipPrivilege = "SeTakeOwnershipPrivilege";
constexpr const char* kRestorePrivilege = "SeRestorePrivilege";

bool IsDirectoryLink(uint32_t attributes) {
  constexpr uint32_t kLinkBits =
      win::kFileAttributeDirectory | win::kFileAttributeReparsePoint;
  return (attributes & kLinkBits) == kLinkBits;
}

}  // namespace

bool CDeviceService::DeleteInfFiles(FileList& infList, FileList* deletedList,
                                    FileList* notDeletedList) {
  bool failed = false;
  for (const std::string& inf : infList) {
    const bool infDeleted = platform_.files.RemoveFile(inf).ok;
    failed = failed || !infDeleted;
    RecordDeletion(inf, infDeleted, win::kErrorSuccess, deletedList,
                   notDeletedList);

    const size_t stemLength =
        inf.size() > kInfExtensionLength ? inf.size() - kInfExtensionLength : 0;
    const std::string pnf = inf.substr(0, stemLength) + kPnfExtension;
    const bool pnfDeleted = platform_.files.RemoveFile(pnf).ok;
    failed = failed || !pnfDeleted;
    RecordDeletion(pnf, pnfDeleted, win::kErrorSuccess, deletedList,
                   notDeletedList);
  }
  infList.clear();
  return !failed;
}

namespace {

// The engine's tree deletion: every entry read is traced, and each file's
// outcome goes to the caller's lists.
class EngineTreeSink final : public ITreeDeletionSink {
 public:
  EngineTreeSink(CDeviceService& engine, ILogSink* log, FileList* deletedList,
                 FileList* notDeletedList)
      : engine_(engine), log_(log), deleted_(deletedList), notDeleted_(notDeletedList) {}

  void Log(const std::string& line) override {
    if (log_ != nullptr) log_->WriteLine(line);
  }
  // A link that went is not a file of the tree: only its failure is recorded.
  void Removed(TreeEntryKind kind, const std::string& path, bool removed,
               uint32_t error) override {
    if (kind != TreeEntryKind::File && removed) return;
    engine_.RecordDeletion(path, removed, removed ? win::kErrorSuccess : error, deleted_,
                           notDeleted_);
  }

 private:
  CDeviceService& engine_;
  ILogSink* log_;
  FileList* deleted_;
  FileList* notDeleted_;
};

const TreeDeletionStyle kEngineTreeStyle{
    {"Impossible to get Path [%s]. Probably it doesn't exist.", nullptr,
     "Impossible to delete file or directory: error %d",
     "** CDeviceService::DeleteDirectory(..): dopo FindNextFile si.",
     "** CDeviceService::DeleteDirectory(..): dopo IsDot si.",
     "** CDeviceService::DeleteDirectory(..): dopo costruz stringa si."},
    false};

}  // namespace

bool CDeviceService::DeleteDirectory(const std::string& path, FileList* deletedList,
                                     FileList* notDeletedList) {
  EngineTreeSink sink(*this, log_, deletedList, notDeletedList);
  return DeleteTree(platform_.files, path, kEngineTreeStyle, sink);
}

bool CDeviceService::SetRightToDelDir(const std::string& directory) {
  Sid user;
  if (!platform_.security.CurrentUserSid(user)) {
    Log(text::Format(
        "An error occurred getting User Name in SetRightToDelDir(). Impossible "
        "to get ownership of directory [%s].",
        directory));
    return false;
  }
  uint32_t attributes = 0;
  // Nothing to take: the deletion that follows reports the missing path.
  if (directory.empty() || !platform_.files.GetAttributes(directory, attributes)) return false;
  // A token without them still owns what it created; each entry tells.
  (void)platform_.security.EnablePrivilege(kTakeOwnershipPrivilege);
  (void)platform_.security.EnablePrivilege(kRestorePrivilege);

  if (!platform_.security.TakeOwnership(directory, user)) {
    Log(text::Format(
        "An error occurred in SetRightToDelDir(), taking ownership of "
        "directory [%s].",
        directory));
    return false;
  }
  if (!platform_.security.GrantFullControl(directory, user)) {
    Log(text::Format(
        "An error occurred in SetRightToDelDir(), modifying access control "
        "of directory [%s].",
        directory));
    return false;
  }
  // A link is taken as itself and never entered: what it points to is not
  // part of the tree.
  if (!IsDirectoryLink(attributes) && (attributes & win::kFileAttributeDirectory) != 0) {
    TakeTreeBelow(directory, user);
  }
  return true;
}

// Entries that cannot be taken are passed over: the deletion that follows
// finds out what is left, as it did when an external tool did this.
void CDeviceService::TakeTreeBelow(const std::string& directory, const Sid& user) {
  const std::string prefix = directory + "\\";
  FindData entry;
  FindHandle search;
  if (!platform_.files.FindFirst(prefix + kAllEntriesPattern, entry, search)) return;
  for (bool more = true; more; more = search->Next(entry).ok) {
    if (IsDotOrDotDot(entry.name)) continue;
    const std::string path = prefix + entry.name;
    const bool taken = platform_.security.TakeOwnership(path, user).ok &&
                       platform_.security.GrantFullControl(path, user).ok;
    if (taken && !IsDirectoryLink(entry.attributes) &&
        (entry.attributes & win::kFileAttributeDirectory) != 0) {
      TakeTreeBelow(path, user);
    }
  }
}
