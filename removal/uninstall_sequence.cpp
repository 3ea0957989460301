#include "removal/uninstall_sequence.h"

#include <exception>
#include <initializer_list>

#include "platform/text.h"
#include "resources/resource_ids.h"
#include "support/generic_thread.h"

namespace {

constexpr std::initializer_list<const char*> kProductKeyLabels = {
    "QDRK", "QDRKDRIVERINFO", "QDRKTX"};
constexpr const char* kNoHardwareIdLine =
    "Cannot search .inf files: HardwareId string is empty.";
constexpr const char* kStoppedLine =
    "Uninstall operation stopped before its end: the spooler was started again "
    "if the operation had stopped it.";
constexpr const char* kFailedLine =
    "Uninstall operation ended by an unexpected error: %s";

using Kind = SequenceRequest::Kind;

// One run of a sequence: its steps with the lists they find, and the code
// that the final report shows.
class CSequenceRun {
 public:
  CSequenceRun(const RemovalServices& services, const SequenceRequest& request)
      : steps_(services), host_(services.host), request_(request) {
    steps_.CurrentPrinter = request.printer;
    steps_.PrinterNames = request.printerNames;
    steps_.PortServiceName = request.portServiceName;
    steps_.DriverRemovable = request.removeDriver;
    steps_.SetEnvironment(request.environment);
  }

  void Run() {
    const bool checked = request_.kind == Kind::CheckedComponents;
    if (checked) {
      steps_.Step();
      host_.ShowProgress();
    } else {
      host_.ShowProgress();
      steps_.Step();
      if (steps_.Services.deletions != nullptr) steps_.Services.deletions->Clear();
    }
    // The selection itself was taken before the start.
    steps_.SetStatusLine(steps_.LoadText(IDS_LOADING_PRINTERS));
    steps_.ReadOwnDeviceInstanceId();

    if (request_.removePrinter) {
      const ResultCode printerResult = steps_.DeleteSelPrinter();
      if (printerResult != kResultOk) return EarlyEnd(printerResult);
      steps_.Step();
    }

    if (request_.removeDriver) {
      RemoveDriver(checked);
      // The selected printer's port service goes when nothing uses it any
      // more; a checked one goes as it was asked.
      if (!checked && !steps_.IsVomuStillUsed() && !RemovePortService(false)) return;
    }
    if (checked && request_.removePortService && !RemovePortService(true)) return;

    DeleteProductKeys();
    steps_.Step();
    DeleteSettingsOfLastPrinter();
    Finish();
  }

 private:
  void Report(ResultCode code) { host_.ShowResultMessage(code); }

  void EarlyEnd(ResultCode code) {
    // A spooler start that failed inside a step must not outlast the sequence.
    steps_.Spooler.EnsureSpoolerRunning();
    Report(code);
    host_.SequenceEnded(false, false);
    host_.ShowDeletionReport(code);
  }

  void Finish() {
    steps_.Spooler.EnsureSpoolerRunning();
    host_.SequenceEnded(code_ == kResultOk, portRemoved_);
    host_.ShowDeletionReport(code_);
    steps_.Log(kSeparatorLine);
  }

  // The two sequences place their progress steps differently.
  void RemoveDriver(bool checked) {
    // A DLL still in place is reported but does not decide the outcome.
    const ResultCode dllResult = steps_.DeleteDriverDlls();
    if (dllResult != kResultOk) Report(dllResult);
    if (checked) steps_.Step();
    code_ = steps_.DeleteSelDriver();
    if (code_ != kResultOk) Report(code_);
    if (!checked) steps_.Step();
    SearchPrinterInfFiles(checked);
    DeleteDriverCopies();
    steps_.Step();
    DeleteFoundInfFiles();
    if (checked) steps_.Step();
  }

  void SearchPrinterInfFiles(bool stepAfterSearch) {
    const std::string& hardwareId = steps_.CurrentPrinter.HardwareId;
    if (!hardwareId.empty()) {
      (void)steps_.SearchHardwareIdInfFiles(hardwareId);
      if (stepAfterSearch) steps_.Step();
    } else {
      steps_.Log(kNoHardwareIdLine);
      steps_.InfFiles.clear();
      steps_.ShowInfFiles();
    }
  }

  // The driver store exists from the NT 6 generation on; elsewhere the
  // driver's backup directories hold the copies.
  void DeleteDriverCopies() {
    const bool deleted =
        (steps_.Engine.IsVista() && !steps_.CurrentPrinter.DriverStoreFolder.empty())
            ? steps_.DeleteDriverStoreCopies()
            : steps_.DeleteDrvBckupDir();
    if (!deleted) {
      Report(kResultBackupFailed);
      code_ = kResultBackupFailed;
    }
  }

  void DeleteFoundInfFiles() {
    DeletionRecord* record = steps_.Services.deletions;
    if (!steps_.Engine.DeleteInfFiles(steps_.InfFiles,
                                      record ? &record->DeletedFiles : nullptr,
                                      record ? &record->NotDeletedFiles : nullptr)) {
      Report(kResultInfFailed);
      code_ = kResultInfFailed;
    }
  }

  // False when its failure ended the sequence.
  bool RemovePortService(bool stepBefore) {
    if (stepBefore) steps_.Step();
    const ResultCode portResult = steps_.UninstallPortService();
    if (portResult != kResultOk) {
      EarlyEnd(portResult);
      return false;
    }
    steps_.Step();
    portRemoved_ = true;
    return true;
  }

  // Every label is attempted; one failure is enough for the message.
  void DeleteProductKeys() {
    bool allDeleted = true;
    for (const char* label : kProductKeyLabels) {
      if (!steps_.DeleteQdRkRegKeys(label)) allDeleted = false;
    }
    if (!allDeleted) {
      code_ = kResultRegistryFailed;
      Report(kResultRegistryFailed);
    }
  }

  void DeleteSettingsOfLastPrinter() {
    if (!request_.singlePrinter) return;
    if (!steps_.DeleteConsoleAppDir()) {
      Report(kResultSettingsFailed);
      code_ = kResultSettingsFailed;
    }
  }

  CRemovalSteps steps_;
  IRemovalHost& host_;
  const SequenceRequest& request_;
  ResultCode code_ = kResultOk;
  bool portRemoved_ = false;
};

void WriteLog(const RemovalServices& services, const std::string& line) {
  if (services.log != nullptr) services.log->WriteLine(line);
}

}  // namespace

void RunUninstallSequence(const RemovalServices& services, const SequenceRequest& request) {
  CSequenceRun(services, request).Run();
}

// A stop asked for at a safe point must not leave the spooler stopped; the
// user-interface thread is tearing down and waits, so nothing more is shown.
void RunUninstallSequenceGuarded(const RemovalServices& services,
                                 const SequenceRequest& request) {
  try {
    RunUninstallSequence(services, request);
  } catch (const WorkerStopped&) {
    services.spooler.EnsureSpoolerRunning();
    WriteLog(services, kStoppedLine);
  } catch (const std::exception& error) {
    services.spooler.EnsureSpoolerRunning();
    WriteLog(services, text::Format(kFailedLine, error.what()));
    services.host.EndProgress();
  }
}
