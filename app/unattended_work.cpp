#include "app/unattended_work.h"

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/purvex_dlg.h"
#include "platform/preview/preview_platform.h"
#include "printer_page/remove_drv_prn.h"
#include "removal/uninstall_sequence.h"
#include "support/generic_thread.h"
#include "resources/resource_ids.h"

namespace {

// How often the wait for the worker looks at the stop request and at the
// worker's end.
constexpr uint32_t kWorkerPollMs = 20;

// The page's controls with nobody looking at them: they keep what they are
// given, and the page's messages to its window go nowhere, as there is no
// list to redraw. Called from the worker and the caller's thread alike.
class HeadlessControls : public IWindowControls {
 public:
  bool Exists(int) override { return true; }
  void SetCheck(int id, bool checked) override {
    std::lock_guard<std::mutex> lock(mutex_);
    checked_[id] = checked;
  }
  bool IsChecked(int id) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = checked_.find(id);
    return found != checked_.end() && found->second;
  }
  void Enable(int id, bool enabled) override {
    std::lock_guard<std::mutex> lock(mutex_);
    disabled_[id] = !enabled;
  }
  bool IsEnabled(int id) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = disabled_.find(id);
    return found == disabled_.end() || !found->second;
  }
  void Show(int, int) override {}
  bool IsVisible(int) override { return false; }
  void SetText(int id, const std::string& textValue) override {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_[id] = textValue;
  }
  std::string GetText(int id) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_[id];
  }
  void SetTooltip(int, uint32_t) override {}
  void ResetContent(int id) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lists_[id].clear();
    selected_.erase(id);
  }
  void AddString(int id, const std::string& textValue) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lists_[id].push_back(textValue);
  }
  void SetCurSel(int id, int index) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto& entries = lists_[id];
    if (index >= 0 && static_cast<size_t>(index) < entries.size()) {
      selected_[id] = entries[static_cast<size_t>(index)];
    } else {
      selected_.erase(id);
    }
  }
  std::string GetSelectedText(int id) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = selected_.find(id);
    return found == selected_.end() ? std::string() : found->second;
  }
  int GetCount(int id) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(lists_[id].size());
  }
  void SetProgressRange(int, int, int) override {}
  void SetProgressPos(int, int) override {}
  void SetProgressStep(int, int) override {}
  void StepProgress(int) override {}
  int GetProgressPos(int) override { return 0; }
  void SendToPage(uint32_t, uintptr_t, intptr_t) override {}
  void PostToPage(uint32_t, uintptr_t, intptr_t) override {}
  void RefreshFromMembers() override {}

  // The entry the user picks, by its text: the list holds each name once.
  void Select(int id, const std::string& textValue) {
    std::lock_guard<std::mutex> lock(mutex_);
    selected_[id] = textValue;
  }

 private:
  std::mutex mutex_;
  std::map<int, bool> checked_;
  std::map<int, bool> disabled_;
  std::map<int, std::string> texts_;
  std::map<int, std::vector<std::string>> lists_;
  std::map<int, std::string> selected_;
};

// The page decides what a request holds, from the selection and the boxes as
// a user leaves them; the sequence then runs from the request on a worker of
// this run, and shows what it reports here instead of on the page.
class PageWork : public IUnattendedWork, public IRemovalHost {
 public:
  explicit PageWork(Platform& platform) : dialog_(platform) {}

  ~PageWork() override {
    // A worker that could not be stopped still uses the page: the process
    // ends with it rather than freeing what it walks.
    (void)worker_.Stop(false);
  }

  void Begin(const std::optional<std::string>& logDirectory) override {
    if (logDirectory) dialog_.LogDirectory = *logDirectory;
    dialog_.InitializeState();
    page().AttachControls(&controls_);
    (void)page().OnInitDialog();
  }

  void Log(const std::string& line) override { (void)dialog_.Log.WriteLine(line); }

  std::vector<ReportPrinter> Printers() override {
    std::vector<ReportPrinter> printers;
    const auto& records = page().Printers;
    for (const auto& record : records) {
      ReportPrinter printer;
      printer.name = record->PrinterName;
      printer.driver = record->DriverName;
      printer.hardwareId = record->HardwareId;
      printer.driverVersion = record->DriverVersion;
      printer.driverStoreFolder = record->DriverStoreFolder;
      for (const auto& other : records) {
        if (other.get() != record.get() && other->DriverName == record->DriverName) {
          printer.driverShared = true;
        }
      }
      printers.push_back(printer);
    }
    return printers;
  }

