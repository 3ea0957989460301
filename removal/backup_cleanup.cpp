#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "engine/tree_deletion.h"
#include "removal/removal_steps.h"
#include "support/dir_read.h"

namespace {

constexpr char kBackslash = '\\';
constexpr char kSlash = '/';
constexpr char kDriveSeparator = ':';
constexpr char kReplacement = '_';
constexpr size_t kDriveLength = 2;      // "C:"
constexpr size_t kDriveRootLength = 3;  // "C:\"
constexpr const char* kDrvStoreSubdir = "system32\\DRVSTORE";
constexpr const char* kStoreTempSubdir = "System32\\DriverStore\\Temp";
constexpr const char* kCabinetExtension = ".cab";
constexpr const char* kConsoleKey = "Software\\Korvex\\QdConsole";
constexpr const char* kConsoleSettingsKey = "Software\\Korvex\\QdConsole\\App. settings";
constexpr const char* kConsolePathValue = "Path";
constexpr const char* kCurrentUserName = "HKEY_CURRENT_USER";
// Every key from the maker's own on, down to the one holding "Path".
constexpr const char* kConsoleKeysOnThePath[] = {"Software\\Korvex", kConsoleKey,
                                                 kConsoleSettingsKey};
constexpr SystemFolder kShellFolders[] = {
    SystemFolder::Windows,         SystemFolder::System,        SystemFolder::ProgramFiles,
    SystemFolder::ProgramFilesX86, SystemFolder::ProgramFilesX64,
    SystemFolder::ProgramFilesCommon, SystemFolder::RoamingAppData,
    SystemFolder::LocalAppData,    SystemFolder::CommonAppData, SystemFolder::Profile,
    SystemFolder::UserProfiles,    SystemFolder::Desktop,       SystemFolder::Documents,
    SystemFolder::StartMenu,       SystemFolder::CommonStartMenu, SystemFolder::Fonts,
    SystemFolder::CommonDesktop,   SystemFolder::CommonDocuments};

// Directories of the spooler's driver directory that belong to the spooler
// itself; a hardware id such as USBPRINT\3 would otherwise name one.
constexpr const char* kSpoolerOwnDirectories[] = {"pcc", "color", "w32x86", "x64",
                                                  "ia64"};

// Where the directory's path is read from: what a kept directory is named by
// when its path was not read.
std::string ConsolePathValueName() {
  return std::string("HKEY_CURRENT_USER\\") + kConsoleSettingsKey + "\\" + kConsolePathValue;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBackupNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsDriveLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}


// A local absolute path taken apart the way Win32 resolves it: separators
// either way, empty and "." components dropped, trailing dots and spaces of
// a component ignored, letters upper-cased.
struct LocalPath {
  std::string drive;                 // "C:"
  std::vector<std::string> parts;    // upper-cased components
  bool hasParentReference = false;   // a ".." component

  std::string Text(size_t count) const {
    std::string out = drive;
    for (size_t i = 0; i < count && i < parts.size(); ++i) {
      out += kBackslash;
      out += parts[i];
    }
    return out;
  }
  std::string Text() const { return Text(parts.size()); }
};

bool ParseLocalPath(const std::string& path, LocalPath& out) {
  std::string s = path;
  for (char& c : s) {
    if (c == kSlash) c = kBackslash;
  }
  // "C:\..." only: relative, drive-relative ("C:x"), UNC and "\\?\" paths
  // cannot be compared reliably with the system folders.
  if (s.size() < kDriveRootLength || !IsDriveLetter(s[0]) ||
      s[1] != kDriveSeparator || s[kDriveLength] != kBackslash) {
    return false;
  }
  out = LocalPath{};
  out.drive = text::Upper(s.substr(0, kDriveLength));
  std::string component;
  auto flush = [&out, &component]() {
    if (component == "..") out.hasParentReference = true;
    while (!component.empty() &&
           (component.back() == '.' || component.back() == ' ')) {
      component.pop_back();
    }
    if (!component.empty()) out.parts.push_back(text::Upper(component));
    component.clear();
  };
  for (size_t i = kDriveRootLength; i < s.size(); ++i) {
    if (s[i] == kBackslash) {
      flush();
    } else {
      component += s[i];
    }
  }
  flush();
  return true;
}

bool IsUnsafeFolderName(const std::string& name) {
  constexpr char kFirstPrintable = 0x20;
  for (char c : name) {
    if (c >= 0 && c < kFirstPrintable) return true;
  }
  return name.find_first_of("*?<>\"|:") != std::string::npos ||
         name.back() == '.' || name.back() == ' ';
}

// The folders the control-panel application may have its directory below.
bool IsBaseFolder(SystemFolder folder) {
  return folder == SystemFolder::ProgramFiles || folder == SystemFolder::ProgramFilesX86 ||
         folder == SystemFolder::ProgramFilesX64 || folder == SystemFolder::RoamingAppData ||
         folder == SystemFolder::LocalAppData;
}

}  // namespace

