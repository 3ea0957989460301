// The Preview button of the window: the page's request run over a view of
// the system, shown in a dialog whose list can be copied. Nothing of the
// system may change, no box may open, and the list must be the one the
// same request gives.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/preview_dialog.h"
#include "app/preview_list.h"
#include "app/unattended_work.h"
#include "tests/unit/installed_page_fixture.h"

namespace page_test {
namespace {

constexpr const char* kPreviewEnd = "Preview ended: ";

class WindowPreviewTest : public InstalledPageFixture {
 protected:
  void StartWithPreview() {
    Start();
    dlg->PreviewRun = MakePagePreviewRunner(sim.platform());
    dlg->PresentPreview = [this](CPreviewDialogModel& model) {
      ++shown;
      heading = model.Heading();
      text = model.Text();
      if (copyWhenShown) copied = model.Copy();
    };
  }

  // The whole system but the program's own log, which the preview writes to.
  std::string System() const {
    std::istringstream all(sim.FullSnapshot());
    std::string kept;
    const std::string log = dlg->Log.LogFilePath();
    for (std::string line; std::getline(all, line);) {
      if (log.empty() || line.find(log) == std::string::npos) kept += line + "\n";
    }
    return kept;
  }

  int shown = 0;
  std::string heading;
  std::string text;
  bool copyWhenShown = false;
  bool copied = false;
};

struct PreviewCase {
  const char* name;
  bool showAdvanced;
  bool uncheckDriver;
  SequenceRequest::Kind kind;
  const char* logButton;
  uint32_t headingId;
  bool driverListed;
};

class WindowPreviewKindTest : public WindowPreviewTest,
                              public ::testing::WithParamInterface<PreviewCase> {};

TEST_P(WindowPreviewKindTest, ShowsTheRequestsListAndChangesNothing) {
  const PreviewCase& c = GetParam();
  Install(kP1);
  Install(kP2);
  StartWithPreview();
  simPage.UserSelect(IDC_PRINTER_COMBO, 0);
  Page().OnPrinterSelChange();
  if (c.showAdvanced) Page().OnAdvancedToggleClicked();
  if (c.uncheckDriver) {
    simPage.UserToggle(IDC_CHECK_DRIVER);
    Page().OnCheckDriverClicked();
  }
  const uint16_t flags = Page().PageFlags;
  const std::string before = System();
  const size_t mark = LogMark();
  const size_t boxes = sim.MessageBoxes().size();

  Page().OnPreviewClicked();

  ASSERT_EQ(shown, 1);
  EXPECT_EQ(System(), before);
  EXPECT_EQ(sim.MessageBoxes().size(), boxes) << "a preview asks nothing and reports nothing";
  EXPECT_EQ(Page().PageFlags, flags) << "a later click of either button must find the page as it was";
  EXPECT_EQ(heading, text::Format(Text(c.headingId), kP1.name));

  // The same request, previewed again on the unchanged system, gives the
  // same lines: the window shows exactly the preview of the request.
  const SequenceRequest request = Page().CaptureRequest(c.kind);
  EXPECT_EQ(request.kind, c.kind);
  EXPECT_EQ(text, PreviewText(BuildPreview(MakePagePreviewRunner(sim.platform()), request)));
  EXPECT_NE(text.find("Would remove: Printer [" + kP1.name + "]"), std::string::npos) << text;
  EXPECT_EQ(text.find("Would remove: Printer [" + kP2.name + "]"), std::string::npos) << text;
  EXPECT_EQ(text.find("Would remove: Driver [" + kP1.driver + "]") != std::string::npos,
            c.driverListed)
      << text;

  // Only the preview's own lines reach the log: a step's line would read as
  // a removal that never happened.
  const std::vector<std::string> lines = LogSince(mark);
  ASSERT_EQ(lines.size(), 2u) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[0], text::Format("Preview of \"%s\" for printer [%s]: nothing is removed.",
                                   c.logButton, kP1.name));
  EXPECT_EQ(lines[1].rfind(kPreviewEnd, 0), 0u) << lines[1];
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, WindowPreviewKindTest,
    ::testing::Values(
        // The boxes hidden: the user sees only "Uninstall selected printer".
        PreviewCase{"SelectedPrinter", false, false, SequenceRequest::Kind::SelectedPrinter,
                    "Uninstall selected printer", IDS_PREVIEW_SELECTED_HEADING, true},
        PreviewCase{"CheckedPrinterOnly", true, true, SequenceRequest::Kind::CheckedComponents,
                    "Uninstall", IDS_PREVIEW_CHECKED_HEADING, false},
        PreviewCase{"CheckedDefaults", true, false, SequenceRequest::Kind::CheckedComponents,
                    "Uninstall", IDS_PREVIEW_CHECKED_HEADING, true}),
    [](const ::testing::TestParamInfo<PreviewCase>& info) { return info.param.name; });

TEST_F(WindowPreviewTest, ButtonNeedsAPrinterAndIsLockedDuringAnOperation) {
  StartWithPreview();
  EXPECT_FALSE(Enabled(IDC_PREVIEW)) << "nothing to preview without a printer";
  Page().OnPreviewClicked();
  EXPECT_EQ(shown, 0);

  Install(kP1);
  Page().OnReloadClicked();
  EXPECT_TRUE(Enabled(IDC_PREVIEW));
  Page().OnProgressStep(kProgressStart);
  EXPECT_FALSE(Enabled(IDC_PREVIEW)) << "a preview reads what the sequence changes";
  Page().OnProgressStep(kProgressEnd);
  EXPECT_TRUE(Enabled(IDC_PREVIEW));
}

TEST_F(WindowPreviewTest, CopyPutsTheWholeListOnTheClipboardAsUnicode) {
  Install(kP1);
  StartWithPreview();
  copyWhenShown = true;
  Page().OnPreviewClicked();
  ASSERT_TRUE(copied);
  EXPECT_EQ(sim.ClipboardText(), text) << "ASCII lines copy as they are, CR LF included";
  EXPECT_EQ(sim.ClipboardOwner(), BoxOwner::PreviewDialog);

  // Code-page characters become their Unicode characters, not bytes.
  CPreviewDialogModel model(sim.platform(), *dlg, "h",
                            "Would remove: File [C:\\Caf\xE9\\\x80.dll]\r\nKept: Service [x]");
  ASSERT_TRUE(model.Copy());
  EXPECT_EQ(sim.ClipboardText(),
            std::string("Would remove: File [C:\\Caf\xC3\xA9\\\xE2\x82\xAC.dll]\r\nKept: Service [x]"));
}

struct CopyFailure {
  const char* op;
  uint32_t code;
  const char* line;
};

class WindowPreviewCopyFailureTest : public WindowPreviewTest,
                                     public ::testing::WithParamInterface<CopyFailure> {};

TEST_P(WindowPreviewCopyFailureTest, LeavesALogLineAndTheClipboardAsItWas) {
  StartWithPreview();
  CPreviewDialogModel earlier(sim.platform(), *dlg, "h", "earlier");
  ASSERT_TRUE(earlier.Copy());
  const size_t mark = LogMark();
  const size_t boxes = sim.MessageBoxes().size();
  sim.FailNext(GetParam().op, GetParam().code);

  CPreviewDialogModel model(sim.platform(), *dlg, "h", "Would remove: Form [A4]");
  EXPECT_FALSE(model.Copy());
  EXPECT_EQ(sim.ClipboardText(), std::string("earlier"));
  EXPECT_EQ(LogSince(mark), std::vector<std::string>{GetParam().line});
  EXPECT_EQ(sim.MessageBoxes().size(), boxes);
  // The next try works: nothing was left open or held.
  EXPECT_TRUE(model.Copy());
  EXPECT_EQ(sim.ClipboardText(), std::string("Would remove: Form [A4]"));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WindowPreviewCopyFailureTest,
    ::testing::Values(
        CopyFailure{"SetClipboardText", 5,
                    "The preview list could not be copied to the clipboard (error 5)."},
        CopyFailure{"AnsiToUtf8", 1113,
                    "The preview list could not be copied to the clipboard: its text could not "
                    "be converted (error 1113)."}));

}  // namespace
}  // namespace page_test
