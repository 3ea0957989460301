#include <atomic>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/driver_store.h"
#include "platform/win_constants.h"
#include "tests/unit/expected_lines.h"
#include "tests/unit/installed_page_fixture.h"

namespace page_test {
namespace {

constexpr const char* kSpooler = "spooler";
constexpr const char* kNoHardwareIdLine = "Cannot search .inf files: HardwareId string is empty.";

enum class Sequence { Selected, Checked };

class PageSequenceTest : public InstalledPageFixture {
 public:
  void Run(Sequence sequence) {
    mark_ = LogMark();
    if (sequence == Sequence::Selected) {
      Page().UninstallSelectedPrinter();
    } else {
      dlg->Record.DeletedFiles.clear();
      dlg->Record.NotDeletedFiles.clear();
      Page().UninstallCheckedComponents();
    }
  }
  // The boxes as the user leaves them before pressing "Uninstall".
  void RunChecked(bool printer, bool driver, bool port) {
    simPage.SetCheck(IDC_CHECK_PRINTER, printer);
    simPage.SetCheck(IDC_CHECK_DRIVER, driver);
    simPage.SetCheck(IDC_CHECK_PORT_SERVICE, port);
    Run(Sequence::Checked);
  }

  // The log from here on is what Ran and EndedWithSeparator look at.
  void MarkLog() { mark_ = LogMark(); }
  bool Ran(const std::string& line) const {
    const auto lines = LogSince(mark_);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool ProductKeysLeft(const UsbPrinter& p) const {
    for (const char* key : kProductKeys) {
      if (sim.KeyExists(RegRoot::LocalMachine, key + p.name) ||
          sim.KeyExists(RegRoot::CurrentUser, key + p.name)) {
        return true;
      }
    }
    return false;
  }
  bool PortServiceLeft() const {
    return sim.ServiceExists(kPortService) || sim.Exists(kPortDriverFile);
  }
  bool EndedWithSeparator() const {
    const auto lines = LogSince(mark_);
    return !lines.empty() && lines.back() == kSeparatorLine;
  }
  std::vector<std::string> Texts(const std::vector<uint32_t>& ids) const {
    std::vector<std::string> texts;
    for (uint32_t id : ids) texts.push_back(Text(id));
    return texts;
  }

 private:
  size_t mark_ = 0;
};

// What is left of kP1's installation after a run.
struct Left {
  bool printer, driver, portService, productKeys, settings;
};

struct ScenarioCase {
  const char* label;
  void (*arrange)(PageSequenceTest&);
  void (*act)(PageSequenceTest&);
  Left left;
  std::vector<uint32_t> boxes;
  bool separator;
};

class PageScenarioTest : public PageSequenceTest,
                         public ::testing::WithParamInterface<ScenarioCase> {};

TEST_P(PageScenarioTest, RemovesWhatTheSequenceDecides) {
  const ScenarioCase& c = GetParam();
  c.arrange(*this);
  Start();
  c.act(*this);
  EXPECT_EQ(sim.PrinterExists(kP1.name), c.left.printer);
  EXPECT_EQ(sim.DriverExists(kP1.driver), c.left.driver);
  EXPECT_EQ(sim.Exists(Inf(kP1)), c.left.driver);  // INF files go with the driver
  EXPECT_EQ(PortServiceLeft(), c.left.portService);
  EXPECT_EQ(ProductKeysLeft(kP1), c.left.productKeys);
  EXPECT_EQ(sim.Exists(kConsoleDir), c.left.settings);
  // A deletion report is its heading followed by the paths: compare headings.
  std::vector<std::string> shown = BoxTexts();
  const std::string heading = Text(IDS_REPORT_HEADING);
  for (std::string& text : shown) {
    if (text.rfind(heading, 0) == 0) text = heading;
  }
  EXPECT_EQ(shown, Texts(c.boxes));
  EXPECT_EQ(EndedWithSeparator(), c.separator);
  EXPECT_TRUE(sim.IsRunning(kSpooler));
  EXPECT_FALSE(simPage.IsVisible(IDC_PROGRESS));
  EXPECT_TRUE(Enabled(IDC_RELOAD_LIST));
}

void OnePrinter(PageSequenceTest& t) { t.Install(kP1); }
void TwoPrinters(PageSequenceTest& t) {
  t.Install(kP1);
  t.Install(kP2);
}
void SharedDriver(PageSequenceTest& t) {
  t.Install(kP1);
  t.InstallSharingDriver(kP1, kP2);
}
void JobsQueued(PageSequenceTest& t) {
  t.Install(kP1);
  t.sim.SetJobs(kP1.name, 2);
}
void PortDeviceStuck(PageSequenceTest& t) {
  t.Install(kP1);
  t.sim.FailRemove(kP1.Interface1());
}
void DllInUse(PageSequenceTest& t) {
  t.Install(kP1);
  t.sim.SetInUse(kDllPath);
}
void Selected(PageSequenceTest& t) { t.Run(Sequence::Selected); }
void CheckedAll(PageSequenceTest& t) { t.RunChecked(true, true, true); }
void CheckedPrinterAndDriver(PageSequenceTest& t) { t.RunChecked(true, true, false); }
void CheckedPrinter(PageSequenceTest& t) { t.RunChecked(true, false, false); }
void CheckedPortService(PageSequenceTest& t) { t.RunChecked(false, false, true); }

const uint32_t kDone = IDS_UNINSTALL_COMPLETED;

INSTANTIATE_TEST_SUITE_P(
    Sequences, PageScenarioTest,
    ::testing::Values(
        ScenarioCase{"OwnDriverRunsEveryStep", OnePrinter, Selected,
                     {false, false, false, false, false}, {kDone}, true},
        ScenarioCase{"SharedDriverKeepsDriverServiceSettings", SharedDriver, Selected,
                     {false, true, true, false, true}, {kDone}, true},
        ScenarioCase{"ServiceStillUsedByOtherPrinter", TwoPrinters, Selected,
                     {false, false, true, false, true}, {kDone}, true},
        ScenarioCase{"QueuedJobsEndAtOnce", JobsQueued, Selected,
                     {true, true, true, true, true}, {IDS_MSG_JOBS_QUEUED}, false},
        ScenarioCase{"DllFailureIsShownNotKept", DllInUse, Selected,
                     {false, false, false, false, false}, {IDS_MSG_DLL, IDS_REPORT_HEADING}, true},
        ScenarioCase{"SelectedPortFailureEnds", PortDeviceStuck, Selected,
                     {false, false, true, true, true}, {IDS_MSG_DEVICE}, false},
        ScenarioCase{"CheckedPortFailureEnds", PortDeviceStuck, CheckedAll,
                     {false, false, true, true, true}, {IDS_MSG_DEVICE}, false},
        ScenarioCase{"CheckedOnlyPortService", OnePrinter, CheckedPortService,
                     {true, true, false, false, false}, {kDone}, true},
        ScenarioCase{"CheckedOnlyPrinter", OnePrinter, CheckedPrinter,
                     {false, true, true, false, false}, {kDone}, true},
        ScenarioCase{"CheckedDriverDespiteSecondPrinter", TwoPrinters, CheckedPrinterAndDriver,
                     {false, false, true, false, true}, {kDone}, true}),
    [](const auto& info) { return std::string(info.param.label); });

// The printer's package in the store, installed on the printer's own device
// entry; `otherUser` adds a second printer's entry installed from it too.
struct InUseCase {
  const char* label;
  uint32_t refusal;  // the code each path gives for a package still in use
  bool otherUser;
};

class PackageInUseTest : public PageSequenceTest,
                         public ::testing::WithParamInterface<InUseCase> {};

TEST_P(PackageInUseTest, OwnDeviceGoesFirstAndARefusedPackageKeepsItsInf) {
  const InUseCase& c = GetParam();
  const std::string otherEntry = "USBPRINT\\KORVEX0103\\7&99999999&0&USB002";
  Install(kP1);
  sim.AddPackage(Inf(kP1), kP1.InfPath());
  sim.SetPackageInUseCode(c.refusal);
  sim::DeviceSpec own;
  own.instanceId = kP1.PnpInstance();
  own.hardwareIds = {"USBPRINT\\KORVEX0103"};
  sim.AddDevice(own);
  sim.UsePackage(kP1.InfPath(), kP1.PnpInstance());
  if (c.otherUser) {
    sim::DeviceSpec other = own;
    other.instanceId = otherEntry;
    sim.AddDevice(other);
    sim.UsePackage(kP1.InfPath(), otherEntry);
  }
  Start();

  Run(Sequence::Selected);

  EXPECT_FALSE(sim.DeviceExists(kP1.PnpInstance()));
  EXPECT_TRUE(Ran("Device entry [" + kP1.PnpInstance() + "] of the printer removed."));
  EXPECT_EQ(sim.PackageExists(kP1.InfPath()), c.otherUser);
  EXPECT_EQ(sim.Exists(Inf(kP1)), c.otherUser);
  for (const std::string& call : sim.CallsOf("DriverPackageUninstall")) {
    EXPECT_EQ(call.substr(call.rfind('#')), "#0");  // never forced
  }
  if (c.otherUser) {
    EXPECT_TRUE(sim.DeviceExists(otherEntry));
    EXPECT_TRUE(Ran("INF file [" + Inf(kP1) +
                    "] NOT deleted: the driver store refused to remove its package (error " +
                    std::to_string(static_cast<int>(c.refusal)) +
                    "); devices may still use it."));
    EXPECT_NE(std::find(dlg->Record.NotDeletedFiles.begin(), dlg->Record.NotDeletedFiles.end(), Inf(kP1)),
              dlg->Record.NotDeletedFiles.end());
    EXPECT_EQ(BoxTexts().front(), Text(IDS_MSG_BACKUP));
    EXPECT_EQ(BoxTexts().back().rfind(Text(IDS_REPORT_HEADING), 0), 0u);
  } else {
    EXPECT_EQ(BoxTexts(), Texts({IDS_UNINSTALL_COMPLETED}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PackageInUseTest,
    ::testing::Values(InUseCase{"FrameworkOwnDeviceOnly", win::kErrorDependentApplicationsExist, false},
                      InUseCase{"FrameworkSecondPrinter", win::kErrorDependentApplicationsExist, true},
                      InUseCase{"SetupApiOwnDeviceOnly", win::kErrorInfInUseByDevices, false},
                      InUseCase{"SetupApiSecondPrinter", win::kErrorInfInUseByDevices, true}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(SetupApiFallbackFlags, ForcesOnlyWhenTheCallerForces) {
  EXPECT_EQ(SetupApiUninstallFlags(0), 0u);
  EXPECT_EQ(SetupApiUninstallFlags(win::kDriverPackageForce), kSuoiForceDelete);
  EXPECT_EQ(SetupApiUninstallFlags(~win::kDriverPackageForce), 0u);
}

TEST_F(PageSequenceTest, PackageWhoseStorePathCannotBeFoundKeepsItsInf) {
  Install(kP1);
  sim.AddPackage(Inf(kP1), kP1.InfPath());
  sim.FailWhere("DriverPackageGetPath", Inf(kP1), win::kErrorUnsupportedType, 2);
  Start();

  Run(Sequence::Selected);

  EXPECT_TRUE(sim.Exists(Inf(kP1)));
  EXPECT_TRUE(Ran("INF file [" + Inf(kP1) +
                  "] NOT deleted: its package in the driver store could not be looked up "
                  "(error 1630) and may still be there."));
  EXPECT_EQ(BoxTexts().front(), Text(IDS_MSG_BACKUP));
}

TEST_F(PageSequenceTest, LastPrinterGoneLeavesNothingToUninstall) {
  Install(kP1);
  Start();
  Run(Sequence::Selected);
  EXPECT_TRUE(Ran(expected::kPortServiceNotUsed));
  EXPECT_FALSE(sim.DeviceExists(kP1.Interface1()));
  EXPECT_FALSE(sim.PackageExists(kPortStoreInf));
  EXPECT_EQ(sim.MessageBoxes().back().style, win::kMbIconInformation);
  for (int id : {IDC_UNINSTALL_SELECTED, IDC_CHECK_PRINTER, IDC_CHECK_DRIVER,
                 IDC_CHECK_PORT_SERVICE, IDC_UNINSTALL_CHECKED}) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
  EXPECT_FALSE(Checked(IDC_CHECK_PORT_SERVICE));
}

// What a sequence shows, recorded instead of shown: a run without any window.
class RecordingHost : public IRemovalHost {
 public:
  void SetStatusLine(const std::string& text) override { statusTexts.push_back(text); }
  void ProgressStep() override { ++steps; }
  void ShowProgress() override { ++progressShown; }
  void EndProgress() override { ++progressEnded; }
  void ShowInfFiles(const std::vector<std::string>& infFiles) override { shownInfs = infFiles; }
  void ShowResultMessage(ResultCode code) override { results.push_back(code); }
  void ShowDeletionReport(ResultCode code) override { reports.push_back(code); }
  void SequenceEnded(bool ok, bool portServiceRemoved) override {
    ended.push_back({ok, portServiceRemoved});
  }

  std::vector<std::string> statusTexts;
  int steps = 0;
  int progressShown = 0;
  int progressEnded = 0;
  std::vector<std::string> shownInfs;
  std::vector<ResultCode> results;
  std::vector<ResultCode> reports;
  std::vector<std::pair<bool, bool>> ended;
};

TEST_F(PageSequenceTest, ARequestRunsWithoutThePageWindow) {
  Install(kP1);
  Start();
  const SequenceRequest request = Page().CaptureRequest(SequenceRequest::Kind::SelectedPrinter);
  const size_t pageMessages = simPage.Messages().size();
  const size_t pageTexts = simPage.TextHistory(IDC_STATUS_LINE).size();
  MarkLog();

  RecordingHost host;
  CDeviceService engine(sim.platform());
  ASSERT_TRUE(engine.SetOwner(dlg.get(), dlg.get()));
  engine.SetSpoolPccDir(dlg->SpoolPccDir);
  CSpoolerControl spooler(sim.platform());
  spooler.Connect(dlg.get(), &host);
  RunUninstallSequence(
      RemovalServices{sim.platform(), engine, spooler, host, dlg.get(), dlg.get(), &dlg->Record},
      request);

  EXPECT_FALSE(sim.PrinterExists(kP1.name));
  EXPECT_FALSE(sim.Exists(kDllPath));
  EXPECT_FALSE(sim.DeviceExists(kP1.Interface1()));
  EXPECT_TRUE(sim.IsRunning(kSpooler));
  EXPECT_TRUE(Ran(expected::kPortServiceNotUsed));
  EXPECT_TRUE(EndedWithSeparator());
  EXPECT_EQ(host.progressShown, 1);
  EXPECT_GT(host.steps, 0);
  EXPECT_EQ(host.progressEnded, 0);
  EXPECT_TRUE(host.results.empty());
  EXPECT_EQ(host.reports, std::vector<ResultCode>{kResultOk});
  EXPECT_EQ(host.ended, (std::vector<std::pair<bool, bool>>{{true, true}}));
  ASSERT_FALSE(host.statusTexts.empty());
  EXPECT_EQ(host.statusTexts.front(), Text(IDS_LOADING_PRINTERS));
  // Nothing of the run reached the page.
  EXPECT_EQ(simPage.Messages().size(), pageMessages);
  EXPECT_EQ(simPage.TextHistory(IDC_STATUS_LINE).size(), pageTexts);
}

// The worker runs what was asked when the button was pressed, whatever the
// boxes say by the time it reads its request.
TEST_F(PageSequenceTest, TheWorkerFollowsTheRequestNotTheBoxes) {
  Install(kP1);
  Start();
  simPage.SetCheck(IDC_CHECK_PRINTER, false);
  simPage.SetCheck(IDC_CHECK_DRIVER, false);
  simPage.SetCheck(IDC_CHECK_PORT_SERVICE, true);
  Page().PendingRequest = Page().CaptureRequest(SequenceRequest::Kind::CheckedComponents);
  simPage.SetCheck(IDC_CHECK_PRINTER, true);
  simPage.SetCheck(IDC_CHECK_DRIVER, true);
  MarkLog();

  CRemoveDrvPrn::UninstallCheckedComponentsThread(&Page());

  EXPECT_TRUE(sim.PrinterExists(kP1.name));
  EXPECT_TRUE(sim.Exists(kDllPath));
  EXPECT_FALSE(sim.DeviceExists(kP1.Interface1()));
}

TEST_F(PageSequenceTest, SharedDriverSkipsTheUseCheckAndTheForms) {
  Install(kP1);
  InstallSharingDriver(kP1, kP2);
  Start();
  Run(Sequence::Selected);
  EXPECT_FALSE(Ran(expected::kPortServiceNotUsed));
  EXPECT_TRUE(sim.RemovedForms().empty());
  EXPECT_TRUE(sim.ShellExecutes().empty());
  EXPECT_TRUE(ProductKeysLeft(kP2));
  EXPECT_EQ(simPage.Items(IDC_PRINTER_COMBO), std::vector<std::string>{kP2.name});
}

TEST_F(PageSequenceTest, EmptyHardwareIdSkipsOnlyTheInfSearch) {
  Install(kP1);
  sim.DeleteValue(RegRoot::LocalMachine, sim.DriverKeyPath(kP1.driver), sim::kHardwareIdValue);
  Start();
  ASSERT_EQ(Page().Printers[0]->HardwareId, "");
  Run(Sequence::Selected);
  EXPECT_TRUE(Ran(kNoHardwareIdLine));
  EXPECT_TRUE(sim.Exists(Inf(kP1)));
  EXPECT_FALSE(sim.DriverExists(kP1.driver));
  EXPECT_FALSE(ProductKeysLeft(kP1));
  EXPECT_TRUE(EndedWithSeparator());
}

struct VersionCase {
  const char* label;
  uint32_t major, minor;
  bool storeFolder;
  bool storeCleanup;  // else backup-directory cleanup
};

class PageVersionTest : public PageSequenceTest,
                        public ::testing::WithParamInterface<VersionCase> {};

TEST_P(PageVersionTest, ChoosesTheDriverCopyCleanup) {
  const VersionCase& c = GetParam();
  sim.SetOsVersion(c.major, c.minor, 0);
  Install(kP1);
  if (!c.storeFolder) {
    sim.DeleteValue(RegRoot::LocalMachine, sim.DriverKeyPath(kP1.driver), sim::kInfPathValue);
  }
  Start();
  Run(Sequence::Selected);
  EXPECT_EQ(sim.Exists(Cabinet(kP1)), !c.storeCleanup);
  EXPECT_EQ(sim.Exists(BackupDir(kP1)), c.storeCleanup);
  EXPECT_EQ(BoxTexts(), Texts({IDS_UNINSTALL_COMPLETED}));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, PageVersionTest,
    ::testing::Values(VersionCase{"Nt6WithFolder", 6, 1, true, true},
                      VersionCase{"Nt6WithoutFolder", 6, 1, false, false},
                      VersionCase{"Xp", 5, 1, true, false},
                      VersionCase{"Ten", 10, 0, true, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PageSequenceTest, FailuresAreShownInOrderAndTheLastOneDecides) {
  Install(kP1);
  sim.SetInUse(kDllPath);                                            // 40, not kept
  sim.SetDenied(Cabinet(kP1));                                       // listed at the end
  sim.DenyDelete(RegRoot::CurrentUser, kProductKeys[1] + kP1.name);  // 70
  Start();
  Run(Sequence::Selected);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                            Text(IDS_MSG_DLL), Text(IDS_MSG_REG_KEY),
                            Text(IDS_REPORT_HEADING) + kDllPath + "\r\n" + Cabinet(kP1) + "\r\n"}));
  // Every label is still tried.
  EXPECT_FALSE(sim.KeyExists(RegRoot::CurrentUser, kProductKeys[2] + kP1.name));
  EXPECT_TRUE(Enabled(IDC_UNINSTALL_CHECKED));  // a failed run keeps "Uninstall"
}

TEST_F(PageSequenceTest, OnlyTheSelectedSequenceEmptiesTheFileLists) {
  Install(kP1);
  Start();
  dlg->Record.NotDeletedFiles = {"C:\\stale"};
  Page().UninstallSelectedPrinter();
  EXPECT_TRUE(dlg->Record.NotDeletedFiles.empty());
  dlg->Record.NotDeletedFiles = {"C:\\stale"};
  simPage.SetCheck(IDC_CHECK_PORT_SERVICE, true);
  Page().UninstallCheckedComponents();
  EXPECT_EQ(dlg->Record.NotDeletedFiles, std::vector<std::string>{"C:\\stale"});
}

// The test thread as the user-interface thread: messages sent from another
// thread wait until this thread handles them, as SendMessage does.
class UiThread {
 public:
  using Dispatch = std::function<void(uint32_t, uintptr_t, intptr_t)>;
  explicit UiThread(Dispatch dispatch) : dispatch_(std::move(dispatch)) {}

  void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (std::this_thread::get_id() == ui_) {
      dispatch_(message, wParam, lParam);
      return;
    }
    auto item = std::make_shared<Item>(Item{message, wParam, lParam, false});
    std::unique_lock<std::mutex> lock(mutex_);
    queue_.push_back(item);
    changed_.notify_all();
    changed_.wait(lock, [&] { return item->done; });
  }
  void Pump() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!queue_.empty()) {
      auto item = queue_.front();
      queue_.pop_front();
      lock.unlock();
      dispatch_(item->message, item->wParam, item->lParam);
      lock.lock();
      item->done = true;
      changed_.notify_all();
    }
  }
  // Handles messages until done() holds; false after a generous bound.
  bool RunUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(1),
                          [&] { return !queue_.empty() || signalled_; });
      }
      Pump();
    }
    return true;
  }
  void Signal() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
    changed_.notify_all();
  }

 private:
  struct Item {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool done;
  };
  Dispatch dispatch_;
  std::thread::id ui_ = std::this_thread::get_id();
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<Item>> queue_;
  bool signalled_ = false;
};

