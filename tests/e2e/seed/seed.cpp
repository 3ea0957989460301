// seed.exe: lays down a maker printer installation inside a Wine prefix with
// the real APIs (spooler, SetupAPI, service manager, registry, files), as the
// maker's installer would leave it, plus a canary of unrelated things that a
// removal must never touch; and reports afterwards what is still there.
//
//   seed.exe install PROFILE [CONFIG_DLL]   lay down PROFILE (see profile.h)
//   seed.exe report PROFILE                 one "kind.name=0|1" line per seeded item
//   seed.exe profiles                       list the profiles
//   seed.exe service-state NAME             "state=running|stopped|..." of a service
//   seed.exe count-devices                  "devices=N usb=N maker=N": what SetupAPI enumerates
//
// CONFIG_DLL is the stand-in driver configuration DLL (korvexui.dll); by
// default it is looked for next to seed.exe.
//
// Exit status: 0 done, 1 a step failed (the failing step is printed), 2 usage.
#include <windows.h>
#include <sddl.h>
#include <setupapi.h>
#include <winspool.h>

#include <fcntl.h>
#include <io.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "profile.h"
#include "../tool_common.h"

using namespace seed;

namespace {

constexpr const char* kEnvironment = "Windows x64";
constexpr const char* kSpoolStaging = "C:\\windows\\system32\\spool\\drivers\\x64";
constexpr const char* kLocalPortMonitor = ",XcvMonitor Local Port";
constexpr const char* kPrintProcessor = "winprint";
constexpr const char* kDataType = "RAW";
constexpr const char* kStoreIndexKey = "SOFTWARE\\PurvexE2E\\DriverStoreIndex";
constexpr DWORD kDriverVersion3 = 3;

std::vector<Profile> Profiles() {
  std::vector<Profile> all = CoreProfiles();
  for (auto group :
       {SequenceProfiles, BadInputProfiles, MatchingProfiles, SafetyProfiles, ScaleProfiles}) {
    for (Profile& p : group()) all.push_back(std::move(p));
  }
  return all;
}

bool g_failed = false;

void Fail(const std::string& what, DWORD error) {
  std::printf("error=%s (%lu)\n", what.c_str(), static_cast<unsigned long>(error));
  g_failed = true;
}

std::string Directory(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void MakeDirectories(const std::string& dir) {
  if (dir.empty() || GetFileAttributesA(dir.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  MakeDirectories(Directory(dir));
  CreateDirectoryA(dir.c_str(), nullptr);
}

bool WriteTextFile(const std::string& path, const std::string& content) {
  MakeDirectories(Directory(path));
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail("create " + path, GetLastError());
    return false;
  }
  DWORD written = 0;
  WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return true;
}

bool CopyInto(const std::string& source, const std::string& target) {
  MakeDirectories(Directory(target));
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
    Fail("copy " + source + " to " + target, GetLastError());
    return false;
  }
  return true;
}

// exactBytes stores data as it stands, without an added terminator.
bool SetString(HKEY root, const std::string& key, const char* name, const std::string& data, DWORD type = REG_SZ,
               bool exactBytes = false) {
  HKEY handle = nullptr;
  LONG status = RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) {
    Fail("create key " + key, static_cast<DWORD>(status));
    return false;
  }
  if (name) {
    // REG_MULTI_SZ data arrives with its inner terminators; keep them all.
    DWORD size = static_cast<DWORD>(type == REG_MULTI_SZ || exactBytes ? data.size() : data.size() + 1);
    status = RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()), size);
    if (status != ERROR_SUCCESS) Fail("set " + key + "\\" + name, static_cast<DWORD>(status));
  }
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