  std::vector<int32_t> Uninstall(size_t index, const std::optional<ComponentSet>& components,
                                 IRunItemSink& items, const StopSignal& stop,
                                 bool& stopped) override {
    CRemoveDrvPrn& p = page();
    if (index >= p.Printers.size()) return {};
    controls_.Select(IDC_PRINTER_COMBO, p.Printers[index]->PrinterName);
    p.OnPrinterSelChange();
    SequenceRequest::Kind kind = SequenceRequest::Kind::SelectedPrinter;
    if (components) {
      // The boxes as the user leaves them; the caller has refused a driver
      // that another printer uses, as the page's disabled box does.
      controls_.SetCheck(IDC_CHECK_PRINTER, components->printer || components->driver);
      controls_.SetCheck(IDC_CHECK_DRIVER, components->driver);
      controls_.SetCheck(IDC_CHECK_PORT_SERVICE, components->port);
      kind = SequenceRequest::Kind::CheckedComponents;
    }
    return RunRequest(p.CaptureRequest(kind), items, stop, stopped);
  }

  // The sequence of a request made already, on this run's worker.
  std::vector<int32_t> RunRequest(const SequenceRequest& request, IRunItemSink& items,
                                  const StopSignal& stop, bool& stopped) {
    request_ = request;
    dialog_.Deletions().Clear();
    codes_.clear();
    items_ = &items;

    worker_.Owner = this;
    worker_.WorkFunction = &PageWork::RunSequence;
    worker_.StopFunction = nullptr;
    if (!worker_.Start()) return {static_cast<int32_t>(ResultCode::OpenFailed)};
    stopped = WaitForWorker(stop);
    items_ = nullptr;
    return codes_;
  }

  std::vector<int32_t> Clean(IRunItemSink& items, const StopSignal& stop, bool& stopped) override {
    // Clean system runs on the caller's thread; the scope gives it the
    // worker's safe points, so a stop ends it between two devices.
    if (stop.Raised()) {
      stopped = true;
      return {};
    }
    page().ItemSink = &items;
    try {
      CCGenericThread::StopPointScope stopPoints(stop);
      page().OnCleanSystemClicked();
    } catch (const WorkerStopped&) {
      stopped = true;
    }
    page().ItemSink = nullptr;
    return {};
  }

  // IRemovalHost: nobody watches the progress; the results are the run's.
  void SetStatusLine(const std::string&) override {}
  void ProgressStep() override {}
  void ShowProgress() override {}
  void EndProgress() override {}
  void ShowInfFiles(const std::vector<std::string>&) override {}
  void ShowResultMessage(ResultCode code) override {
    codes_.push_back(static_cast<int32_t>(code));
    dialog_.ShowResultMessage(code);
  }
  void ShowDeletionReport(ResultCode code) override {
    codes_.push_back(static_cast<int32_t>(code));
    dialog_.ShowDeletionReport(code);
  }
  void SequenceEnded(bool, bool) override {}

 private:
  CRemoveDrvPrn& page() { return dialog_.PrinterPage; }

  static void RunSequence(void* owner) {
    auto* work = static_cast<PageWork*>(owner);
    RemovalServices services = work->page().Services();
    RemovalServices own{services.platform, services.engine,   services.spooler, *work,
                        services.log,      services.packages, services.deletions, work->items_};
    RunUninstallSequenceGuarded(own, work->request_);
  }

  bool WaitForWorker(const StopSignal& stop) {
    while (worker_.IsRunning()) {
      if (stop.WaitFor(kWorkerPollMs)) {
        // No notice: nobody could press its button.
        (void)worker_.Stop(false);
        return true;
      }
    }
    return false;
  }

  CPurvexDlg dialog_;
  HeadlessControls controls_;
  CCGenericThread worker_;
  SequenceRequest request_;
  std::vector<int32_t> codes_;
  // The run's list while a sequence runs; the steps report into it.
  IRunItemSink* items_ = nullptr;
};

}  // namespace

std::unique_ptr<IUnattendedWork> MakePageWork(Platform& platform) {
  return std::make_unique<PageWork>(platform);
}

PreviewRunner MakePagePreviewRunner(Platform& real) {
  return [&real](const SequenceRequest& request) {
    // No box may open, not even one the sequence would show at its end:
    // questions get the answer that lets the run go on, as in /preview.
    RunMessageBoxes silent;
    const Platform quiet = WithMessageBoxes(real, silent);
    PreviewPlatform view(quiet);
    PageWork work(view.Get());
    // No folder of the view is the run's own: the log cannot be opened in
    // it, so the steps' lines, which would read as removals, are dropped.
    work.Begin(std::nullopt);
    RunItemCollector items;
    const StopSignal never;
    bool stopped = false;
    (void)work.RunRequest(request, items, never, stopped);
    return items.Take();
  };
}