class PageWorkerTest : public PageSequenceTest {
 protected:
  PageWorkerTest()
      : ui([this](uint32_t m, uintptr_t w, intptr_t l) {
          if (m == WM_PROGRESS_STEP) handledSteps.push_back(l);
          (void)Page().OnPageMessage(m, w, l);
        }) {
    simPage.SetHandler([this](uint32_t m, uintptr_t w, intptr_t l) { ui.Deliver(m, w, l); });
  }
  bool WorkerEnded() {
    return ui.RunUntil([this] { return !Page().Worker.IsRunning(); });
  }
  std::vector<intptr_t> handledSteps;  // in the order the page handled them
  UiThread ui;
};

TEST_F(PageWorkerTest, ButtonRunsTheSequenceOnTheWorker) {
  Install(kP1);
  Start();
  const size_t mark = LogMark();
  Page().OnUninstallSelectedClicked();
  ASSERT_TRUE(WorkerEnded());
  EXPECT_FALSE(sim.PrinterExists(kP1.name));
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{dlg->FormatText(IDS_CONFIRM_PRINTER, kP1.name),
                                                  Text(IDS_UNINSTALL_COMPLETED)}));
  ASSERT_GE(handledSteps.size(), 2u);
  EXPECT_EQ(handledSteps.front(), kProgressStart);
  EXPECT_EQ(handledSteps.back(), kProgressEnd);
  EXPECT_FALSE(Enabled(IDC_UNINSTALL_SELECTED));
  EXPECT_TRUE(Enabled(IDC_RELOAD_LIST));
  EXPECT_EQ(LogSince(mark).back(), kSeparatorLine);
}