// The user's SID as text, for the native name of a key in the user's hive.
std::string UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  std::string sid;
  char* text = nullptr;
  if (size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

// A registry link at key pointing at target below the same root: its value
// is the target's native name in UTF-16 without a terminator.
void CreateRegistryLink(HKEY root, const std::string& key, const std::string& target) {
  const std::string native = root == HKEY_CURRENT_USER
                                 ? "\\Registry\\User\\" + UserSid() + "\\" + target
                                 : "\\Registry\\Machine\\" + target;
  HKEY handle = nullptr;
  LONG status = RegCreateKeyExA(root, key.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                                KEY_WRITE | KEY_CREATE_LINK, nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) {
    Fail("create link " + key, static_cast<DWORD>(status));
    return;
  }
  std::vector<BYTE> wide;
  for (char c : native) {
    wide.push_back(static_cast<BYTE>(c));
    wide.push_back(0);
  }
  status = RegSetValueExA(handle, "SymbolicLinkValue", 0, REG_LINK, wide.data(),
                          static_cast<DWORD>(wide.size()));
  if (status != ERROR_SUCCESS) Fail("set link " + key, static_cast<DWORD>(status));
  RegCloseKey(handle);
}

// The key itself: a link is reported as there while the link is.
bool KeyExists(HKEY root, const std::string& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, &handle) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

std::string MultiString(const std::vector<const char*>& items) {
  std::string out;
  for (const char* item : items) {
    out += item;
    out += '\0';
  }
  out += '\0';
  return out;
}

// The local port monitor adds a port by name through its XcvData interface.
void EnsurePort(const char* port) {
  if (std::strcmp(port, "FILE:") == 0) return;
  PRINTER_DEFAULTSA defaults{};
  defaults.DesiredAccess = SERVER_ACCESS_ADMINISTER;
  HANDLE monitor = nullptr;
  if (!OpenPrinterA(const_cast<char*>(kLocalPortMonitor), &monitor, &defaults)) {
    Fail("open the local port monitor", GetLastError());
    return;
  }
  wchar_t wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, port, -1, wide, MAX_PATH);
  DWORD needed = 0, status = 0;
  DWORD bytes = static_cast<DWORD>((wcslen(wide) + 1) * sizeof(wchar_t));
  if (!XcvDataW(monitor, L"AddPort", reinterpret_cast<BYTE*>(wide), bytes, nullptr, 0, &needed, &status)) {
    Fail(std::string("add port ") + port, GetLastError());
  } else if (status != ERROR_SUCCESS && status != ERROR_ALREADY_EXISTS) {
    Fail(std::string("add port ") + port, status);
  }
  ClosePrinter(monitor);
}

std::string DriverFile(const char* driver, const char* suffix) {
  std::string base;
  for (const char* c = driver; *c; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c))) base += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
  }
  return base + suffix;
}

void InstallPrinter(const PrinterSpec& setup, const std::string& configDll) {
  // The spooler copies a driver's files only from its staging directory.
  const std::string driverDll = DriverFile(setup.driver, ".dll");
  const std::string uiDll = DriverFile(setup.driver, "ui.dll");
  const std::string dataFile = DriverFile(setup.driver, ".gpd");
  CopyInto(configDll, std::string(kSpoolStaging) + "\\" + driverDll);
  CopyInto(configDll, std::string(kSpoolStaging) + "\\" + uiDll);
  WriteTextFile(std::string(kSpoolStaging) + "\\" + dataFile, "*GPDSpecVersion: \"1.0\"\r\n");
  for (const char* dependent : setup.dependentFiles) {
    WriteTextFile(std::string(kSpoolStaging) + "\\" + dependent, std::string("driver support file ") + dependent);
    WriteTextFile(std::string(kSystemDir) + "\\" + dependent, std::string("driver support file ") + dependent);
  }
  std::string dependents = MultiString(setup.dependentFiles);

  DRIVER_INFO_3A driver{};
  driver.cVersion = kDriverVersion3;
  driver.pName = const_cast<char*>(setup.driver);
  driver.pEnvironment = const_cast<char*>(kEnvironment);
  driver.pDriverPath = const_cast<char*>(driverDll.c_str());
  driver.pDataFile = const_cast<char*>(dataFile.c_str());
  driver.pConfigFile = const_cast<char*>(uiDll.c_str());
  driver.pDependentFiles = dependents.data();
  driver.pDefaultDataType = const_cast<char*>(kDataType);
  if (!AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)) {
    Fail(std::string("add driver ") + setup.driver, GetLastError());
    return;
  }
  // Wine ignores the level-6 extras; the spooler reads them back from here.
  const std::string driverKey = std::string(kDriversKey) + "\\" + setup.driver;
  SetString(HKEY_LOCAL_MACHINE, driverKey, "Manufacturer", setup.manufacturer);
  SetString(HKEY_LOCAL_MACHINE, driverKey, "HardwareID", setup.hardwareId);
  SetString(HKEY_LOCAL_MACHINE, driverKey, "InfPath", setup.infPath);
  SetString(HKEY_LOCAL_MACHINE, driverKey, "Provider", setup.manufacturer);

  EnsurePort(setup.port);
  PRINTER_INFO_2A info{};
  info.pPrinterName = const_cast<char*>(setup.printer);
  info.pPortName = const_cast<char*>(setup.port);
  info.pDriverName = const_cast<char*>(setup.driver);
  info.pPrintProcessor = const_cast<char*>(kPrintProcessor);
  info.pDatatype = const_cast<char*>(kDataType);
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!printer) {
    Fail(std::string("add printer ") + setup.printer, GetLastError());
    return;
  }
  ClosePrinter(printer);

  const std::string softwareKey = std::string(kPrintersSoftwareKey) + "\\" + setup.printer;
  if (setup.deviceInstanceId) SetString(HKEY_LOCAL_MACHINE, softwareKey + "\\PnPData", "DeviceInstanceId", setup.deviceInstanceId);
  SetString(HKEY_LOCAL_MACHINE, softwareKey + "\\DsDriver", "printMediaSupported", MultiString(setup.forms), REG_MULTI_SZ);
  std::printf("printer=%s\n", setup.printer);
}

