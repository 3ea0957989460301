// The contract environment over the real Win32 API (run under Wine here).
// Everything it seeds lives in scratch areas of its own or carries names it
// made up, and EndTest takes it all away again, so a run leaves the system as
// it found it.
#include <windows.h>
#include <cfgmgr32.h>
#include <sddl.h>
#include <setupapi.h>
#include <shlwapi.h>
#include <winioctl.h>
#include <winspool.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/code_page.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"

#include "tests/contract/contract_environment.h"

namespace {

constexpr char kScratchKeyParent[] = "Software\\PurvexContract";
constexpr char kScratchDirParent[] = "PurvexContract";
constexpr uint8_t kNotATerminator = 0xFF;

// Service entries that are never started: the image need not exist.
constexpr char kServiceImageFormat[] = "\\SystemRoot\\System32\\drivers\\%s.sys";

// Printers print to a file port; CUPS and LPR ports do not survive Wine's
// spooler start-up.
constexpr char kPrinterPort[] = "FILE:";
constexpr char kPrintProcessor[] = "WinPrint";
constexpr char kPrintDatatype[] = "RAW";
constexpr char kPrinterUiLibrary[] = "contract_printer_ui.dll";
constexpr DWORD kDriverVersion = 3;
constexpr DWORD kDriverInfoLevel = 6;
constexpr DWORD kPrinterInfoLevel = 2;
constexpr char kDriversKeyFormat[] =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\%s\\Drivers\\"
    "Version-3\\%s";
constexpr char kInstalledDriverSubdir[] = "\\3\\";
constexpr char kManufacturerValue[] = "Manufacturer";
constexpr char kHardwareIdValue[] = "HardwareID";
#ifdef _WIN64
constexpr char kPrintEnvironment[] = "Windows x64";
#else
constexpr char kPrintEnvironment[] = "Windows NT x86";
#endif

// Device entries of the USB class, as the devices the program removes.
constexpr GUID kUsbClassGuid = {
    0x36fc9e60, 0xc465, 0x11cf, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr char kDeviceIdFormat[] = "ROOT\\PURVEX_CONTRACT\\%04u";
constexpr unsigned kMaxDeviceAttempts = 1000;
constexpr char kSymbolicNameValue[] = "SymbolicName";

constexpr char kPackageInfText[] =
    "[Version]\r\n"
    "Signature=\"$Windows NT$\"\r\n"
    "Class=Printer\r\n"
    "ClassGuid={4D36E979-E325-11CE-BFC1-08002BE10318}\r\n"
    "Provider=%Maker%\r\n"
    "DriverVer=01/01/2020,1.0.0.0\r\n"
    "\r\n"
    "[Strings]\r\n"
    "Maker=\"Purvex contract tests\"\r\n";

// A mount-point reparse record (REPARSE_DATA_BUFFER of the DDK, which the
// user-mode headers lack): header, then the substitute and print names.
struct MountPointHeader {
  DWORD reparseTag;
  WORD reparseDataLength;
  WORD reserved;
  WORD substituteNameOffset;
  WORD substituteNameLength;
  WORD printNameOffset;
  WORD printNameLength;
};
constexpr size_t kReparseFixedHeader = 8;  // tag, length, reserved
constexpr char kNtPathPrefix[] = "\\??\\";

std::string Formatted(const char* format, const std::string& a,
                      const std::string& b = std::string()) {
  std::vector<char> buffer(std::strlen(format) + a.size() + b.size() + 1);
  std::snprintf(buffer.data(), buffer.size(), format, a.c_str(), b.c_str());
  return buffer.data();
}

std::string ModuleDirectory() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path, length);
  const size_t slash = directory.find_last_of('\\');
  return slash == std::string::npos ? std::string() : directory.substr(0, slash);
}

std::string TempDirectory() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof(path), path);
  std::string directory(path, length < sizeof(path) ? length : 0);
  while (!directory.empty() && directory.back() == '\\') directory.pop_back();
  return directory;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  win32::UniqueKernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0,
                                             nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return content.empty() ||
         (WriteFile(file.get(), content.data(),
                    static_cast<DWORD>(content.size()), &written, nullptr) &&
          written == content.size());
}

