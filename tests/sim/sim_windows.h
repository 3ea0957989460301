#pragma once
// A stateful in-memory Windows behind the platform interfaces. Tests seed it
// through the methods below, run the logic against platform(), and assert on
// the resulting state (or on Snapshot() for "nothing else changed" checks).
//
// Spooler drivers and printers, devices and services keep their data in the
// simulated registry, where Windows keeps it, so the registry is the single
// source of truth that both the seeding calls and the logic see.
//
// Every interface method first records a call {op, detail} and then asks the
// fault plan whether to fail; FailWhere/FailNext/FailCall select failures.
// All state is guarded by one mutex, so a real worker thread may use it.
//
// Op names and their detail:
//   registry   OpenKey, OpenLink, DeleteTree, DeleteLink ("HKLM\path" / "HKCU\path"); QueryValue
//              ("<key>\<value>"); EnumKey ("<key>#<index>"); QuerySubkeyCount
//   files      FindFirst (pattern), FindNext (next name), RemoveFile, RemoveDir,
//              MakeDir, GetAttributes, SetAttributes, OpenFile, OpenDirectory (path); ReadFile,
//              WriteFile, SeekToEnd, GetFileSize (the open file's path)
//   spooler    EnumPrinters2Size, EnumPrinters2, OpenPrinter (name);
//              GetPrinter2Size, GetPrinter2, GetDriver6Size, GetDriver6,
//              RemovePrinter, ClosePrinter (printer); RemoveForm (form)
//   services   OpenManager (access); OpenService (name); StartService,
//              DeleteService, QueryServiceStatus (upper name); ControlService
//              ("<NAME>#<control>")
//   devices    GetClassDevs (flags); OpenDevice (id); EnumDevice (index); GetRegistryProperty
//              ("<id>#<property>"); OpenDevRegKey (id); CallClassInstaller
//              ("<id>#<function>")
//   store      DriverPackageGetPath (inf); DriverPackageUninstall ("<inf>#<flags>")
//   shell      ShellExecute ("<file> <parameters>"); RunProcess (exe);
//              EndProcess (exit code; cannot fail)
//   system     ModuleFileName, CurrentDirectory, WindowsDirectory,
//              SystemDirectory, Version ("extended"/"basic"), UserName, FolderPath (number),
//              FileVersionInfoSize, FileVersionInfo (path), QueryVersionValue
//              (sub-block); ProcessorArchitecture, UserDefaultLangId,
//              FormatSystemMessage (code) are recorded but cannot fail
//   clock      Sleep (ms; cannot fail), LocalTime
//   boxes      MessageBox (text; a failure returns 0)
//   security   CurrentUserSid; EnablePrivilege (name); TakeOwnership,
//              GrantFullControl (path)
//   files      MoveReplacing (target path)
//   text       WideToAnsi, AnsiToUtf8 (""); the ANSI code page is 1252
//   run lock   TryAcquireRunLock ("")
//   console    ConsoleWrite ("out"/"error"), InstallStopHandler ("")
//   clipboard  SetClipboardText ("")
// A string-returning call that fails returns "" and sets the last error.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win_constants.h"

