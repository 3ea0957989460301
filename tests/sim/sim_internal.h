#pragma once
// State shared by the simulation's facilities. Only tests/sim/*.cpp include it.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/win_constants.h"
#include "tests/sim/sim_windows.h"

namespace sim {
namespace detail {

std::string Upper(const std::string& s);
bool IEquals(const std::string& a, const std::string& b);
bool IContains(const std::string& haystack, const std::string& needle);
// Path components split on '\' (and '/'), empty components dropped.
std::vector<std::string> SplitPath(const std::string& path);
std::string JoinPath(const std::vector<std::string>& parts, size_t count);

// Thread's simulated GetLastError value.
void SetLastError(uint32_t code);
uint32_t GetLastError();
inline Outcome Fail(uint32_t code) {
  SetLastError(code);
  return Outcome::Failure(code);
}
inline uint32_t Status(uint32_t code) {
  if (code != 0) SetLastError(code);
  return code;
}

class FaultPlan {
 public:
  // Records the call; returns the code to fail with, if any.
  std::optional<uint32_t> Check(const std::string& op, const std::string& detail);
  void FailCall(size_t n, uint32_t code) { byIndex_[n] = code; }
  void FailWhere(const std::string& op, const std::string& detail, uint32_t code, int count);
  void Clear() {
    byIndex_.clear();
    rules_.clear();
  }
  std::vector<CallRecord> calls;

 private:
  struct Rule {
    std::string op;
    std::string detail;  // upper case
    uint32_t code = 0;
    int remaining = 0;
  };
  std::map<size_t, uint32_t> byIndex_;
  std::vector<Rule> rules_;
};

// A per-target fault that repeats `remaining` times (kUnlimited: for ever).
struct CountedFault {
  uint32_t code = 0;
  int remaining = 0;
  // True (and counts down) when the fault fires.
  bool Fire() {
    if (remaining == 0) return false;
    if (remaining > 0) --remaining;
    return true;
  }
};

struct RegValue {
  std::string name;
  uint32_t type = 0;
  Bytes data;
};

struct RegNode {
  std::string name;
  std::map<std::string, std::shared_ptr<RegNode>> subkeys;  // by upper name
  std::map<std::string, RegValue> values;                   // by upper name
  bool denyOpen = false;
  bool denyDelete = false;
  bool deleted = false;  // still referenced by an open handle
};

class RegistryStore {
 public:
  RegistryStore();
  // Registry links on the way are followed, the last one too unless
  // followLast is false (REG_OPTION_OPEN_LINK).
  std::shared_ptr<RegNode> Find(RegRoot root, const std::string& path,
                                bool followLast = true) const;
  RegNode& Create(RegRoot root, const std::string& path);
  // Where a link node points ("HKLM\path" / "HKCU\path" in its value).
  static std::optional<std::pair<RegRoot, std::string>> LinkTarget(const RegNode& node);
  // SHDeleteKeyA: the links met on the way and inside the tree are followed
  // and what they point to is deleted as well.
  bool DeleteFollowingLinks(RegRoot root, const std::string& path, int depth = 0);
  // False when the key does not exist. Deletes without looking at faults.
  bool Delete(RegRoot root, const std::string& path);
  bool HasDenyDelete(const RegNode& node) const;
  const RegValue* Value(RegRoot root, const std::string& path, const std::string& name) const;
  void Set(RegRoot root, const std::string& path, const std::string& name, uint32_t type,
           Bytes data);
  std::optional<std::string> String(RegRoot root, const std::string& path,
                                    const std::string& name) const;
  std::optional<std::vector<std::string>> MultiString(RegRoot root, const std::string& path,
                                                      const std::string& name) const;
  void Dump(std::string& out) const;

 private:
  std::shared_ptr<RegNode> roots_[2];
};

std::vector<std::string> ParseMultiSz(const Bytes& data);

struct FileNode {
  std::string name;
  bool isDir = false;
  uint32_t attributes = 0;
  Bytes content;
  uint64_t creationTime = 0;
  uint64_t lastWriteTime = 0;
  std::map<std::string, std::shared_ptr<FileNode>> children;  // by upper name
  std::string junctionTarget;  // set for a junction or a file link
  uint32_t links = 1;          // names of the node (hard links)
  int inUseAttempts = 0;       // RemoveFile fails 32 while non-zero (-1: always)
  bool denied = false;
  // Owned by another account, with no access for the running user until
  // that user owns it and has full control of it.
  bool foreign = false;
  Bytes owner;
  std::vector<Bytes> fullControl;
  int openCount = 0;
  bool exclusiveOpen = false;
};

// Result of resolving a path: the entry (may be null), its parent directory
// and its final name; error is 2 or 3 when something is missing.
struct FileLookup {
  std::shared_ptr<FileNode> node;
  std::shared_ptr<FileNode> parent;
  std::string name;
  uint32_t error = 0;
  bool isRoot = false;
};

class FileStore {
 public:
  explicit FileStore(std::function<std::string()> currentDir);
  // followFinal: a junction at the end of the path stands for its target.
  FileLookup Lookup(const std::string& path, bool followFinal) const;
  // The path GetFinalPathNameByHandleA gives for what `path` reaches
  // ("\\?\C:\..."), links resolved (the last one only when followFinal);
  // empty when something on the way is missing.
  std::string FinalPath(const std::string& path, bool followFinal) const;
  std::shared_ptr<FileNode> MakeDirs(const std::string& path);
  // Where the last name of `path` goes in its directory (the directories on
  // the way created) and that name; null for a drive root or a path that
  // leads through a file.
  std::shared_ptr<FileNode>* Place(const std::string& path, std::string& name);
  std::shared_ptr<FileNode> Put(const std::string& path, const Bytes& content,
                                uint32_t attributes, uint64_t time);
  bool Erase(const std::string& path);  // entry and everything below
  std::string Absolute(const std::string& path) const;
  // The stored path of a node ("C:\\A\\B"), empty when it is not in the tree.
  std::string PathOf(const std::shared_ptr<FileNode>& node) const;
  // withSecurity: owners and full-control grants too.
  void Dump(std::string& out, bool withSecurity = false) const;
  void ListTree(const std::shared_ptr<FileNode>& dir, const std::string& prefix,
                std::vector<std::string>& out) const;

