#include <exception>
#include <initializer_list>

#include "app/purvex_dlg.h"
#include "platform/text.h"
#include "platform/win_constants.h"
#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"

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

using Sequence = void (CRemoveDrvPrn::*)();

// A stop asked for at a safe point must not leave the spooler stopped; the
// user-interface thread is tearing down and waits, so nothing more is shown.
void RunSequence(void* owner, Sequence sequence) {
  auto* page = static_cast<CRemoveDrvPrn*>(owner);
  if (page == nullptr) return;
  try {
    (page->*sequence)();
  } catch (const WorkerStopped&) {
    page->EnsureSpoolerRunning();
    page->Log(kStoppedLine);
  } catch (const std::exception& error) {
    page->EnsureSpoolerRunning();
    page->Log(text::Format(kFailedLine, error.what()));
    if (page->Controls != nullptr) {
      page->Controls->SendToPage(WM_PROGRESS_STEP, 0, kProgressEnd);
    }
  }
}

void Report(CRemoveDrvPrn& page, int code) {
  if (page.MainDialog != nullptr) page.MainDialog->ShowResultMessage(code);
}

void FinalReport(CRemoveDrvPrn& page, int code) {
  if (page.MainDialog != nullptr) page.MainDialog->ShowDeletionReport(code);
}

void EarlyEnd(CRemoveDrvPrn& page, int code) {
  // A spooler start that failed inside a step must not outlast the sequence.
  page.EnsureSpoolerRunning();
  Report(page, code);
  page.ReloadPrinters(false, false);
  FinalReport(page, code);
}

void ShowProgress(CRemoveDrvPrn& page) {
  if (page.Controls == nullptr) return;
  page.Controls->Show(IDC_PROGRESS, win::kSwShowNa);
  page.Controls->Show(IDC_STATUS_LINE, win::kSwShow);
}

bool IsChecked(CRemoveDrvPrn& page, int id) {
  return page.Controls != nullptr && page.Controls->IsChecked(id);
}

void SetDriverRemovable(CRemoveDrvPrn& page, bool removable) {
  if (removable) {
    page.PageFlags |= kDriverRemovable;
  } else {
    page.PageFlags &= static_cast<uint16_t>(~kDriverRemovable);
  }
}

void SearchPrinterInfFiles(CRemoveDrvPrn& page) {
  if (!page.CurrentPrinter.HardwareId.empty()) {
    (void)page.SearchHardwareIdInfFiles(page.CurrentPrinter.HardwareId);
  } else {
    page.Log(kNoHardwareIdLine);
    page.InfFiles.clear();
    page.ShowInfFiles();
  }
}

// The driver store exists from the NT 6 generation on; elsewhere the
// driver's backup directories hold the copies.
void DeleteDriverCopies(CRemoveDrvPrn& page, int& code) {
  const bool deleted =
      (page.Engine.IsVista() && !page.CurrentPrinter.DriverStoreFolder.empty())
          ? page.DeleteDriverStoreCopies()
          : page.DeleteDrvBckupDir();
  if (!deleted) {
    Report(page, kResultBackupFailed);
    code = kResultBackupFailed;
  }
}

void DeleteFoundInfFiles(CRemoveDrvPrn& page, int& code) {
  FileList* deleted = nullptr;
  FileList* notDeleted = nullptr;
  if (page.MainDialog != nullptr) {
    deleted = &page.MainDialog->DeletedFiles;
    notDeleted = &page.MainDialog->NotDeletedFiles;
  }
  if (!page.Engine.DeleteInfFiles(page.InfFiles, deleted, notDeleted)) {
    Report(page, kResultInfFailed);
    code = kResultInfFailed;
  }
}

// Every label is attempted; one failure is enough for the message.
void DeleteProductKeys(CRemoveDrvPrn& page, int& code) {
  bool allDeleted = true;
  for (const char* label : kProductKeyLabels) {
    if (!page.DeleteQdRkRegKeys(label)) allDeleted = false;
  }
  if (!allDeleted) {
    code = kResultRegistryFailed;
    Report(page, kResultRegistryFailed);
  }
}