// How the operation is ended: the page's own shutdown, or closing the main
// window, which empties the lists the worker writes and so must stop it first.
enum class CloseBy { Shutdown, MainWindow, PageWindow };

class PageCloseTest : public PageWorkerTest, public ::testing::WithParamInterface<CloseBy> {};

TEST_P(PageCloseTest, ClosingDuringAnOperationStopsTheWorkerAndStartsTheSpoolerAgain) {
  Install(kP1);
  Start();
  // The DLL removal waits one second, stops the spooler and waits three: the
  // window closes in the middle of that.
  constexpr uint64_t kInsideSpoolerStop = 2000;
  bool atStop = false;
  bool stopAsked = false;
  bool spoolerWasRunning = true;
  std::mutex m;
  std::condition_variable cv;
  sim.At(kInsideSpoolerStop, [&] {
    std::unique_lock<std::mutex> lock(m);
    spoolerWasRunning = sim.IsRunning(kSpooler);
    atStop = true;
    ui.Signal();
    cv.wait(lock, [&] { return stopAsked; });
  });
  Page().Worker.PumpWhileWaiting = [&] {
    {
      std::lock_guard<std::mutex> lock(m);
      stopAsked = true;
    }
    cv.notify_all();
    ui.Pump();
  };
  const size_t mark = LogMark();
  Page().OnUninstallSelectedClicked();
  ASSERT_TRUE(ui.RunUntil([&] {
    std::lock_guard<std::mutex> lock(m);
    return atStop;
  }));
  switch (GetParam()) {
    case CloseBy::Shutdown: Page().ShutdownWorker(); break;
    case CloseBy::MainWindow:
      dlg->OnClose();
      EXPECT_TRUE(dlg->Record.DeletedFiles.empty());
      break;
    case CloseBy::PageWindow: Page().OnClose(); break;
  }

  EXPECT_FALSE(spoolerWasRunning);
  EXPECT_FALSE(Page().Worker.IsRunning());
  EXPECT_TRUE(sim.IsRunning(kSpooler));
  EXPECT_FALSE(sim.PrinterExists(kP1.name));
  EXPECT_TRUE(sim.DriverExists(kP1.driver));  // stopped before the driver step
  const auto notice = sim.MessageBoxes().back();
  EXPECT_EQ(notice.text, "Stop thread");
  EXPECT_EQ(notice.caption, "Stop");
  EXPECT_EQ(notice.style, win::kMbOk);
  EXPECT_EQ(notice.owner, BoxOwner::Page);
  const auto lines = LogSince(mark);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(kSeparatorLine)), 0);
  EXPECT_EQ(lines.back().rfind("Uninstall operation stopped before its end", 0), 0u)
      << lines.back();
}

