#include "platform/preview/preview_platform.h"

#include <string>
#include <vector>

#include "platform/preview/preview_state.h"
#include "platform/text.h"
#include "platform/win_constants.h"

namespace preview {
namespace {

// What ShellExecute answers for a started program: any value above 32; this
// is the one the system gives.
constexpr int kStartedResult = 42;
constexpr uint32_t kProgramExitCode = 0;

constexpr const char* kRundll = "RUNDLL32.EXE";
constexpr const char* kPrintUiEntry = "PRINTUIENTRY";
constexpr const char* kDeleteDriverSwitch = "/dd";
constexpr const char* kModelSwitch = "/m";
constexpr const char* kArchitectureSwitch = "/h";
constexpr const char* kVersionSwitch = "/v";
constexpr const char* kEnvironmentsKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments";
constexpr const char* kVersion2Name = "Windows NT 4.0 or 2000";

// The printer user interface's arguments: words, or text between quotes.
std::vector<std::string> SplitArguments(const std::string& parameters) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < parameters.size()) {
    if (parameters[at] == ' ') {
      ++at;
    } else if (parameters[at] == '"') {
      const size_t end = parameters.find('"', at + 1);
      words.push_back(parameters.substr(at + 1, end == std::string::npos ? end : end - at - 1));
      at = end == std::string::npos ? parameters.size() : end + 1;
    } else {
      const size_t end = parameters.find(' ', at);
      words.push_back(parameters.substr(at, end == std::string::npos ? end : end - at));
      at = end == std::string::npos ? parameters.size() : end;
    }
  }
  return words;
}

std::string EnvironmentOf(const std::string& architecture) {
  const std::string upper = text::Upper(architecture);
  if (upper == "X64") return "Windows x64";
  if (upper == "IA64") return "Windows IA64";
  return "Windows NT x86";
}

class PreviewShell : public IShell {
 public:
  explicit PreviewShell(State& state) : state_(state) {}

  int Execute(const std::string& verb, const std::string& file, const std::string& parameters,
              const std::string& directory, int show) override {
    (void)verb;
    (void)directory;
    (void)show;
    auto lock = state_.Lock();
    const std::string upperFile = text::Upper(file);
    const std::string name = upperFile.substr(upperFile.find_last_of('\\') + 1);
    if (name == kRundll && text::Contains(text::Upper(parameters), kPrintUiEntry)) {
      DeleteDriver(SplitArguments(parameters));
    }
    return kStartedResult;
  }

  Outcome RunProcess(const std::string& exePath, const std::vector<std::string>& arguments,
                     uint32_t timeoutMs, uint32_t& exitCode) override {
    (void)exePath;
    (void)arguments;
    (void)timeoutMs;
    exitCode = kProgramExitCode;
    return Outcome::Success();
  }

  // The program itself, not the system it looks at.
  void EndProcessNow(uint32_t exitCode) override { state_.real.shell.EndProcessNow(exitCode); }

 private:
  // "/dd /m <driver> [/h <architecture>] [/v <version>]": the spooler
  // deletes the driver's key, unless a printer still uses the driver.
  void DeleteDriver(const std::vector<std::string>& words) {
    std::string driver;
    std::string architecture;
    std::string version;
    bool deleting = false;
    for (size_t i = 0; i < words.size(); ++i) {
      const bool hasValue = i + 1 < words.size();
      if (text::CompareNoCase(words[i], kDeleteDriverSwitch) == 0) {
        deleting = true;
      } else if (hasValue && text::CompareNoCase(words[i], kModelSwitch) == 0) {
        driver = words[++i];
      } else if (hasValue && text::CompareNoCase(words[i], kArchitectureSwitch) == 0) {
        architecture = words[++i];
      } else if (hasValue && text::CompareNoCase(words[i], kVersionSwitch) == 0) {
        version = words[++i];
      }
    }
    if (!deleting || driver.empty()) return;
    std::vector<PrinterInfo2> printers;
    if (!state_.ViewPrinters(printers)) return;
    for (const PrinterInfo2& printer : printers) {
      if (text::CompareNoCase(printer.driverName, driver) == 0) return;
    }
    const std::string versionKey =
        text::CompareNoCase(version, kVersion2Name) == 0 ? "Version-2" : "Version-3";
    state_.RemoveKey(RegRoot::LocalMachine, std::string(kEnvironmentsKey) + "\\" +
                                                EnvironmentOf(architecture) + "\\Drivers\\" +
                                                versionKey + "\\" + driver);
  }

