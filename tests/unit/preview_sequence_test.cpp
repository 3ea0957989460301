// A preview is the real sequence over a view in which nothing is written: run
// once over the preview of a seeded system and once for real over an
// identical one, it must leave its system as it was and write the same log,
// report the same outcome and show the same messages as the real run.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/preview/preview_platform.h"
#include "removal/uninstall_sequence.h"
#include "tests/unit/installed_page_fixture.h"

namespace page_test {
namespace {

// A model whose printer is gone: only its device entries are left.
const UsbPrinter kStale{"Korvex KP-109", "Korvex KP-109 Driver", "0109", "0C1D2E3F"};
constexpr const char* kLogDir = "C:\\Work\\log";

// What a sequence shows, recorded: the run has no window.
class RecordingHost : public IRemovalHost {
 public:
  void SetStatusLine(const std::string& text) override { Add("status " + text); }
  void ProgressStep() override { Add("step"); }
  void ShowProgress() override { Add("progress"); }
  void EndProgress() override { Add("end-progress"); }
  void ShowInfFiles(const std::vector<std::string>& infFiles) override {
    for (const std::string& inf : infFiles) Add("inf " + inf);
  }
  void ShowResultMessage(ResultCode code) override { Add("result " + Code(code)); }
  void ShowDeletionReport(ResultCode code) override { Add("report " + Code(code)); }
  void SequenceEnded(bool ok, bool portServiceRemoved) override {
    Add("ended " + std::to_string(ok) + std::to_string(portServiceRemoved));
  }
  std::vector<std::string> shown;

 private:
  static std::string Code(ResultCode code) {
    std::ostringstream out;
    out << static_cast<int>(code);
    return out.str();
  }
  void Add(const std::string& what) { shown.push_back(what); }
};

// One seeded system with the program on it, over the system itself or over
// its preview.
class World {
 public:
  explicit World(bool previewed) : previewed_(previewed) {}

  void Start() {
    if (previewed_) {
      preview_ = std::make_unique<PreviewPlatform>(sim.platform());
      preview_->WriteOwnFilesIn(kLogDir);
    }
    page.SetHandler([this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
      (void)dlg->PrinterPage.OnPageMessage(message, wParam, lParam);
    });
    dlg = std::make_unique<CPurvexDlg>(Platform());
    dlg->PrinterPage.AttachControls(&page);
    dlg->InitializeState();
    (void)dlg->PrinterPage.OnInitDialog();
  }

  ::Platform& Platform() { return previewed_ ? preview_->Get() : sim.platform(); }

  void Uninstall(SequenceRequest::Kind kind) {
    const SequenceRequest request = dlg->PrinterPage.CaptureRequest(kind);
    CDeviceService engine(Platform());
    ASSERT_TRUE(engine.SetOwner(dlg.get(), dlg.get()));
    engine.SetSpoolPccDir(dlg->SpoolPccDir);
    CSpoolerControl spooler(Platform());
    spooler.Connect(dlg.get(), &host);
    RunUninstallSequence(RemovalServices{Platform(), engine, spooler, host, dlg.get(), dlg.get(),
                                         &dlg->Record},
                         request);
  }

  // The system without the program's own log.
  std::string System() const {
    std::istringstream all(sim.FullSnapshot());
    std::string kept;
    for (std::string line; std::getline(all, line);) {
      if (line.find(kLogDir) == std::string::npos) kept += line + "\n";
    }
    return kept;
  }

  std::vector<std::string> Log() const { return testlog::Lines(sim, dlg->Log.LogFilePath()); }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : sim.MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  sim::SimWindows sim;
  sim::SimPage page;
  std::unique_ptr<CPurvexDlg> dlg;
  RecordingHost host;

