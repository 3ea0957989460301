#include <string>
#include <vector>

#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {


class PrinterDeletionTest : public RemovalTest {
 protected:
  void SeedForms(const std::string& printer, const std::vector<std::string>& forms) {
    sim.SetMultiString(RegRoot::LocalMachine,
                       std::string(kPrintersSoftwareKey) + "\\" + printer + "\\DsDriver",
                       "printMediaSupported", forms);
  }
  std::vector<std::string> RemovedFormNames() const {
    std::vector<std::string> names;
    for (const auto& removal : sim.RemovedForms()) names.push_back(removal.form);
    return names;
  }
};

TEST_F(PrinterDeletionTest, PrinterNotListedDoesNothing) {
  AddPrinter("Office Label", "Model 80 Label");
  prn.CurrentPrinter.PrinterName = "Warehouse";

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(NewLog(), Lines({"Try to Find Printers..."}));
  EXPECT_TRUE(sim.PrinterExists("Office Label"));
}

TEST_F(PrinterDeletionTest, NameMatchesWithoutRegardToCaseAndLogsListedName) {
  AddPrinter("Office Label", "Model 80 Label");
  prn.CurrentPrinter.PrinterName = "OFFICE label";

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(NewLog(), Lines({"Try to Find Printers...", "Found! [Office Label]",
                                    "Deleted! [Office Label]"}));
  EXPECT_FALSE(sim.PrinterExists("Office Label"));
  EXPECT_EQ(StatusLine(), "Deleted! [Office Label]");
  EXPECT_EQ(sim.OpenPrinterHandles(), 0);
}

struct OpenFailure {
  uint32_t error;
  int result;
  const char* line;
};

class PrinterOpenFailureTest : public PrinterDeletionTest,
                               public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(PrinterOpenFailureTest, MapsErrorToResult) {
  AddPrinter("Office Label", "Model 80 Label");
  sim.FailOpenPrinter("Office Label", GetParam().error);

  EXPECT_EQ(prn.DeleteSelPrinter(), GetParam().result);
  EXPECT_EQ(NewLog(), Lines({"Try to Find Printers...", "Found! [Office Label]",
                                    GetParam().line}));
  EXPECT_EQ(StatusLine(), GetParam().line);
  EXPECT_TRUE(sim.PrinterExists("Office Label"));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, PrinterOpenFailureTest,
    ::testing::Values(
        OpenFailure{win::kErrorInvalidPrinterName, kResultPrinterGone,
                    "Printer [Office Label] is not still installed on this system. "
                    "Impossible to delete it!"},
        OpenFailure{win::kErrorFileNotFound, kResultPrinterGone,
                    "Printer [Office Label] is not still installed on this system. "
                    "Impossible to delete it!"},
        OpenFailure{win::kErrorAccessDenied, kResultOpenFailed,
                    "Impossible to delete [Office Label] printer! Impossible to open "
                    "it! System error [5]."}));

TEST_F(PrinterDeletionTest, QueuedDocumentKeepsPrinterSilently) {
  AddPrinter("Office Label", "Model 80 Label");
  sim.SetJobs("Office Label", 1);
  prn.PageFlags = kDriverRemovable;
  SeedForms("Office Label", {"Model 80x200mm"});

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultJobsQueued);
  EXPECT_EQ(NewLog(), Lines({"Try to Find Printers...", "Found! [Office Label]"}));
  EXPECT_TRUE(sim.PrinterExists("Office Label"));
  EXPECT_TRUE((RemovedFormNames()).empty());
  EXPECT_EQ(StatusLine(), Text(IDS_REMOVING_PRINTER));
  EXPECT_EQ(sim.OpenPrinterHandles(), 0);
}

TEST_F(PrinterDeletionTest, UnknownJobCountStopsBeforeDeleting) {
  AddPrinter("Office Label", "Model 80 Label");
  sim.FailNext("GetPrinter2Size", win::kErrorAccessDenied);

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultJobCountFailed);
  EXPECT_EQ(NewLog().back(),
            "Impossible to determine if there are jobs into printer queue. Printer "
            "remove cannot be completed.");
  EXPECT_TRUE(sim.PrinterExists("Office Label"));
  EXPECT_EQ(sim.OpenPrinterHandles(), 0);
}

TEST_F(PrinterDeletionTest, NullHandleIsRejected) {
  uint32_t jobs = 0;
  EXPECT_FALSE(prn.GetNumberOfJobs(nullptr, jobs));
  EXPECT_EQ(NewLog(), Lines({"Handle to the printer not valid in "
                                    "CRemoveDrvPrn::GetNumberOfJobs"}));
}