 private:
  std::shared_ptr<FileNode> Resolve(const std::shared_ptr<FileNode>& node, int depth) const;
  std::string Canonical(const std::string& path, bool followFinal, int depth) const;
  std::shared_ptr<FileNode> Drive(char letter, bool create) const;
  std::function<std::string()> currentDir_;
  mutable std::map<char, std::shared_ptr<FileNode>> drives_;
};

struct ServiceState {
  std::string name;
  bool running = false;
  bool disabled = false;
  bool markedForDelete = false;
  int handles = 0;
  // A stop request leaves the service STOP_PENDING for this long (virtual
  // ms; kNeverMs: for ever).
  uint64_t stopDelayMs = 0;
  bool stopPending = false;
  uint64_t stoppedAtMs = 0;
};

inline constexpr uint64_t kNeverMs = ~uint64_t{0};

struct DeviceElement {
  std::string instanceId;
  bool removed = false;
};

}  // namespace detail

// All facilities and their state behind one recursive mutex (hooks run by the
// facilities may call back into the simulation).
struct SimWindows::Impl {
  Impl();
  ~Impl();

  std::unique_lock<std::recursive_mutex> Lock() const {
    return std::unique_lock<std::recursive_mutex>(mutex);
  }
  // Records the call and returns the injected failure code, if any.
  std::optional<uint32_t> Enter(const std::string& op, const std::string& detail) {
    return faults.Check(op, detail);
  }
  // The SimWindows accessors that only set or read one member under the lock.
  template <class T, class V>
  void Store(T Impl::*member, V&& value) {
    auto lock = Lock();
    this->*member = std::forward<V>(value);
  }
  template <class T>
  T Load(T Impl::*member) const {
    auto lock = Lock();
    return this->*member;
  }
  uint64_t FileTimeNow() const;
  std::string WindowsDir() const { return windowsDir; }
  std::string EnvName() const;
  std::string DriverKey(const std::string& driver, int version) const;
  // The driver key of a driver: Version-3 of the architecture, then Version-2.
  std::string FindDriverKey(const std::string& driver) const;
  std::vector<std::string> PrinterKeyNames() const;  // enumeration order
  std::string PrinterKeyName(const std::string& name) const;  // "" when none
  void RemoveServiceEntry(const std::string& upperName);
  void RunDueActions(uint64_t until, std::unique_lock<std::recursive_mutex>& lock);

  mutable std::recursive_mutex mutex;
  detail::FaultPlan faults;
  detail::RegistryStore registry;
  detail::FileStore files;

  // system
  uint16_t arch = 9;
  bool elevated = true;
  OsVersion version{6, 1, 7601};
  bool extendedVersionFails = false;
  bool versionFails = false;
  std::string windowsDir = kDefaultWindowsDir;
  std::optional<std::string> systemDir;
  std::map<SystemFolder, std::string> folders;
  std::string moduleFileName = kDefaultModuleFileName;
  std::string currentDir = kDefaultCurrentDir;
  std::string userName = kDefaultUserName;
  bool userNameFails = false;
  uint16_t langId = kDefaultLangId;
  struct VersionResource {
    std::string fileVersion;
    uint16_t lang = 0;
    uint16_t codepage = 0;
  };
  std::map<std::string, VersionResource> versions;  // by upper absolute path

  // clock
  uint64_t nowMs = 0;
  std::vector<uint32_t> sleeps;
  bool realSleeps = false;
  uint64_t actionSequence = 0;
  std::map<std::pair<uint64_t, uint64_t>, std::function<void()>> actions;
  int hour = 12, minute = 0, second = 0;
  bool localTimeFails = false;

  // spooler
  std::vector<std::string> printerOrder;
  std::map<std::string, uint32_t> jobs;  // by upper printer name
  std::vector<FormRemoval> removedForms;
  std::map<std::string, detail::CountedFault> formFaults;     // by upper form
  std::map<std::string, detail::CountedFault> printerFaults;  // by upper printer
  int printerHandles = 0;

