// System facts, version resources, the thread's last error, system message
// texts and the virtual clock.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/win_constants.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

thread_local uint32_t tLastError = 0;

constexpr uint32_t kErrorResourceTypeNotFound = 1813;
constexpr uint32_t kModuleBufferChars = 260;
constexpr uint32_t kUserNameBufferChars = 260;
constexpr const char kVersionMagic[] = "SIMVERSION";
constexpr size_t kVersionHeaderSize = sizeof(kVersionMagic) + 2 * sizeof(uint16_t);
constexpr const char* kTranslationBlock = "\\VarFileInfo\\Translation";
constexpr const char* kStringFileInfoPrefix = "\\StringFileInfo\\";
constexpr const char* kFileVersionName = "\\FileVersion";
constexpr int kBitsPerByte = 8;
constexpr uint16_t kByteMask = 0xFF;

struct SystemMessage {
  uint32_t code;
  const char* text;
};

// The system's own texts (English), as FormatMessageA returns them.
constexpr SystemMessage kSystemMessages[] = {
    {0, "The operation completed successfully.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {5, "Access is denied.\r\n"},
    {13, "The data is invalid.\r\n"},
    {18, "There are no more files.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {145, "The directory is not empty.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {234, "More data is available.\r\n"},
    {259, "No more data is available.\r\n"},
    {1056, "An instance of the service is already running.\r\n"},
    {1060, "The specified service does not exist as an installed service.\r\n"},
    {1062, "The service has not been started.\r\n"},
};

void PutWord(Bytes& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value & kByteMask));
  out.push_back(static_cast<uint8_t>((value >> kBitsPerByte) & kByteMask));
}

uint16_t GetWord(const Bytes& in, size_t at) {
  return static_cast<uint16_t>(in[at] | (in[at + 1] << kBitsPerByte));
}

std::string FitOrEmpty(const std::string& value, uint32_t capacity) {
  return value.size() + 1 > capacity ? std::string() : value;
}

class SimSystem : public ISystem, Facility {
 public:
  using Facility::Facility;

  uint16_t ProcessorArchitecture() override {
    auto lock = impl_.Lock();
    (void)impl_.Enter("ProcessorArchitecture", "");
    return impl_.arch;
  }