INSTANTIATE_TEST_SUITE_P(Close, PageCloseTest,
                         ::testing::Values(CloseBy::Shutdown, CloseBy::MainWindow, CloseBy::PageWindow));

// Whether `wanted` appear in `lines` in this order (others between them).
bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
  auto at = lines.begin();
  for (const std::string& line : wanted) {
    at = std::find(at, lines.end(), line);
    if (at == lines.end()) return false;
    ++at;
  }
  return true;
}

// Closing with real waits: the sequence sleeps for real, as on Windows.
class PageRealWaitTest : public PageWorkerTest {
 protected:
  PageRealWaitTest() { sim.SetRealSleeps(true); }
  // Runs "Uninstall selected printer" until its DLL step has the spooler
  // stopped and sleeps its three seconds.
  void StartUntilTheSpoolerIsStopped() {
    Install(kP1);
    Start();
    Page().Worker.PumpWhileWaiting = [this] { ui.Pump(); };
    Page().OnUninstallSelectedClicked();
    ASSERT_TRUE(ui.RunUntil([this] { return !sim.IsRunning(kSpooler); }));
  }
  int StopNotices() {
    int notices = 0;
    for (const auto& box : sim.MessageBoxes()) notices += box.text == "Stop thread" ? 1 : 0;
    return notices;
  }
};

