#include "engine/device_service.h"
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

// The equivalent of _chmod(_S_IWRITE): only the read-only bit is cleared.
void MakeWritable(IFileSystem& files, const std::string& path) {
  uint32_t attributes = 0;
  if (!files.GetAttributes(path, attributes)) return;
  attributes &= ~win::kFileAttributeReadOnly;
  if (attributes == 0) attributes = win::kFileAttributeNormal;
  // A failure shows up as the error of the deletion that follows.
  (void)files.SetAttributes(path, attributes);
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

bool CDeviceService::RemoveLink(const std::string& path, FileList* deletedList,
                                FileList* notDeletedList) {
  const Outcome removed = platform_.files.RemoveDir(path);
  if (removed) return true;
  RecordDeletion(path, false, removed.error, deletedList, notDeletedList);
  return false;
}

bool CDeviceService::DeleteDirectory(const std::string& path,
                                     FileList* deletedList,
                                     FileList* notDeletedList) {
  if (path.empty()) {
    Log("File name or path not valid. Impossible to delete file");
    return false;
  }
  uint32_t attributes = 0;
  if (platform_.files.GetAttributes(path, attributes) &&
      IsDirectoryLink(attributes)) {
    return RemoveLink(path, deletedList, notDeletedList);
  }

  const std::string prefix = path + "\\";
  FindData entry;
  FindHandle search;
  if (!platform_.files.FindFirst(prefix + kAllEntriesPattern, entry, search)) {
    Log(text::Format("Impossible to get Path [%s]. Probably it doesn't exist.",
                     prefix));
    return false;
  }

  // The first entry is examined like every other one: a drive root or a
  // file system without dot entries returns a real entry first. It has no
  // FindNextFile line of its own, so a directory's log is the same whether
  // or not its first entry is ".".
  for (bool firstEntry = true;; firstEntry = false) {
    if (!firstEntry) {
      const Outcome next = search->Next(entry);
      if (!next) {
        search.reset();
        if (next.error == win::kErrorNoMoreFiles) {
          return platform_.files.RemoveDir(path).ok;
        }
        Log(text::Format("Impossible to delete file or directory: error %d",
                         static_cast<int>(next.error)));
        return false;
      }
      Log("** CDeviceService::DeleteDirectory(..): dopo FindNextFile si.");
    }
    if (IsDotOrDotDot(entry.name)) continue;
    Log("** CDeviceService::DeleteDirectory(..): dopo IsDot si.");
    const std::string fullPath = prefix + entry.name;
    Log("** CDeviceService::DeleteDirectory(..): dopo costruz stringa si.");

    if (IsDirectoryLink(entry.attributes)) {
      if (!RemoveLink(fullPath, deletedList, notDeletedList)) return false;
      continue;
    }
    if ((entry.attributes & win::kFileAttributeDirectory) != 0) {
      if (!DeleteDirectory(fullPath, deletedList, notDeletedList)) return false;
      continue;
    }
    if ((entry.attributes & win::kFileAttributeReadOnly) != 0) {
      MakeWritable(platform_.files, fullPath);
    }
    const Outcome removed = platform_.files.RemoveFile(fullPath);
    if (!removed) {
      search.reset();
      RecordDeletion(fullPath, false, removed.error, deletedList,
                     notDeletedList);
      return false;
    }
    RecordDeletion(fullPath, true, win::kErrorSuccess, deletedList,
                   notDeletedList);
  }
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
