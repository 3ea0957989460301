#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/inf_match.h"
#include "platform/text.h"
#include "tests/common/utf16_text.h"
#include "tests/unit/expected_lines.h"

namespace {

constexpr InfTextKind kWhole = InfTextKind::WholeId;
constexpr InfTextKind kPart = InfTextKind::Part;
// Buffer sizes that cut lines into pieces of every kind, down to a byte.
constexpr size_t kPieceSizes[] = {3, 4, 7, 16, 64, InfContentMatcher::kDefaultBufferSize};

enum class Form { Ansi, Utf16Le, Utf16Be };

std::string Encode(const std::string& ascii, Form form) {
  if (form == Form::Ansi) return ascii;
  return testtext::Utf16WithMark(ascii, form == Form::Utf16Le ? testtext::ByteOrder::Little
                                                              : testtext::ByteOrder::Big);
}

bool MatchesInPieces(const InfPattern& pattern, const std::string& content, size_t bufferSize) {
  InfContentMatcher matcher(pattern, bufferSize);
  if (matcher.Feed(content)) return true;
  return matcher.Finish();
}

struct MatchCase {
  const char* name;
  std::string content;
  InfSearchText first;
  InfSearchText second;
  bool found;
};

class InfMatchTest : public ::testing::TestWithParam<MatchCase> {};

// The same answer for 8-bit and UTF-16 text of either byte order, whole or
// read in pieces of any size.
TEST_P(InfMatchTest, SameAnswerInEveryFormAndPieceSize) {
  const MatchCase& c = GetParam();
  const text::CodePageFacts ascii = text::CodePageFacts::Ascii();
  const InfPattern pattern(c.first, c.second, ascii);
  for (const Form form : {Form::Ansi, Form::Utf16Le, Form::Utf16Be}) {
    const std::string content = Encode(c.content, form);
    EXPECT_EQ(InfContentMatches(pattern, content), c.found) << static_cast<int>(form);
    for (const size_t size : kPieceSizes) {
      EXPECT_EQ(MatchesInPieces(pattern, content, size), c.found)
          << static_cast<int>(form) << " in pieces of " << size;
    }
  }
}

const std::string kModel = "USBPRINT\\KORVEXQL-800";

INSTANTIATE_TEST_SUITE_P(
    Rules, InfMatchTest,
    ::testing::Values(
        MatchCase{"WholeIdAfterComma", "%M% = Inst, " + kModel + "\r\n", {kModel, kWhole}, {}, true},
        MatchCase{"WholeIdAnyCase", "x=usbprint\\korvexql-800\r\n", {kModel, kWhole}, {}, true},
        MatchCase{"WholeIdIsTheLine", kModel, {kModel, kWhole}, {}, true},
        MatchCase{"LongerIdOfAnotherModel", "x = i," + kModel + "A\r\n", {kModel, kWhole}, {}, false},
        MatchCase{"LongerIdThenTheWholeOne", "x = i," + kModel + "-B, " + kModel + "\r\n",
                  {kModel, kWhole}, {}, true},
        MatchCase{"IdEndingAnotherToken", "x=LPT" + kModel + "\r\n", {kModel, kWhole}, {}, false},
        MatchCase{"IdWithADotAfter", "x=" + kModel + ".1\r\n", {kModel, kWhole}, {}, false},
        MatchCase{"IdInQuotes", "x=\"" + kModel + "\"\r\n", {kModel, kWhole}, {}, true},
        MatchCase{"IdInPercents", "%" + kModel + "%\r\n", {kModel, kWhole}, {}, true},
        MatchCase{"IdBeforeATab", kModel + "\tx\r\n", {kModel, kWhole}, {}, true},
        MatchCase{"IdBeforeTheLineEnd", "x=" + kModel + "\n", {kModel, kWhole}, {}, true},
        MatchCase{"IdBeforeACommentWithoutSpace", "x=" + kModel + ";old\r\n", {kModel, kWhole}, {}, true},
        MatchCase{"IdOnlyInAComment", "x=y ; was " + kModel + "\r\n", {kModel, kWhole}, {}, false},
        MatchCase{"PartOnlyInAComment", "x=y ;VID_0E7B\r\n", {"VID_0E7B", kPart}, {}, false},
        MatchCase{"SemicolonInQuotesIsNoComment", "x=\"a;b\"," + kModel + "\r\n", {kModel, kWhole}, {}, true},
        MatchCase{"CommentAfterAClosedQuote", "x=\"a\";" + kModel + "\r\n", {kModel, kWhole}, {}, false},
        MatchCase{"IdAfterANul", std::string("x=\0,", 4) + kModel + "\r\n", {kModel, kWhole}, {}, false},
        MatchCase{"IdCutByTheLineEnd", "x=USBPRINT\\\r\nKORVEXQL-800\r\n", {kModel, kWhole}, {}, false},
        MatchCase{"CarriageReturnInsideALineSeparates", "x=" + kModel + "\rZ\n", {kModel, kWhole}, {}, true},
        MatchCase{"PartInsideALongerToken", "x=USB\\VID_0E7B&PID_0001&MI_01\r\n",
                  {"VID_0E7B", kPart}, {"MI_01", kPart}, true},
        MatchCase{"PartsOnDifferentLines", "x=USB\\VID_0E7B&PID_0001\r\ny=MI_01\r\n",
                  {"VID_0E7B", kPart}, {"MI_01", kPart}, false},
        MatchCase{"ProductIdOfAnotherVendor", "x=USB\\VID_1A2B&PID_0E7B&MI_01\r\n",
                  {"VID_0E7B", kPart}, {"MI_01", kPart}, false},
        MatchCase{"OverlappingStartsOfTheId", "x=USBPRINT\\USBPRINT\\KORVEXQL-800\r\n",
                  {kModel, kWhole}, {}, false},
        MatchCase{"SecondOnlyInComment", "x=" + kModel + " ; MI_01\r\n", {kModel, kWhole},
                  {"MI_01", kPart}, false},
        MatchCase{"EmptyFile", "", {kModel, kWhole}, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InfMatchLongLineTest, LineFarLongerThanTheBufferIsReadAsOneLine) {
  const text::CodePageFacts ascii = text::CodePageFacts::Ascii();
  const InfPattern pattern({kModel, kWhole}, {"MI_01", kPart}, ascii);
  const std::string fill(5000, 'x');
  const std::string far = "MI_01 " + fill + "," + kModel + "\r\n";
  const std::string cut = "MI_01 " + fill + "\r\n" + kModel + "\r\n";
  const std::string joined = "MI_01 " + fill + kModel + "\r\n";
  for (const size_t size : {size_t{64}, size_t{1000}}) {
    EXPECT_TRUE(MatchesInPieces(pattern, far, size)) << size;
    EXPECT_FALSE(MatchesInPieces(pattern, cut, size)) << size;
    EXPECT_FALSE(MatchesInPieces(pattern, joined, size)) << size;
  }
}

// Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC; a trail byte may be a
// backslash or a letter. Single-byte characters are ASCII and half-width
// katakana.
text::CodePageFacts ShiftJis() {
  text::CodePageFacts facts = text::CodePageFacts::Ascii();
  for (unsigned b = 0x81; b <= 0x9F; ++b) facts.leadByte[b] = true;
  for (unsigned b = 0xE0; b <= 0xFC; ++b) facts.leadByte[b] = true;
  return facts;
}

struct DbcsCase {
  const char* name;
  std::string content;
  InfSearchText first;
  bool found;
};

class InfMatchDbcsTest : public ::testing::TestWithParam<DbcsCase> {};

TEST_P(InfMatchDbcsTest, MatchesOnlyAtCharacterBoundaries) {
  const DbcsCase& c = GetParam();
  const text::CodePageFacts facts = ShiftJis();
  const InfPattern pattern(c.first, {}, facts);
  EXPECT_EQ(InfContentMatches(pattern, c.content), c.found);
  for (const size_t size : kPieceSizes) {
    EXPECT_EQ(MatchesInPieces(pattern, c.content, size), c.found) << size;
  }
}

// "\x83\x5C" is katakana SO, whose second byte is a backslash; "\x83\x41"
// is katakana A, whose second byte is the letter A; "\x83\x61" is katakana
// YA (lower-case a as second byte).
INSTANTIATE_TEST_SUITE_P(
    CodePage932, InfMatchDbcsTest,
    ::testing::Values(
        DbcsCase{"IdAfterAComma", "x=\x83\x41,USB\\ABCD\r\n", {"USB\\ABCD", kWhole}, true},
        DbcsCase{"BackslashIsASecondByte", "x=USB\x83\\ABCD\r\n", {"\\ABCD", kPart}, false},
        DbcsCase{"LetterIsASecondByte", "x=\x83" "ABCD\r\n", {"ABCD", kPart}, false},
        DbcsCase{"LowerLetterAsSecondByteIsNotCased", "x=\x83" "aBCD\r\n", {"\x83" "ABCD", kPart}, false},
        DbcsCase{"DoubleByteCharacterInTheId", "x=USBPRINT\\\x83\x5CMODEL\r\n",
                 {"USBPRINT\\\x83\x5CMODEL", kWhole}, true},
        DbcsCase{"DoubleByteCharacterCompletesTheId", "x=USBPRINT\\MODEL\x83\x41\r\n",
                 {"USBPRINT\\MODEL", kWhole}, false},
        DbcsCase{"SingleByteCharactersCased", "x=usb\\abcd\r\n", {"USB\\ABCD", kWhole}, true},
        DbcsCase{"SemicolonAsSecondByteIsNoComment",
                 "x=\x83;,USB\\ABCD\r\n", {"USB\\ABCD", kWhole}, true},
        DbcsCase{"WideSpaceDoesNotSeparate", "x=\x81\x40USB\\ABCD\r\n",
                 {"USB\\ABCD", kWhole}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InfMatchWideTest, UsesTheCodePagesUpperCasingOfUnits) {
  text::CodePageFacts facts = text::CodePageFacts::Ascii();
  facts.upper16[0x00E9] = 0x00C9;  // e acute
  const InfPattern pattern({"USB\\CAF\xC9", kWhole}, {}, facts);
  // Latin-1 widening of the text, then the unit's upper case.
  const std::string le = std::string("\xFF\xFE", 2) + std::string("x\0=\0U\0S\0B\0\\\0c\0a\0f\0\xE9\0", 20);
  EXPECT_TRUE(InfContentMatches(pattern, le));
}

struct IdCase {
  const char* id;
  const char* reason;  // nullptr: searchable
};

class HardwareIdTest : public ::testing::TestWithParam<IdCase> {};

TEST_P(HardwareIdTest, OnlyIdsThatNameOneProductAreSearched) {
  const char* reason = UnsearchableHardwareIdReason(GetParam().id);
  if (GetParam().reason == nullptr) {
    EXPECT_EQ(reason, nullptr);
  } else {
    ASSERT_NE(reason, nullptr);
    EXPECT_STREQ(reason, GetParam().reason);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Ids, HardwareIdTest,
    ::testing::Values(IdCase{"", "it is empty"},
                      IdCase{"VALUE_NOT_VALID", expected::kIdUnreadable},
                      IdCase{"KorvexQL800", expected::kIdWithoutBackslash},
                      IdCase{"USBPRINT\\3", expected::kIdTailTooShort},
                      IdCase{"USBPRINT\\", expected::kIdTailTooShort},
                      IdCase{"USBPRINT\\ABC", expected::kIdTailTooShort},
                      IdCase{"USBPRINT\\0001", expected::kIdTailOnlyDigits},
                      IdCase{"USBPRINT\\MODEL\\0001", expected::kIdTailOnlyDigits},
                      IdCase{"USBPRINT\\ABCD", nullptr},
                      IdCase{"USBPRINT\\KORVEXQL-800", nullptr},
                      IdCase{"USB\\VID_0E7B&PID_0001", nullptr}));

}  // namespace