// Removes a tree without following junctions: a reparse point is removed
// as the link it is, never its target's contents.
void RemoveTree(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    return;
  }
  SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    WIN32_FIND_DATAA entry{};
    win32::UniqueFindHandle find(
        FindFirstFileA((path + "\\*").c_str(), &entry));
    if (find) {
      do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") RemoveTree(path + "\\" + name);
      } while (FindNextFileA(find.get(), &entry));
    }
  }
  RemoveDirectoryA(path.c_str());
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The directory with every missing parent; an existing directory is fine.
bool CreateDirectories(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  if (GetLastError() == ERROR_ALREADY_EXISTS) return IsDirectory(path);
  const size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos || slash == 0) return false;
  return CreateDirectories(path.substr(0, slash)) &&
         CreateDirectoryA(path.c_str(), nullptr);
}

bool CopyInto(const std::string& source, const std::string& target) {
  return CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
}

class HeldHandle : public ContractToken {
 public:
  explicit HeldHandle(HANDLE handle) : handle_(handle) {}

 private:
  win32::UniqueKernelHandle handle_;
};

struct InstalledDriver {
  std::vector<std::string> files;  // bare names, staged and installed
};

class Win32ContractEnvironment : public ContractEnvironment {
 public:
  Win32ContractEnvironment() { InstallAnsiCaseMappers(); }
  ~Win32ContractEnvironment() override { EndTest(); }

  Platform& platform() override { return win_.Get(); }

  void BeginTest(const std::string& testName) override {
    EndTest();
    test_ = testName;
    SHDeleteKeyA(HKEY_CURRENT_USER, ScratchKey().c_str());
    CreateKey(ScratchKey());
    RemoveTree(ScratchDir());
    CreateDirectories(ScratchDir());
  }