namespace {

// The steps' tree deletion: every file and link inside goes to the deletion
// record, and a link in place of the directory is logged as one.
class StepsTreeSink final : public ITreeDeletionSink {
 public:
  explicit StepsTreeSink(CRemovalSteps& steps) : steps_(steps) {}

  void Log(const std::string& line) override { steps_.Log(line); }
  void Removed(TreeEntryKind kind, const std::string& path, bool removed,
               uint32_t error) override {
    (void)error;
    if (kind != TreeEntryKind::LinkInPlace) steps_.ReportDeleteResult(path, removed);
  }

 private:
  CRemovalSteps& steps_;
};

const TreeDeletionStyle kStepsTreeStyle{
    {"Impossible to get Path [%s].", "[%s] is a link: only the link is removed.", nullptr,
     nullptr, nullptr, nullptr},
    true};

// The driver-store leftovers of the steps: what stays or goes is reported
// to the deletion record and as run items.
class StepsStoreSink final : public IStoreCopySink {
 public:
  explicit StepsStoreSink(CRemovalSteps& steps) : steps_(steps) {}

  void Log(const std::string& line) override { steps_.Log(line); }
  bool DeleteTempTree(const std::string& directory) override {
    return steps_.DeleteDirectoryTree(directory);
  }
  void TempTreeDone(const std::string& directory, bool deleted) override {
    steps_.ReportRemoval(RunItemKind::Directory, directory, deleted);
  }
  void Record(const std::string& path, bool deleted) override {
    steps_.ReportDeleteResult(path, deleted);
  }

 private:
  CRemovalSteps& steps_;
};

}  // namespace

bool CRemovalSteps::DeleteDirectoryTree(const std::string& path,
                                        const DirectoryIdentity* expected) {
  StepsTreeSink sink(*this);
  return DeleteTree(platform.files, path, kStepsTreeStyle, sink, expected);
}

bool CRemovalSteps::DeleteDirectoryTreeLogged(const std::string& path,
                                              const DirectoryIdentity* expected) {
  const bool removed = DeleteDirectoryTree(path, expected);
  ReportRemoval(RunItemKind::Directory, path, removed);
  Log(TreeOutcomeLine(path, removed));
  return removed;
}

std::string CRemovalSteps::BackupDirectoryName(const std::string& hardwareId) {
  // The first character is never taken as the separator.
  const size_t separator =
      hardwareId.empty() ? std::string::npos : hardwareId.find(kBackslash, 1);
  std::string name = separator == std::string::npos
                         ? hardwareId
                         : hardwareId.substr(separator + 1);
  name = text::Lower(name);
  // The name becomes one component of a path below the spooler directory:
  // nothing but [a-z0-9_] may come out of a value read from the device.
  for (char& c : name) {
    if (!IsBackupNameChar(c)) c = kReplacement;
  }
  return name;
}

const char* CRemovalSteps::SpoolerDirectoryReason(const std::string& backupName) {
  if (std::all_of(backupName.begin(), backupName.end(),
                  [](char c) { return IsDigit(c) || c == kReplacement; })) {
    return "it is made only of digits or underscores, as the spooler's version "
           "directories are";
  }
  for (const char* own : kSpoolerOwnDirectories) {
    if (backupName == own) return "it is one of the spooler's own directories";
  }
  return nullptr;
}

