#include <algorithm>
#include <string>
#include <vector>

#include "engine/device_service.h"
#include "engine/tree_deletion.h"
#include "platform/text.h"
#include "platform/win_constants.h"

namespace {

constexpr char kBackslash = '\\';
constexpr const char* kRepositoryName = "FileRepository";
constexpr const char* kTempName = "Temp";
constexpr const char* kDriverStoreName = "DriverStore";
// Depths that hold when Windows lies one level below a drive root
// (C:\Windows): DriverStore\Temp\<package> and <spool PCC dir>\<package>.cab.
constexpr int kTempDirectoryDepth = 5;
constexpr int kCabinetPathDepth = 7;

std::string UpToLastBackslash(const std::string& path) {
  const size_t last = path.rfind(kBackslash);
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

// Name of the directory that holds the store INF.
std::string PackageName(const std::string& storePath) {
  const std::string directory = UpToLastBackslash(storePath);
  const size_t last = directory.rfind(kBackslash);
  return last == std::string::npos ? directory : directory.substr(last + 1);
}

// Any letter case: the file system ignores it, and a path whose repository
// name stayed unreplaced would name the package itself. `replaced` tells
// whether there was anything to replace.
std::string ReplaceRepositoryWithTemp(std::string path, bool& replaced) {
  const std::string from = text::Upper(kRepositoryName);
  const std::string to = kTempName;
  replaced = false;
  for (size_t at = text::Upper(path).find(from); at != std::string::npos;
       at = text::Upper(path).find(from, at + to.size())) {
    path.replace(at, from.size(), to);
    replaced = true;
  }
  return path;
}

// Characters that make a file-system call act on something else than the
// one folder named: wildcards (also the DOS ones) and a stream separator.
bool HasUnsafeNameChar(const std::string& name) {
  constexpr char kFirstPrintable = 0x20;
  for (char c : name) {
    if (c >= 0 && c < kFirstPrintable) return true;
  }
  return name.find_first_of("*?<>\"|:") != std::string::npos;
}

// The path up to its second backslash, the first character not searched:
// the Windows directory of a path like C:\Windows\System32\....
std::string WindowsPart(const std::string& path) {
  constexpr size_t kSearchStart = 1;
  const size_t first = path.find(kBackslash, kSearchStart);
  if (first == std::string::npos) return {};
  const size_t second = path.find(kBackslash, first + 1);
  if (second == std::string::npos) return {};
  return path.substr(0, second);
}

// The store keeps each package in a folder of its own directly below
// "DriverStore\FileRepository": X:\...\DriverStore\FileRepository\<package>\<file>.
// A path of any other shape would point the Temp and cabinet deletions, and
// the ownership taken before them, at folders that are not the package's:
// only the depth of the path would be checked.
bool IsStorePackagePath(const std::string& path) {
  constexpr size_t kDrivePrefixLength = 3;  // "C:\"
  if (path.size() <= kDrivePrefixLength || path[1] != ':' || path[2] != kBackslash ||
      path.find('/') != std::string::npos ||
      path.find(':', kDrivePrefixLength) != std::string::npos) {
    return false;
  }
  std::vector<std::string> parts;
  for (size_t begin = kDrivePrefixLength;;) {
    const size_t end = path.find(kBackslash, begin);
    parts.push_back(path.substr(begin, end == std::string::npos ? end : end - begin));
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  for (const std::string& part : parts) {
    // Win32 drops trailing dots and spaces, so "..." or "x." name other folders.
    if (part.empty() || part.back() == '.' || part.back() == ' ' ||
        HasUnsafeNameChar(part)) {
      return false;
    }
  }
  constexpr size_t kPackageAndFile = 2;
  constexpr size_t kShortest = 4;  // DriverStore, FileRepository, package, file
  if (parts.size() < kShortest) return false;
  const size_t repository = parts.size() - kPackageAndFile - 1;
  if (text::CompareNoCase(parts[repository], kRepositoryName) != 0 ||
      text::CompareNoCase(parts[repository - 1], kDriverStoreName) != 0) {
    return false;
  }
  // Every "FileRepository" becomes "Temp": one anywhere else than in the
  // repository's own place would move the Temp directory somewhere else.
  const std::string upper = text::Upper(path);
  const std::string name = text::Upper(kRepositoryName);
  const size_t named = upper.find(name);
  return named != std::string::npos &&
         upper.find(name, named + 1) == std::string::npos;
}

// The Temp copies and cabinets go into no report list: their outcome is
// only logged (and shown as status text for what was deleted).
class EngineStoreSink final : public IStoreCopySink {
 public:
  EngineStoreSink(CDeviceService& engine, ILogSink* log) : engine_(engine), log_(log) {}

  void Log(const std::string& line) override {
    if (log_ != nullptr) log_->WriteLine(line);
  }
  bool DeleteTempTree(const std::string& directory) override {
    return engine_.DeleteDirectory(directory, nullptr, nullptr);
  }
  void Record(const std::string& path, bool deleted) override {
    engine_.RecordDeletion(path, deleted, win::kErrorSuccess, nullptr, nullptr);
  }

 private:
  CDeviceService& engine_;
  ILogSink* log_;
};

}  // namespace

int CDeviceService::CountBackslashes(const std::string& path) {
  if (path.empty()) return 0;
  return static_cast<int>(
      std::count(path.begin(), path.end() - 1, kBackslash));
}

std::string CDeviceService::TrimTrailingChar(const std::string& s, char c) {
  if (!s.empty() && s.back() == c) return s.substr(0, s.size() - 1);
  return s;
}

bool CDeviceService::CleanDriverStore(FileList& infList) {
  if (packages_ == nullptr) return false;
  FileList storeList;
  const bool result = packages_->RemoveDriverPackage(&infList, &storeList);

  for (const std::string& entry : storeList) {
    const std::string storePath = TrimTrailingChar(entry, kBackslash);
    const std::string packageName = PackageName(storePath);
    if (storePath.empty()) continue;
    if (!IsStorePackagePath(storePath)) {
      Log(text::Format(
          "Driver store path [%s] is not a package folder of the driver store: its "
          "Temp directory and .cab file are not deleted.",
          storePath));
      continue;
    }

    bool replaced = false;
    const std::string tempPath = ReplaceRepositoryWithTemp(storePath, replaced);
    const std::string tempDirectory = UpToLastBackslash(tempPath);
    // Without a repository name to replace, the "Temp directory" would be
    // the package folder in the store itself.
    if (!replaced || text::CompareNoCase(tempDirectory, UpToLastBackslash(storePath)) == 0) {
      Log(text::Format(
          "Driver store path [%s] has no FileRepository folder to derive a Temp "
          "directory from: it names the package itself. No ownership taken, "
          "nothing deleted.",
          storePath));
      continue;
    }
    EngineStoreSink sink(*this, log_);
    if (CountBackslashes(tempDirectory) == kTempDirectoryDepth) {
      RemoveTempCopy(*this, tempDirectory, sink);
    } else {
      Log(text::Format(
          "Cannot proceed to delete DriverStore\\TEMP\\packName directory: "
          "dir name %s is supposed to be incorrect.",
          tempDirectory));
    }

    const std::string cabinetPath =
        text::Format("%s\\%s\\%s.cab", WindowsPart(tempPath),
                     spoolPccDir_, packageName);
    if (CountBackslashes(cabinetPath) == kCabinetPathDepth) {
      RemoveCabinet(*this, platform_.files, cabinetPath, false, sink);
    } else {
      Log(text::Format(
          "Cannot proceed to delete .cab file: file name %s is supposed to be "
          "incorrect.",
          cabinetPath));
    }
  }
  return result;
}