TEST_F(PrinterDeletionTest, DeletesOnlyFormsNamingADriverWord) {
  AddPrinter("Office Label", "Model 80 Label");
  prn.PageFlags = kDriverRemovable;
  SeedForms("Office Label", {"Model 80x200mm", "A4", "Letter 80"});

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(RemovedFormNames(), Lines({"Model 80x200mm", "Letter 80"}));
  EXPECT_EQ(NewLog(), Lines({"Try to Find Printers...", "Found! [Office Label]",
                                    "Form [Model 80x200mm] Deleted!",
                                    "Form [Letter 80] Deleted!", "Deleted! [Office Label]"}));
  EXPECT_TRUE((BoxTexts()).empty());
  EXPECT_TRUE(Has(page.TextHistory(IDC_STATUS_LINE), Text(IDS_REMOVING_FORMS)));
}

TEST_F(PrinterDeletionTest, SharedDriverKeepsForms) {
  AddPrinter("Office Label", "Model 80 Label");
  prn.PageFlags = 0;
  SeedForms("Office Label", {"Model 80x200mm"});

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_TRUE((RemovedFormNames()).empty());
  EXPECT_FALSE(Has(page.TextHistory(IDC_STATUS_LINE), Text(IDS_REMOVING_FORMS)));
}

TEST_F(PrinterDeletionTest, FormListLongerThanFirstReadIsReadCompletely) {
  AddPrinter("Office Label", "Model 80 Label");
  prn.PageFlags = kDriverRemovable;
  std::vector<std::string> forms;
  for (int i = 0; i < 39; ++i) forms.push_back("Label form " + std::to_string(100 + i));
  forms.push_back("Label form 99");
  size_t bytes = 1;  // the list's final terminator
  for (const std::string& form : forms) bytes += form.size() + 1;
  ASSERT_EQ(bytes, 600u);
  SeedForms("Office Label", forms);

  std::vector<std::string> read;
  EXPECT_EQ(prn.GetPrinterForms("Office Label", read), static_cast<int>(forms.size()));
  EXPECT_EQ(read, forms);
  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(RemovedFormNames(), forms);
}

TEST_F(PrinterDeletionTest, MissingOrEmptyFormListDeletesNothing) {
  AddPrinter("Office Label", "Model 80 Label");
  AddPrinter("Desk Label", "Model 80 Label");
  SeedForms("Desk Label", {});
  std::vector<std::string> read;
  EXPECT_EQ(prn.GetPrinterForms("Office Label", read), 0);
  EXPECT_EQ(prn.GetPrinterForms("Desk Label", read), 0);
  EXPECT_TRUE((read).empty());
}

TEST_F(PrinterDeletionTest, FailedFormsWarnOnceAndPrinterStillGoes) {
  AddPrinter("Office Label", "Model 80 Label");
  prn.PageFlags = kDriverRemovable;
  SeedForms("Office Label", {"Model A", "Label B", "A4"});
  sim.FailRemoveForm("Model A", win::kErrorAccessDenied);
  sim.FailRemoveForm("Label B", win::kErrorAccessDenied);

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(BoxTexts(), Lines({Text(IDS_MSG_FORMS)}));
  EXPECT_EQ(CountLog("Form [Model A] NOT Deleted! System error [5]"), 1u);
  EXPECT_EQ(CountLog("Form [Label B] NOT Deleted! System error [5]"), 1u);
  EXPECT_FALSE(sim.PrinterExists("Office Label"));
}

TEST_F(PrinterDeletionTest, RefusedDeletionReportsItsOwnError) {
  AddPrinter("Office Label", "Model 80 Label");
  sim.FailNext("RemovePrinter", win::kErrorAccessDenied);

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultDeletePrinterFailed);
  const std::string line = "Printer [Office Label] NOT Deleted! System error [5]";
  EXPECT_EQ(NewLog().back(), line);
  EXPECT_EQ(StatusLine(), line);
  EXPECT_TRUE(sim.PrinterExists("Office Label"));
  EXPECT_EQ(sim.OpenPrinterHandles(), 0);
}

struct FormCase {
  const char* driver;
  const char* form;
  bool ofDriver;
};

class FormOfDriverTest : public RemovalTest,
                         public ::testing::WithParamInterface<FormCase> {};

TEST_P(FormOfDriverTest, MatchesAnyDriverWord) {
  prn.CurrentPrinter.DriverName = GetParam().driver;
  EXPECT_EQ(prn.IsFormOfDriver(GetParam().form), GetParam().ofDriver);
}

INSTANTIATE_TEST_SUITE_P(
    Words, FormOfDriverTest,
    ::testing::Values(FormCase{"Model 80 Label", "Model 80x200mm", true},
                      FormCase{"Model 80 Label", "A4", false},
                      FormCase{"Model 80 Label", "Letter 80", true},
                      FormCase{"Model 80 Label", "my label", true},
                      // Repeated and outer spaces make no empty word that
                      // would match every form.
                      FormCase{"  Model   80  ", "A4", false},
                      FormCase{"", "A4", false}));

}  // namespace
}  // namespace removal_test
