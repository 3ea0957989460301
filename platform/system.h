#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/outcome.h"
#include "platform/stop_signal.h"

struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

// The shell's and the system's own folders, found at run time.
enum class SystemFolder {
  Windows, System, ProgramFiles, ProgramFilesX86, ProgramFilesX64,
  ProgramFilesCommon, RoamingAppData, LocalAppData, CommonAppData, Profile,
  UserProfiles, Desktop, Documents, StartMenu, CommonStartMenu, Fonts,
  CommonDesktop, CommonDocuments
};

class ISystem {
 public:
  virtual ~ISystem() = default;
  virtual uint16_t ProcessorArchitecture() = 0;  // GetSystemInfo
  // GetModuleFileNameA of the program (260-character buffer).
  virtual std::string ModuleFileName() = 0;
  // GetCurrentDirectoryA into `capacity` characters; empty on failure.
  virtual std::string CurrentDirectory(uint32_t capacity) = 0;
  // GetWindowsDirectoryA into `capacity` characters; empty on failure.
  virtual std::string WindowsDirectory(uint32_t capacity) = 0;
  virtual std::string SystemDirectory() = 0;  // GetSystemDirectoryA
  // GetVersionExA with the extended (156-byte) or basic (148-byte) record.
  virtual Outcome Version(bool extended, OsVersion& out) = 0;
  virtual Outcome UserName(std::string& out) = 0;  // 260-char buffer
  virtual uint16_t UserDefaultLangId() = 0;
  // GetFileVersionInfoSizeA / GetFileVersionInfoA / VerQueryValueA. The
  // block format belongs to the implementation that produced it.
  virtual uint32_t FileVersionInfoSize(const std::string& path) = 0;
  virtual Outcome FileVersionInfo(const std::string& path, uint32_t size,
                                  std::vector<uint8_t>& block) = 0;
  virtual bool QueryVersionValue(const std::vector<uint8_t>& block,
                             const std::string& subBlock,
                             std::vector<uint8_t>& value) = 0;
  // Thread last-error value, as GetLastError/SetLastError.
  virtual uint32_t LastError() = 0;
  virtual void SetLastErrorCode(uint32_t code) = 0;
  // SHGetKnownFolderPath where the system has it (NT 6, resolved at run
  // time), otherwise SHGetFolderPathA with the folder's CSIDL. A folder the
  // system does not know fails.
  virtual Outcome FolderPath(SystemFolder folder, std::string& out) = 0;
  // FormatMessageA(FROM_SYSTEM|ALLOCATE_BUFFER, code, language 0x400).
  virtual bool FormatSystemMessage(uint32_t code, std::string& text) = 0;
  // Whether the process runs with administrator rights: the token's
  // elevation where the system knows it (NT 6), membership of the
  // Administrators group otherwise. Fails when the token cannot be read.
  virtual Outcome IsProcessElevated(bool& elevated) = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual void Sleep(uint32_t ms) = 0;
  // As Sleep, but returns as soon as `stop` is raised.
  virtual void SleepUnlessStopped(uint32_t ms, const StopSignal& stop) = 0;
  // Current local time; false when the conversion failed.
  virtual bool LocalTime(int& hour, int& minute, int& second) = 0;
};
