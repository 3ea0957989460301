#include "support/log_file_manager.h"

#include "platform/win_constants.h"

namespace {

constexpr const char* kLogDirName = "log";
constexpr const char* kLineEnd = "\r\n";
constexpr uint32_t kLineEndSize = 2;
// The value printed for a time field whose local-time conversion failed.
constexpr int kUnknownTimeField = -1;

bool IsPlainDirectory(const FileInformation& info) {
  return (info.attributes & win::kFileAttributeDirectory) != 0 &&
         (info.attributes & win::kFileAttributeReparsePoint) == 0;
}

std::string TimeStampPrefix(IClock& clock) {
  int hour = kUnknownTimeField;
  int minute = kUnknownTimeField;
  int second = kUnknownTimeField;
  if (!clock.LocalTime(hour, minute, second)) {
    hour = minute = second = kUnknownTimeField;
  }
  return text::Format("--> %d.%d.%d <--  ", hour, minute, second);
}

}  // namespace

CLogFileManager::CLogFileManager(IFileSystem& files, ISystem& system,
                                 IClock& clock)
    : files_(files), system_(system), clock_(clock) {}

CLogFileManager::~CLogFileManager() = default;

std::string CLogFileManager::GetCurrentDir() {
  return system_.CurrentDirectory(win::kMaxPath);
}

std::string CLogFileManager::DefaultLogDirectory(std::string currentDirectory) {
  // A drive root ("C:\\") already ends in its separator.
  text::TrimTrailingBackslashes(currentDirectory);
  return currentDirectory + "\\" + kLogDirName;
}

bool CLogFileManager::OpenLog(const std::string& fileName) {
  currentDirectory_ = GetCurrentDir();
  const std::string directory = DefaultLogDirectory(currentDirectory_);
  // An existing directory is what every run after the first finds.
  (void)files_.MakeDir(directory);
  logDirectory_ = directory;
  namedDirectory_ = false;
  return OpenNamedFile(fileName);
}

bool CLogFileManager::OpenLogIn(const std::string& directory, const std::string& fileName) {
  std::string folder = directory;
  text::TrimTrailingBackslashes(folder);
  if (folder.empty()) return false;
  (void)files_.MakeDir(folder);
  // "C:" alone would name the drive's current directory, not its root.
  currentDirectory_ = folder.back() == ':' ? folder + "\\" : folder;
  logDirectory_ = folder;
  namedDirectory_ = true;
  return OpenNamedFile(fileName);
}

bool CLogFileManager::OpenNamedFile(const std::string& fileName) {
  logFileName_ = fileName;
  logFilePath_ = logDirectory_ + "\\" + fileName;

  File file = OpenChecked(true);
  if (!file) return false;
  uint64_t size = 0;
  if (file->GetSize(size) && size > kMaxKeptSize) {
    // Through the handle just checked, not through the name again.
    return file->Truncate().ok;
  }
  return true;
}

File CLogFileManager::OpenChecked(bool mayCreate) {
  // "log" must be the directory of that name in the current directory, not
  // a link elsewhere: a link is not always reported as one (Wine shows a
  // link to a directory as the directory once it is open), but its final
  // path always names its target.
  File current;
  std::string currentPath;
  DirectoryIdentity identity;
  // The current directory is the user's choice, wherever it leads.
  if (!files_.OpenDirectory(currentDirectory_, true, identity, &current) ||
      !current->GetFinalPath(currentPath)) {
    return nullptr;
  }
  text::TrimTrailingBackslashes(currentPath);
  File directory;
  std::string directoryPath;
  if (namedDirectory_) {
    // The named folder is the one just opened, wherever its name led.
    directory = std::move(current);
    directoryPath = currentPath;
  } else {
    if (!files_.OpenDirectory(logDirectory_, false, identity, &directory)) return nullptr;
    FileInformation directoryInfo;
    if (!directory->GetInformation(directoryInfo) || !IsPlainDirectory(directoryInfo) ||
        !directory->GetFinalPath(directoryPath) ||
        text::CompareNoCase(directoryPath, currentPath + "\\" + kLogDirName) != 0) {
      return nullptr;
    }
  }

  File file;
  Outcome opened = files_.OpenNoFollow(logFilePath_, FileAccess::ReadWrite,
                                       FileCreation::OpenExisting, file);
  if (!opened && mayCreate && opened.error == win::kErrorFileNotFound) {
    // Fails on any name that has come to exist meanwhile, a dangling link
    // included, whose target would be created otherwise.
    opened = files_.OpenNoFollow(logFilePath_, FileAccess::ReadWrite,
                                 FileCreation::CreateNew, file);
  }
  if (!opened) return nullptr;

  // The directory is held, so it cannot be swapped meanwhile; the file must
  // be the one that name gives in it.
  FileInformation fileInfo;
  std::string filePath;
  if (!file->GetInformation(fileInfo) || !IsPlainSingleFile(fileInfo) ||
      !file->GetFinalPath(filePath) ||
      text::CompareNoCase(filePath, directoryPath + "\\" + logFileName_) != 0) {
    return nullptr;
  }
  return file;
}

bool CLogFileManager::WriteRaw(const std::string& textValue, bool timeStamp) {
  if (logFilePath_.empty()) return false;
  File file = OpenChecked(false);
  if (!file) return false;
  const std::string line =
      timeStamp ? TimeStampPrefix(clock_) + textValue : textValue;
  if (!file->SeekToEnd()) return false;
  if (!line.empty() &&
      !file->Write(line.data(), static_cast<uint32_t>(line.size()))) {
    return false;
  }
  return file->Write(kLineEnd, kLineEndSize).ok;
}

bool CLogFileManager::WriteLine(const std::string& textValue) {
  return WriteRaw(textValue, true);
}

std::string CLogFileManager::CutToFormatBuffer(std::string textValue) {
  // One byte of the buffer holds the terminator.
  constexpr size_t kMaxFormattedChars = kFormatBufferSize - 1;
  if (textValue.size() > kMaxFormattedChars) textValue.resize(kMaxFormattedChars);
  return textValue;
}
