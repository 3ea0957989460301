#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {

const std::string kFound = "Found! [Office Label]";

class PrinterDeletionTest : public RemovalTest {
 protected:
  void SetUp() override { AddPrinter("Office Label", "Model 80 Label"); }
  void SeedForms(const Lines& forms) {
    sim.SetMultiString(RegRoot::LocalMachine,
                       std::string(kPrintersSoftwareKey) + "\\Office Label\\DsDriver",
                       "printMediaSupported", forms);
  }
  Lines RemovedForms() const {
    Lines names;
    for (const auto& removal : sim.RemovedForms()) names.push_back(removal.form);
    return names;
  }
};

TEST_F(PrinterDeletionTest, UnlistedPrinterIsLeftAlone) {
  prn.CurrentPrinter.PrinterName = "Warehouse";
  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(NewLog(), Lines({"Try to Find Printers..."}));
  EXPECT_TRUE(sim.PrinterExists("Office Label"));
}

TEST_F(PrinterDeletionTest, NameMatchesWithoutRegardToCase) {
  prn.CurrentPrinter.PrinterName = "OFFICE label";
  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(NewLog(), Lines({"Try to Find Printers...", kFound, "Deleted! [Office Label]"}));
  EXPECT_EQ(StatusTexts().back(), "Deleted! [Office Label]");
  EXPECT_FALSE(sim.PrinterExists("Office Label"));
  EXPECT_EQ(sim.OpenPrinterHandles(), 0);
}

struct OpenFailure {
  uint32_t error;
  ResultCode result;
  const char* line;
};

class PrinterOpenFailureTest : public PrinterDeletionTest,
                               public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(PrinterOpenFailureTest, MapsTheError) {
  sim.FailOpenPrinter("Office Label", GetParam().error);
  EXPECT_EQ(prn.DeleteSelPrinter(), GetParam().result);
  EXPECT_EQ(NewLog().back(), GetParam().line);
  EXPECT_EQ(StatusTexts().back(), GetParam().line);
  EXPECT_TRUE(sim.PrinterExists("Office Label"));
}

constexpr const char* kGone =
    "Printer [Office Label] is not still installed on this system. Impossible to delete it!";
INSTANTIATE_TEST_SUITE_P(
    Errors, PrinterOpenFailureTest,
    ::testing::Values(OpenFailure{win::kErrorInvalidPrinterName, kResultPrinterGone, kGone},
                      OpenFailure{win::kErrorFileNotFound, kResultPrinterGone, kGone},
                      OpenFailure{win::kErrorAccessDenied, kResultOpenFailed,
                                  "Impossible to delete [Office Label] printer! Impossible "
                                  "to open it! System error [5]."}));

TEST_F(PrinterDeletionTest, QueuedDocumentKeepsPrinterAndForms) {
  sim.SetJobs("Office Label", 1);
  prn.PageFlags = kDriverRemovable;
  SeedForms({"Model 80x200mm"});

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultJobsQueued);
  EXPECT_EQ(NewLog(), Lines({"Try to Find Printers...", kFound}));
  EXPECT_TRUE(sim.PrinterExists("Office Label"));
  EXPECT_TRUE(RemovedForms().empty());
  EXPECT_EQ(sim.OpenPrinterHandles(), 0);
}

TEST_F(PrinterDeletionTest, FormsNamingADriverWordGoOnlyWithTheDriver) {
  SeedForms({"Model 80x200mm", "A4", "Letter 80"});
  prn.PageFlags = 0;
  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_TRUE(RemovedForms().empty());
  EXPECT_FALSE(Has(StatusTexts(), Text(IDS_REMOVING_FORMS)));

  AddPrinter("Office Label", "Model 80 Label");
  SeedForms({"Model 80x200mm", "A4", "Letter 80"});
  prn.PageFlags = kDriverRemovable;
  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(RemovedForms(), Lines({"Model 80x200mm", "Letter 80"}));
  const Lines log = NewLog();
  EXPECT_EQ(Lines(log.end() - 3, log.end()),
            Lines({"Form [Model 80x200mm] Deleted!", "Form [Letter 80] Deleted!",
                   "Deleted! [Office Label]"}));
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(PrinterDeletionTest, FormListLongerThanTheFirstReadIsReadWhole) {
  Lines forms;
  for (int i = 0; i < 39; ++i) forms.push_back("Label form " + std::to_string(100 + i));
  forms.push_back("Label form 99");
  size_t bytes = 1;  // the list's closing terminator
  for (const std::string& form : forms) bytes += form.size() + 1;
  ASSERT_EQ(bytes, 600u);
  SeedForms(forms);
  prn.PageFlags = kDriverRemovable;

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(RemovedForms(), forms);
}

TEST_F(PrinterDeletionTest, FailedFormsWarnOnceAndThePrinterStillGoes) {
  SeedForms({"Model A", "Label B", "A4"});
  sim.FailRemoveForm("Model A", win::kErrorAccessDenied);
  sim.FailRemoveForm("Label B", win::kErrorAccessDenied);
  prn.PageFlags = kDriverRemovable;

  EXPECT_EQ(prn.DeleteSelPrinter(), kResultOk);
  EXPECT_EQ(BoxTexts(), Lines({Text(IDS_MSG_FORMS)}));
  EXPECT_EQ(CountLog("Form [Label B] NOT Deleted! System error [5]"), 1u);
  EXPECT_FALSE(sim.PrinterExists("Office Label"));
}

TEST_F(PrinterDeletionTest, RefusedDeletionReportsItsOwnError) {
  sim.FailNext("RemovePrinter", win::kErrorAccessDenied);
  EXPECT_EQ(prn.DeleteSelPrinter(), kResultDeletePrinterFailed);
  EXPECT_EQ(NewLog().back(), "Printer [Office Label] NOT Deleted! System error [5]");
  EXPECT_EQ(sim.OpenPrinterHandles(), 0);
}

TEST_F(PrinterDeletionTest, EmptyWordsMatchNothing) {
  prn.CurrentPrinter.DriverName = "  Model   80  ";
  EXPECT_FALSE(prn.IsFormOfDriver("A4"));
  EXPECT_TRUE(prn.IsFormOfDriver("letter 80"));
}

}  // namespace
}  // namespace removal_test
