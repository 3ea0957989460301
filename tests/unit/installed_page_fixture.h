#pragma once
// The printer page over a whole installation of the maker's software: the
// port service with its driver, INF and store package, the support DLL and
// the control-panel application, and helpers that install printers the way
// the maker's installer leaves them.
#include <string>
#include <vector>

#include "tests/unit/page_fixture.h"

namespace page_test {

inline constexpr const char* kPortService = "VomuUsb";
inline constexpr const char* kPortDriverFile = "C:\\Windows\\system32\\drivers\\VOMUUSB.sys";
inline constexpr const char* kPortInf = "C:\\Windows\\inf\\oem90.inf";
inline constexpr const char* kPortStoreInf =
    "C:\\Windows\\System32\\DriverStore\\FileRepository\\vomuusb.inf_amd64_0a1b2c3d\\vomuusb.inf";
inline constexpr const char* kDll = "QdRk.dll";
inline constexpr const char* kDllPath = "C:\\Windows\\system32\\QdRk.dll";
inline constexpr const char* kConsoleSettings = "Software\\Korvex\\QdConsole\\App. settings";
inline constexpr const char* kConsoleDir = "C:\\Program Files\\Korvex\\QdConsole";
inline constexpr const char* kPccDir = "C:\\Windows\\system32\\spool\\drivers\\x64\\PCC\\";
inline constexpr const char* kSpoolDir = "C:\\Windows\\system32\\spool\\drivers\\x64\\";
inline const char* const kProductKeys[] = {"SOFTWARE\\QD\\QdRk\\", "SOFTWARE\\QD\\QdRkTx\\",
                                           "SOFTWARE\\QD\\QdRkDriverInfo\\"};

inline std::string Inf(const UsbPrinter& p) { return "C:\\Windows\\inf\\oem" + p.pid + ".inf"; }
inline std::string Cabinet(const UsbPrinter& p) { return kPccDir + p.StoreFolder() + ".cab"; }
inline std::string BackupDir(const UsbPrinter& p) {
  return kSpoolDir + CRemoveDrvPrn::BackupDirectoryName(p.HardwareId());
}

// The maker's software as a setup leaves it, without any printer.
inline void SeedMakerSoftware(sim::SimWindows& sim) {
  sim.AddService("spooler", /*running=*/true);
  sim.AddService(kPortService, /*running=*/true);
  sim.AddFile(kPortDriverFile);
  sim.AddFile(kPortInf, "[Models]\r\n%Port%=Port, USB\\VID_0E7B&PID_0103&MI_01\r\n");
  sim.AddFile("C:\\Windows\\inf\\oem90.pnf");
  sim.AddPackage(kPortInf, kPortStoreInf);
  sim.AddFile(kDllPath);
  sim.SetString(RegRoot::CurrentUser, kConsoleSettings, "Path", kConsoleDir);
  sim.AddFile(std::string(kConsoleDir) + "\\QdConsole.exe");
}

// A printer's own driver with its support DLL, and the INF, PNF, cabinet and
// backup directory its installation leaves.
inline void AddOwnDriver(sim::SimWindows& sim, const UsbPrinter& p) {
  sim::DriverSpec driver;
  driver.name = p.driver;
  driver.manufacturer = kMaker;
  driver.hardwareId = p.HardwareId();
  driver.infPath = p.InfPath();
  driver.dependentFiles = {kDll};
  sim.AddDriver(driver);
  sim.AddFile(Inf(p), "[Models]\r\n%Printer%=Install, " + p.HardwareId() + "\r\n");
  sim.AddFile("C:\\Windows\\inf\\oem" + p.pid + ".pnf");
  sim.AddFile(Cabinet(p));
  sim.AddFile(BackupDir(p) + "\\x.dll");
}

inline void AddProductKeys(sim::SimWindows& sim, const UsbPrinter& p) {
  for (const char* key : kProductKeys) {
    sim.CreateKey(RegRoot::LocalMachine, key + p.name);
    sim.CreateKey(RegRoot::CurrentUser, key + p.name);
  }
}

class InstalledPageFixture : public PageFixture {
 public:
  InstalledPageFixture() {
    SeedMakerSoftware(sim);
    // The printer user interface removes the driver it is asked for.
    sim.SetShellHook([this](const sim::ShellExecuteRecord& run) {
      for (const std::string& driver : drivers_) {
        if (run.parameters.find("\"" + driver + "\"") == std::string::npos) continue;
        sim.DeleteKey(RegRoot::LocalMachine, sim.DriverKeyPath(driver, 3));
      }
    });
  }

  // A printer as its installation leaves it: driver with a support DLL, INF
  // and PNF, cabinet, backup directory and product keys in both hives.
  void Install(const UsbPrinter& p, bool ownDriver = true) {
    if (ownDriver) {
      AddOwnDriver(sim, p);
      drivers_.push_back(p.driver);
    }
    AddPrinter(p.name, p.driver, p.PnpInstance());
    AddUsbDevice(p);
    AddProductKeys(sim, p);
  }
  void InstallSharingDriver(const UsbPrinter& owner, UsbPrinter other) {
    other.driver = owner.driver;
    Install(other, /*ownDriver=*/false);
  }

 private:
  std::vector<std::string> drivers_;
};

}  // namespace page_test
