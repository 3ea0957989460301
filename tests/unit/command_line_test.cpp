#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win_constants.h"
#include "support/json_writer.h"
#include "tests/contract/command_line_cases.h"
#include "tests/sim/sim_windows.h"

namespace {

std::string Utf8(const std::u16string& text) { return json::Utf16ToUtf8(text); }

std::vector<std::string> Utf8All(const std::vector<std::u16string>& texts) {
  std::vector<std::string> out;
  for (const std::u16string& text : texts) out.push_back(Utf8(text));
  return out;
}

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAsTheSystemDoes) {
  EXPECT_EQ(Utf8All(SplitCommandLine(GetParam().raw)), Utf8All(GetParam().arguments))
      << Utf8(GetParam().raw);
}

INSTANTIATE_TEST_SUITE_P(Table, SplitCommandLineTest, ::testing::ValuesIn(SplitCases()));

TEST(SplitCommandLineEdges, AnEmptyLineHasAnEmptyProgramName) {
  EXPECT_EQ(SplitCommandLine(u""), std::vector<std::u16string>{u""});
}

struct GoodCase {
  const char16_t* raw;
  CliAction action;
  const char16_t* printer;
  std::optional<ComponentSet> components;
  bool preview;
  const char16_t* report;  // nullptr: none
  const char16_t* log;     // nullptr: none
};

constexpr ComponentSet kPrinterOnly{true, false, false};
constexpr ComponentSet kPrinterAndDriver{true, true, false};
constexpr ComponentSet kPortOnly{false, false, true};
constexpr ComponentSet kAll{true, true, true};

class ParseGoodTest : public ::testing::TestWithParam<GoodCase> {};