  // services
  std::map<std::string, detail::ServiceState> services;  // by upper name
  bool denyManager = false;
  std::vector<ServiceEvent> serviceHistory;
  std::vector<uint32_t> serviceAccesses;
  int serviceHandles = 0;

  // devices
  std::optional<detail::CountedFault> classDevsFault;
  std::map<std::string, detail::CountedFault> removeFaults;  // by upper id
  std::map<std::pair<std::string, uint32_t>, detail::CountedFault> propertyFaults;
  std::vector<std::string> removedDevices;
  std::function<void(const std::string&)> deviceRemovedHook;

  // driver store
  std::vector<PackageRecord> packages;
  std::vector<std::string> uninstalled;
  std::map<std::string, detail::CountedFault> uninstallFaults;  // by upper store path
  uint32_t packageInUseCode = win::kErrorInfInUseByDevices;

  // shell
  std::vector<ShellExecuteRecord> shellExecutes;
  int shellResult = kDefaultShellResult;
  std::function<void(const ShellExecuteRecord&)> shellHook;
  std::vector<ProcessRecord> processes;
  bool processStarts = true;
  uint32_t processExit = 0;
  uint32_t processError = 0;
  std::function<void(const ProcessRecord&)> processHook;
  std::optional<uint32_t> endedWith;

  // security
  Bytes userSid;
  std::vector<std::string> enabledPrivileges;
  bool Locked(const detail::FileNode& node) const;

  // message boxes
  std::vector<MessageBoxRecord> boxes;
  std::vector<int> answers;
  std::function<int(const MessageBoxRecord&)> boxCallback;

  // unattended runs: the run lock and the console
  int runLockHolds = 0;  // holds of this platform still alive
  bool runLockHeldElsewhere = false;
  std::vector<std::string> consoleOut;
  std::vector<std::string> consoleError;
  StopSignal* consoleStop = nullptr;

  // the clipboard: its Unicode text as UTF-8, and the window it was set for
  std::optional<std::string> clipboardText;
  BoxOwner clipboardOwner = BoxOwner::None;

  // The facility objects (defined in their own files).
  std::unique_ptr<IRegistry> registryFacility;
  std::unique_ptr<ISpooler> spoolerFacility;
  std::unique_ptr<IServices> servicesFacility;
  std::unique_ptr<IDevices> devicesFacility;
  std::unique_ptr<IDriverStore> driverStoreFacility;
  std::unique_ptr<IFileSystem> filesFacility;
  std::unique_ptr<IShell> shellFacility;
  std::unique_ptr<ISystem> systemFacility;
  std::unique_ptr<IClock> clockFacility;
  std::unique_ptr<IMessageBoxes> boxesFacility;
  std::unique_ptr<IStringTable> stringsFacility;
  std::unique_ptr<ISecurity> securityFacility;
  std::unique_ptr<ITextConversion> textConversionFacility;
  std::unique_ptr<IRunLock> runLockFacility;
  std::unique_ptr<IConsole> consoleFacility;
  std::unique_ptr<IClipboard> clipboardFacility;
  std::unique_ptr<Platform> platform;
};

namespace detail {
// Base of every facility object and handle: they all work on the one shared
// state, and none outlives the SimWindows that owns it.
class Facility {
 public:
  explicit Facility(SimWindows::Impl& impl) : impl_(impl) {}

 protected:
  SimWindows::Impl& impl_;
};

// Factories, one per facility file.
std::unique_ptr<IRegistry> MakeRegistry(SimWindows::Impl& impl);
std::unique_ptr<ISpooler> MakeSpooler(SimWindows::Impl& impl);
std::unique_ptr<IServices> MakeServices(SimWindows::Impl& impl);
std::unique_ptr<IDevices> MakeDevices(SimWindows::Impl& impl);
std::unique_ptr<IDriverStore> MakeDriverStore(SimWindows::Impl& impl);
std::unique_ptr<IFileSystem> MakeFiles(SimWindows::Impl& impl);
std::unique_ptr<IShell> MakeShell(SimWindows::Impl& impl);
std::unique_ptr<ISystem> MakeSystem(SimWindows::Impl& impl);
std::unique_ptr<IClock> MakeClock(SimWindows::Impl& impl);
std::unique_ptr<IMessageBoxes> MakeMessageBoxes(SimWindows::Impl& impl);
std::unique_ptr<IStringTable> MakeStrings();
std::unique_ptr<ISecurity> MakeSecurity(SimWindows::Impl& impl);
std::unique_ptr<ITextConversion> MakeTextConversion(SimWindows::Impl& impl);
std::unique_ptr<IRunLock> MakeRunLock(SimWindows::Impl& impl);
std::unique_ptr<IConsole> MakeConsole(SimWindows::Impl& impl);
std::unique_ptr<IClipboard> MakeClipboard(SimWindows::Impl& impl);
// An open registry key over a node (used by the devices facility too).
RegistryKey MakeKeyHandle(SimWindows::Impl& impl, std::shared_ptr<RegNode> node,
                          std::string path);
}  // namespace detail

}  // namespace sim
