// Installations with bad data for the bad-input scenarios: registry values of
// the wrong type or of a length at the program's 255-byte read limit, names
// outside ASCII or with a double quote, a hardware id that climbs out of its
// directory, and canary files in the system's own folders.
//
// The profiles whose names end in "-values" only overwrite values of
// installations laid down before them (seed.exe install runs the profiles in
// the order given), as a damaged or hostile installer would leave them.
#include <string>

#include "profile.h"

namespace seed {

namespace {

// The program reads strings into 255 bytes: a value of 254 bytes with its
// terminator still fits, one of 255 bytes or more must read as a failure.
constexpr DWORD kFitsReadBuffer = 254;
constexpr DWORD kFillsReadBuffer = 255;
constexpr DWORD kFarTooLong = 300;

const char* const kModel80 = "Korvex Model 80";
const char* const kModel80HardwareId = "USB\\VID_0E7B&PID_0105&MI_00";
const char* const kStoreRepository = "C:\\windows\\System32\\DriverStore\\FileRepository\\";
const char* const kModel80Store = "korvex80.inf_amd64_neutral_4f3e2d1c";
const char* const kCompositeDevice = "USB\\VID_0E7B&PID_0105\\KVX80000001";
const char* const kInterfaceDevice = "USB\\VID_0E7B&PID_0105&MI_00\\6&2C3D4E5F&0&0000";
const char* const kConsoleSettings = "Software\\Korvex\\QdConsole\\App. settings";

// text padded with pad to exactly bytes - 1 characters, so that with its
// terminator it takes bytes bytes.
std::string Padded(const std::string& text, char pad, DWORD bytes) {
  std::string out = text;
  out.resize(bytes - 1, pad);
  return out;
}

std::string DriverKey(const char* driver) { return std::string(kDriversKey) + "\\" + driver; }

std::string PrinterSoftwareKey(const char* printer, const char* subkey) {
  return std::string(kPrintersSoftwareKey) + "\\" + printer + "\\" + subkey;
}

KeySpec Value(const std::string& key, const char* value, const std::string& data, DWORD type, DWORD size) {
  return {HKEY_LOCAL_MACHINE, "HKLM", Keep(key), value, Keep(data), type, size};
}

// A little-endian DWORD as registry data.
std::string DwordData(DWORD value) {
  std::string out(sizeof value, '\0');
  for (size_t i = 0; i < sizeof value; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

constexpr DWORD kSomeDword = 0x00C0FFEE;

// Maker drivers next to the maker's printer whose "Manufacturer" is of the
// wrong type or at the read limit: only the one that fits is listed.
const char* const kModel81 = "Korvex Model 81";  // Manufacturer REG_BINARY: not listed
const char* const kModel82 = "Korvex Model 82";  // Manufacturer of 254 bytes: listed
const char* const kModel83 = "Korvex Model 83";  // Manufacturer of 255 bytes: not listed

Profile OddMakersProfile() {
  Profile p = NewProfile("odd-makers", "three more Korvex file-port printers whose driver Manufacturer is binary, 254 bytes or 255 bytes");
  const char* fits = Keep(Padded("Korvex", ' ', kFitsReadBuffer));
  const char* fills = Keep(Padded("Korvex", ' ', kFillsReadBuffer));
  p.printers.push_back({kModel81, kModel81, "Korvex", "USBPRINT\\KorvexModel_81", "C:\\windows\\inf\\korvex81.inf", "FILE:",
                        nullptr, {"A5"}, {"k81res.dll"}});
  p.printers.push_back({kModel82, kModel82, fits, "USBPRINT\\KorvexModel_82", "C:\\windows\\inf\\korvex82.inf", "FILE:",
                        nullptr, {"A6"}, {"k82res.dll"}});
  p.printers.push_back({kModel83, kModel83, fills, "USBPRINT\\KorvexModel_83", "C:\\windows\\inf\\korvex83.inf", "FILE:",
                        nullptr, {"A7"}, {"k83res.dll"}});
  return p;
}

// Overwrites values of "maker" and "odd-makers".
Profile BadValuesProfile() {
  Profile p = NewProfile("bad-values", "overwrites values of maker and odd-makers with wrong types and lengths at the 255-byte limit");
  // The maker printer: an InfPath of exactly 254 bytes still names its store
  // folder; forms, ParentIdPrefix and SymbolicName that cannot be read.
  const std::string storeDir = std::string(kStoreRepository) + kModel80Store + "\\";
  const std::string longInf = Padded(storeDir + "korvex80", 'x', kFitsReadBuffer - static_cast<DWORD>(std::string(".inf").size()));
  p.keys.push_back(Value(DriverKey(kModel80), "InfPath", longInf + ".inf", REG_SZ, 0));
  p.keys.push_back(Value(PrinterSoftwareKey(kModel80, "DsDriver"), "printMediaSupported", "Model 80x200mm", REG_SZ, 0));
  p.keys.push_back(Value(std::string(kEnumKey) + "\\" + kCompositeDevice, "ParentIdPrefix", "6&2c3d4e5f&0", REG_BINARY,
                         static_cast<DWORD>(std::string("6&2c3d4e5f&0").size())));
  p.keys.push_back(Value(std::string(kEnumKey) + "\\" + kCompositeDevice + "\\Device Parameters", "SymbolicName",
                         Padded("\\??\\USB#VID_0E7B&PID_0105#KVX80000001#", 'z', kFarTooLong), REG_SZ, 0));
  // The interface's prefix without its terminator, as some drivers store it.
  p.keys.push_back(Value(std::string(kEnumKey) + "\\" + kInterfaceDevice, "ParentIdPrefix", "7&1a2b3c4d&0", REG_SZ,
                         static_cast<DWORD>(std::string("7&1a2b3c4d&0").size())));
  // Model 81: the manufacturer as bytes, not as a string.
  p.keys.push_back(Value(DriverKey(kModel81), "Manufacturer", "Korvex", REG_BINARY,
                         static_cast<DWORD>(std::string("Korvex").size())));
  // Model 82 is listed: every other fact of it is unreadable.
  p.keys.push_back(Value(DriverKey(kModel82), "HardwareID", DwordData(kSomeDword), REG_DWORD, sizeof(DWORD)));
  p.keys.push_back(Value(DriverKey(kModel82), "InfPath", Padded(storeDir + "korvex82", 'y', kFillsReadBuffer), REG_SZ, 0));
  p.keys.push_back(Value(PrinterSoftwareKey(kModel82, "PnPData"), "DeviceInstanceId", DwordData(kSomeDword), REG_DWORD,
                         sizeof(DWORD)));
  p.keys.push_back(Value(PrinterSoftwareKey(kModel82, "DsDriver"), "printMediaSupported",
                         Padded(std::string("A6") + '\0' + "A5", 'w', kFarTooLong), REG_BINARY, kFarTooLong - 1));
  return p;
}

// The maker installation under a name of the ANSI code page beyond ASCII.
const char* const kModelAccent = "Korvex Mod\xe8l 80";

Profile AccentedMakerProfile() {
  Profile p = Variant(MakerProfile(), "maker-accented",
                      "the maker installation with printer and driver named \"Korvex Mod\xe8l 80\" (code page 1252)");
  p.printers[0].printer = kModelAccent;
  p.printers[0].driver = kModelAccent;
  for (KeySpec& key : p.keys) {
    std::string path = key.key;
    const size_t at = path.find(kModel80);
    if (at != std::string::npos) key.key = Keep(path.replace(at, std::string(kModel80).size(), kModelAccent));
  }
  return p;
}

// A maker printer whose driver name holds double quotes: on a command line
// they would end the quoted argument.
const char* const kModelQuote = "Korvex Model 90";
const char* const kQuoteDriver = "Korvex \"Q\" 90";
const char* const kQuoteStore = "korvexq90.inf_amd64_neutral_90909090";

Profile QuotedDriverProfile() {
  Profile p = NewProfile("quoted-driver", "a Korvex file-port printer whose driver is named Korvex \"Q\" 90");
  const std::string storeInf = std::string(kStoreRepository) + kQuoteStore + "\\korvexq90.inf";
  p.printers.push_back({kModelQuote, kQuoteDriver, "Korvex", "USBPRINT\\KorvexQ_90", Keep(storeInf), "FILE:", nullptr,
                        {"Q90x50mm"}, {"QdNetVu.dll"}});
  p.files = {
      {Keep(storeInf), "[Version]\r\nProvider=Korvex\r\n\"Korvex Q 90\" = Q90, USBPRINT\\KorvexQ_90\r\n"},
      {Keep(std::string("C:\\windows\\System32\\DriverStore\\Temp\\") + kQuoteStore + "\\korvexq90.inf"), "temporary copy"},
      {Keep(std::string("C:\\windows\\system32\\spool\\drivers\\x64\\PCC\\") + kQuoteStore + ".cab"), "cabinet"},
  };
  AddProductKeys(p, kModelQuote, {{"QdRk", "Port", "FILE:"}});
  return p;
}

// Files in the system's own folders that no removal may touch.
Profile SystemCanaryProfile() {
  Profile p = NewProfile("system-canary", "canary files in the drive root, the Windows directory and system32");
  p.files = {
      {"C:\\canary-root.txt", "canary"},
      {"C:\\windows\\keep-me.txt", "canary"},
      {"C:\\windows\\system32\\keep-me-too.txt", "canary"},
  };
  return p;
}

// Another queue of the maker's driver, so that a removal that leaves the
// driver can be repeated with a single listed printer.
Profile QueueProfile(const char* name, const char* printer) {
  Profile p = NewProfile(name, "one more file-port queue of the maker's driver");
  p.printers.push_back({printer, kModel80, "Korvex", kModel80HardwareId,
                        "C:\\windows\\System32\\DriverStore\\FileRepository\\korvex80.inf_amd64_neutral_4f3e2d1c\\korvex80.inf",
                        "FILE:", nullptr, {"A4"}, {}});
  return p;
}

// A hardware id whose components climb out of the directory that its
// backup-directory name is built in; no InfPath that can be read, so that the
// backup-directory cleanup (not the driver-store cleanup) runs.
const char* const kClimbingId = "USB\\VID_0E7B&PID_0105&MI_00\\..\\..\\canary";

Profile ClimbingIdProfile() {
  Profile p = Variant(MakerProfile(), "maker-climbing-id",
                      "the maker installation with the hardware id USB\\VID_0E7B&PID_0105&MI_00\\..\\..\\canary and backups");
  p.printers[0].hardwareId = kClimbingId;
  const std::string infLine = std::string("\"Korvex Model 80\" = Model80, ") + kClimbingId + "\r\n";
  for (FileSpec& file : p.files) {
    if (std::string(file.path) == "C:\\windows\\inf\\oem12.inf") {
      file.content = Keep("[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\nProvider=Korvex\r\n[Korvex]\r\n" + infLine);
    }
  }
  p.files.push_back({"C:\\windows\\system32\\spool\\drivers\\x64\\vid_0e7b_pid_0105_mi_00_______canary\\korvex80.gpd",
                     "backup of the driver"});
  p.files.push_back({"C:\\windows\\system32\\DRVSTORE\\korvex80_1a2b\\korvex80.inf",
                     Keep("[Version]\r\nProvider=Korvex\r\n" + infLine)});
  return p;
}

// Where the climbing id would lead if it were used as a path.
Profile ClimbTargetsProfile() {
  Profile p = NewProfile("climb-targets", "canary directories where the climbing hardware id would lead, and another DRVSTORE backup");
  p.files = {
      {"C:\\windows\\system32\\spool\\drivers\\canary\\keep.txt", "canary"},
      {"C:\\windows\\system32\\spool\\drivers\\x64\\canary\\keep.txt", "canary"},
      {"C:\\windows\\system32\\spool\\canary\\keep.txt", "canary"},
      {"C:\\windows\\system32\\DRVSTORE\\other_5e6f\\other.inf", "[Version]\r\nProvider=Other\r\n\"Other\" = X, USB\\VID_1234&PID_0001\r\n"},
  };
  return p;
}

Profile ClimbingValuesProfile() {
  Profile p = NewProfile("climbing-values", "overwrites the InfPath of maker-climbing-id with a DWORD");
  p.keys.push_back(Value(DriverKey(kModel80), "InfPath", DwordData(kSomeDword), REG_DWORD, sizeof(DWORD)));
  return p;
}

}  // namespace

std::vector<Profile> BadInputProfiles() {
  return {OddMakersProfile(),     BadValuesProfile(),   AccentedMakerProfile(), QuotedDriverProfile(),
          SystemCanaryProfile(),  QueueProfile("maker-queue-2", "Korvex Model 80 (2)"),
          QueueProfile("maker-queue-3", "Korvex Model 80 (3)"), ClimbingIdProfile(),    ClimbTargetsProfile(),
          ClimbingValuesProfile()};
}

}  // namespace seed
