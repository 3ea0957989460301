#include <algorithm>

#include "app/purvex_dlg.h"
#include "engine/device_service.h"
#include "platform/text.h"
#include "platform/win_constants.h"

namespace {

constexpr char kBackslash = '\\';
constexpr const char* kRepositoryName = "FileRepository";
constexpr const char* kTempName = "Temp";
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

// Case-sensitive on purpose: the store spells the name this way, and a path
// spelled otherwise is left as it is.
std::string ReplaceRepositoryWithTemp(std::string path) {
  const std::string from = kRepositoryName;
  const std::string to = kTempName;
  for (size_t at = path.find(from); at != std::string::npos;
       at = path.find(from, at + to.size())) {
    path.replace(at, from.size(), to);
  }
  return path;
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
  if (mainDialog_ == nullptr) return false;
  FileList storeList;
  const bool result = mainDialog_->RemoveDriverPackage(&infList, &storeList);

  for (const std::string& entry : storeList) {
    const std::string storePath = TrimTrailingChar(entry, kBackslash);
    const std::string packageName = PackageName(storePath);
    if (storePath.empty()) continue;

    const std::string tempPath = ReplaceRepositoryWithTemp(storePath);
    const std::string tempDirectory = UpToLastBackslash(tempPath);
    if (CountBackslashes(tempDirectory) == kTempDirectoryDepth) {
      // Its result does not matter: the deletion below reports what is left.
      (void)SetRightToDelDir(tempDirectory);
      if (FileExists(tempDirectory)) {
        Log(text::Format("[%s] file exists!", tempDirectory));
        if (DeleteDirectory(tempDirectory, nullptr, nullptr)) {
          Log(text::Format("[%s] directory and all sub-directory deleted!",
                           tempDirectory));
        } else {
          Log(text::Format(
              "Impossible to delete [%s] directory or sub-directory.",
              tempDirectory));
          RecordDeletion(tempDirectory, false, win::kErrorSuccess, nullptr,
                         nullptr);
        }
      }
    } else {
      Log(text::Format(
          "Cannot proceed to delete DriverStore\\TEMP\\packName directory: "
          "dir name %s is supposed to be incorrect.",
          tempDirectory));
    }

    const std::string cabinetPath =
        text::Format("%s\\%s\\%s.cab", WindowsPart(tempPath),
                     mainDialog_->SpoolPccDir, packageName);
    if (CountBackslashes(cabinetPath) == kCabinetPathDepth) {
      if (FileExists(cabinetPath)) {
        Log(text::Format("[%s] file exists!", cabinetPath));
        if (platform_.files.RemoveFile(cabinetPath)) {
          Log(text::Format("[%s] file deleted!", cabinetPath));
          RecordDeletion(cabinetPath, true, win::kErrorSuccess, nullptr,
                         nullptr);
        } else {
          Log(text::Format("Impossible to delete [%s] file.", cabinetPath));
          RecordDeletion(cabinetPath, false, win::kErrorSuccess, nullptr,
                         nullptr);
        }
      }
    } else {
      Log(text::Format(
          "Cannot proceed to delete .cab file: file name %s is supposed to be "
          "incorrect.",
          cabinetPath));
    }
  }
  return result;
}