void DeleteSettingsOfLastPrinter(CRemoveDrvPrn& page, int& code) {
  if ((page.PageFlags & kSinglePrinter) == 0) return;
  if (!page.DeleteConsoleAppDir()) {
    Report(page, kResultSettingsFailed);
    code = kResultSettingsFailed;
  }
}

void Finish(CRemoveDrvPrn& page, int code, bool portRemoved) {
  page.EnsureSpoolerRunning();
  page.ReloadPrinters(code == kResultOk, portRemoved);
  FinalReport(page, code);
  page.Log(kSeparatorLine);
}

}  // namespace

void CRemoveDrvPrn::UninstallSelectedPrinterThread(void* owner) {
  RunSequence(owner, &CRemoveDrvPrn::UninstallSelectedPrinter);
}

void CRemoveDrvPrn::UninstallCheckedComponentsThread(void* owner) {
  RunSequence(owner, &CRemoveDrvPrn::UninstallCheckedComponents);
}

void CRemoveDrvPrn::UninstallSelectedPrinter() {
  int code = kResultOk;
  bool portRemoved = false;

  ShowProgress(*this);
  Step();
  if (MainDialog != nullptr) {
    MainDialog->DeletedFiles.clear();
    MainDialog->NotDeletedFiles.clear();
  }
  SelectCurrentPrinter();
  ReadOwnDeviceInstanceId();
  SetDriverRemovable(*this, !IsDriverShared());

  const int printerResult = DeleteSelPrinter();
  if (printerResult != kResultOk) {
    EarlyEnd(*this, printerResult);
    return;
  }
  Step();

  if ((PageFlags & kDriverRemovable) != 0) {
    // A DLL still in place is reported but does not decide the outcome.
    const int dllResult = DeleteDriverDlls();
    if (dllResult != kResultOk) Report(*this, dllResult);
    code = DeleteSelDriver();
    if (code != kResultOk) Report(*this, code);
    Step();
    SearchPrinterInfFiles(*this);
    DeleteDriverCopies(*this, code);
    Step();
    DeleteFoundInfFiles(*this, code);
    if (!IsVomuStillUsed()) {
      const int portResult = UninstallPortService();
      if (portResult != kResultOk) {
        EarlyEnd(*this, portResult);
        return;
      }
      Step();
      portRemoved = true;
    }
  }

  DeleteProductKeys(*this, code);
  Step();
  DeleteSettingsOfLastPrinter(*this, code);
  Finish(*this, code, portRemoved);
}

void CRemoveDrvPrn::UninstallCheckedComponents() {
  int code = kResultOk;
  bool portRemoved = false;

  Step();
  ShowProgress(*this);
  SelectCurrentPrinter();
  ReadOwnDeviceInstanceId();

  if (IsChecked(*this, IDC_CHECK_PRINTER)) {
    SetDriverRemovable(*this, IsChecked(*this, IDC_CHECK_DRIVER));
    const int printerResult = DeleteSelPrinter();
    if (printerResult != kResultOk) {
      EarlyEnd(*this, printerResult);
      return;
    }
    Step();
  }

  if (IsChecked(*this, IDC_CHECK_DRIVER)) {
    const int dllResult = DeleteDriverDlls();
    if (dllResult != kResultOk) Report(*this, dllResult);
    Step();
    code = DeleteSelDriver();
    if (code != kResultOk) Report(*this, code);
    if (!CurrentPrinter.HardwareId.empty()) {
      (void)SearchHardwareIdInfFiles(CurrentPrinter.HardwareId);
      Step();
    } else {
      Log(kNoHardwareIdLine);
      InfFiles.clear();
      ShowInfFiles();
    }
    DeleteDriverCopies(*this, code);
    Step();
    DeleteFoundInfFiles(*this, code);
    Step();
  }

  if (IsChecked(*this, IDC_CHECK_PORT_SERVICE)) {
    Step();
    const int portResult = UninstallPortService();
    if (portResult != kResultOk) {
      EarlyEnd(*this, portResult);
      return;
    }
    Step();
    portRemoved = true;
  }

  DeleteProductKeys(*this, code);
  Step();
  DeleteSettingsOfLastPrinter(*this, code);
  Finish(*this, code, portRemoved);
}