TEST_F(PageRealWaitTest, AStopEndsTheWorkersWaitWithinASecond) {
  StartUntilTheSpoolerIsStopped();
  const auto before = std::chrono::steady_clock::now();

  EXPECT_TRUE(dlg->OnClose());

  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
  EXPECT_FALSE(Page().Worker.IsRunning());
  EXPECT_TRUE(sim.IsRunning(kSpooler));
  EXPECT_EQ(StopNotices(), 1);
}

TEST_F(PageRealWaitTest, FurtherClosesWhileTheFirstWaitsShowNothingAndChangeNothing) {
  StartUntilTheSpoolerIsStopped();
  int nestedCloses = 0;
  int nestedRefusals = 0;
  auto closeAgain = [&] {
    ++nestedCloses;
    if (!dlg->OnClose()) ++nestedRefusals;
  };
  // One more close from the notice's own message loop, and one from the
  // messages handled while the first close waits.
  sim.SetMessageBoxCallback([&](const sim::MessageBoxRecord&) {
    closeAgain();
    return win::kIdOk;
  });
  bool pumpedClose = false;
  Page().Worker.PumpWhileWaiting = [&] {
    if (!pumpedClose) {
      pumpedClose = true;
      closeAgain();
    }
    ui.Pump();
  };

  bool closed = false;
  EXPECT_NO_THROW(closed = dlg->OnClose());

  EXPECT_TRUE(closed);
  EXPECT_EQ(nestedRefusals, nestedCloses);
  EXPECT_GE(nestedCloses, 1);
  EXPECT_EQ(StopNotices(), 1);
  EXPECT_FALSE(Page().Worker.IsRunning());
  EXPECT_TRUE(sim.IsRunning(kSpooler));
}

