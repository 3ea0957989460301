// What matching a printer named on the command line relies on: a name the
// ANSI code page cannot hold exactly is refused, never turned into a look-
// alike; ANSI text reads as the same characters in UTF-8. The expectations
// are code page 1252's; elsewhere the suite skips.
#include <string>

#include "tests/contract/contract_fixture.h"

namespace {

class ContractTextConversion : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    std::string probe;
    if (!P().textConversion.WideToAnsiExact(u"\u00e9\u20ac", probe) || probe != "\xE9\x80") {
      GTEST_SKIP() << "the ANSI code page is not 1252";
    }
  }
};

struct ExactCase {
  std::u16string wide;
  std::string ansi;
};

TEST_F(ContractTextConversion, ConvertsWhatThePageHoldsExactly) {
  const ExactCase cases[] = {
      {u"", ""},
      {u"Office Printer 5", "Office Printer 5"},
      {u"What? Yes?", "What? Yes?"},
      {u"Caf\u00e9 \u00ff\u00a0", "Caf\xE9 \xFF\xA0"},
      {u"\u20ac\u201a\u0152\u017d\u0178\u2122", "\x80\x82\x8C\x8E\x9F\x99"},
      // The bytes the page leaves unassigned stand for the C1 controls.
      {u"\u0081\u008d\u008f\u0090\u009d", "\x81\x8D\x8F\x90\x9D"},
  };
  for (const ExactCase& c : cases) {
    std::string ansi = "stale";
    const Outcome result = P().textConversion.WideToAnsiExact(c.wide, ansi);
    EXPECT_TRUE(result.ok) << c.ansi << " " << result.error;
    EXPECT_EQ(ansi, c.ansi);
  }
}

TEST_F(ContractTextConversion, RefusesLookAlikesAndBrokenText) {
  const std::u16string refused[] = {
      u"\u0100",          // A with macron: best fit would give "A"
      u"Office \uff21",   // fullwidth A
      u"\u221e",          // infinity: best fit would give "8"
      u"\u5370\u5237",    // outside the page
      u"\U0001F5A8",      // a pair of surrogates
      std::u16string(1, char16_t{0xD800}),
      std::u16string{u'a', char16_t{0xDC00}, u'b'},
  };
  for (const std::u16string& wide : refused) {
    std::string ansi = "stale";
    const Outcome result = P().textConversion.WideToAnsiExact(wide, ansi);
    EXPECT_FALSE(result.ok) << ansi;
    EXPECT_EQ(result.error, win::kErrorNoUnicodeTranslation);
    EXPECT_EQ(ansi, "");
  }
}

TEST_F(ContractTextConversion, ReadsAnsiAsUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"plain", "plain"},
      {"Caf\xE9", "Caf\xC3\xA9"},
      {"\x80 \x99", "\xE2\x82\xAC \xE2\x84\xA2"},
      {"\xFF", "\xC3\xBF"},
      {"\x81\x9D", "\xC2\x81\xC2\x9D"},
  };
  for (const auto& [ansi, utf8] : cases) {
    std::string out = "stale";
    const Outcome result = P().textConversion.AnsiToUtf8(ansi, out);
    EXPECT_TRUE(result.ok) << ansi << " " << result.error;
    EXPECT_EQ(out, utf8);
  }
}

}  // namespace
