#pragma once
// Shared set-up of the removal-step tests: a simulated Windows, the printer
// page's simulated controls and the main dialog with its page, initialised
// the way the program initialises them.
#include <gtest/gtest.h>

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

namespace removal_test {

inline constexpr const char* kWindows = "C:\\Windows";
inline constexpr const char* kMaker = "Korvex";
inline constexpr const char* kSpooler = "spooler";

using Lines = std::vector<std::string>;

inline bool Has(const std::vector<std::string>& items, const std::string& item) {
  for (const std::string& entry : items) {
    if (entry == item) return true;
  }
  return false;
}
template <typename T>
bool Has(const std::vector<T>& items, const T& item) {
  for (const T& entry : items) {
    if (entry == item) return true;
  }
  return false;
}

class RemovalTest : public ::testing::Test {
 protected:
  RemovalTest() {
    if (!sim.ServiceExists(kSpooler)) sim.AddService(kSpooler, true);
    Start(win::kProcessorArchitectureAmd64);
  }

  // Runs the main dialog's initialisation for the given processor.
  void Start(uint16_t architecture) {
    sim.SetProcessorArchitecture(architecture);
    prn.AttachControls(&page);
    dlg.InitializeState();
    prn.PortServiceName = "VOMUUSB";
    MarkLog();
  }

  // Seeds a maker printer with its own driver and selects it on the page.
  CPrinterRecord& AddPrinter(const std::string& name, const std::string& driver,
                             const std::string& hardwareId = "USBPRINT\\MODEL80-1A2B") {
    sim::DriverSpec spec;
    spec.name = driver;
    spec.manufacturer = kMaker;
    spec.hardwareId = hardwareId;
    if (!sim.DriverExists(driver)) sim.AddDriver(spec);
    sim::PrinterSpec printer;
    printer.name = name;
    printer.driver = driver;
    sim.AddPrinter(printer);
    auto record = std::make_unique<CPrinterRecord>();
    record->PrinterName = name;
    record->DriverName = driver;
    record->HardwareId = hardwareId;
    prn.Printers.push_back(std::move(record));
    prn.CurrentPrinter = *prn.Printers.back();
    return prn.CurrentPrinter;
  }

  // Log texts without their time stamps, all of them.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    const auto content = sim.ReadFile(dlg.Log.LogFilePath());
    if (!content) return lines;
    static const std::string kEnd = "\r\n";
    static const std::string kStampEnd = "<--  ";
    size_t start = 0;
    while (start < content->size()) {
      const size_t end = content->find(kEnd, start);
      std::string line = content->substr(
          start, end == std::string::npos ? std::string::npos : end - start);
      const size_t stamp = line.find(kStampEnd);
      if (line.rfind("--> ", 0) == 0 && stamp != std::string::npos) {
        line.erase(0, stamp + kStampEnd.size());
      }
      lines.push_back(line);
      if (end == std::string::npos) break;
      start = end + kEnd.size();
    }
    return lines;
  }
  void MarkLog() { logMark_ = LogLines().size(); }
  // Lines written since the last MarkLog.
  std::vector<std::string> NewLog() const {
    std::vector<std::string> lines = LogLines();
    lines.erase(lines.begin(), lines.begin() + static_cast<long>(
                                   std::min(logMark_, lines.size())));
    return lines;
  }
  size_t CountLog(const std::string& line) const {
    size_t n = 0;
    for (const std::string& l : NewLog()) n += (l == line) ? 1 : 0;
    return n;
  }

  size_t ProgressSteps() const {
    size_t n = 0;
    for (intptr_t lParam : page.MessageParams(WM_PROGRESS_STEP)) {
      n += (lParam == kProgressStepOnce) ? 1 : 0;
    }
    return n;
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : sim.MessageBoxes()) texts.push_back(box.text);
    return texts;
  }
  std::string Text(uint32_t id) { return sim.platform().strings.Load(id); }
  std::string StatusLine() { return page.GetText(IDC_STATUS_LINE); }

  sim::SimWindows sim;
  sim::SimPage page;
  CPurvexDlg dlg{sim.platform()};
  CRemoveDrvPrn& prn = dlg.PrinterPage;

 private:
  size_t logMark_ = 0;
};

}  // namespace removal_test
