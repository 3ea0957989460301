#include <gtest/gtest.h>

#include "app/preview_list.h"

namespace {

RunItem Item(RunItemKind kind, const std::string& name, RunItemResult result,
             const std::string& reason = {}, uint32_t code = 0) {
  RunItem item;
  item.kind = kind;
  item.name = name;
  item.result = result;
  item.reason = reason;
  item.errorCode = code;
  return item;
}

struct LineCase {
  RunItem item;
  const char* line;
};

class PreviewLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(PreviewLineTest, OneLinePerItem) {
  EXPECT_EQ(PreviewLine(GetParam().item), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Items, PreviewLineTest,
    ::testing::Values(
        LineCase{Item(RunItemKind::File, "C:\\Windows\\system32\\QdRk.dll",
                      RunItemResult::WouldRemove),
                 "Would remove: File [C:\\Windows\\system32\\QdRk.dll]"},
        LineCase{Item(RunItemKind::Driver, "Korvex KP-103 Driver", RunItemResult::Kept,
                      "another printer uses it"),
                 "Kept: Driver [Korvex KP-103 Driver] - another printer uses it"},
        LineCase{Item(RunItemKind::RegistryKey, "HKEY_CURRENT_USER\\Software\\Korvex",
                      RunItemResult::Failed, {}, 5),
                 "Not removed: Registry key [HKEY_CURRENT_USER\\Software\\Korvex] (error 5)"},
        // A name that spans lines would pass for two items in the list.
        LineCase{Item(RunItemKind::Printer, "Evil\r\nWould remove: File [x]",
                      RunItemResult::WouldRemove, "a\tb"),
                 "Would remove: Printer [Evil??Would remove: File [x]] - a?b"}));

TEST(PreviewList, RemovedBecomesWouldRemoveAndNothingElseChanges) {
  const std::vector<RunItem> preview = AsPreview(
      {Item(RunItemKind::Printer, "P", RunItemResult::Removed),
       Item(RunItemKind::Service, "VOMUUSB", RunItemResult::Kept, "printer [Q] still uses it"),
       Item(RunItemKind::File, "F", RunItemResult::Failed, {}, 32)});
  ASSERT_EQ(preview.size(), 3u);
  EXPECT_EQ(preview[0].result, RunItemResult::WouldRemove);
  EXPECT_EQ(preview[1].result, RunItemResult::Kept);
  EXPECT_EQ(preview[1].reason, "printer [Q] still uses it");
  EXPECT_EQ(preview[2].result, RunItemResult::Failed);
  EXPECT_EQ(preview[2].errorCode, 32u);
}

TEST(PreviewList, TextJoinsLinesWithCrLfAndNoTrailingBreak) {
  EXPECT_EQ(PreviewText({}), "");
  EXPECT_EQ(PreviewText({Item(RunItemKind::Form, "A4 KP", RunItemResult::WouldRemove),
                         Item(RunItemKind::Device, "USB\\VID_0E7B&PID_0103&MI_01",
                              RunItemResult::WouldRemove)}),
            "Would remove: Form [A4 KP]\r\nWould remove: Device entry "
            "[USB\\VID_0E7B&PID_0103&MI_01]");
}

TEST(PreviewList, RunsTheRequestItIsGivenAndNothingWithoutARunner) {
  SequenceRequest request;
  request.kind = SequenceRequest::Kind::CheckedComponents;
  request.printer.PrinterName = "Korvex KP-103";
  request.removeDriver = true;
  int runs = 0;
  const PreviewRunner runner = [&runs](const SequenceRequest& asked) {
    ++runs;
    EXPECT_EQ(asked.kind, SequenceRequest::Kind::CheckedComponents);
    EXPECT_EQ(asked.printer.PrinterName, "Korvex KP-103");
    EXPECT_TRUE(asked.removeDriver);
    return std::vector<RunItem>{Item(RunItemKind::Printer, "Korvex KP-103",
                                     RunItemResult::Removed)};
  };
  const std::vector<RunItem> items = BuildPreview(runner, request);
  EXPECT_EQ(runs, 1);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].result, RunItemResult::WouldRemove);
  EXPECT_TRUE(BuildPreview(PreviewRunner{}, request).empty());
}

}  // namespace