namespace sim {

using Bytes = std::vector<uint8_t>;

// Repeat counts of faults: for ever.
inline constexpr int kUnlimited = -1;
inline constexpr uint64_t kStopsForEver = ~uint64_t{0};

inline constexpr const char* kDefaultWindowsDir = "C:\\Windows";
inline constexpr const char* kDefaultModuleFileName =
    "C:\\Program Files\\Purvex\\purvex.exe";
inline constexpr const char* kDefaultCurrentDir = "C:\\Work";
inline constexpr const char* kDefaultUserName = "Admin";
inline constexpr uint16_t kDefaultLangId = 0x0409;
inline constexpr int kDefaultShellResult = 42;
inline constexpr const char* kPrintRootKey =
    "SYSTEM\\CurrentControlSet\\Control\\Print";
inline constexpr const char* kPrintersKey =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
inline constexpr const char* kPrintersSoftwareKeyPath =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers";
inline constexpr const char* kEnumKey = "SYSTEM\\CurrentControlSet\\Enum";
inline constexpr const char* kServicesKey =
    "SYSTEM\\CurrentControlSet\\Services";
inline constexpr const char* kDriverStoreRepository =
    "C:\\Windows\\System32\\DriverStore\\FileRepository";
inline constexpr const char* kInfDir = "C:\\Windows\\inf";
// Values of the spooler's printer and driver keys.
inline constexpr const char* kNameValue = "Name";
inline constexpr const char* kPrinterDriverValue = "Printer Driver";
inline constexpr const char* kPortValue = "Port";
inline constexpr const char* kManufacturerValue = "Manufacturer";
inline constexpr const char* kHardwareIdValue = "HardwareID";
inline constexpr const char* kInfPathValue = "InfPath";
inline constexpr const char* kDependentFilesValue = "Dependent Files";

struct CallRecord {
  std::string op;      // e.g. "OpenKey", "RemoveFile", "EnumPrinters2"
  std::string detail;  // the main argument: key path, file path, name...
};

struct DriverSpec {
  std::string name;
  std::string manufacturer;
  std::optional<std::string> hardwareId;  // no "HardwareID" value when unset
  std::string infPath;
  std::vector<std::string> dependentFiles;
  int version = 3;  // 3: the architecture's Version-3 key; 2: x86 Version-2
};

struct PrinterSpec {
  std::string name;
  std::string driver;
  std::string port = "USB001";
  uint32_t jobs = 0;
  std::optional<std::string> pnpDeviceInstanceId;  // ...\PnPData DeviceInstanceId
  std::optional<std::vector<std::string>> forms;   // ...\DsDriver printMediaSupported
};

struct DeviceSpec {
  std::string instanceId;  // e.g. USB\VID_0E7B&PID_0203&MI_01\7&1A2B3C4D&0&0001
  std::vector<std::string> hardwareIds;
  std::optional<std::string> service;
  std::optional<std::string> parentIdPrefix;
  std::optional<std::string> symbolicName;  // in "Device Parameters"
};

struct ServiceEvent {
  std::string service;  // as spelled when added
  std::string event;    // "start", "stop", "delete"
};

struct ShellExecuteRecord {
  std::string verb;
  std::string file;
  std::string parameters;
  std::string directory;
  int show = 0;
};

struct ProcessRecord {
  std::string exe;
  std::vector<std::string> args;
  uint32_t timeoutMs = 0;
};

struct MessageBoxRecord {
  BoxOwner owner = BoxOwner::None;
  std::string text;
  std::string caption;
  uint32_t style = 0;
};

struct FormRemoval {
  std::string printer;
  std::string form;
};

struct PackageRecord {
  std::string oemInfPath;    // C:\Windows\inf\oem12.inf
  std::string storeInfPath;  // ...\FileRepository\x.inf_amd64_...\x.inf
  // Device instances installed from it: while one of them exists, an
  // uninstall without the force flag is refused.
  std::vector<std::string> usedBy;
};

class SimWindows {
 public:
  SimWindows();
  ~SimWindows();
  SimWindows(const SimWindows&) = delete;
  SimWindows& operator=(const SimWindows&) = delete;

  // The interfaces, as the logic sees them.
  Platform& platform();

  // ---- fault plan (all facilities) ----
  // Fails the call with 0-based index n among all recorded calls.
  void FailCall(size_t n, uint32_t code);
  // Fails the next `count` calls of `op` whose detail contains
  // detailSubstring (case-insensitive; empty matches everything).
  void FailWhere(const std::string& op, const std::string& detailSubstring,
                 uint32_t code, int count = 1);
  void FailNext(const std::string& op, uint32_t code, int count = 1) {
    FailWhere(op, "", code, count);
  }
  void ClearFaults();
  std::vector<CallRecord> Calls() const;
  size_t CallCount() const;
  void ClearCalls();
  // Calls of one op (details in order).
  std::vector<std::string> CallsOf(const std::string& op) const;