  State& state_;
};

class PreviewClock : public IClock {
 public:
  explicit PreviewClock(State& state) : state_(state) {}

  // The waits give the system time to carry out a write; the view's writes
  // are done when they return.
  void Sleep(uint32_t ms) override { (void)ms; }
  void SleepUnlessStopped(uint32_t ms, const StopSignal& stop) override {
    (void)ms;
    (void)stop;
  }
  bool LocalTime(int& hour, int& minute, int& second) override {
    return state_.real.clock.LocalTime(hour, minute, second);
  }

 private:
  State& state_;
};

class PreviewSecurity : public ISecurity {
 public:
  explicit PreviewSecurity(State& state) : state_(state) {}

  Outcome CurrentUserSid(Sid& out) override { return state_.real.security.CurrentUserSid(out); }
  // The process's own token, not the system's state.
  Outcome EnablePrivilege(const std::string& name) override {
    return state_.real.security.EnablePrivilege(name);
  }
  Outcome TakeOwnership(const std::string& path, const Sid& owner) override {
    (void)owner;
    return Exists(path);
  }
  Outcome GrantFullControl(const std::string& path, const Sid& account) override {
    (void)account;
    return Exists(path);
  }

 private:
  Outcome Exists(const std::string& path) {
    auto lock = state_.Lock();
    uint32_t attributes = 0;
    return state_.ViewAttributes(path, attributes);
  }

  State& state_;
};

}  // namespace

std::unique_ptr<IShell> MakeShell(State& state) { return std::make_unique<PreviewShell>(state); }
std::unique_ptr<IClock> MakeClock(State& state) { return std::make_unique<PreviewClock>(state); }
std::unique_ptr<ISecurity> MakeSecurity(State& state) {
  return std::make_unique<PreviewSecurity>(state);
}

struct Facilities {
  explicit Facilities(State& state)
      : registry(MakeRegistry(state)),
        spooler(MakeSpooler(state)),
        services(MakeServices(state)),
        devices(MakeDevices(state)),
        driverStore(MakeDriverStore(state)),
        files(MakeFiles(state)),
        shell(MakeShell(state)),
        clock(MakeClock(state)),
        security(MakeSecurity(state)),
        view(Platform{*registry, *spooler, *services, *devices, *driverStore, *files, *shell,
                      state.real.system, *clock, state.real.messageBoxes, state.real.strings,
                      *security, state.real.textConversion, state.real.runLock,
                      state.real.console, state.real.clipboard}) {}

  std::unique_ptr<IRegistry> registry;
  std::unique_ptr<ISpooler> spooler;
  std::unique_ptr<IServices> services;
  std::unique_ptr<IDevices> devices;
  std::unique_ptr<IDriverStore> driverStore;
  std::unique_ptr<IFileSystem> files;
  std::unique_ptr<IShell> shell;
  std::unique_ptr<IClock> clock;
  std::unique_ptr<ISecurity> security;
  Platform view;
};

}  // namespace preview

PreviewPlatform::PreviewPlatform(const Platform& real)
    : state_(std::make_unique<preview::State>(real)),
      facilities_(std::make_unique<preview::Facilities>(*state_)) {}

PreviewPlatform::~PreviewPlatform() = default;

Platform& PreviewPlatform::Get() { return facilities_->view; }

void PreviewPlatform::WriteOwnFilesIn(const std::string& directory) {
  auto lock = state_->Lock();
  state_->ownDirectories.push_back(preview::NameKey(directory));
}
