#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "removal/removal_steps.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kDsDriverSubkey = "DsDriver";
constexpr const char* kMediaValue = "printMediaSupported";
constexpr char kWordSeparator = ' ';

}  // namespace

ResultCode CRemovalSteps::DeleteSelPrinter() {
  SetStatusLine(LoadText(IDS_REMOVING_PRINTER));

  const std::vector<std::string> names = PrinterNames;
  Log("Try to Find Printers...");

  const std::string wanted = text::Upper(CurrentPrinter.PrinterName);
  const std::string* found = nullptr;
  for (const std::string& name : names) {
    if (text::Upper(name) == wanted) {
      found = &name;
      break;
    }
  }
  if (found == nullptr) return kResultOk;
  const std::string printerName = *found;
  Log(text::Format("Found! [%s]", printerName));

  PrinterHandle printer;
  const Outcome opened =
      platform.spooler.Open(printerName, win::kPrinterAllAccess, printer);
  if (!opened || !printer) {
    // An open that succeeds without a printer has no error of its own.
    const uint32_t error = opened ? win::kErrorSuccess : opened.error;
    if (error == win::kErrorFileNotFound ||
        error == win::kErrorInvalidPrinterName) {
      const std::string line = text::Format(
          "Printer [%s] is not still installed on this system. Impossible to "
          "delete it!",
          printerName);
      Log(line);
      SetStatusLine(line);
      return kResultPrinterGone;
    }
    const std::string line = text::Format(
        "Impossible to delete [%s] printer! Impossible to open it! System "
        "error [%d].",
        printerName, static_cast<int>(error));
    Log(line);
    SetStatusLine(line);
    return kResultOpenFailed;
  }

  uint32_t jobs = 0;
  if (!GetNumberOfJobs(printer.get(), jobs)) {
    Log("Impossible to determine if there are jobs into printer queue. "
        "Printer remove cannot be completed.");
    (void)printer->Close();
    return kResultJobCountFailed;
  }
  if (jobs != 0) {
    ReportItem(RunItemKind::Printer, printerName, RunItemResult::Kept,
               text::Format("%d jobs are in its queue", static_cast<int>(jobs)));
    (void)printer->Close();
    return kResultJobsQueued;
  }

  if (DriverRemovable) {
    SetStatusLine(LoadText(IDS_REMOVING_FORMS));
    std::vector<std::string> forms;
    (void)GetPrinterForms(printerName, forms);
    bool anyFormFailed = false;
    for (const std::string& form : forms) {
      if (!IsFormOfDriver(form)) continue;
      const Outcome removed = printer->RemoveForm(form);
      if (removed) {
        Log(text::Format("Form [%s] Deleted!", form));
        ReportRemoval(RunItemKind::Form, form, true);
      } else {
        Log(text::Format("Form [%s] NOT Deleted! System error [%d]", form,
                         static_cast<int>(removed.error)));
        ReportRemoval(RunItemKind::Form, form, false, removed.error);
        anyFormFailed = true;
      }
    }
    if (anyFormFailed) {
      Host.ShowResultMessage(kResultFormsFailed);
    }
  }

  const Outcome deleted = printer->RemovePrinter();
  (void)printer->Close();
  if (!deleted) {
    // The deletion's own error: a successful close must not hide it.
    const std::string line =
        text::Format("Printer [%s] NOT Deleted! System error [%d]",
                     printerName, static_cast<int>(deleted.error));
    Log(line);
    SetStatusLine(line);
    ReportRemoval(RunItemKind::Printer, printerName, false, deleted.error);
    return kResultDeletePrinterFailed;
  }
  const std::string line = text::Format("Deleted! [%s]", printerName);
  ReportRemoval(RunItemKind::Printer, printerName, true);
  Log(line);
  SetStatusLine(line);
  return kResultOk;
}

bool CRemovalSteps::GetNumberOfJobs(IPrinterHandle* printer, uint32_t& jobs) {
  if (printer == nullptr) {
    Log("Handle to the printer not valid in CRemoveDrvPrn::GetNumberOfJobs");
    return false;
  }
  uint32_t needed = 0;
  const Outcome sized = printer->GetPrinter2Size(needed);
  if (!sized && sized.error != win::kErrorInsufficientBuffer) return false;
  if (needed == 0) return false;

  PrinterInfo2 info;
  if (!printer->GetPrinter2(needed, info)) return false;
  jobs = info.jobs;
  return true;
}

int CRemovalSteps::GetPrinterForms(const std::string& printerName,
                                   std::vector<std::string>& forms) {
  const std::string key = std::string(kPrintersSoftwareKey) + "\\" +
                          printerName + "\\" + kDsDriverSubkey;
  std::vector<std::string> names;
  if (!Registry.ReadMultiStringList(RegRoot::LocalMachine, key, kMediaValue, names)) {
    return 0;
  }
  forms.insert(forms.end(), names.begin(), names.end());
  return static_cast<int>(names.size());
}

bool CRemovalSteps::IsFormOfDriver(const std::string& formName) {
  const std::string form = text::Upper(formName);
  for (const std::string& word :
       text::SplitNonEmpty(text::Upper(CurrentPrinter.DriverName), kWordSeparator)) {
    if (text::Contains(form, word)) return true;
  }
  return false;
}
