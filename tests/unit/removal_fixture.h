#pragma once
// The removal-step tests' world: a simulated Windows, the page's simulated
// controls and the main dialog with its page, initialised as the program does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/purvex_dlg.h"
#include "platform/win_constants.h"
#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"
#include "tests/sim/sim_page.h"
#include "tests/sim/sim_windows.h"
#include "tests/unit/log_lines.h"

namespace removal_test {

inline constexpr const char* kMaker = "Korvex";
using Lines = std::vector<std::string>;

template <typename T, typename V>
bool Has(const std::vector<T>& items, const V& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

class RemovalTest : public ::testing::Test {
 protected:
  RemovalTest() { Start(win::kProcessorArchitectureAmd64); }

  void Start(uint16_t architecture) {
    sim.SetProcessorArchitecture(architecture);
    prn.AttachControls(&page);
    dlg.InitializeState();
    prn.PortServiceName = "VOMUUSB";
    logMark_ = LogLines().size();
  }

  // A maker printer with its own driver, listed and selected on the page.
  void AddPrinter(const std::string& name, const std::string& driver) {
    sim::DriverSpec setup;
    setup.name = driver;
    setup.manufacturer = kMaker;
    if (!sim.DriverExists(driver)) sim.AddDriver(setup);
    sim::PrinterSpec printer;
    printer.name = name;
    printer.driver = driver;
    sim.AddPrinter(printer);
    prn.Printers.push_back(std::make_unique<CPrinterRecord>());
    prn.Printers.back()->PrinterName = name;
    prn.Printers.back()->DriverName = driver;
    prn.CurrentPrinter = *prn.Printers.back();
  }

  // Log texts written since Start, without their time stamps.
  Lines NewLog() const {
    Lines lines = LogLines();
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(logMark_));
    return lines;
  }
  size_t CountLog(const std::string& line) const {
    const Lines lines = NewLog();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
  }
  size_t ProgressSteps() const {
    const auto params = page.MessageParams(WM_PROGRESS_STEP);
    return static_cast<size_t>(std::count(params.begin(), params.end(), kProgressStepOnce));
  }
  Lines BoxTexts() const {
    Lines texts;
    for (const auto& box : sim.MessageBoxes()) texts.push_back(box.text);
    return texts;
  }
  std::string Text(uint32_t id) { return sim.platform().strings.Load(id); }
  Lines StatusTexts() const { return page.TextHistory(IDC_STATUS_LINE); }

  sim::SimWindows sim;
  sim::SimPage page;
  CPurvexDlg dlg{sim.platform()};
  CRemoveDrvPrn& prn = dlg.PrinterPage;

 private:
  Lines LogLines() const { return testlog::Lines(sim, dlg.Log.LogFilePath()); }

  size_t logMark_ = 0;
};

}  // namespace removal_test