TEST_F(PageRealWaitTest, TheSessionEndIsRefusedDuringAnOperationAndItsEndStopsItQuietly) {
  Install(kP1);
  Start();
  EXPECT_TRUE(dlg->OnQueryEndSession());  // idle: nothing to protect
  Page().Worker.PumpWhileWaiting = [this] { ui.Pump(); };
  Page().OnUninstallSelectedClicked();
  ASSERT_TRUE(ui.RunUntil([this] { return !sim.IsRunning(kSpooler); }));

  EXPECT_FALSE(dlg->OnQueryEndSession());
  EXPECT_TRUE(dlg->OnEndSession());

  EXPECT_EQ(StopNotices(), 0);
  EXPECT_FALSE(Page().Worker.IsRunning());
  EXPECT_TRUE(sim.IsRunning(kSpooler));
  EXPECT_TRUE(InOrder(LogLines(),
                      {"Windows asked to end the session while an uninstall operation runs: "
                       "refused.",
                       "The session ends while an uninstall operation runs: stopping it.",
                       expected::kStartSpoolerOk}));
}

std::atomic<bool> g_stuckWorkerDone{false};

TEST_F(PageWorkerTest, AWorkerThatMissesTheWaitIsLeftItsObjectsAndTheProcessEnds) {
  Install(kP1);
  Start();
  constexpr uint64_t kInsideSpoolerStop = 2000;
  std::mutex m;
  std::condition_variable cv;
  bool stuck = false;
  bool release = false;
  // A call that does not return: no safe point reaches the worker.
  sim.At(kInsideSpoolerStop, [&] {
    std::unique_lock<std::mutex> lock(m);
    stuck = true;
    ui.Signal();
    cv.wait(lock, [&] { return release; });
  });
  Page().Worker.StopWaitMs = 200;
  Page().Worker.PumpWhileWaiting = [this] { ui.Pump(); };
  g_stuckWorkerDone = false;
  Page().Worker.Owner = &Page();
  Page().PendingRequest = Page().CaptureRequest(SequenceRequest::Kind::SelectedPrinter);
  Page().Worker.WorkFunction = [](void* owner) {
    CRemoveDrvPrn::UninstallSelectedPrinterThread(owner);
    g_stuckWorkerDone = true;
  };
  Page().Worker.StopFunction = &CRemoveDrvPrn::StopNotice;
  ASSERT_TRUE(Page().Worker.Start());
  ASSERT_TRUE(ui.RunUntil([&] {
    std::lock_guard<std::mutex> lock(m);
    return stuck;
  }));
  dlg->Record.NotDeletedFiles.push_back("C:\\still in use");

  EXPECT_FALSE(dlg->OnClose());

  EXPECT_TRUE(Page().Worker.IsAbandoned());
  EXPECT_TRUE(Page().Worker.IsRunning());
  EXPECT_EQ(sim.ProcessEndedWith(), std::optional<uint32_t>(1));
  EXPECT_TRUE(sim.IsRunning(kSpooler));  // started by the closing thread
  EXPECT_EQ(dlg->Record.NotDeletedFiles, std::vector<std::string>{"C:\\still in use"});
  EXPECT_TRUE(LogHas("The uninstall operation did not stop in time: the program ends "
                     "without waiting for it."));
  // Any later close neither waits nor shows a second notice.
  EXPECT_FALSE(dlg->OnClose());
  EXPECT_EQ(sim.MessageBoxes().back().text, "Stop thread");

  {
    std::lock_guard<std::mutex> lock(m);
    release = true;
  }
  cv.notify_all();
  // Where the process would have ended: let the worker finish before the
  // fixture goes.
  ASSERT_TRUE(ui.RunUntil([] { return g_stuckWorkerDone.load(); }));
  EXPECT_TRUE(sim.IsRunning(kSpooler));
}

TEST_F(PageWorkerTest, CleanSystemDoesNothingWhileAWorkerRuns) {
  Install(kP1);
  Start();
  std::mutex m;
  std::condition_variable cv;
  bool inside = false;
  bool release = false;
  sim.At(1, [&] {
    std::unique_lock<std::mutex> lock(m);
    inside = true;
    ui.Signal();
    cv.wait(lock, [&] { return release; });
  });
  Page().OnUninstallSelectedClicked();
  ASSERT_TRUE(ui.RunUntil([&] {
    std::lock_guard<std::mutex> lock(m);
    return inside;
  }));
  const size_t boxes = sim.MessageBoxes().size();
  const auto devices = sim.DeviceIds();

  Page().OnCleanSystemClicked();

  EXPECT_EQ(sim.MessageBoxes().size(), boxes);
  EXPECT_EQ(sim.DeviceIds(), devices);
  EXPECT_TRUE(LogHas("An uninstall operation is still running: Clean system was not started."));
  {
    std::lock_guard<std::mutex> lock(m);
    release = true;
  }
  cv.notify_all();
  ASSERT_TRUE(WorkerEnded());
}

}  // namespace
}  // namespace page_test