  // ---- registry ----
  void CreateKey(RegRoot root, const std::string& path);
  void SetString(RegRoot root, const std::string& path, const std::string& name,
                 const std::string& value);  // REG_SZ with terminator
  void SetExpandString(RegRoot root, const std::string& path,
                       const std::string& name, const std::string& value);
  void SetDword(RegRoot root, const std::string& path, const std::string& name,
                uint32_t value);
  void SetRawValue(RegRoot root, const std::string& path, const std::string& name,
                   uint32_t type, const Bytes& data);
  void SetMultiString(RegRoot root, const std::string& path, const std::string& name,
                      const std::vector<std::string>& values);
  void DeleteValue(RegRoot root, const std::string& path, const std::string& name);
  void DeleteKey(RegRoot root, const std::string& path);  // with subkeys
  bool KeyExists(RegRoot root, const std::string& path) const;
  bool ValueExists(RegRoot root, const std::string& path, const std::string& name) const;
  // REG_SZ/REG_EXPAND_SZ text up to the first terminator; nullopt when absent
  // or of another type.
  std::optional<std::string> GetString(RegRoot root, const std::string& path,
                                       const std::string& name) const;
  std::optional<std::vector<std::string>> GetMultiString(
      RegRoot root, const std::string& path, const std::string& name) const;
  std::optional<Bytes> GetRawValue(RegRoot root, const std::string& path,
                                   const std::string& name, uint32_t* type = nullptr) const;
  std::vector<std::string> SubkeyNames(RegRoot root, const std::string& path) const;
  // Faults: OpenKey of exactly this key fails with 5; DeleteTree of it or of
  // any tree that contains it fails with 5 before deleting anything.
  void DenyOpen(RegRoot root, const std::string& path);
  // A registry link at `path` (REG_OPTION_CREATE_LINK) pointing at the key
  // `target` of `targetRoot`, which need not exist.
  void AddRegistryLink(RegRoot root, const std::string& path, RegRoot targetRoot,
                       const std::string& target);
  void DenyDelete(RegRoot root, const std::string& path);

  // ---- files ----
  // Parents are created as needed.
  void AddFile(const std::string& path, const std::string& content = "",
               uint32_t attributes = win::kFileAttributeArchive);
  void AddFileBytes(const std::string& path, const Bytes& content,
                    uint32_t attributes = win::kFileAttributeArchive);
  void AddDir(const std::string& path, uint32_t attributes = win::kFileAttributeDirectory);
  // A junction (directory reparse point) whose contents are targetDir's.
  void AddJunction(const std::string& path, const std::string& targetDir);
  // A symbolic link to a file (the target need not exist), and a second
  // name of an existing file.
  void AddFileLink(const std::string& path, const std::string& target);
  void AddHardLink(const std::string& path, const std::string& existing);
  void SetFileTimes(const std::string& path, uint64_t creation, uint64_t lastWrite);
  bool Exists(const std::string& path) const;
  bool IsDirectory(const std::string& path) const;
  std::optional<std::string> ReadFile(const std::string& path) const;
  std::optional<uint32_t> Attributes(const std::string& path) const;
  // Every entry below dir (files and directories, not dir itself), as full
  // paths in their stored spelling, sorted case-insensitively. Junctions are
  // listed but not entered.
  std::vector<std::string> ListTree(const std::string& dir) const;
  // RemoveFile fails 32 for the next failAttempts attempts, then works; an
  // Open without sharing fails 32 while the hold lasts.
  void SetInUse(const std::string& path, int failAttempts = kUnlimited);
  void ClearInUse(const std::string& path);
  // RemoveFile, RemoveDir and Open of this entry fail with 5.
  void SetDenied(const std::string& path, bool denied = true);

  // ---- security ----
  // Owned by the system account, no access for the running user: listing it
  // and deleting it fail with 5 until that user owns it and has full
  // control of it.
  void SetOwnedByOther(const std::string& path);
  Sid UserSid() const;
  std::optional<Sid> OwnerOf(const std::string& path) const;  // none: never set
  bool HasFullControl(const std::string& path, const Sid& account) const;