void InstallDevice(const DeviceSpec& setup) {
  HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
  if (set == INVALID_HANDLE_VALUE) {
    Fail("device info list", GetLastError());
    return;
  }
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  // Devices of unknown class, as USB devices without their drivers are.
  static const GUID kUnknownClass = {0x4d36e97e, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
  if (!SetupDiCreateDeviceInfoA(set, setup.instanceId, &kUnknownClass, nullptr, nullptr, 0, &data) ||
      !SetupDiRegisterDeviceInfo(set, &data, 0, nullptr, nullptr, nullptr)) {
    Fail(std::string("create device ") + setup.instanceId, GetLastError());
    SetupDiDestroyDeviceInfoList(set);
    return;
  }
  std::string hardwareIds = MultiString({setup.hardwareId});
  SetupDiSetDeviceRegistryPropertyA(set, &data, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(hardwareIds.data()),
                                    static_cast<DWORD>(hardwareIds.size()));
  if (setup.service && *setup.service) {
    SetupDiSetDeviceRegistryPropertyA(set, &data, SPDRP_SERVICE, reinterpret_cast<const BYTE*>(setup.service),
                                      static_cast<DWORD>(std::strlen(setup.service) + 1));
  }
  if (setup.symbolicName) {
    HKEY parameters = SetupDiCreateDevRegKeyA(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DEV, nullptr, nullptr);
    if (parameters == INVALID_HANDLE_VALUE) {
      Fail(std::string("device parameters of ") + setup.instanceId, GetLastError());
    } else {
      RegSetValueExA(parameters, "SymbolicName", 0, REG_SZ, reinterpret_cast<const BYTE*>(setup.symbolicName),
                     static_cast<DWORD>(std::strlen(setup.symbolicName) + 1));
      RegCloseKey(parameters);
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  if (setup.parentIdPrefix) {
    SetString(HKEY_LOCAL_MACHINE, std::string(kEnumKey) + "\\" + setup.instanceId, "ParentIdPrefix", setup.parentIdPrefix);
  }
  std::printf("device=%s\n", setup.instanceId);
}

void InstallService(const ServiceSpec& setup) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE);
  if (!manager) {
    Fail("open the service manager", GetLastError());
    return;
  }
  SC_HANDLE service = CreateServiceA(manager, setup.name, setup.displayName, SERVICE_QUERY_STATUS,
                                     SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                     setup.imagePath, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (!service && GetLastError() != ERROR_SERVICE_EXISTS) Fail(std::string("create service ") + setup.name, GetLastError());
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  std::printf("service=%s\n", setup.name);
}

int Install(const Profile& profile, const std::string& configDll) {
  if (GetFileAttributesA(configDll.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Fail("no driver configuration DLL at " + configDll, ERROR_FILE_NOT_FOUND);
    return kExitFailed;
  }
  for (const FileSpec& file : profile.files) {
    WriteTextFile(file.path, file.size != 0 ? std::string(file.content, file.size)
                                            : std::string(file.content));
  }
  for (const KeySpec& key : profile.keys) {
    if (key.type == REG_LINK) {
      CreateRegistryLink(key.root, key.key, key.data);
      continue;
    }
    std::string data = key.data ? key.data : "";
    if (key.size) data.assign(key.data, key.size);
    SetString(key.root, key.key, key.value, data, key.type, key.size != 0);
  }
  for (const StoreIndexEntry& entry : profile.storeIndex) {
    SetString(HKEY_LOCAL_MACHINE, kStoreIndexKey, entry.installedInf, entry.storeInf);
  }
  for (const ServiceSpec& service : profile.services) InstallService(service);
  for (const DeviceSpec& device : profile.devices) InstallDevice(device);
  for (const PrinterSpec& printer : profile.printers) InstallPrinter(printer, configDll);
  std::printf("seeded=%s\n", profile.name);
  return g_failed ? kExitFailed : kExitOk;
}

bool PrinterExists(const char* name) {
  HANDLE printer = nullptr;
  if (!OpenPrinterA(const_cast<char*>(name), &printer, nullptr)) return false;
  ClosePrinter(printer);
  return true;
}

bool ServiceExists(const char* name) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return false;
  SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return service != nullptr;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void PrintFact(const char* kind, const std::string& name, bool present) {
  std::printf("%s.%s=%d\n", kind, name.c_str(), present ? 1 : 0);
}

int Report(const Profile& profile) {
  for (const PrinterSpec& setup : profile.printers) {
    PrintFact("printer", setup.printer, PrinterExists(setup.printer));
    PrintFact("driver", setup.driver, KeyExists(HKEY_LOCAL_MACHINE, std::string(kDriversKey) + "\\" + setup.driver));
    for (const char* dependent : setup.dependentFiles) {
      std::string path = std::string(kSystemDir) + "\\" + dependent;
      PrintFact("file", path, FileExists(path));
    }
  }
  for (const DeviceSpec& setup : profile.devices) {
    PrintFact("device", setup.instanceId, KeyExists(HKEY_LOCAL_MACHINE, std::string(kEnumKey) + "\\" + setup.instanceId));
  }
  for (const ServiceSpec& setup : profile.services) PrintFact("service", setup.name, ServiceExists(setup.name));
  for (const FileSpec& setup : profile.files) PrintFact("file", setup.path, FileExists(setup.path));
  for (const KeySpec& setup : profile.keys) {
    PrintFact("key", std::string(setup.rootName) + "\\" + setup.key, KeyExists(setup.root, setup.key));
  }
  return kExitOk;
}

const char* StateName(DWORD state) {
  switch (state) {
    case SERVICE_STOPPED: return "stopped";
    case SERVICE_START_PENDING: return "start-pending";
    case SERVICE_STOP_PENDING: return "stop-pending";
    case SERVICE_RUNNING: return "running";
    case SERVICE_CONTINUE_PENDING: return "continue-pending";
    case SERVICE_PAUSE_PENDING: return "pause-pending";
    case SERVICE_PAUSED: return "paused";
    default: return "unknown";
  }
}

int PrintServiceState(const char* name) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) {
    Fail("open the service manager", GetLastError());
    return kExitFailed;
  }
  SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
  SERVICE_STATUS status{};
  const bool known = service && QueryServiceStatus(service, &status);
  if (!known) Fail(std::string("query service ") + name, GetLastError());
  if (service) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  if (!known) return kExitFailed;
  std::printf("state=%s\n", StateName(status.dwCurrentState));
  return kExitOk;
}

// The entries that SetupAPI enumerates with all classes, as "Clean system"
// asks for them: all of them, those under USB, and those of the maker; and
// how long building the set, stepping through it and reading every entry's
// hardware id took (the floor under "Clean system").
int CountDevices() {
  LARGE_INTEGER frequency{}, t0{}, t1{}, t2{}, t3{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&t0);
  HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) {
    Fail("device information set", GetLastError());
    return kExitFailed;
  }
  QueryPerformanceCounter(&t1);
  unsigned all = 0, usb = 0, maker = 0;
  std::vector<SP_DEVINFO_DATA> elements;
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &data); ++index) {
    elements.push_back(data);
    ++all;
    char id[MAX_PATH] = {};
    if (!SetupDiGetDeviceInstanceIdA(set, &data, id, sizeof id, nullptr)) continue;
    if (std::strncmp(id, "USB\\", 4) != 0) continue;
    ++usb;
    if (std::strstr(id, "VID_0E7B") != nullptr) ++maker;
  }
  QueryPerformanceCounter(&t2);
  for (SP_DEVINFO_DATA& element : elements) {
    BYTE ids[1024];
    DWORD type = 0, size = 0;
    SetupDiGetDeviceRegistryPropertyA(set, &element, SPDRP_HARDWAREID, &type, ids, sizeof ids, &size);
  }
  QueryPerformanceCounter(&t3);
  SetupDiDestroyDeviceInfoList(set);
  auto seconds = [&](const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(frequency.QuadPart);
  };
  std::printf("devices=%u usb=%u maker=%u build=%.3fs step=%.3fs hardware-ids=%.3fs\n", all, usb, maker,
              seconds(t0, t1), seconds(t1, t2), seconds(t2, t3));
  return kExitOk;
}

std::string NextToSelf(const char* name) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, sizeof self);
  return Directory(self) + "\\" + name;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "profiles") {
    for (const Profile& p : Profiles()) std::printf("%s: %s\n", p.name, p.description);
    return kExitOk;
  }
  if (verb == "service-state" && argc > 2) return PrintServiceState(argv[2]);
  if (verb == "count-devices") return CountDevices();
  if ((verb != "install" && verb != "report") || argc < 3) {
    std::fprintf(stderr,
                 "usage: seed.exe install|report PROFILE [CONFIG_DLL] | seed.exe profiles | "
                 "seed.exe service-state NAME\n");
    return kExitUsage;
  }
  for (const Profile& profile : Profiles()) {
    if (profile.name != std::string(argv[2])) continue;
    if (verb == "report") return Report(profile);
    return Install(profile, argc > 3 ? argv[3] : NextToSelf("korvexui.dll"));
  }
  std::fprintf(stderr, "unknown profile %s\n", argv[2]);
  return kExitUsage;
}
