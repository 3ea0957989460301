// Every platform call of a sequence, failed once: a clean run lists the
// calls, then each call index gets a fresh simulated Windows in which that
// one call fails with an error its kind really returns. Every run must end,
// reach its reload and final report (or the early end its rules give), leave
// the spooler running, change nothing outside what the sequence set out to
// remove, and say something about the failure whenever it changed anything.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "tests/common/utf16_text.h"
#include "tests/unit/page_fixture.h"

namespace fault_sweep {
namespace {

using page_test::UsbPrinter;

// The printer whose installation the sequences remove.
const UsbPrinter& kTarget = page_test::kP1;
// Clean system's work: a model whose printer is gone, and a second physical
// device of the installed model on which no printer hangs.
const UsbPrinter kGoneModel{"Korvex KP-107", "Korvex KP-107 Driver", "0107", "99999999"};
const UsbPrinter kStaleTwin{"Korvex KP-103 #2", "", "0103", "77777777"};

constexpr const char* kSystem32 = "C:\\Windows\\system32";
constexpr const char* kDriversDir = "C:\\Windows\\system32\\drivers";
constexpr const char* kInfDir = "C:\\Windows\\inf";
constexpr const char* kSpoolDir = "C:\\Windows\\system32\\spool\\drivers\\x64";
constexpr const char* kPccDir = "C:\\Windows\\system32\\spool\\drivers\\x64\\PCC";
constexpr const char* kStoreTemp = "C:\\Windows\\System32\\DriverStore\\Temp";
constexpr const char* kDrvStore = "C:\\Windows\\system32\\DRVSTORE";
constexpr const char* kLogDir = "C:\\Work\\log";
constexpr const char* kSpooler = "Spooler";
constexpr const char* kPortService = "VomuUsb";
constexpr const char* kPortDriverFile = "C:\\Windows\\system32\\drivers\\VomuUsb.sys";
constexpr const char* kPrinterInf = "C:\\Windows\\inf\\oem103.inf";
constexpr const char* kPrinterPnf = "C:\\Windows\\inf\\oem103.pnf";
constexpr const char* kPortInf = "C:\\Windows\\inf\\oem90.inf";
constexpr const char* kPortPnf = "C:\\Windows\\inf\\oem90.pnf";
constexpr const char* kPortPackage = "vomuusb.inf_amd64_0a1b2c3d";
constexpr const char* kConsoleKey = "Software\\Korvex\\QdConsole";
constexpr const char* kConsoleSettingsKey = "Software\\Korvex\\QdConsole\\App. settings";
constexpr const char* kConsoleDir = "C:\\Program Files\\Korvex\\QdConsole";
constexpr const char* kDrvStoreCopy = "C:\\Windows\\system32\\DRVSTORE\\kx0103_1a2b3c4d";
const char* const kProductKeys[] = {"SOFTWARE\\QD\\QdRk", "SOFTWARE\\QD\\QdRkTx",
                                    "SOFTWARE\\QD\\QdRkDriverInfo"};
const char* const kTargetDlls[] = {"QdRk.dll", "QdRkTx.dll"};

constexpr const char* kOtherDriver = "Acme Office 5 PCL";
constexpr const char* kOtherPrinter = "Acme Office 5";
constexpr const char* kOtherHardwareId = "USBPRINT\\ACMEOFFICE5A1C2";
constexpr const char* kOtherPackage = "acme5.inf_amd64_0badf00d";
constexpr const char* kOtherService = "AcmeUsb";
// The USB devices beside the maker's printers.
constexpr const char* kOtherVidPid = "VID_1A2B&PID_0103";
constexpr const char* kScannerVidPid = "VID_0E7B&PID_0203";

constexpr const char* kUnexpectedErrorLine = "Uninstall operation ended by an unexpected error";
// Far more than a sequence sleeps (about half a minute of simulated time)
// and far less than a retry loop that never ends would reach: 30 minutes.
constexpr uint64_t kSimulatedTimeLimitMs = 30ull * 60 * 1000;
// Wall-clock bound of one run; a run takes milliseconds.
constexpr auto kWallLimit = std::chrono::seconds(60);
constexpr size_t kFailuresShown = 25;

std::string Repository(const std::string& package) {
  return std::string(sim::kDriverStoreRepository) + "\\" + package;
}

std::string Up(const std::string& s) { return text::Upper(s); }

// Both upper case already.
bool UnderUpper(const std::string& p, const std::string& q) {
  return p.size() >= q.size() && p.compare(0, q.size(), q) == 0 &&
         (p.size() == q.size() || p[q.size()] == '\\');
}

// The maker's installation of one printer with its own driver.
void SeedTarget(sim::SimWindows& sim) {
  sim::DriverSpec driver;
  driver.name = kTarget.driver;
  driver.manufacturer = page_test::kMaker;
  driver.hardwareId = kTarget.HardwareId();
  driver.infPath = kTarget.InfPath();
  driver.dependentFiles = {"kx0103.dll", "kx0103ui.dll", "QdRk.dll", "QdRkTx.dll"};
  sim.AddDriver(driver);
  for (const char* dll : kTargetDlls) sim.AddFile(std::string(kSystem32) + "\\" + dll, dll);

  sim::PrinterSpec printer;
  printer.name = kTarget.name;
  printer.driver = kTarget.driver;
  printer.pnpDeviceInstanceId = kTarget.PnpInstance();
  printer.forms = std::vector<std::string>{"Korvex Photo 10x15", "Letter", "Korvex Card 54x86",
                                           "A4"};
  sim.AddPrinter(printer);
  AddUsbDevice(sim, kTarget);

  sim.AddService(kPortService, /*running=*/true);
  sim.AddFile(kPortDriverFile, "port driver");
  // Stored as UTF-16, as driver packages often ship it.
  const std::string printerInf =
      "[Version]\r\nClass=Printer\r\n[Models]\r\n%Printer%=Install, " + kTarget.HardwareId() + "\r\n";
  sim.AddFile(kPrinterInf, testtext::Utf16WithMark(printerInf));
  sim.AddFile(kPrinterPnf, "pnf");
  sim.AddFile(kPortInf, "[Models]\r\n%Port%=Port, USB\\VID_0E7B&PID_0103&MI_01\r\n");
  sim.AddFile(kPortPnf, "pnf");
  sim.AddPackage(kPrinterInf, kTarget.InfPath());
  sim.AddFile(Repository(kTarget.StoreFolder()) + "\\kx0103.dll", "store copy");
  sim.AddPackage(kPortInf, Repository(kPortPackage) + "\\vomuusb.inf");
  sim.AddFile(std::string(kStoreTemp) + "\\" + kTarget.StoreFolder() + "\\kx0103.inf", "temp");
  sim.AddFile(std::string(kStoreTemp) + "\\" + kPortPackage + "\\vomuusb.inf", "temp");
  sim.AddFile(std::string(kPccDir) + "\\" + kTarget.StoreFolder() + ".cab", "cab");
  sim.AddFile(std::string(kPccDir) + "\\" + kPortPackage + ".cab", "cab");
  sim.AddFile(std::string(kSpoolDir) + "\\" +
                  CRemoveDrvPrn::BackupDirectoryName(kTarget.HardwareId()) + "\\kx0103.dll",
              "backup");
  sim.AddFile(std::string(kDrvStoreCopy) + "\\kx0103.inf",
              "[Models]\r\n%Printer%=Install, " + kTarget.HardwareId() + "\r\n");

  for (const char* key : kProductKeys) {
    for (RegRoot root : {RegRoot::LocalMachine, RegRoot::CurrentUser}) {
      sim.SetString(root, std::string(key) + "\\" + kTarget.name, "Model", kTarget.name);
    }
  }
  sim.SetString(RegRoot::CurrentUser, kConsoleSettingsKey, "Path", kConsoleDir);
  sim.AddFile(std::string(kConsoleDir) + "\\QdConsole.exe", "console");
  sim.AddFile(std::string(kConsoleDir) + "\\lang\\en.dll", "lang");
}

// What no sequence may touch.
void SeedCanaries(sim::SimWindows& sim) {
  sim::DriverSpec driver;
  driver.name = kOtherDriver;
  driver.manufacturer = "Acme Corporation";
  driver.hardwareId = kOtherHardwareId;
  driver.infPath = Repository(kOtherPackage) + "\\acme5.inf";
  driver.dependentFiles = {"acme5ui.dll", "acme5pcl.dll"};
  sim.AddDriver(driver);
  sim.AddFile(std::string(kSystem32) + "\\acme5ui.dll", "acme");
  sim.AddFile(std::string(kSystem32) + "\\acme5pcl.dll", "acme");
  sim::PrinterSpec printer;
  printer.name = kOtherPrinter;
  printer.driver = kOtherDriver;
  printer.port = "USB002";
  printer.pnpDeviceInstanceId = std::string(kOtherHardwareId) + "\\8&2C3D4E5F&0&USB002";
  printer.forms = std::vector<std::string>{"Acme Photo 4x6"};
  sim.AddPrinter(printer);
  sim.AddFile(std::string(kInfDir) + "\\oem7.inf",
              std::string("[Models]\r\n%Acme%=Acme, ") + kOtherHardwareId + "\r\n");
  sim.AddFile(std::string(kInfDir) + "\\oem7.pnf", "pnf");
  sim.AddPackage(std::string(kInfDir) + "\\oem7.inf", Repository(kOtherPackage) + "\\acme5.inf");
  sim.AddFile(std::string(kStoreTemp) + "\\" + kOtherPackage + "\\acme5.inf", "temp");
  sim.AddFile(std::string(kPccDir) + "\\" + kOtherPackage + ".cab", "cab");

  // Another vendor's composite device, driven by its own service.
  page_test::AddCompositeDevice(sim, kOtherVidPid, "00000001",
                                {std::string("USB\\") + kOtherVidPid + "&REV_0001",
                                 std::string("USB\\") + kOtherVidPid});
  page_test::AddSecondInterface(sim, kOtherVidPid, "00000001", kOtherService);
  sim.AddService(kOtherService, /*running=*/true);
  sim.AddFile(std::string(kDriversDir) + "\\AcmeUsb.sys", "acme driver");

  // The maker's scanner: the vendor id without a printer product id.
  page_test::AddCompositeDevice(sim, kScannerVidPid, "55555555",
                                {std::string("USB\\") + kScannerVidPid + "&REV_0100"});
  page_test::AddSecondInterface(sim, kScannerVidPid, "55555555", "kxscan");

  // Product keys of another printer, and of one whose name only begins
  // like the target's.
  for (const char* key : kProductKeys) {
    for (RegRoot root : {RegRoot::LocalMachine, RegRoot::CurrentUser}) {
      for (const char* name : {"Korvex KP-105", "Korvex KP-1030"}) {
        sim.SetString(root, std::string(key) + "\\" + name, "Model", name);
      }
    }
  }
  sim.SetString(RegRoot::CurrentUser, "Software\\Korvex\\QdConsoleData", "Keep", "1");

  // Files next to the targets.
  for (const char* name : {"QdNetVu.dll", "QdRkOld.dll", "kx0103.dll"}) {
    sim.AddFile(std::string(kSystem32) + "\\" + name, name);
  }
  sim.AddFile(std::string(kDriversDir) + "\\usbprint.sys", "usbprint");
  sim.AddFile(std::string(kInfDir) + "\\oem104.inf",
              "[Models]\r\n%Printer%=Install, USB\\VID_0E7B&PID_0104&MI_00\r\n");
  sim.AddFile(std::string(kInfDir) + "\\oem104.pnf", "pnf");
  sim.AddFile(std::string(kInfDir) + "\\usbprint.inf", "[Version]\r\nClass=USB\r\n");
  // Other products' INF files that name the target's ids only inside longer
  // ids or in comments, or whose product id is the maker's vendor id.
  sim.AddFile(std::string(kInfDir) + "\\oem105.inf",
              "[Models]\r\n%P%=I, " + kTarget.HardwareId() + "&REV_0200\r\n; " +
                  kTarget.HardwareId() + "\r\n");
  sim.AddFile(std::string(kInfDir) + "\\oem106.inf",
              "[Models]\r\n%Port%=Port, USB\\VID_1A2B&PID_0E7B&MI_01\r\n");
  sim.AddFile(std::string(kDrvStore) + "\\kx0103plus_0badcafe\\kx0103plus.inf",
              "[Models]\r\n%Printer%=Install, " + kTarget.HardwareId() + "&REV_0200\r\n");
  sim.AddFile(std::string(kSpoolDir) + "\\vid_0e7b_pid_0104_mi_00\\kx0104.dll", "backup");
  sim.AddFile(std::string(kDrvStore) + "\\kx0104_0badcafe\\kx0104.inf",
              "[Models]\r\n%Printer%=Install, USB\\VID_0E7B&PID_0104&MI_00\r\n");
  sim.AddFile("C:\\Program Files\\Korvex\\QdConsoleData\\keep.txt", "keep");
  sim.AddFile("C:\\Program Files\\Korvex\\readme.txt", "keep");
  // Where paths built on an unknown Windows directory would lead.
  sim.AddFile("C:\\system32\\QdRk.dll", "not the system's");
  sim.AddFile("C:\\system32\\drivers\\VomuUsb.sys", "not the system's");
  sim.AddFile("C:\\inf\\oem103.inf", "[Models]\r\n%P%=I, " + kTarget.HardwareId() + "\r\n");
  sim.AddFile("C:\\inf\\oem90.inf", "[Models]\r\n%Port%=Port, USB\\VID_0E7B&PID_0103&MI_01\r\n");
}

enum class Sequence { Selected, Checked, CleanSystem };

struct SequenceCase {
  const char* label;
  const char* title;  // as the sweep's summary names it
  Sequence sequence;
  uint32_t windowsMajor;
};

void PrintTo(const SequenceCase& c, std::ostream* os) { *os << c.label; }

// What a sequence may change: the installation's parts that it removes.
std::vector<std::string> TargetPaths(Sequence sequence) {
  const std::string enumKey = std::string("HKLM\\") + sim::kEnumKey + "\\";
  if (sequence == Sequence::CleanSystem) {
    return {enumKey + kGoneModel.DeviceInstance(), enumKey + kGoneModel.Interface0(),
            enumKey + kGoneModel.Interface1(), enumKey + kStaleTwin.DeviceInstance()};
  }
  std::vector<std::string> targets = {
      std::string("HKLM\\") + sim::kPrintersKey + "\\" + kTarget.name,
      std::string("HKLM\\") + sim::kPrintersSoftwareKeyPath + "\\" + kTarget.name,
      "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Drivers\\"
      "Version-3\\" + kTarget.driver,
      enumKey + kTarget.Interface1(), enumKey + kTarget.PnpInstance(),
      std::string("HKLM\\") + sim::kServicesKey + "\\" + kPortService,
      std::string("HKCU\\") + kConsoleKey,
      kPortDriverFile, kPrinterInf, kPrinterPnf, kPortInf, kPortPnf,
      Repository(kTarget.StoreFolder()), Repository(kPortPackage),
      std::string(kStoreTemp) + "\\" + kTarget.StoreFolder(),
      std::string(kStoreTemp) + "\\" + kPortPackage,
      std::string(kPccDir) + "\\" + kTarget.StoreFolder() + ".cab",
      std::string(kPccDir) + "\\" + kPortPackage + ".cab",
      std::string(kSpoolDir) + "\\" + CRemoveDrvPrn::BackupDirectoryName(kTarget.HardwareId()),
      kDrvStoreCopy, kConsoleDir,
      std::string("SERVICE:") + kPortService,
      "PACKAGE:" + kTarget.InfPath(),
      "PACKAGE:" + Repository(kPortPackage) + "\\vomuusb.inf"};
  for (const char* dll : kTargetDlls) targets.push_back(std::string(kSystem32) + "\\" + dll);
  for (const char* key : kProductKeys) {
    for (const char* root : {"HKLM\\", "HKCU\\"}) {
      targets.push_back(std::string(root) + key + "\\" + kTarget.name);
    }
  }
  return targets;
}

// The snapshot's lines, each with the path it belongs to: VALUE lines belong
// to the KEY above them.
std::vector<std::pair<std::string, std::string>> SnapshotLines(const std::string& snapshot) {
  std::vector<std::pair<std::string, std::string>> lines;
  std::istringstream in(snapshot);
  std::string line;
  std::string key;
  while (std::getline(in, line)) {
    std::string owner;
    auto rest = [&](size_t skip) { return line.substr(skip); };
    auto upTo = [](const std::string& s, const std::string& stop) {
      const size_t at = s.find(stop);
      return at == std::string::npos ? s : s.substr(0, at);
    };
    if (line.rfind("KEY ", 0) == 0) {
      key = rest(4);
      owner = key;
    } else if (line.rfind("  VALUE ", 0) == 0) {
      owner = key;
    } else if (line.rfind("FILE ", 0) == 0) {
      owner = upTo(rest(5), " attr=");
    } else if (line.rfind("DIR ", 0) == 0) {
      owner = upTo(rest(4), " attr=");
    } else if (line.rfind("SERVICE ", 0) == 0) {
      owner = "SERVICE:" + upTo(rest(8), " ");
    } else if (line.rfind("PACKAGE ", 0) == 0) {
      owner = "PACKAGE:" + upTo(rest(8), " <- ");
    } else {
      owner = line;
    }
    lines.emplace_back(owner, line);
  }
  return lines;
}

// The snapshot without the log file, whole and without whatever lies under
// the targets (upper case).
void Filter(const std::string& snapshot, const std::vector<std::string>& upperTargets,
            std::string& outside, std::string& all) {
  const std::string logDir = Up(kLogDir);
  outside.clear();
  all.clear();
  for (const auto& [owner, line] : SnapshotLines(snapshot)) {
    const std::string upperOwner = Up(owner);
    if (UnderUpper(upperOwner, logDir)) continue;
    all += line + "\n";
    if (std::none_of(upperTargets.begin(), upperTargets.end(),
                     [&upperOwner](const std::string& t) { return UnderUpper(upperOwner, t); })) {
      outside += line + "\n";
    }
  }
}

// The first lines in which two snapshots differ, for a readable failure.
std::string FirstDifference(const std::string& a, const std::string& b) {
  std::set<std::string> left;
  std::set<std::string> right;
  std::istringstream ia(a);
  std::istringstream ib(b);
  for (std::string line; std::getline(ia, line);) left.insert(line);
  for (std::string line; std::getline(ib, line);) right.insert(line);
  std::string out;
  for (const std::string& line : left) {
    if (!right.count(line)) out += "\n      - " + line;
  }
  for (const std::string& line : right) {
    if (!left.count(line)) out += "\n      + " + line;
  }
  return out;
}

// Aborts the whole program when one run does not end: a hang has no other
// way out, and the message names the fault point.
class Watchdog {
 public:
  explicit Watchdog(std::string what) : what_(std::move(what)) {
    thread_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!done_cv_.wait_for(lock, kWallLimit, [this] { return done_; })) {
        std::fprintf(stderr, "fault sweep: %s did not end\n", what_.c_str());
        std::abort();
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::string what_;
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

// What one run leaves behind.
struct RunResult {
  std::vector<sim::CallRecord> calls;
  std::vector<std::string> log;     // texts written during the run
  std::vector<std::string> boxes;   // every box the run tried to show, in order
  std::vector<size_t> boxCalls;     // their call indexes
  std::vector<intptr_t> steps;      // WM_PROGRESS_STEP parameters handled
  std::string before;               // outside the targets, before the run
  std::string after;
  std::string beforeAll;            // everything but the log
  std::string afterAll;
  std::vector<std::string> notDeleted;
  std::vector<sim::FormRemoval> removedForms;
  bool spoolerRunning = false;
  uint64_t sleptMs = 0;
};

class World {
 public:
  explicit World(const SequenceCase& c) : case_(c) {
    sim.SetOsVersion(c.windowsMajor, 1, 0);
    SeedTarget(sim);
    SeedCanaries(sim);
    if (c.sequence == Sequence::CleanSystem) {
      AddUsbDevice(sim, kGoneModel);
      AddUsbDevice(sim, kStaleTwin, /*interfaces=*/false);
    } else {
      // The printer's own entry, installed from its package: the package
      // goes only once the entry has gone, and its INF only with it.
      sim::DeviceSpec own;
      own.instanceId = kTarget.PnpInstance();
      own.hardwareIds = {"USBPRINT\\KORVEX0103"};
      sim.AddDevice(own);
      sim.UsePackage(kTarget.InfPath(), kTarget.PnpInstance());
      // A registry link inside the product key tree: only the link may go.
      sim.SetString(RegRoot::CurrentUser, "Software\\Othervendor\\Keep", "Keep", "1");
      sim.AddRegistryLink(RegRoot::CurrentUser,
                          std::string(kProductKeys[0]) + "\\" + kTarget.name + "\\Linked",
                          RegRoot::CurrentUser, "Software\\Othervendor\\Keep");
    }
    // The printer user interface removes the driver it is asked for.
    sim.SetShellHook([this](const sim::ShellExecuteRecord& run) {
      if (run.parameters.find("\"" + kTarget.driver + "\"") != std::string::npos) {
        sim.DeleteKey(RegRoot::LocalMachine, sim.DriverKeyPath(kTarget.driver));
      }
    });
    page.SetHandler([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
      if (message == WM_PROGRESS_STEP) steps_.push_back(lParam);
      (void)dlg->PrinterPage.OnPageMessage(message, wParam, lParam);
    });
    dlg = std::make_unique<CPurvexDlg>(sim.platform());
    dlg->PrinterPage.AttachControls(&page);
    dlg->InitializeState();
    (void)dlg->PrinterPage.OnInitDialog();
  }

  // Runs the sequence with call number fault->first (counted from the start
  // of the sequence) failing with fault->second. Every world starts in the
  // same state, so the state before is only taken when asked for.
  RunResult Run(std::optional<std::pair<size_t, uint32_t>> fault, bool takeStart) {
    RunResult out;
    std::vector<std::string> targets;
    for (const std::string& target : TargetPaths(case_.sequence)) targets.push_back(Up(target));
    if (takeStart) Filter(sim.Snapshot(), targets, out.before, out.beforeAll);
    const size_t logMark = LogTexts().size();
    steps_.clear();
    sim.ClearCalls();
    if (fault) sim.FailCall(fault->first, fault->second);
    CRemoveDrvPrn& p = dlg->PrinterPage;
    switch (case_.sequence) {
      case Sequence::Selected:
        p.PendingRequest = p.CaptureRequest(SequenceRequest::Kind::SelectedPrinter);
        CRemoveDrvPrn::UninstallSelectedPrinterThread(&p);
        break;
      case Sequence::Checked:
        page.SetCheck(IDC_CHECK_PRINTER, true);
        page.SetCheck(IDC_CHECK_DRIVER, true);
        page.SetCheck(IDC_CHECK_PORT_SERVICE, true);
        dlg->Record.DeletedFiles.clear();
        dlg->Record.NotDeletedFiles.clear();
        p.PendingRequest = p.CaptureRequest(SequenceRequest::Kind::CheckedComponents);
        CRemoveDrvPrn::UninstallCheckedComponentsThread(&p);
        break;
      case Sequence::CleanSystem:
        p.OnCleanSystemClicked();
        break;
    }
    sim.ClearFaults();
    out.calls = sim.Calls();
    for (size_t i = 0; i < out.calls.size(); ++i) {
      if (out.calls[i].op != "MessageBox") continue;
      out.boxes.push_back(out.calls[i].detail);
      out.boxCalls.push_back(i);
    }
    const auto log = LogTexts();
    out.log.assign(log.begin() + static_cast<long>(std::min(logMark, log.size())), log.end());
    out.steps = steps_;
    Filter(sim.Snapshot(), targets, out.after, out.afterAll);
    out.notDeleted = dlg->Record.NotDeletedFiles;
    out.removedForms = sim.RemovedForms();
    out.spoolerRunning = sim.IsRunning(kSpooler);
    out.sleptMs = sim.TotalSleptMs();
    return out;
  }

  std::vector<std::string> LogTexts() const {
    return testlog::Lines(sim, dlg->Log.LogFilePath());
  }

  sim::SimWindows sim;
  sim::SimPage page;
  std::unique_ptr<CPurvexDlg> dlg;

 private:
  SequenceCase case_;
  std::vector<intptr_t> steps_;
};

// The errors each kind of call really fails with.
std::vector<uint32_t> CodesFor(const std::string& op) {
  static const std::map<std::string, std::vector<uint32_t>> kCodes = [] {
    std::map<std::string, std::vector<uint32_t>> codes;
    const std::vector<uint32_t> registry = {win::kErrorAccessDenied, win::kErrorFileNotFound,
                                            win::kErrorMoreData};
    const std::vector<uint32_t> registryOpen = {win::kErrorAccessDenied,
                                                win::kErrorFileNotFound};
    const std::vector<uint32_t> files = {win::kErrorSharingViolation, win::kErrorAccessDenied,
                                         win::kErrorFileNotFound};
    const std::vector<uint32_t> spooler = {win::kErrorAccessDenied,
                                           win::kErrorInvalidPrinterName,
                                           win::kErrorInsufficientBuffer};
    const std::vector<uint32_t> services = {win::kErrorAccessDenied,
                                            win::kErrorServiceNotActive};
    const std::vector<uint32_t> devices = {win::kErrorInvalidData, win::kErrorInvalidParameter,
                                           win::kErrorNoSuchDevinst};
    const std::vector<uint32_t> store = {win::kErrorDependentApplicationsExist,
                                         win::kErrorDriverPackageNotInStore};
    const std::vector<uint32_t> system = {win::kErrorAccessDenied,
                                          win::kErrorInsufficientBuffer};
    for (const char* op : {"QueryValue", "EnumKey"}) codes[op] = registry;
    for (const char* op : {"OpenKey", "QuerySubkeyCount", "DeleteTree"}) codes[op] = registryOpen;
    for (const char* op : {"FindFirst", "FindNext", "RemoveFile", "RemoveDir", "MakeDir",
                           "GetAttributes", "SetAttributes", "OpenFile", "ReadFile", "WriteFile",
                           "SeekToEnd", "GetFileSize"}) {
      codes[op] = files;
    }
    for (const char* op : {"EnumPrinters2Size", "EnumPrinters2", "OpenPrinter", "GetPrinter2Size",
                           "GetPrinter2", "GetDriver6Size", "GetDriver6", "RemovePrinter",
                           "ClosePrinter", "RemoveForm"}) {
      codes[op] = spooler;
    }
    for (const char* op : {"OpenManager", "OpenService", "StartService", "ControlService",
                           "DeleteService"}) {
      codes[op] = services;
    }
    for (const char* op : {"GetClassDevs", "EnumDevice", "GetRegistryProperty", "OpenDevRegKey",
                           "CallClassInstaller"}) {
      codes[op] = devices;
    }
    codes["DriverPackageGetPath"] = store;
    codes["DriverPackageUninstall"] = store;
    codes["ShellExecute"] = {static_cast<uint32_t>(win::kSeErrFnf)};
    codes["RunProcess"] = {win::kErrorFileNotFound};
    for (const char* op : {"ModuleFileName", "CurrentDirectory", "WindowsDirectory",
                           "SystemDirectory", "Version", "UserName", "FileVersionInfoSize",
                           "FileVersionInfo", "QueryVersionValue", "LocalTime"}) {
      codes[op] = system;
    }
    codes["MessageBox"] = {win::kErrorNotEnoughMemory};
    return codes;
  }();
  const auto found = kCodes.find(op);
  return found == kCodes.end() ? std::vector<uint32_t>{} : found->second;
}

// A failed box or log write takes the report channel itself with it.
bool IsReportChannel(const sim::CallRecord& call, const std::string& logPath) {
  if (call.op == "MessageBox" || call.op == "LocalTime") return true;
  return Up(call.detail) == Up(logPath);
}

bool IsLogCall(const sim::CallRecord& call, const std::string& logPath) {
  return call.op == "LocalTime" || Up(call.detail) == Up(logPath);
}

// Answers that say "there is no such thing": a program cannot tell them from
// a system in which the thing is really missing, so acting on them without a
// word is no fault.
bool IsAbsentAnswer(const std::string& op, uint32_t code) {
  static const std::set<std::string> kNotFoundOps = {
      "OpenKey",     "QueryValue",    "EnumKey",  "DeleteTree", "QuerySubkeyCount",
      "FindFirst",   "GetAttributes", "OpenFile", "RemoveFile", "RemoveDir"};
  if (code == win::kErrorFileNotFound) return kNotFoundOps.count(op) != 0;
  if (code == win::kErrorInvalidPrinterName) return op == "OpenPrinter";
  if (code == win::kErrorServiceNotActive) return op == "ControlService";
  if (code == win::kErrorInvalidData) return op == "GetRegistryProperty";
  if (code == win::kErrorDriverPackageNotInStore) {
    return op == "DriverPackageGetPath" || op == "DriverPackageUninstall";
  }
  return false;
}

std::string Describe(const sim::CallRecord& call, size_t index, uint32_t code) {
  char codeText[16];
  std::snprintf(codeText, sizeof codeText, "%u", static_cast<unsigned>(code));
  return "call " + std::to_string(index) + " " + call.op + "(" + call.detail + ") failing with " +
         codeText;
}

struct Texts {
  std::string done, completed, heading;
  std::vector<std::string> earlyEnd;
};

Texts LoadTexts() {
  sim::SimWindows windows;
  IStringTable& strings = windows.platform().strings;
  Texts t;
  t.done = strings.Load(IDS_DONE);
  t.completed = strings.Load(IDS_UNINSTALL_COMPLETED);
  t.heading = strings.Load(IDS_REPORT_HEADING);
  // The messages of a failed printer deletion and of a failed port-service
  // removal: the two failures that end a sequence early.
  for (uint32_t id : {IDS_MSG_PRINTER_GONE, IDS_MSG_NOT_COMPLETED, IDS_MSG_DELETE_PRINTER,
                      IDS_MSG_JOB_COUNT, IDS_MSG_JOBS_QUEUED, IDS_MSG_DEVICE, IDS_MSG_FILES}) {
    t.earlyEnd.push_back(strings.Load(id));
  }
  return t;
}

// Judges one faulted run against the clean run.
class Judge {
 public:
  Judge(const SequenceCase& c, const RunResult& clean, std::string logPath)
      : case_(c), clean_(clean), logPath_(std::move(logPath)), texts_(LoadTexts()),
        cleanLines_(clean.log.begin(), clean.log.end()),
        cleanBoxes_(clean.boxes.begin(), clean.boxes.end()) {}

  std::vector<std::string> Problems(const RunResult& run, const sim::CallRecord& faulted,
                                    size_t index, uint32_t code) const {
    std::vector<std::string> problems;
    if (index >= run.calls.size() || run.calls[index].op != faulted.op ||
        run.calls[index].detail != faulted.detail) {
      problems.push_back("the run did not make the same call at this index");
      return problems;
    }
    if (!run.spoolerRunning) problems.push_back("the spooler is left stopped");
    if (run.after != clean_.before) {
      problems.push_back("something outside the target set changed:" +
                         FirstDifference(clean_.before, run.after));
    }
    if (run.sleptMs > kSimulatedTimeLimitMs) {
      problems.push_back("ran for " + std::to_string(run.sleptMs) + " ms of simulated time");
    }
    for (const sim::FormRemoval& form : run.removedForms) {
      if (form.printer != kTarget.name || form.form.rfind("Korvex", 0) != 0) {
        problems.push_back("form [" + form.form + "] of [" + form.printer + "] removed");
      }
    }
    for (const std::string& line : run.log) {
      if (line.rfind(kUnexpectedErrorLine, 0) == 0) problems.push_back("log: " + line);
    }

    if (case_.sequence == Sequence::CleanSystem && faulted.op == "MessageBox" &&
        !clean_.boxCalls.empty() && index == clean_.boxCalls.front()) {
      // A confirmation that got no answer: nothing may happen at all.
      if (!run.steps.empty()) problems.push_back("Clean system ran without a confirmation");
      if (run.afterAll != clean_.beforeAll) {
        problems.push_back("state changed without a confirmation:" +
                           FirstDifference(clean_.beforeAll, run.afterAll));
      }
      return problems;
    }

    if (std::count(run.steps.begin(), run.steps.end(), kProgressEnd) != 1 ||
        run.steps.back() != kProgressEnd) {
      problems.push_back("the end message is not the last progress message, exactly once");
    }
    if (case_.sequence == Sequence::CleanSystem) {
      if (run.boxes.empty() || run.boxes.back() != texts_.done) {
        problems.push_back("\"Done!\" was not the last box");
      }
    } else {
      AddEndProblems(run, faulted, index, problems);
    }

    // A fault that changed the outcome must have been said somewhere.
    const bool changed = run.afterAll != clean_.afterAll || run.boxes != clean_.boxes;
    if (changed && !IsReportChannel(faulted, logPath_) && !IsAbsentAnswer(faulted.op, code)) {
      const bool newLine = std::any_of(run.log.begin(), run.log.end(), [&](const std::string& l) {
        return cleanLines_.count(l) == 0;
      });
      const bool newBox = std::any_of(run.boxes.begin(), run.boxes.end(), [&](const std::string& b) {
        return cleanBoxes_.count(b) == 0;
      });
      if (!newLine && !newBox) {
        problems.push_back("the outcome changed without a log line or message:" +
                           FirstDifference(clean_.afterAll, run.afterAll));
      }
    }
    return problems;
  }

 private:
  // The reload, then the final report; or the early end of a failed printer
  // deletion or port-service removal.
  void AddEndProblems(const RunResult& run, const sim::CallRecord& faulted, size_t index,
                      std::vector<std::string>& problems) const {
    size_t reload = run.calls.size();
    for (size_t i = run.calls.size(); i-- > 0;) {
      if (run.calls[i].op == "EnumPrinters2Size") {
        reload = i;
        break;
      }
    }
    if (reload == run.calls.size()) {
      problems.push_back("no reload of the printer list");
      return;
    }
    std::vector<std::string> before;
    std::vector<std::string> after;
    for (size_t i = 0; i < run.boxes.size(); ++i) {
      (run.boxCalls[i] < reload ? before : after).push_back(run.boxes[i]);
    }
    if (after.size() > 1) problems.push_back("more than one box after the reload");
    if (after.size() == 1 && after[0] != texts_.completed &&
        after[0].rfind(texts_.heading, 0) != 0) {
      problems.push_back("the box after the reload is not the final report: " + after[0]);
    }
    if (after.empty() && !run.notDeleted.empty()) {
      problems.push_back("files were not deleted but no final report listed them");
    }
    if (after.empty() && before.empty()) {
      problems.push_back("the run ended without a single message");
    }
    const bool normalEnd = !run.log.empty() && run.log.back() == kSeparatorLine;
    if (normalEnd) return;
    // The closing line itself may be the one whose write failed.
    if (IsLogCall(faulted, logPath_) && index > reload) return;
    const bool early = !before.empty() && std::find(texts_.earlyEnd.begin(), texts_.earlyEnd.end(),
                                                    before.back()) != texts_.earlyEnd.end();
    if (!early) {
      problems.push_back("the run ended without its closing line and not by an early end");
    }
  }

  const SequenceCase& case_;
  const RunResult& clean_;
  std::string logPath_;
  Texts texts_;
  std::set<std::string> cleanLines_;
  std::set<std::string> cleanBoxes_;
};

struct FaultPoint {
  size_t index = 0;
  uint32_t code = 0;
};

constexpr size_t kLogLineStride = 10;
constexpr size_t kLastLogLinesSwept = 3;
constexpr const char* kFullSweepVariable = "PURVEX_FULL_FAULT_SWEEP";

// Each code of a kind in turn over the calls of one op, so that every code
// meets every op that is called often enough. The log's own calls (five per
// line, all through one writer) are taken for every kLogLineStride-th line
// and for the last lines. PURVEX_FULL_FAULT_SWEEP=1 takes every call,
// PURVEX_FULL_FAULT_SWEEP=all every call with every code of its kind.
enum class Breadth { Default, EveryCall, EveryCode };

Breadth SweepBreadth() {
  const char* value = std::getenv(kFullSweepVariable);
  if (value == nullptr || *value == '\0') return Breadth::Default;
  return std::string(value) == "all" ? Breadth::EveryCode : Breadth::EveryCall;
}

std::vector<FaultPoint> FaultPoints(const std::vector<sim::CallRecord>& calls,
                                    const std::string& logPath, Breadth breadth) {
  size_t logLines = 0;
  for (const sim::CallRecord& call : calls) logLines += call.op == "LocalTime" ? 1 : 0;
  std::vector<FaultPoint> points;
  std::map<std::string, size_t> seenOfOp;
  size_t line = 0;  // 1-based number of the log line whose calls these are
  for (size_t k = 0; k < calls.size(); ++k) {
    const sim::CallRecord& call = calls[k];
    const std::vector<uint32_t> codes = CodesFor(call.op);
    if (codes.empty()) continue;  // a call that cannot fail
    if (call.op == "LocalTime") ++line;
    const uint32_t code = codes[seenOfOp[call.op]++ % codes.size()];
    const bool taken = breadth != Breadth::Default || !IsLogCall(call, logPath) ||
                       line % kLogLineStride == 1 || line + kLastLogLinesSwept > logLines;
    if (!taken) continue;
    if (breadth == Breadth::EveryCode) {
      for (uint32_t each : codes) points.push_back({k, each});
    } else {
      points.push_back({k, code});
    }
  }
  return points;
}

// The two cores of the machine share the runs.
constexpr unsigned kSweepThreads = 2;

class FaultSweepTest : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(FaultSweepTest, EveryCallFailedOnceEndsSafelyAndIsReported) {
  const SequenceCase& c = GetParam();
  World cleanWorld(c);
  const std::string logPath = cleanWorld.dlg->Log.LogFilePath();
  const RunResult clean = cleanWorld.Run(std::nullopt, /*takeStart=*/true);
  ASSERT_TRUE(clean.spoolerRunning);
  ASSERT_EQ(clean.after, clean.before) << FirstDifference(clean.before, clean.after);
  ASSERT_FALSE(clean.calls.empty());
  if (c.sequence != Sequence::CleanSystem) {
    // The UTF-16 INF is found and goes like an 8-bit one.
    EXPECT_EQ(clean.afterAll.find(std::string("FILE ") + kPrinterInf + " "), std::string::npos);
    EXPECT_NE(clean.beforeAll.find(std::string("FILE ") + kPrinterInf + " "), std::string::npos);
  }
  const Judge judge(c, clean, logPath);

  const std::vector<FaultPoint> points =
      FaultPoints(clean.calls, logPath, SweepBreadth());
  std::vector<std::string> failures(points.size());
  std::atomic<size_t> next{0};
  auto sweep = [&] {
    for (size_t i; (i = next++) < points.size();) {
      const FaultPoint& point = points[i];
      const sim::CallRecord& call = clean.calls[point.index];
      RunResult run;
      {
        Watchdog watchdog(std::string(c.title) + ": " + Describe(call, point.index, point.code));
        World world(c);
        run = world.Run(std::make_pair(point.index, point.code), /*takeStart=*/false);
      }
      const auto problems = judge.Problems(run, call, point.index, point.code);
      if (problems.empty()) continue;
      std::string message = Describe(call, point.index, point.code) + ":";
      for (const std::string& p : problems) message += "\n    " + p;
      failures[i] = message;
    }
  };
  std::vector<std::thread> threads;
  for (unsigned t = 1; t < kSweepThreads; ++t) threads.emplace_back(sweep);
  sweep();
  for (std::thread& thread : threads) thread.join();

  const size_t failed = static_cast<size_t>(
      std::count_if(failures.begin(), failures.end(), [](const std::string& f) { return !f.empty(); }));
  std::printf("fault sweep: %s: %zu fault points, %zu survived\n", c.title, points.size(),
              points.size() - failed);
  std::fflush(stdout);
  EXPECT_EQ(failed, 0u);
  size_t shown = 0;
  for (const std::string& failure : failures) {
    if (failure.empty() || shown++ == kFailuresShown) continue;
    ADD_FAILURE() << failure;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, FaultSweepTest,
    ::testing::Values(
        SequenceCase{"UninstallSelected", "Uninstall selected printer", Sequence::Selected, 6},
        SequenceCase{"UninstallSelectedNt5", "Uninstall selected printer (NT 5)",
                     Sequence::Selected, 5},
        SequenceCase{"UninstallChecked", "Uninstall", Sequence::Checked, 6},
        SequenceCase{"CleanSystem", "Clean system", Sequence::CleanSystem, 6}),
    [](const auto& info) { return std::string(info.param.label); });

// The faults the sweep found, one by one: each names the call that fails
// (its op, a part of its detail and which such call of the clean run), what
// must still be there afterwards and the line that tells the user about it.
struct KnownFault {
  const char* label;
  Sequence sequence;
  const char* op;
  const char* detail;
  size_t occurrence;  // 0: the first matching call
  uint32_t code;
  const char* survivor;  // a file or "HKLM\\key" that must still exist, or ""
  const char* line;      // the start of a log line that must be written
};

void PrintTo(const KnownFault& f, std::ostream* os) { *os << f.label; }

class KnownFaultTest : public ::testing::TestWithParam<KnownFault> {
 protected:
  static bool Exists(sim::SimWindows& windows, const std::string& what) {
    const std::string machine = "HKLM\\";
    if (what.rfind(machine, 0) == 0) {
      return windows.KeyExists(RegRoot::LocalMachine, what.substr(machine.size()));
    }
    return windows.Exists(what);
  }
};

TEST_P(KnownFaultTest, LeavesWhatItCouldNotCheckAndSaysSo) {
  const KnownFault& f = GetParam();
  const SequenceCase c{f.label, f.label, f.sequence, 6};
  World cleanWorld(c);
  const RunResult clean = cleanWorld.Run(std::nullopt, /*takeStart=*/true);
  size_t index = clean.calls.size();
  for (size_t k = 0, seen = 0; k < clean.calls.size(); ++k) {
    if (clean.calls[k].op != f.op || clean.calls[k].detail.find(f.detail) == std::string::npos) {
      continue;
    }
    if (seen++ == f.occurrence) {
      index = k;
      break;
    }
  }
  ASSERT_LT(index, clean.calls.size()) << "no such call in the clean run";

  World world(c);
  const RunResult run = world.Run(std::make_pair(index, f.code), /*takeStart=*/false);
  EXPECT_EQ(run.after, clean.before) << FirstDifference(clean.before, run.after);
  EXPECT_TRUE(run.spoolerRunning);
  if (*f.survivor != '\0') {
    EXPECT_TRUE(Exists(world.sim, f.survivor)) << f.survivor;
  }
  EXPECT_TRUE(std::any_of(run.log.begin(), run.log.end(), [&](const std::string& line) {
    return line.rfind(f.line, 0) == 0;
  })) << "no line starting with: " << f.line;
}

constexpr uint32_t kDenied = win::kErrorAccessDenied;

INSTANTIATE_TEST_SUITE_P(
    Found, KnownFaultTest,
    ::testing::Values(
        // An unknown Windows directory made "\\system32\\..." and "\\inf" paths
        // on the current drive, and deleted what lay there.
        KnownFault{"DllPathWithoutWindowsDirectory", Sequence::Selected, "WindowsDirectory", "",
                   0, kDenied, "C:\\system32\\QdRk.dll",
                   "Windows directory unknown: Dll [QdRk.dll] NOT deleted! Error 5."},
        KnownFault{"InfSearchWithoutWindowsDirectory", Sequence::Selected, "WindowsDirectory",
                   "", 3, kDenied, "C:\\inf\\oem103.inf",
                   "Windows directory unknown: .inf files of [USB\\VID_0E7B&PID_0103&MI_00] "
                   "not searched. Error 5."},
        KnownFault{"PortDriverWithoutWindowsDirectory", Sequence::Checked, "WindowsDirectory",
                   "", 6, kDenied, "C:\\system32\\drivers\\VomuUsb.sys",
                   "Windows directory unknown: VOMUUSB and its driver file NOT deleted."},
        // A spooler start that failed (here the restart after the port
        // service) left the spooler stopped for good.
        KnownFault{"SpoolerStartFails", Sequence::Selected, "StartService", "SPOOLER", 2,
                   kDenied, "",
                   "Spooler Service left stopped by an interrupted operation: starting it "
                   "again..."},
        // A device list that broke off was taken for its end, and the service
        // deleted under devices nobody had looked at.
        KnownFault{"PortDeviceListBreaksOff", Sequence::Selected, "EnumDevice", "", 0,
                   win::kErrorInvalidParameter,
                   "HKLM\\SYSTEM\\CurrentControlSet\\Services\\VomuUsb",
                   "SetupDiEnumDeviceInfo(0) FAILURE: "},
        // Failures that were passed over without a word while the final
        // report said "Uninstallation completed!".
        KnownFault{"PortServiceNotDeleted", Sequence::Selected, "DeleteService", "VOMUUSB", 0,
                   kDenied, "HKLM\\SYSTEM\\CurrentControlSet\\Services\\VomuUsb",
                   "Service VOMUUSB NOT deleted! Error 5"},
        KnownFault{"InfCannotBeOpened", Sequence::Selected, "OpenFile", "oem103.inf", 0,
                   kDenied, "C:\\Windows\\inf\\oem103.inf",
                   "Impossible to open file [C:\\Windows\\inf\\oem103.inf]. Error 5."},
        KnownFault{"InfListingBreaksOff", Sequence::Selected, "FindNext", "oem7.inf", 1,
                   win::kErrorSharingViolation, "C:\\Windows\\inf\\oem90.inf",
                   "Impossible to list the .inf files of [C:\\Windows\\inf]. Error 32."},
        KnownFault{"ConsoleKeyNotDeleted", Sequence::Selected, "DeleteTree",
                   "Korvex\\QdConsole", 0, kDenied, "",
                   "Key [HKEY_CURRENT_USER\\Software\\Korvex\\QdConsole] NOT deleted! Error 5"},
        KnownFault{"StaleDeviceNotRemoved", Sequence::CleanSystem, "CallClassInstaller",
                   "SN99999999", 0, kDenied,
                   "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0E7B&PID_0107\\SN99999999",
                   "Error deleting the Device with Hardware ID [USB\\VID_0E7B&PID_0107&REV_0100]"},
        KnownFault{"StaleDeviceListBreaksOff", Sequence::CleanSystem, "EnumDevice", "", 0,
                   win::kErrorInvalidParameter,
                   "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0E7B&PID_0107\\SN99999999",
                   "SetupDiEnumDeviceInfo(0) FAILURE: "}),
    [](const auto& info) { return std::string(info.param.label); });

// Found by the driver-store fuzz target: only the depth of a store path was
// checked, so a path of the right depth anywhere (or through "..") had
// ownership taken of it and its directory deleted as the package's Temp copy.
class StorePathShapeTest : public ::testing::TestWithParam<const char*> {};

TEST_P(StorePathShapeTest, OnlyAPackageFolderOfTheStoreIsCleaned) {
  const std::string storePath = GetParam();
  const std::string oemInf = "C:\\Windows\\inf\\oem12.inf";
  const char* const kept[] = {"C:\\A\\B\\C\\D\\E\\keep.txt",
                              "C:\\Users\\Admin\\Documents\\Projects\\Keep\\keep.txt",
                              "C:\\Windows\\System32\\DriverStore\\keep.txt"};
  sim::SimWindows windows;
  for (const char* file : kept) windows.AddFile(file, "keep");
  windows.AddPackage(oemInf, storePath);
  // The store keeps the package, so that only the cleanup acts on files.
  windows.FailUninstall(storePath, win::kErrorDependentApplicationsExist);
  CPurvexDlg dialog(windows.platform());
  dialog.InitializeState();
  FileList infs{oemInf};

  (void)dialog.PrinterPage.Engine.CleanDriverStore(infs);

  EXPECT_TRUE(windows.CallsOf("TakeOwnership").empty());
  for (const char* file : kept) EXPECT_TRUE(windows.Exists(file)) << file;
  EXPECT_TRUE(windows.CallsOf("RemoveFile").empty());
  EXPECT_TRUE(windows.CallsOf("RemoveDir").empty());
  const auto log = windows.ReadFile(dialog.Log.LogFilePath());
  ASSERT_TRUE(log.has_value());
  EXPECT_NE(log->find("Driver store path [" + storePath +
                      "] is not a package folder of the driver store: its Temp directory and "
                      ".cab file are not deleted."),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Found, StorePathShapeTest,
    ::testing::Values("#\\/\\/\\/\\/\\/\\/", "C:\\A\\B\\C\\D\\E\\x.inf",
                      "C:\\Users\\Admin\\Documents\\Projects\\Keep\\x.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\..\\x.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\...\\x.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\abc.inf_1:s\\x.inf",
                      "C:\\Windows\\System32\\DriverStore\\FileRepository\\FileRepository\\x.inf"));

}  // namespace
}  // namespace fault_sweep