  // ---- system ----
  void SetProcessorArchitecture(uint16_t arch);
  // IsProcessElevated's answer (default: elevated); failing: FailNext("IsProcessElevated").
  void SetProcessElevated(bool elevated);
  void SetOsVersion(uint32_t major, uint32_t minor, uint32_t build);
  void SetExtendedVersionFails(bool fails);  // basic query still answers
  void SetVersionFails(bool fails);          // both queries fail
  void SetWindowsDir(const std::string& dir);  // empty: the call fails
  // What FolderPath answers; empty: the folder is unknown. Defaults: the
  // Windows directory's folders, C:\Program Files and C:\Program Files (x86),
  // C:\ProgramData, and C:\Users\User with its usual folders.
  void SetFolderPath(SystemFolder folder, const std::string& path);
  void SetSystemDir(const std::string& dir);   // default <windows>\system32
  void SetModuleFileName(const std::string& path);
  void SetCurrentDir(const std::string& dir);
  void SetUserName(const std::string& name);
  void SetUserNameFails(bool fails);
  void SetUserDefaultLangId(uint16_t lang);
  // A version resource for path: FileVersion text like "1, 0, 2, 0" under
  // the given translation.
  void SetFileVersion(const std::string& path, const std::string& fileVersion,
                      uint16_t lang = 0x0409, uint16_t codepage = 0x04E4);
  void ClearFileVersion(const std::string& path);

  // ---- clock ----
  uint64_t NowMs() const;
  // Sleeps also wait in real time (a stop-aware one until its signal is
  // raised), for tests with real threads.
  void SetRealSleeps(bool real);
  // Every Sleep, in order.
  std::vector<uint32_t> Sleeps() const;
  uint64_t TotalSleptMs() const;
  // Runs fn when virtual time reaches ms (during a Sleep, outside the lock).
  void At(uint64_t ms, std::function<void()> fn);
  void After(uint64_t ms, std::function<void()> fn);
  void SetLocalTime(int hour, int minute, int second);
  void SetLocalTimeFails(bool fails);

  // ---- spooler ----
  // Driver key path (relative to HKLM) for a driver of the given version.
  std::string DriverKeyPath(const std::string& driver, int version = 3) const;
  std::string EnvDriversKey() const;  // the architecture's Version-3 key
  void AddDriver(const DriverSpec& setup);
  void AddPrinter(const PrinterSpec& setup);
  void SetJobs(const std::string& printer, uint32_t jobs);
  bool PrinterExists(const std::string& name) const;
  bool DriverExists(const std::string& name) const;  // Version-3 or Version-2
  std::vector<std::string> PrinterNames() const;     // enumeration order
  std::vector<FormRemoval> RemovedForms() const;
  // RemoveForm of this form fails with code (count times).
  void FailRemoveForm(const std::string& form, uint32_t code, int count = kUnlimited);
  // Open of this printer fails with code.
  void FailOpenPrinter(const std::string& printer, uint32_t code, int count = kUnlimited);
  int OpenPrinterHandles() const;  // still open

  // ---- services ----
  // "Spooler" exists and runs from the start. DeleteService marks a service;
  // it goes (with its Services key) when its last handle closes, and opening
  // a marked service fails with 1072, as on Windows.
  void AddService(const std::string& name, bool running = false, bool disabled = false);
  void RemoveService(const std::string& name);
  // Each later stop leaves the service STOP_PENDING for ms of virtual time
  // (kStopsForEver: it never ends); a start meanwhile fails with 1056.
  void SetStopDelay(const std::string& name, uint64_t ms);
  void SetServiceRunning(const std::string& name, bool running);
  bool ServiceExists(const std::string& name) const;
  bool IsRunning(const std::string& name) const;
  void DenyServiceManager(bool deny = true);  // OpenManager fails 5
  std::vector<ServiceEvent> ServiceHistory() const;
  // Just the spooler's "stop"/"start" events, in order.
  std::vector<std::string> SpoolerHistory() const;
  // Access masks passed to manager Open, in order.
  std::vector<uint32_t> ServiceOpenAccesses() const;
  int OpenServiceHandles() const;

