#pragma once
// The printer page on a simulated Windows: SimWindows, the simulated page
// controls and the main dialog that owns the page, started the way the main
// window starts them. Seeding helpers build the maker's printers the way an
// installation leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/purvex_dlg.h"
#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"
#include "tests/sim/sim_page.h"
#include "tests/sim/sim_windows.h"
#include "tests/unit/log_lines.h"

namespace page_test {

inline constexpr const char* kCaption = "purvex";
inline constexpr const char* kMaker = "Korvex Imaging";

// One maker printer on its own composite USB device: interface 0 carries the
// printer, interface 1 the port service.
struct UsbPrinter {
  std::string name;
  std::string driver;
  std::string pid;      // four hexadecimal digits
  std::string unique;   // eight hexadecimal digits, unique per device
  std::string portService = "VomuUsb";  // empty: no "Service" value

  std::string VidPid() const { return "VID_0E7B&PID_" + pid; }
  std::string HardwareId() const { return "USB\\" + VidPid() + "&MI_00"; }
  std::string DevicePrefix() const { return "6&" + unique + "&0"; }
  std::string PrinterPrefix() const { return "7&" + unique + "&0"; }
  std::string DeviceInstance() const { return "USB\\" + VidPid() + "\\SN" + unique; }
  std::string Interface0() const {
    return "USB\\" + VidPid() + "&MI_00\\" + DevicePrefix() + "&0000";
  }
  std::string Interface1() const {
    return "USB\\" + VidPid() + "&MI_01\\" + DevicePrefix() + "&0001";
  }
  std::string PnpInstance() const {
    return "USBPRINT\\KORVEX" + pid + "\\" + PrinterPrefix() + "&USB001";
  }
  std::string StoreFolder() const { return "kx" + pid + ".inf_amd64_" + unique; }
  std::string InfPath() const {
    return std::string(sim::kDriverStoreRepository) + "\\" + StoreFolder() +
           "\\kx" + pid + ".inf";
  }
};

// The composite device of a maker printer and, unless told otherwise, its
// two interfaces; no driver or printer.
inline void AddUsbDevice(sim::SimWindows& sim, const UsbPrinter& p, bool interfaces = true) {
  sim::DeviceSpec device;
  device.instanceId = p.DeviceInstance();
  device.hardwareIds = {"USB\\" + p.VidPid() + "&REV_0100", "USB\\" + p.VidPid()};
  device.service = "usbccgp";
  device.parentIdPrefix = p.DevicePrefix();
  device.symbolicName = "\\??\\USB#" + p.VidPid() + "#SN" + p.unique +
                        "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  sim.AddDevice(device);
  if (!interfaces) return;
  sim::DeviceSpec printerInterface;
  printerInterface.instanceId = p.Interface0();
  printerInterface.hardwareIds = {p.HardwareId()};
  printerInterface.service = "usbprint";
  printerInterface.parentIdPrefix = p.PrinterPrefix();
  sim.AddDevice(printerInterface);
  sim::DeviceSpec portInterface;
  portInterface.instanceId = p.Interface1();
  portInterface.hardwareIds = {"USB\\" + p.VidPid() + "&MI_01"};
  if (!p.portService.empty()) portInterface.service = p.portService;
  sim.AddDevice(portInterface);
}

class PageFixture : public ::testing::Test {
 public:
  PageFixture() {
    simPage.SetHandler([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
      (void)dlg->PrinterPage.OnPageMessage(message, wParam, lParam);
    });
  }

  CRemoveDrvPrn& Page() { return dlg->PrinterPage; }

  // The main dialog's initialisation, then the page's.
  void Start() {
    dlg = std::make_unique<CPurvexDlg>(sim.platform());
    dlg->PrinterPage.AttachControls(&simPage);
    dlg->InitializeState();
    (void)dlg->PrinterPage.OnInitDialog();
  }

  void AddDriver(const std::string& name, std::optional<std::string> hardwareId,
                 const std::string& infPath = "", int version = 3,
                 const std::string& manufacturer = kMaker) {
    sim::DriverSpec setup;
    setup.name = name;
    setup.manufacturer = manufacturer;
    setup.hardwareId = std::move(hardwareId);
    setup.infPath = infPath;
    setup.version = version;
    sim.AddDriver(setup);
  }

  void AddPrinter(const std::string& name, const std::string& driver,
                  std::optional<std::string> pnpInstance = std::nullopt,
                  const std::string& port = "USB001") {
    sim::PrinterSpec setup;
    setup.name = name;
    setup.driver = driver;
    setup.port = port;
    setup.pnpDeviceInstanceId = std::move(pnpInstance);
    sim.AddPrinter(setup);
  }

  // The composite device with its two interfaces, no driver or printer.
  void AddUsbDevice(const UsbPrinter& p) { page_test::AddUsbDevice(sim, p); }

  void AddUsbPrinter(const UsbPrinter& p, bool addDriver = true) {
    if (addDriver) AddDriver(p.driver, p.HardwareId(), p.InfPath());
    AddPrinter(p.name, p.driver, p.PnpInstance());
    AddUsbDevice(p);
  }

  // Log texts without their time stamps, in order.
  std::vector<std::string> LogLines() const {
    return testlog::Lines(sim, dlg->Log.LogFilePath());
  }
  size_t LogMark() const { return LogLines().size(); }
  std::vector<std::string> LogSince(size_t mark) const {
    auto lines = LogLines();
    return std::vector<std::string>(lines.begin() + static_cast<long>(std::min(mark, lines.size())),
                                    lines.end());
  }
  bool LogHas(const std::string& line) const {
    const auto lines = LogLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : sim.MessageBoxes()) texts.push_back(box.text);
    return texts;
  }
  std::string Text(uint32_t id) const { return dlg->LoadText(id); }

  bool Checked(int id) { return simPage.IsChecked(id); }
  bool Enabled(int id) { return simPage.IsEnabled(id); }

  sim::SimWindows sim;
  sim::SimPage simPage;
  std::unique_ptr<CPurvexDlg> dlg;
};

}  // namespace page_test