 private:
  bool previewed_;
  std::unique_ptr<PreviewPlatform> preview_;
};

// A printer as its installation leaves it: driver with its support DLL, its
// package in the store, INF and PNF, cabinet, backup directory, device
// entries and product keys in both hives. `driverOf`: the printer whose
// driver it uses.
void Install(sim::SimWindows& sim, const UsbPrinter& p, const UsbPrinter& driverOf) {
  if (&p == &driverOf) {
    AddOwnDriver(sim, p);
    sim.AddPackage(Inf(p), p.InfPath());
  }
  sim::PrinterSpec printer;
  printer.name = p.name;
  printer.driver = driverOf.driver;
  printer.pnpDeviceInstanceId = p.PnpInstance();
  sim.AddPrinter(printer);
  AddUsbDevice(sim, p);
  AddProductKeys(sim, p);
  // The printer user interface removes the driver it is asked for, unless a
  // printer still uses it.
  const std::string driverName = driverOf.driver;
  sim.SetShellHook([&sim, driverName](const sim::ShellExecuteRecord& run) {
    if (run.parameters.find("\"" + driverName + "\"") == std::string::npos) return;
    for (const std::string& printer : sim.PrinterNames()) {
      if (sim.GetString(RegRoot::LocalMachine, std::string(sim::kPrintersKey) + "\\" + printer,
                        sim::kPrinterDriverValue) == driverName) {
        return;
      }
    }
    sim.DeleteKey(RegRoot::LocalMachine, sim.DriverKeyPath(driverName, 3));
  });
}

struct Installation {
  const char* label;
  void (*seed)(sim::SimWindows&);
};

const Installation kInstallations[] = {
    {"OnePrinter", [](sim::SimWindows& sim) { Install(sim, kP1, kP1); }},
    {"TwoModels",
     [](sim::SimWindows& sim) {
       Install(sim, kP2, kP2);
       Install(sim, kP1, kP1);
     }},
    {"SharedDriver",
     [](sim::SimWindows& sim) {
       Install(sim, kP1, kP1);
       Install(sim, kP2, kP1);
     }},
    {"OlderWindows",
     [](sim::SimWindows& sim) {
       sim.SetOsVersion(5, 1, 2600);
       Install(sim, kP1, kP1);
     }},
    {"StaleDevices",
     [](sim::SimWindows& sim) {
       Install(sim, kP1, kP1);
       AddUsbDevice(sim, kStale);
     }},
    {"NoPrinter", [](sim::SimWindows& sim) { AddUsbDevice(sim, kStale); }},
};

struct Run {
  const char* label;
  void (*act)(World&);
};

void Checked(World& world, bool printer, bool driver, bool port) {
  world.page.SetCheck(IDC_CHECK_PRINTER, printer);
  world.page.SetCheck(IDC_CHECK_DRIVER, driver);
  world.page.SetCheck(IDC_CHECK_PORT_SERVICE, port);
  world.Uninstall(SequenceRequest::Kind::CheckedComponents);
}

const Run kRuns[] = {
    {"SelectedPrinter", [](World& w) { w.Uninstall(SequenceRequest::Kind::SelectedPrinter); }},
    {"PrinterOnly", [](World& w) { Checked(w, true, false, false); }},
    {"PrinterAndDriver", [](World& w) { Checked(w, true, true, false); }},
    {"PortServiceOnly", [](World& w) { Checked(w, false, false, true); }},
    {"Everything", [](World& w) { Checked(w, true, true, true); }},
    {"CleanSystem", [](World& w) { w.dlg->PrinterPage.OnCleanSystemClicked(); }},
};

// No stale device for Clean system; no printer to remove.
const std::string kNothingToDo[] = {"OnePrinter_CleanSystem", "TwoModels_CleanSystem",
                                    "OlderWindows_CleanSystem", "NoPrinter_PrinterOnly"};

class PreviewSequenceTest
    : public ::testing::TestWithParam<std::tuple<Installation, Run>> {};

TEST_P(PreviewSequenceTest, ChangesNothingAndTellsWhatTheRealRunDoes) {
  const auto& [installation, run] = GetParam();
  World real(false);
  World previewed(true);
  for (World* world : {&real, &previewed}) {
    SeedMakerSoftware(world->sim);
    installation.seed(world->sim);
  }
  const std::string before = previewed.System();
  ASSERT_EQ(real.System(), before);
  real.Start();
  previewed.Start();

  run.act(real);
  run.act(previewed);

  EXPECT_EQ(previewed.System(), before) << "the preview changed the system";
  // The comparison means something only where the real run did something.
  const std::string name = std::string(installation.label) + "_" + run.label;
  const bool nothingToDo = std::find(std::begin(kNothingToDo), std::end(kNothingToDo), name) !=
                           std::end(kNothingToDo);
  EXPECT_EQ(real.System() == before, nothingToDo) << name;
  EXPECT_EQ(previewed.Log(), real.Log());
  EXPECT_EQ(previewed.host.shown, real.host.shown);
  EXPECT_EQ(previewed.Boxes(), real.Boxes());
  EXPECT_EQ(previewed.dlg->Record.DeletedFiles, real.dlg->Record.DeletedFiles);
  EXPECT_EQ(previewed.dlg->Record.NotDeletedFiles, real.dlg->Record.NotDeletedFiles);
  EXPECT_EQ(previewed.page.Items(IDC_PRINTER_COMBO), real.page.Items(IDC_PRINTER_COMBO));
}

INSTANTIATE_TEST_SUITE_P(
    Installations, PreviewSequenceTest,
    ::testing::Combine(::testing::ValuesIn(kInstallations), ::testing::ValuesIn(kRuns)),
    [](const ::testing::TestParamInfo<std::tuple<Installation, Run>>& info) {
      return std::string(std::get<0>(info.param).label) + "_" + std::get<1>(info.param).label;
    });

}  // namespace
}  // namespace page_test