  // ---- devices ----
  void AddDevice(const DeviceSpec& setup);
  bool DeviceExists(const std::string& instanceId) const;
  std::vector<std::string> DeviceIds() const;  // present, registry order
  void FailGetClassDevs(uint32_t code, int count = kUnlimited);
  void FailRemove(const std::string& instanceId, uint32_t code = win::kErrorAccessDenied,
                  int count = kUnlimited);
  void FailProperty(const std::string& instanceId, uint32_t property, uint32_t code,
                    int count = kUnlimited);
  std::vector<std::string> RemovedDevices() const;
  // Called (under the lock) with each instance id a removal took away.
  void SetDeviceRemovedHook(std::function<void(const std::string&)> hook);

  // ---- driver store ----
  // Creates the store INF (and the oem INF when missing).
  void AddPackage(const std::string& oemInfPath, const std::string& storeInfPath);
  bool PackageExists(const std::string& storeInfPath) const;
  std::vector<PackageRecord> Packages() const;
  void FailUninstall(const std::string& storeInfPath, uint32_t code, int count = kUnlimited);
  // The device `instanceId` was installed from the package; the refusal code
  // is the path's own (framework or SetupAPI), set for all packages.
  void UsePackage(const std::string& storeInfPath, const std::string& instanceId);
  void SetPackageInUseCode(uint32_t code);
  std::vector<std::string> UninstalledPackages() const;

  // ---- shell ----
  std::vector<ShellExecuteRecord> ShellExecutes() const;
  void SetShellResult(int result);
  // Called (outside the lock) with each Execute record, before it returns.
  void SetShellHook(std::function<void(const ShellExecuteRecord&)> hook);
  std::vector<ProcessRecord> Processes() const;
  void SetProcessResult(bool started, uint32_t exitCode = 0, uint32_t error = 2);
  void SetProcessHook(std::function<void(const ProcessRecord&)> hook);
  // The exit code given to EndProcessNow (the simulation goes on running).
  std::optional<uint32_t> ProcessEndedWith() const;

  // ---- message boxes ----
  std::vector<MessageBoxRecord> MessageBoxes() const;
  void QueueAnswer(int button);  // used in order; default kIdOk
  // When set, answers instead of the queue (called outside the lock).
  void SetMessageBoxCallback(std::function<int(const MessageBoxRecord&)> callback);

  // ---- unattended runs: run lock and console ----
  // Another process holds the run lock: TryAcquire answers InUse.
  void SetRunLockHeldElsewhere(bool held);
  bool RunLockHeld() const;  // by a hold of this platform
  // The lines written to standard output / standard error, in order.
  std::vector<std::string> ConsoleLines(ConsoleStream stream) const;
  // What Ctrl+C, Ctrl+Break, closing the console or the end of the session
  // does: raises the installed handler's signal; false when none is
  // installed (the process would end).
  bool SendConsoleStop();

  // ---- clipboard ----
  // The text last set (UTF-8), none before the first; the window it was set for.
  std::optional<std::string> ClipboardText() const;
  BoxOwner ClipboardOwner() const;

  // ---- whole state ----
  // Deterministic text of registry (both roots), files with attributes,
  // services, driver store packages and printer jobs.
  std::string Snapshot() const;
  // Snapshot() with owners and access grants of files, and the record of
  // what was done that leaves no state behind: forms and devices removed,
  // packages uninstalled, service stops, starts and deletions, programs
  // started. Equal before and after: nothing at all was changed.
  std::string FullSnapshot() const;

  struct Impl;

 private:
  // A junction (directory) or a file link at path naming target.
  void AddLink(const std::string& path, const std::string& target, bool directory);

  std::unique_ptr<Impl> impl_;
};

// Joins a REG_MULTI_SZ payload: each string with its terminator plus the
// final empty string.
Bytes MultiSzBytes(const std::vector<std::string>& values);
Bytes SzBytes(const std::string& value);  // with terminator
Bytes DwordBytes(uint32_t value);

}  // namespace sim
