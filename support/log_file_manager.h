#pragma once
#include <string>

#include "platform/files.h"
#include "platform/system.h"
#include "platform/text.h"

// The program's single log file: "<current dir>\log\<app>.log", one
// open-append-close per line, without sharing. The current directory may
// belong to somebody else (a drive root, a shared folder), so every open
// checks that the file is a plain file of the log directory: never a link, a
// reparse point or a second name of another file. Otherwise the line is
// dropped, as when the file cannot be opened.
class CLogFileManager {
 public:
  static constexpr uint64_t kMaxKeptSize = 50000;
  static constexpr size_t kFormatBufferSize = 272;

  CLogFileManager(IFileSystem& files, ISystem& system, IClock& clock);
  virtual ~CLogFileManager();

  bool OpenLog(const std::string& fileName);
  // The log in a folder the caller named (full path): the folder is the
  // caller's choice wherever it leads, as the current directory is; the file
  // in it is opened under the same rules as above.
  bool OpenLogIn(const std::string& directory, const std::string& fileName);
  bool WriteRaw(const std::string& text, bool timeStamp);
  bool WriteLine(const std::string& text);
  // wvsprintfA-style; the text is cut to the 271 characters the buffer holds.
  template <typename... Args>
  bool WriteLineFormat(const std::string& format, const Args&... args) {
    return WriteLine(CutToFormatBuffer(text::Format(format, args...)));
  }
  std::string GetCurrentDir();
  // Where OpenLog puts the log for a current directory.
  static std::string DefaultLogDirectory(std::string currentDirectory);
  const std::string& LogFilePath() const { return logFilePath_; }

  static std::string CutToFormatBuffer(std::string text);

 private:
  // The log file, opened for reading and writing only where it is safe to
  // write; null otherwise. A missing file is created only when asked, and
  // never through an existing name.
  File OpenChecked(bool mayCreate);
  bool OpenNamedFile(const std::string& fileName);

  IFileSystem& files_;
  ISystem& system_;
  IClock& clock_;
  std::string currentDirectory_;
  std::string logDirectory_;
  bool namedDirectory_ = false;  // OpenLogIn: no "log" below the current one
  std::string logFileName_;
  std::string logFilePath_;
};