  std::string ModuleFileName() override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("ModuleFileName", "")) {
      SetLastError(*code);
      return {};
    }
    return impl_.moduleFileName.substr(0, kModuleBufferChars - 1);
  }

  std::string CurrentDirectory(uint32_t capacity) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("CurrentDirectory", "")) {
      SetLastError(*code);
      return {};
    }
    return FitOrEmpty(impl_.currentDir, capacity);
  }

  std::string WindowsDirectory(uint32_t capacity) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("WindowsDirectory", "")) {
      SetLastError(*code);
      return {};
    }
    if (impl_.windowsDir.empty()) SetLastError(win::kErrorPathNotFound);
    return FitOrEmpty(impl_.windowsDir, capacity);
  }

  std::string SystemDirectory() override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("SystemDirectory", "")) {
      SetLastError(*code);
      return {};
    }
    if (impl_.systemDir) return *impl_.systemDir;
    return impl_.windowsDir.empty() ? std::string() : impl_.windowsDir + "\\system32";
  }

  Outcome FolderPath(SystemFolder folder, std::string& out) override {
    auto lock = impl_.Lock();
    out.clear();
    if (auto code = impl_.Enter("FolderPath", std::to_string(static_cast<int>(folder)))) {
      return Fail(*code);
    }
    auto found = impl_.folders.find(folder);
    if (found == impl_.folders.end() || found->second.empty()) {
      return Fail(win::kErrorFileNotFound);
    }
    out = found->second;
    return Outcome::Success();
  }

  Outcome Version(bool extended, OsVersion& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("Version", extended ? "extended" : "basic")) return Fail(*code);
    if (impl_.versionFails || (extended && impl_.extendedVersionFails)) {
      return Fail(win::kErrorInvalidParameter);
    }
    out = impl_.version;
    return Outcome::Success();
  }

  Outcome UserName(std::string& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("UserName", "")) return Fail(*code);
    if (impl_.userNameFails) return Fail(win::kErrorAccessDenied);
    if (impl_.userName.size() + 1 > kUserNameBufferChars) {
      return Fail(win::kErrorInsufficientBuffer);
    }
    out = impl_.userName;
    return Outcome::Success();
  }

  uint16_t UserDefaultLangId() override {
    auto lock = impl_.Lock();
    (void)impl_.Enter("UserDefaultLangId", "");
    return impl_.langId;
  }

  uint32_t FileVersionInfoSize(const std::string& path) override {
    auto lock = impl_.Lock();
    Bytes block;
    const uint32_t error = Build(path, block);
    if (auto code = impl_.Enter("FileVersionInfoSize", path)) {
      SetLastError(*code);
      return 0;
    }
    if (error != 0) {
      SetLastError(error);
      return 0;
    }
    return static_cast<uint32_t>(block.size());
  }

  Outcome FileVersionInfo(const std::string& path, uint32_t size, Bytes& block) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("FileVersionInfo", path)) return Fail(*code);
    Bytes built;
    const uint32_t error = Build(path, built);
    if (error != 0) return Fail(error);
    if (size < built.size()) return Fail(win::kErrorInsufficientBuffer);
    block = built;
    return Outcome::Success();
  }

  bool QueryVersionValue(const Bytes& block, const std::string& subBlock,
                         Bytes& value) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("QueryVersionValue", subBlock)) {
      SetLastError(*code);
      return false;
    }
    if (block.size() < kVersionHeaderSize ||
        std::memcmp(block.data(), kVersionMagic, sizeof(kVersionMagic)) != 0) {
      return false;
    }
    const uint16_t lang = GetWord(block, sizeof(kVersionMagic));
    const uint16_t codepage = GetWord(block, sizeof(kVersionMagic) + sizeof(uint16_t));
    if (IEquals(subBlock, kTranslationBlock)) {
      value.clear();
      PutWord(value, lang);
      PutWord(value, codepage);
      return true;
    }
    char language[16];
    std::snprintf(language, sizeof language, "%04x%04x", lang, codepage);
    if (IEquals(subBlock, std::string(kStringFileInfoPrefix) + language + kFileVersionName)) {
      value.assign(block.begin() + kVersionHeaderSize, block.end());
      return true;
    }
    return false;
  }

  uint32_t LastError() override { return tLastError; }
  void SetLastErrorCode(uint32_t code) override { tLastError = code; }

  bool FormatSystemMessage(uint32_t code, std::string& text) override {
    auto lock = impl_.Lock();
    (void)impl_.Enter("FormatSystemMessage", std::to_string(code));
    for (const SystemMessage& message : kSystemMessages) {
      if (message.code == code) {
        text = message.text;
        return true;
      }
    }
    tLastError = kErrorResourceTypeNotFound;
    return false;
  }

  Outcome IsProcessElevated(bool& elevated) override {
    auto lock = impl_.Lock();
    elevated = false;
    if (auto code = impl_.Enter("IsProcessElevated", "")) return Fail(*code);
    elevated = impl_.elevated;
    return Outcome::Success();
  }

 private:
  // The version block of path, or the error GetFileVersionInfoSizeA gives.
  uint32_t Build(const std::string& path, Bytes& block) const {
    FileLookup file = impl_.files.Lookup(path, true);
    if (!file.node) return file.error;
    auto it = impl_.versions.find(Upper(impl_.files.Absolute(path)));
    if (it == impl_.versions.end()) return kErrorResourceTypeNotFound;
    block.assign(kVersionMagic, kVersionMagic + sizeof(kVersionMagic));
    PutWord(block, it->second.lang);
    PutWord(block, it->second.codepage);
    block.insert(block.end(), it->second.fileVersion.begin(), it->second.fileVersion.end());
    block.push_back(0);
    return 0;
  }
};

class SimClock : public IClock, Facility {
 public:
  using Facility::Facility;

  void Sleep(uint32_t ms) override { SleepFor(ms, nullptr); }

  void SleepUnlessStopped(uint32_t ms, const StopSignal& stop) override { SleepFor(ms, &stop); }

  bool LocalTime(int& hour, int& minute, int& second) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("LocalTime", "")) {
      SetLastError(*code);
      return false;
    }
    if (impl_.localTimeFails) return false;
    hour = impl_.hour;
    minute = impl_.minute;
    second = impl_.second;
    return true;
  }

 private:
  // Virtual time advances by the whole request; with real sleeps the
  // calling thread also waits that long, or until `stop` is raised.
  void SleepFor(uint32_t ms, const StopSignal* stop) {
    bool real = false;
    {
      auto lock = impl_.Lock();
      (void)impl_.Enter("Sleep", std::to_string(ms));
      impl_.sleeps.push_back(ms);
      real = impl_.realSleeps;
    }
    if (real) {
      if (stop != nullptr) {
        (void)stop->WaitFor(ms);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      }
    }
    auto lock = impl_.Lock();
    impl_.RunDueActions(impl_.nowMs + ms, lock);
  }
};

}  // namespace