TEST_P(ParseGoodTest, GivesTheCommand) {
  const GoodCase& c = GetParam();
  const CommandLineParse parsed = ParseCommandLine(c.raw);
  ASSERT_TRUE(parsed.command.has_value()) << Utf8(c.raw) << ": " << parsed.usageError;
  EXPECT_TRUE(parsed.usageError.empty());
  const CommandLine& command = *parsed.command;
  EXPECT_EQ(command.action, c.action);
  EXPECT_EQ(Utf8(command.printer), Utf8(c.printer));
  EXPECT_EQ(command.components, c.components);
  EXPECT_EQ(command.preview, c.preview);
  EXPECT_EQ(command.reportPath.has_value(), c.report != nullptr);
  if (c.report != nullptr && command.reportPath) {
    EXPECT_EQ(Utf8(*command.reportPath), Utf8(c.report));
  }
  EXPECT_EQ(command.logDir.has_value(), c.log != nullptr);
  if (c.log != nullptr && command.logDir) {
    EXPECT_EQ(Utf8(*command.logDir), Utf8(c.log));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseGoodTest,
    ::testing::Values(
        GoodCase{u"purvex.exe", CliAction::None, u"", std::nullopt, false, nullptr, nullptr},
        GoodCase{u"purvex.exe   ", CliAction::None, u"", std::nullopt, false, nullptr, nullptr},
        GoodCase{u"p /list", CliAction::List, u"", std::nullopt, false, nullptr, nullptr},
        GoodCase{u"p -LIST", CliAction::List, u"", std::nullopt, false, nullptr, nullptr},
        GoodCase{u"p /Clean /Preview", CliAction::Clean, u"", std::nullopt, true, nullptr,
                 nullptr},
        GoodCase{u"p /uninstall \"Office 5\"", CliAction::Uninstall, u"Office 5", std::nullopt,
                 false, nullptr, nullptr},
        // A value is taken as it stands, whatever it starts with.
        GoodCase{u"p /uninstall -odd-name-", CliAction::Uninstall, u"-odd-name-", std::nullopt,
                 false, nullptr, nullptr},
        GoodCase{u"p /uninstall /x", CliAction::Uninstall, u"/x", std::nullopt, false, nullptr,
                 nullptr},
        GoodCase{u"p /components printer /uninstall P", CliAction::Uninstall, u"P",
                 kPrinterOnly, false, nullptr, nullptr},
        GoodCase{u"p /uninstall P /components driver", CliAction::Uninstall, u"P",
                 kPrinterAndDriver, false, nullptr, nullptr},
        GoodCase{u"p /uninstall P /components \" Port \"", CliAction::Uninstall, u"P",
                 kPortOnly, false, nullptr, nullptr},
        GoodCase{u"p /uninstall P /components port,DRIVER,printer /preview", CliAction::Uninstall,
                 u"P", kAll, true, nullptr, nullptr},
        GoodCase{u"p /list /report \"C:\\out\\r.json\" /log C:\\logs", CliAction::List, u"",
                 std::nullopt, false, u"C:\\out\\r.json", u"C:\\logs"},
        GoodCase{u"p /uninstall \u5370\u5237\u6a5f", CliAction::Uninstall, u"\u5370\u5237\u6a5f",
                 std::nullopt, false, nullptr, nullptr}));

struct BadCase {
  const char16_t* raw;
  const char* message;
};

class ParseBadTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(ParseBadTest, IsAUsageErrorOfOneLine) {
  const CommandLineParse parsed = ParseCommandLine(GetParam().raw);
  EXPECT_FALSE(parsed.command.has_value()) << Utf8(GetParam().raw);
  EXPECT_EQ(parsed.usageError, GetParam().message);
  EXPECT_EQ(parsed.usageError.find_first_of("\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseBadTest,
    ::testing::Values(
        BadCase{u"p /lists", "Unknown switch \"/lists\""},
        BadCase{u"p /", "Unknown switch \"/\""},
        BadCase{u"p --list", "Unknown switch \"--list\""},
        BadCase{u"p /list:x", "Unknown switch \"/list:x\""},
        // Only ASCII letters fold: a dotted capital I is no "i".
        BadCase{u"p /L\u0130ST", "Unknown switch \"/L\u0130ST\""},
        BadCase{u"p list", "Unexpected argument \"list\""},
        BadCase{u"p /list extra", "Unexpected argument \"extra\""},
        BadCase{u"p /list /list", "/list is given twice"},
        BadCase{u"p /list -LIST", "/list is given twice"},
        BadCase{u"p /clean /preview /preview", "/preview is given twice"},
        BadCase{u"p /uninstall A /uninstall B", "/uninstall is given twice"},
        BadCase{u"p /list /clean", "/list and /clean cannot be given together"},
        BadCase{u"p /clean /uninstall A", "/clean and /uninstall cannot be given together"},
        BadCase{u"p /uninstall", "/uninstall needs a value"},
        BadCase{u"p /uninstall /preview", "/uninstall needs a value"},
        BadCase{u"p /uninstall \"\"", "/uninstall needs a value that is not empty"},
        BadCase{u"p /list /report", "/report needs a value"},
        BadCase{u"p /list /log -clean", "/log needs a value"},
        BadCase{u"p /preview", "No action: give /list, /uninstall \"<printer>\" or /clean"},
        BadCase{u"p /report r.json", "No action: give /list, /uninstall \"<printer>\" or /clean"},
        BadCase{u"p /components printer", "No action: give /list, /uninstall \"<printer>\" or /clean"},
        BadCase{u"p /clean /components port", "/components applies to /uninstall only"},
        BadCase{u"p /list /preview", "/preview applies to /uninstall and /clean"},
        BadCase{u"p /uninstall P /components \" \"", "/components: empty component in \" \""},
        BadCase{u"p /uninstall P /components printer,", "/components: empty component in \"printer,\""},
        BadCase{u"p /uninstall P /components printer,,port",
                "/components: empty component in \"printer,,port\""},
        BadCase{u"p /uninstall P /components printers",
                "/components: unknown component \"printers\" (use printer, driver, port)"},
        BadCase{u"p /uninstall P /components driver,Driver",
                "/components: \"Driver\" is listed twice"},
        // Control characters never break the message's line.
        BadCase{u"p \"/x\ny\"", "Unknown switch \"/x?y\""}));

TEST(ParseUsageMessage, QuotesLongArgumentsShortened) {
  const std::u16string longName(200, u'x');
  const CommandLineParse parsed = ParseCommandLine(u"p /" + longName);
  ASSERT_FALSE(parsed.command.has_value());
  EXPECT_EQ(parsed.usageError, "Unknown switch \"/" + std::string(59, 'x') + "...\"");
}

TEST(ComponentChoice, ASharedDriverCannotBeChosen) {
  EXPECT_EQ(CheckComponentChoice(kPrinterAndDriver, false), "");
  EXPECT_EQ(CheckComponentChoice(kPrinterOnly, true), "");
  EXPECT_EQ(CheckComponentChoice(kPortOnly, true), "");
  EXPECT_EQ(CheckComponentChoice(kAll, true),
            "/components driver: another printer uses this printer's driver");
}

struct FindCase {
  const char* label;
  std::u16string name;
  std::optional<size_t> found;
};

class FindListedPrinterTest : public ::testing::TestWithParam<FindCase> {
 protected:
  sim::SimWindows sim;
};

TEST_P(FindListedPrinterTest, MatchesExactlyOrByCaseAlone) {
  const std::vector<std::string> listed = {"Office A", "Caf\xE9 Label", "Kiosk", "KIOSK 2",
                                           "Kiosk 2"};
  EXPECT_EQ(FindListedPrinter(GetParam().name, listed, sim.platform().textConversion),
            GetParam().found)
      << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FindListedPrinterTest,
    ::testing::Values(FindCase{"exact", u"Office A", 0}, FindCase{"case only", u"office a", 0},
                      FindCase{"code page text", u"Caf\u00e9 Label", 1},
                      // A best fit would make "Kiosk" of it.
                      FindCase{"look-alike", u"\uff2biosk", std::nullopt},
                      FindCase{"unpaired surrogate", std::u16string{u'K', char16_t{0xD800}},
                               std::nullopt},
                      FindCase{"exact among case twins", u"Kiosk 2", 4},
                      FindCase{"case twins, neither exact", u"kiosk 2", std::nullopt},
                      FindCase{"not listed", u"Office B", std::nullopt},
                      FindCase{"empty", u"", std::nullopt}),
    [](const ::testing::TestParamInfo<FindCase>& info) { return std::to_string(info.index); });

}  // namespace