  void EndTest() override {
    for (const std::string& printer : printers_) RemovePrinterQueue(printer);
    printers_.clear();
    for (const auto& [name, driver] : drivers_) RemoveDriver(name, driver);
    drivers_.clear();
    for (const std::string& device : devices_) RemoveDevice(device);
    devices_.clear();
    for (const std::string& service : services_) RemoveService(service);
    services_.clear();
    for (const std::string& oemInf : packages_) {
      SetupUninstallOEMInfA(oemInf.c_str(), SUOI_FORCEDELETE, nullptr);
    }
    packages_.clear();
    if (!test_.empty()) {
      SHDeleteKeyA(HKEY_CURRENT_USER, ScratchKey().c_str());
      RemoveTree(ScratchDir());
      // Only succeed once the last test's areas are gone.
      RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKeyParent);
      RemoveDirectoryA(ScratchDirParent().c_str());
    }
    test_.clear();
  }

  // ---- registry ----
  std::string ScratchKey() override {
    return std::string(kScratchKeyParent) + "\\" + test_;
  }

  bool CreateKey(const std::string& path) override {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  // The link's value is the target's native name, in UTF-16 without a
  // terminator: \Registry\User\<user's SID>\<path>.
  bool CreateRegistryLink(const std::string& path, const std::string& target) override {
    const std::string sid = UserSid();
    if (sid.empty()) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                        REG_OPTION_CREATE_LINK, KEY_WRITE | KEY_CREATE_LINK, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
      return false;
    }
    win32::UniqueRegKey owner(key);
    const std::string native = "\\Registry\\User\\" + sid + "\\" + target;
    std::vector<uint8_t> wide;
    for (char c : native) {
      wide.push_back(static_cast<uint8_t>(c));
      wide.push_back(0);
    }
    return RegSetValueExA(key, "SymbolicLinkValue", 0, REG_LINK, wide.data(),
                          static_cast<DWORD>(wide.size())) == ERROR_SUCCESS;
  }

  static std::string UserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    win32::UniqueKernelHandle owner(token);
    DWORD size = 0;
    (void)GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<uint8_t> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
      return {};
    }
    char* text = nullptr;
    if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                &text)) {
      return {};
    }
    std::string sid(text);
    LocalFree(text);
    return sid;
  }

  bool SetString(const std::string& path, const std::string& name,
                 const std::string& value) override {
    std::vector<uint8_t> data(value.begin(), value.end());
    data.push_back('\0');
    return SetRaw(path, name, REG_SZ, data);
  }

  bool SetRaw(const std::string& path, const std::string& name, uint32_t type,
              const std::vector<uint8_t>& data) override {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    win32::UniqueRegKey owner(key);
    // RegSetValueExA (like Windows NT) counts a terminator that the caller
    // left out when one follows the data in memory; a non-zero byte after
    // the data keeps a string exactly as given.
    std::vector<uint8_t> stored = data;
    stored.push_back(kNotATerminator);
    return RegSetValueExA(key, name.c_str(), 0, type, stored.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
  }

  bool SetMultiString(const std::string& path, const std::string& name,
                      const std::vector<std::string>& values) override {
    return SetRaw(path, name, REG_MULTI_SZ, MultiString(values));
  }

  bool KeyExists(const std::string& path) override {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(key);
    return true;
  }

  // ---- files ----
  std::string ScratchDir() override { return ScratchDirParent() + "\\" + test_; }

  bool CreateDir(const std::string& path) override {
    return CreateDirectories(path);
  }

  bool PutFile(const std::string& path, const std::string& content,
               uint32_t attributes) override {
    const size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && !CreateDirectories(path.substr(0, slash))) {
      return false;
    }
    if (!WriteWholeFile(path, content)) return false;
    // No bits at all is the normal attribute to the system.
    const DWORD exact = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesA(path.c_str(), exact) != 0;
  }

  bool PathExists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  ContractHold HoldOpen(const std::string& path) override {
    // Backup semantics let a directory be held as well as a file.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<HeldHandle>(handle);
  }

  bool MakeHardLink(const std::string& path,
                      const std::string& existing) override {
    return ::CreateHardLinkA(path.c_str(), existing.c_str(), nullptr) != FALSE;
  }

  bool CreateJunction(const std::string& path,
                      const std::string& target) override {
    if (!CreateDirectoryA(path.c_str(), nullptr)) return false;
    if (SetMountPoint(path, target)) return true;
    // Wine 8 has no reparse points (ERROR_NOT_SUPPORTED).
    RemoveDirectoryA(path.c_str());
    return false;
  }

  // ---- services ----
  bool CreateStoppedService(const std::string& name) override {
    win32::UniqueServiceHandle manager(
        OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager) return false;
    const std::string image = Formatted(kServiceImageFormat, name);
    auto create = [&] {
      return win32::UniqueServiceHandle(CreateServiceA(
          manager.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
          SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
          image.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    };
    win32::UniqueServiceHandle service = create();
    if (!service && GetLastError() == ERROR_SERVICE_EXISTS) {
      // Left over from a run that did not get to its EndTest.
      RemoveService(name);
      service = create();
    }
    if (!service) return false;
    services_.push_back(name);
    return true;
  }

  bool ServiceExists(const std::string& name) override {
    win32::UniqueServiceHandle manager(
        OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return false;
    win32::UniqueServiceHandle service(
        OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
    return static_cast<bool>(service);
  }

  // ---- spooler ----
  bool InstallPrinter(const std::string& printer, const std::string& driver,
                      const std::string& manufacturer,
                      const std::string& hardwareId) override {
    if (drivers_.find(driver) == drivers_.end() &&
        !InstallDriver(driver, manufacturer, hardwareId)) {
      return false;
    }
    std::vector<char> printerName = Mutable(printer);
    std::vector<char> driverName = Mutable(driver);
    std::vector<char> port = Mutable(kPrinterPort);
    std::vector<char> processor = Mutable(kPrintProcessor);
    std::vector<char> datatype = Mutable(kPrintDatatype);
    PRINTER_INFO_2A info{};
    info.pPrinterName = printerName.data();
    info.pPortName = port.data();
    info.pDriverName = driverName.data();
    info.pPrintProcessor = processor.data();
    info.pDatatype = datatype.data();
    win32::UniquePrinter handle(AddPrinterA(
        nullptr, kPrinterInfoLevel, reinterpret_cast<BYTE*>(&info)));
    if (!handle) return false;
    printers_.push_back(printer);
    return true;
  }

  // ---- devices ----
  std::optional<ContractDevice> CreateDevice(
      const std::vector<std::string>& hardwareIds, const std::string& service,
      const std::optional<std::string>& symbolicName) override {
    win32::UniqueDevInfoList set(
        SetupDiCreateDeviceInfoList(&kUsbClassGuid, nullptr));
    if (!set) return std::nullopt;
    SP_DEVINFO_DATA element{};
    element.cbSize = sizeof(element);
    bool created = false;
    for (unsigned attempt = 0; attempt < kMaxDeviceAttempts && !created;
         ++attempt) {
      char id[MAX_DEVICE_ID_LEN] = {};
      std::snprintf(id, sizeof(id), kDeviceIdFormat, nextDevice_++);
      created = SetupDiCreateDeviceInfoA(set.get(), id, &kUsbClassGuid,
                                         nullptr, nullptr, 0, &element);
      if (!created && GetLastError() != ERROR_DEVINST_ALREADY_EXISTS) {
        return std::nullopt;
      }
    }
    if (!created ||
        !SetupDiRegisterDeviceInfo(set.get(), &element, 0, nullptr, nullptr,
                                   nullptr)) {
      return std::nullopt;
    }
    char instanceId[MAX_DEVICE_ID_LEN] = {};
    if (!SetupDiGetDeviceInstanceIdA(set.get(), &element, instanceId,
                                     sizeof(instanceId), nullptr)) {
      SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &element);
      return std::nullopt;
    }
    devices_.push_back(instanceId);

    const std::vector<uint8_t> ids = MultiString(hardwareIds);
    if (!SetupDiSetDeviceRegistryPropertyA(set.get(), &element,
                                           SPDRP_HARDWAREID, ids.data(),
                                           static_cast<DWORD>(ids.size()))) {
      return std::nullopt;
    }
    if (!service.empty() &&
        !SetupDiSetDeviceRegistryPropertyA(
            set.get(), &element, SPDRP_SERVICE,
            reinterpret_cast<const BYTE*>(service.c_str()),
            static_cast<DWORD>(service.size() + 1))) {
      return std::nullopt;
    }
    if (symbolicName) {
      HKEY key = SetupDiCreateDevRegKeyA(set.get(), &element, DICS_FLAG_GLOBAL,
                                         0, DIREG_DEV, nullptr, nullptr);
      if (key == INVALID_HANDLE_VALUE) return std::nullopt;
      win32::UniqueRegKey owner(key);
      if (RegSetValueExA(key, kSymbolicNameValue, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(symbolicName->c_str()),
                         static_cast<DWORD>(symbolicName->size() + 1)) !=
          ERROR_SUCCESS) {
        return std::nullopt;
      }
    }
    return ContractDevice{instanceId};
  }

  bool DeviceExists(const std::string& instanceId) override {
    win32::UniqueDevInfoList set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (!set) return false;
    SP_DEVINFO_DATA element{};
    element.cbSize = sizeof(element);
    return SetupDiOpenDeviceInfoA(set.get(), instanceId.c_str(), nullptr, 0,
                                  &element) != 0;
  }

  // ---- driver store ----
  std::optional<ContractPackage> AddDriverPackage(
      const std::string& infName) override {
    const std::string source = ScratchDir() + "\\" + infName;
    if (!WriteWholeFile(source, kPackageInfText)) return std::nullopt;
    char oemInf[MAX_PATH] = {};
    char* oemName = nullptr;
    if (!SetupCopyOEMInfA(source.c_str(), nullptr, SPOST_NONE, 0, oemInf,
                          sizeof(oemInf), nullptr, &oemName) ||
        oemName == nullptr) {
      return std::nullopt;
    }
    packages_.push_back(oemName);
    // The store must answer for the package through the interface under
    // test; Wine's store does not.
    IDriverStore& store = platform().driverStore;
    uint32_t length = 0;
    (void)store.GetPath(oemInf, nullptr, length);
    if (length == 0) return std::nullopt;
    std::vector<char> path(length, '\0');
    if (store.GetPath(oemInf, path.data(), length) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return ContractPackage{oemInf, std::string(path.data())};
  }

  // ---- clipboard ----
  std::optional<std::string> ClipboardText() override {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<std::string> text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* wide = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (wide != nullptr) {
      const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
      if (size > 0) {
        std::string utf8(static_cast<size_t>(size), '\0');
        (void)WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
        utf8.resize(static_cast<size_t>(size - 1));
        text = std::move(utf8);
      }
      GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
  }

 private:
  static std::vector<char> Mutable(const std::string& s) {
    std::vector<char> copy(s.begin(), s.end());
    copy.push_back('\0');
    return copy;
  }

  static std::vector<uint8_t> MultiString(const std::vector<std::string>& values) {
    std::vector<uint8_t> data;
    for (const std::string& value : values) {
      data.insert(data.end(), value.begin(), value.end());
      data.push_back('\0');
    }
    data.push_back('\0');
    return data;
  }

  std::string ScratchDirParent() {
    return TempDirectory() + "\\" + kScratchDirParent;
  }

  static bool SetMountPoint(const std::string& path, const std::string& target) {
    win32::UniqueKernelHandle link(CreateFileA(
        path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!link) return false;
    const std::wstring substitute = win32::WideFromAnsi(kNtPathPrefix + target);
    const std::wstring print = win32::WideFromAnsi(target);
    const size_t substituteBytes = substitute.size() * sizeof(WCHAR);
    const size_t printBytes = print.size() * sizeof(WCHAR);
    // Both names are stored with a terminator after them.
    const size_t pathBytes = substituteBytes + printBytes + 2 * sizeof(WCHAR);
    std::vector<BYTE> record(sizeof(MountPointHeader) + pathBytes, 0);
    auto* header = reinterpret_cast<MountPointHeader*>(record.data());
    header->reparseTag = IO_REPARSE_TAG_MOUNT_POINT;
    header->reparseDataLength = static_cast<WORD>(
        sizeof(MountPointHeader) - kReparseFixedHeader + pathBytes);
    header->substituteNameOffset = 0;
    header->substituteNameLength = static_cast<WORD>(substituteBytes);
    header->printNameOffset =
        static_cast<WORD>(substituteBytes + sizeof(WCHAR));
    header->printNameLength = static_cast<WORD>(printBytes);
    BYTE* names = record.data() + sizeof(MountPointHeader);
    std::memcpy(names, substitute.c_str(), substituteBytes);
    std::memcpy(names + header->printNameOffset, print.c_str(), printBytes);
    DWORD returned = 0;
    return DeviceIoControl(link.get(), FSCTL_SET_REPARSE_POINT, record.data(),
                           static_cast<DWORD>(record.size()), nullptr, 0,
                           &returned, nullptr) != 0;
  }

  static std::string DriverDirectory() {
    char directory[MAX_PATH] = {};
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1,
                                    reinterpret_cast<BYTE*>(directory),
                                    sizeof(directory), &needed)) {
      return std::string();
    }
    return directory;
  }

  bool InstallDriver(const std::string& driver, const std::string& manufacturer,
                     const std::string& hardwareId) {
    const std::string staging = DriverDirectory();
    const std::string ui = ModuleDirectory() + "\\" + kPrinterUiLibrary;
    if (staging.empty()) return false;
    // Every driver gets files of its own, so removing one leaves the others
    // whole; the spooler copies them from its staging directory.
    const std::string tag = std::to_string(GetCurrentProcessId()) + "_" +
                            std::to_string(nextDriver_++);
    InstalledDriver installed;
    const std::string driverFile = "pcdrv" + tag + ".dll";
    const std::string configFile = "pcui" + tag + ".dll";
    const std::string dataFile = "pc" + tag + ".gpd";
    installed.files = {driverFile, configFile, dataFile};
    const bool staged = CopyInto(ui, staging + "\\" + driverFile) &&
                        CopyInto(ui, staging + "\\" + configFile) &&
                        WriteWholeFile(staging + "\\" + dataFile, "*GPDSpecVersion: \"1.0\"\r\n");
    drivers_[driver] = installed;
    if (!staged) return false;

    std::vector<char> name = Mutable(driver);
    std::vector<char> driverPath = Mutable(driverFile);
    std::vector<char> dataPath = Mutable(dataFile);
    std::vector<char> configPath = Mutable(configFile);
    std::vector<char> maker = Mutable(manufacturer);
    std::vector<char> hardware = Mutable(hardwareId);
    DRIVER_INFO_6A info{};
    info.cVersion = kDriverVersion;
    info.pName = name.data();
    info.pDriverPath = driverPath.data();
    info.pDataFile = dataPath.data();
    info.pConfigFile = configPath.data();
    info.pszMfgName = maker.data();
    info.pszHardwareID = hardware.data();
    if (!AddPrinterDriverExA(nullptr, kDriverInfoLevel,
                             reinterpret_cast<BYTE*>(&info),
                             APD_COPY_NEW_FILES)) {
      return false;
    }
    // Wine keeps the level-6 extras nowhere; Windows stores them in the
    // driver's key under these names, where the spooler reads them back.
    HKEY key = nullptr;
    const std::string keyPath = Formatted(kDriversKeyFormat, kPrintEnvironment, driver);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS) {
      return false;
    }
    win32::UniqueRegKey owner(key);
    return SetRegistryString(key, kManufacturerValue, manufacturer) &&
           SetRegistryString(key, kHardwareIdValue, hardwareId);
  }

  static bool SetRegistryString(HKEY key, const char* name,
                                const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
  }

  static void RemovePrinterQueue(const std::string& printer) {
    std::vector<char> name = Mutable(printer);
    PRINTER_DEFAULTSA defaults{};
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    HANDLE handle = nullptr;
    if (!OpenPrinterA(name.data(), &handle, &defaults)) return;
    win32::UniquePrinter owner(handle);
    DeletePrinter(handle);
  }

  static void RemoveDriver(const std::string& driver,
                           const InstalledDriver& installed) {
    std::vector<char> name = Mutable(driver);
    DeletePrinterDriverA(nullptr, nullptr, name.data());
    // The spooler leaves the files behind under Wine.
    const std::string staging = DriverDirectory();
    if (staging.empty()) return;
    for (const std::string& file : installed.files) {
      DeleteFileA((staging + "\\" + file).c_str());
      DeleteFileA((staging + kInstalledDriverSubdir + file).c_str());
    }
  }

  static void RemoveDevice(const std::string& instanceId) {
    win32::UniqueDevInfoList set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (!set) return;
    SP_DEVINFO_DATA element{};
    element.cbSize = sizeof(element);
    if (SetupDiOpenDeviceInfoA(set.get(), instanceId.c_str(), nullptr, 0,
                               &element)) {
      SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &element);
    }
  }

  static void RemoveService(const std::string& name) {
    win32::UniqueServiceHandle manager(
        OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return;
    win32::UniqueServiceHandle service(
        OpenServiceA(manager.get(), name.c_str(), DELETE));
    if (service) DeleteService(service.get());
  }

  Win32Platform win_;
  std::string test_;
  std::vector<std::string> printers_;
  std::map<std::string, InstalledDriver> drivers_;
  std::vector<std::string> devices_;
  std::vector<std::string> services_;
  std::vector<std::string> packages_;  // oem INF names in the INF directory
  unsigned nextDevice_ = 0;
  unsigned nextDriver_ = 0;
};

}  // namespace

ContractEnvironment& Env() {
  static Win32ContractEnvironment environment;
  return environment;
}