bool CRemovalSteps::DeleteDrvBckupDir() {
  const std::string backupName = BackupDirectoryName(CurrentPrinter.HardwareId);
  if (backupName.empty()) {
    Log("DeleteDrvBckupDir: impossible to get HARDWARE ID for current printer. "
        "Backup directory name cannot be built.");
    return false;
  }
  const std::string windowsDir = WindowsDirectory(kWindowsDirCapacity);
  if (windowsDir.empty()) {
    Log("DeleteDrvBckupDir: GetWindowsDirectory(..) failed! Impossible to get "
        "Windows directory! IMPOSSIBLE TO BUILD PATHS!!!!");
    return false;
  }

  int errors = 0;
  const std::string backupDir =
      windowsDir + kBackslash + SpoolDriversDir + kBackslash + backupName;
  if (const char* reason = SpoolerDirectoryReason(backupName)) {
    Log(text::Format("Backup directory [%s] not deleted: %s.", backupDir, reason));
    ReportItem(RunItemKind::Directory, backupDir, RunItemResult::Kept, reason);
  } else {
    Log(text::Format("Try to delete [%s] dir and all sub-dir", backupDir));
    if (!DeleteDirectoryTreeLogged(backupDir)) {
      ++errors;
    }
  }

  const std::string drvStore = windowsDir + kBackslash + kDrvStoreSubdir;
  if (const char* reason = UnsearchableHardwareIdReason(CurrentPrinter.HardwareId)) {
    // Such an id would take other products' backups for this printer's.
    Log(text::Format("Backup directories of [%s] not searched for hardware id "
                     "[%s]: %s.",
                     drvStore, CurrentPrinter.HardwareId, reason));
    return errors == 0;
  }
  Log(text::Format("Try to find if a backup directory is present into [%s].",
                   drvStore));
  CSADirRead scanner(platform.files);
  std::vector<const DirEntry*> directories;
  (void)scanner.ScanDirs(drvStore, directories, CSADirRead::kSortByPath, false);
  // Copied first: the tree deletions below must not depend on the scanner.
  std::vector<std::string> candidates;
  for (const DirEntry* directory : directories) {
    if (directory != nullptr) candidates.push_back(directory->path);
  }
  int found = 0;
  for (const std::string& candidate : candidates) {
    FileList infs;
    std::string hardwareId = CurrentPrinter.HardwareId;
    std::string noSecondText;
    (void)Engine.FindInfFiles(candidate, &infs, hardwareId, noSecondText, false,
                              InfTextKind::WholeId);
    if (infs.empty()) continue;
    ++found;
    if (!DeleteDirectoryTreeLogged(candidate)) {
      ++errors;
    }
  }
  if (found == 0) {
    Log(text::Format("No backup directory found in [%s].", drvStore));
  }
  return errors == 0;
}

