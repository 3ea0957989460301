#pragma once
#include "platform/system.h"

namespace win32 {

class Win32System : public ISystem {
 public:
  uint16_t ProcessorArchitecture() override;
  std::string ModuleFileName() override;
  std::string CurrentDirectory(uint32_t capacity) override;
  std::string WindowsDirectory(uint32_t capacity) override;
  std::string SystemDirectory() override;
  Outcome FolderPath(SystemFolder folder, std::string& out) override;
  Outcome Version(bool extended, OsVersion& out) override;
  Outcome UserName(std::string& out) override;
  uint16_t UserDefaultLangId() override;
  uint32_t FileVersionInfoSize(const std::string& path) override;
  Outcome FileVersionInfo(const std::string& path, uint32_t size,
                          std::vector<uint8_t>& block) override;
  bool QueryVersionValue(const std::vector<uint8_t>& block,
                         const std::string& subBlock,
                         std::vector<uint8_t>& value) override;
  uint32_t LastError() override;
  void SetLastErrorCode(uint32_t code) override;
  bool FormatSystemMessage(uint32_t code, std::string& text) override;
  Outcome IsProcessElevated(bool& elevated) override;
};

class Win32Clock : public IClock {
 public:
  void Sleep(uint32_t ms) override;
  void SleepUnlessStopped(uint32_t ms, const StopSignal& stop) override;
  bool LocalTime(int& hour, int& minute, int& second) override;
};

}  // namespace win32
