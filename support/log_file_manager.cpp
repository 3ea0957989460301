#include "support/log_file_manager.h"

namespace {

// MAX_PATH: the current directory is read into this many characters.
constexpr uint32_t kCurrentDirCapacity = 260;
constexpr const char* kLogDirName = "log";
constexpr const char* kLineEnd = "\r\n";
constexpr uint32_t kLineEndSize = 2;
// The value printed for a time field whose local-time conversion failed.
constexpr int kUnknownTimeField = -1;

void TrimTrailingBackslashes(std::string& path) {
  while (!path.empty() && path.back() == '\\') path.pop_back();
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
  return system_.CurrentDirectory(kCurrentDirCapacity);
}

bool CLogFileManager::OpenLog(const std::string& fileName) {
  std::string directory = GetCurrentDir();
  // A drive root ("C:\\") already ends in its separator.
  TrimTrailingBackslashes(directory);
  directory += "\\";
  directory += kLogDirName;
  // An existing directory is what every run after the first finds.
  (void)files_.MakeDir(directory);
  logFilePath_ = directory + "\\" + fileName;

  File file;
  Outcome opened = files_.Open(logFilePath_, FileAccess::Read,
                               FileCreation::OpenAlways, false, file);
  if (opened) {
    uint64_t size = 0;
    if (file->GetSize(size) && size > kMaxKeptSize) {
      file.reset();
      opened = files_.Open(logFilePath_, FileAccess::Read,
                           FileCreation::CreateAlways, false, file);
    }
  }
  return opened.ok;
}

bool CLogFileManager::WriteRaw(const std::string& textValue, bool timeStamp) {
  if (logFilePath_.empty()) return false;
  File file;
  if (!files_.Open(logFilePath_, FileAccess::ReadWrite,
                   FileCreation::OpenExisting, false, file)) {
    return false;
  }
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