bool CRemovalSteps::DeleteDriverStoreCopies() {
  const std::string windowsDir = WindowsDirectory(kWindowsDirCapacity);
  if (windowsDir.empty()) return false;

  bool allRemoved = true;
  if (Services.packages != nullptr) {
    if (!InfFiles.empty()) RemoveOwnDeviceEntry();
    std::vector<KeptInf> kept;
    const FileList asked = InfFiles;
    (void)Services.packages->RemoveDriverPackage(&InfFiles, nullptr, &kept);
    ReportRemovedPackages(asked, InfFiles);
    // The INF is what lets the store's package be found and removed later:
    // it stays while its package may still be there.
    for (const KeptInf& entry : kept) {
      InfFiles.erase(std::remove(InfFiles.begin(), InfFiles.end(), entry.inf),
                     InfFiles.end());
      Log(text::Format(
          entry.refused
              ? "INF file [%s] NOT deleted: the driver store refused to remove its "
                "package (error %d); devices may still use it."
              : "INF file [%s] NOT deleted: its package in the driver store could "
                "not be looked up (error %d) and may still be there.",
          entry.inf, static_cast<int>(entry.code)));
      RecordDeletion(entry.inf, false);
      ReportItem(RunItemKind::File, entry.inf, RunItemResult::Kept,
                 entry.refused ? "the driver store refused to remove its package; devices "
                                 "may still use it"
                               : "its package in the driver store could not be looked up "
                                 "and may still be there",
                 entry.code);
      allRemoved = false;
    }
  }

  const std::string& folder = CurrentPrinter.DriverStoreFolder;
  // The folder is one path component; anything else would point the
  // deletions below somewhere outside the driver store's Temp directory.
  if (folder.empty() || folder == "." || folder == ".." ||
      folder.find(kBackslash) != std::string::npos ||
      folder.find(kSlash) != std::string::npos) {
    Log(text::Format(
        "Driver store folder [%s] is not a folder name. Temporary copy and "
        "cabinet file not deleted.",
        folder));
    ReportItem(RunItemKind::Directory, folder, RunItemResult::Kept,
               "the driver store folder is not a folder name");
    return allRemoved;
  }
  // Wildcards, a stream separator or trailing dots and spaces (which Win32
  // drops) would let the ownership commands and the deletion reach folders
  // other than this one.
  if (IsUnsafeFolderName(folder)) {
    Log(text::Format(
        "Driver store folder [%s] holds wildcard characters, a colon or "
        "trailing dots or spaces. No ownership taken; temporary copy and "
        "cabinet file not deleted.",
        folder));
    ReportItem(RunItemKind::Directory, folder, RunItemResult::Kept,
               "the driver store folder holds wildcard characters, a colon or trailing "
               "dots or spaces");
    return allRemoved;
  }

  const std::string tempCopy =
      windowsDir + kBackslash + kStoreTempSubdir + kBackslash + folder;
  StepsStoreSink sink(*this);
  RemoveTempCopy(Engine, tempCopy, sink);

  const std::string cabinet = windowsDir + kBackslash + SpoolPccDir +
                              kBackslash + folder + kCabinetExtension;
  // FileExists misses what it cannot name (a path of MAX_PATH or more):
  // the deletion is tried all the same.
  RemoveCabinet(Engine, platform.files, cabinet, true, sink);
  return allRemoved;
}

bool CRemovalSteps::DeleteConsoleAppDir() {
  // A "Path" read through a registry link is another key's value: the link
  // goes, and no directory is deleted on its word.
  constexpr size_t kSystemParts = 1;  // "Software"
  for (const char* key : kConsoleKeysOnThePath) {
    bool isLink = false;
    const Outcome known = Registry.IsLink(RegRoot::CurrentUser, key, isLink);
    if (!known && known.error != win::kErrorFileNotFound) {
      Log(text::Format(
          "Whether [HKEY_CURRENT_USER\\%s] is a registry link cannot be read. Error %d. "
          "The control-panel application's settings and directory are kept.",
          std::string(key), static_cast<int>(known.error)));
      ReportItem(RunItemKind::Directory, ConsolePathValueName(), RunItemResult::Kept,
                 "whether its settings key is a registry link cannot be read", known.error);
      return false;
    }
    if (!isLink) continue;
    const Outcome removed = DeleteKeyTreeReportingLinks(RegRoot::CurrentUser, kCurrentUserName,
                                                        kConsoleKey, kSystemParts);
    ReportItem(RunItemKind::Directory, ConsolePathValueName(), RunItemResult::Kept,
               "the control-panel application's directory would be read through a "
               "registry link");
    Log(text::Format(
        "The control-panel application's directory is not deleted: its path "
        "would be read through the registry link [HKEY_CURRENT_USER\\%s]. "
        "Error %d.",
        std::string(key), static_cast<int>(removed.error)));
    return false;
  }

  std::string directory;
  if (!Registry.ReadStringToBuffer(RegRoot::CurrentUser, kConsoleSettingsKey,
                                   kConsolePathValue, directory)) {
    Log(text::Format(
        "Impossible read from [HKEY_CURRENT_USER\\%s\\%s] key. Probably "
        "software is not installed",
        kConsoleSettingsKey, kConsolePathValue));
    return true;
  }
  if (directory.empty()) return false;

  DirectoryIdentity checked;
  const std::string refusal = RefuseConsoleAppDir(directory, &checked);
  if (!refusal.empty()) {
    Log(text::Format("Directory [%s] NOT deleted: %s.", directory, refusal));
    ReportItem(RunItemKind::Directory, directory, RunItemResult::Kept, refusal);
    return false;
  }

  const Outcome keyRemoved = DeleteKeyTreeReportingLinks(RegRoot::CurrentUser, kCurrentUserName,
                                                         kConsoleKey, kSystemParts);
  const bool keyDeleted = keyRemoved || keyRemoved.error == win::kErrorFileNotFound;
  if (keyRemoved.error != win::kErrorFileNotFound) {
    ReportRemoval(RunItemKind::RegistryKey,
                  std::string("HKEY_CURRENT_USER\\") + kConsoleKey, keyDeleted, keyRemoved.error);
  }
  if (!keyDeleted) {
    Log(text::Format("Key [HKEY_CURRENT_USER\\%s] NOT deleted! Error %d", kConsoleKey,
                     static_cast<int>(keyRemoved.error)));
  }
  Log(text::Format("Try to delete [%s] dir and all sub-dir", directory));
  return DeleteDirectoryTreeLogged(directory, &checked) && keyDeleted;
}