void SetLastError(uint32_t code) { tLastError = code; }
uint32_t GetLastError() { return tLastError; }

std::unique_ptr<ISystem> MakeSystem(SimWindows::Impl& impl) {
  return std::make_unique<SimSystem>(impl);
}

std::unique_ptr<IClock> MakeClock(SimWindows::Impl& impl) {
  return std::make_unique<SimClock>(impl);
}

}  // namespace detail

void SimWindows::Impl::RunDueActions(uint64_t until,
                                     std::unique_lock<std::recursive_mutex>& lock) {
  for (;;) {
    auto next = actions.begin();
    if (next == actions.end() || next->first.first > until) break;
    if (next->first.first > nowMs) nowMs = next->first.first;
    std::function<void()> action = std::move(next->second);
    actions.erase(next);
    lock.unlock();
    action();
    lock.lock();
  }
  if (until > nowMs) nowMs = until;
}

void SimWindows::SetProcessElevated(bool elevated) { impl_->Store(&Impl::elevated, elevated); }

void SimWindows::SetProcessorArchitecture(uint16_t arch) { impl_->Store(&Impl::arch, arch); }

void SimWindows::SetOsVersion(uint32_t major, uint32_t minor, uint32_t build) {
  impl_->Store(&Impl::version, OsVersion{major, minor, build});
}

void SimWindows::SetExtendedVersionFails(bool fails) {
  impl_->Store(&Impl::extendedVersionFails, fails);
}

void SimWindows::SetVersionFails(bool fails) { impl_->Store(&Impl::versionFails, fails); }

void SimWindows::SetFolderPath(SystemFolder folder, const std::string& path) {
  auto lock = impl_->Lock();
  impl_->folders[folder] = path;
}

void SimWindows::SetWindowsDir(const std::string& dir) { impl_->Store(&Impl::windowsDir, dir); }

void SimWindows::SetSystemDir(const std::string& dir) { impl_->Store(&Impl::systemDir, dir); }

void SimWindows::SetModuleFileName(const std::string& path) {
  impl_->Store(&Impl::moduleFileName, path);
}

void SimWindows::SetCurrentDir(const std::string& dir) { impl_->Store(&Impl::currentDir, dir); }

void SimWindows::SetUserName(const std::string& name) { impl_->Store(&Impl::userName, name); }

void SimWindows::SetUserNameFails(bool fails) { impl_->Store(&Impl::userNameFails, fails); }

void SimWindows::SetUserDefaultLangId(uint16_t lang) { impl_->Store(&Impl::langId, lang); }

void SimWindows::SetFileVersion(const std::string& path, const std::string& fileVersion,
                                uint16_t lang, uint16_t codepage) {
  auto lock = impl_->Lock();
  if (!impl_->files.Lookup(path, true).node) AddFile(path);
  impl_->versions[detail::Upper(impl_->files.Absolute(path))] = {fileVersion, lang, codepage};
}

void SimWindows::ClearFileVersion(const std::string& path) {
  auto lock = impl_->Lock();
  impl_->versions.erase(detail::Upper(impl_->files.Absolute(path)));
}

uint64_t SimWindows::NowMs() const { return impl_->Load(&Impl::nowMs); }

void SimWindows::SetRealSleeps(bool real) { impl_->Store(&Impl::realSleeps, real); }

std::vector<uint32_t> SimWindows::Sleeps() const { return impl_->Load(&Impl::sleeps); }

uint64_t SimWindows::TotalSleptMs() const {
  auto lock = impl_->Lock();
  uint64_t total = 0;
  for (uint32_t ms : impl_->sleeps) total += ms;
  return total;
}

void SimWindows::At(uint64_t ms, std::function<void()> fn) {
  auto lock = impl_->Lock();
  impl_->actions[{ms, impl_->actionSequence++}] = std::move(fn);
}

void SimWindows::After(uint64_t ms, std::function<void()> fn) {
  auto lock = impl_->Lock();
  At(impl_->nowMs + ms, std::move(fn));
}

void SimWindows::SetLocalTime(int hour, int minute, int second) {
  auto lock = impl_->Lock();
  impl_->hour = hour;
  impl_->minute = minute;
  impl_->second = second;
}

void SimWindows::SetLocalTimeFails(bool fails) { impl_->Store(&Impl::localTimeFails, fails); }

}  // namespace sim