// The value comes from the user's own hive and is deleted with administrator
// rights: only a folder of an application's own, below Program Files or the
// user's application-data folders, may go. Folders are compared by what they
// are (volume and file index), not by how the value spells them.
std::string CRemovalSteps::RefuseConsoleAppDir(const std::string& path,
                                               DirectoryIdentity* checked) {
  if (path.size() >= kDriveRootLength && IsDriveLetter(path[0]) &&
      path[1] == kDriveSeparator &&
      path.find(kDriveSeparator, kDriveLength) != std::string::npos) {
    return "it has a colon after the drive letter (a stream name)";
  }
  if (path.find_first_of("*?<>\"|") != std::string::npos) {
    return "it holds wildcard characters";
  }
  LocalPath target;
  if (!ParseLocalPath(path, target)) return "it is not an absolute path on a drive";
  if (target.hasParentReference) return "it contains \"..\" components";
  if (target.parts.empty()) return "it is a drive root";

  // With no link on the way, the folders the path names on its way are the
  // folders it really lies in.
  for (size_t count = target.parts.size(); count > 0; --count) {
    uint32_t attributes = 0;
    if (platform.files.GetAttributes(target.Text(count), attributes) &&
        (attributes & win::kFileAttributeReparsePoint) != 0) {
      return "it is or lies below a junction or symbolic link";
    }
  }
  DirectoryIdentity own;
  const Outcome opened = platform.files.OpenDirectory(target.Text(), false, own, nullptr);
  if (!opened) {
    return text::Format("it cannot be opened as a directory (error %d)",
                        static_cast<int>(opened.error));
  }
  if ((own.attributes & win::kFileAttributeReparsePoint) != 0) {
    return "it is or lies below a junction or symbolic link";
  }

  std::vector<DirectoryIdentity> bases;
  std::vector<DirectoryIdentity> protectedDirs;  // the folders and all above them
  for (const SystemFolder folder : kShellFolders) {
    std::string folderPath;
    if (!platform.system.FolderPath(folder, folderPath)) continue;
    DirectoryIdentity identity;
    if (!platform.files.OpenDirectory(folderPath, true, identity, nullptr)) continue;
    if (IsBaseFolder(folder)) bases.push_back(identity);
    protectedDirs.push_back(identity);
    LocalPath spelled;
    const std::string real = identity.finalPath.empty() ? folderPath : identity.finalPath;
    if (!ParseLocalPath(real, spelled)) continue;
    for (size_t count = 0; count < spelled.parts.size(); ++count) {
      DirectoryIdentity above;
      if (platform.files.OpenDirectory(spelled.Text(count) + kBackslash, true, above,
                                       nullptr)) {
        protectedDirs.push_back(above);
      }
    }
  }
  for (const DirectoryIdentity& folder : protectedDirs) {
    if (own.SameAs(folder)) return "it is a shell or system folder or lies above one";
  }
  for (size_t count = target.parts.size() - 1; count > 0; --count) {
    DirectoryIdentity parent;
    if (!platform.files.OpenDirectory(target.Text(count), false, parent, nullptr)) continue;
    for (const DirectoryIdentity& base : bases) {
      if (parent.SameAs(base)) {
        if (checked != nullptr) *checked = own;
        return {};
      }
    }
  }
  return "it lies neither below Program Files nor below the user's "
         "application-data folders";
}
