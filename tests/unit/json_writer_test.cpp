#include "support/json_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// The document of one string value, without its line end.
std::string OneString(const std::string& utf8, size_t* replaced = nullptr) {
  json::JsonWriter writer;
  writer.String(utf8);
  if (replaced != nullptr) *replaced = writer.ReplacedSequences();
  std::string document = writer.Document();
  if (document.size() >= 2) document.resize(document.size() - 2);
  return document;
}

struct EscapeCase {
  std::string input;
  std::string expected;  // the quoted JSON string
  size_t replaced;
};

class JsonStringTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(JsonStringTest, EscapesAndRepairs) {
  size_t replaced = 0;
  EXPECT_EQ(OneString(GetParam().input, &replaced), GetParam().expected);
  EXPECT_EQ(replaced, GetParam().replaced);
}

INSTANTIATE_TEST_SUITE_P(
    Table, JsonStringTest,
    ::testing::Values(
        EscapeCase{"", "\"\"", 0},
        EscapeCase{"plain / text", "\"plain / text\"", 0},
        EscapeCase{"q\"b\\", "\"q\\\"b\\\\\"", 0},
        EscapeCase{"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\"", 0},
        EscapeCase{std::string("\x00\x01\x1f\x7f", 4), "\"\\u0000\\u0001\\u001f\x7f\"", 0},
        EscapeCase{"\xE2\x80\xA8\xE2\x80\xA9", "\"\\u2028\\u2029\"", 0},
        EscapeCase{"\xC3\xA9t\xC3\xA9 \xE5\x8D\xB0 \xF0\x9F\x96\xA8",
                   "\"\xC3\xA9t\xC3\xA9 \xE5\x8D\xB0 \xF0\x9F\x96\xA8\"", 0},
        // Code page 1252 text that never became UTF-8.
        EscapeCase{"caf\xE9", "\"caf\xEF\xBF\xBD\"", 1},
        EscapeCase{"\x80x", "\"\xEF\xBF\xBDx\"", 1},                    // lone continuation
        EscapeCase{"\xC3", "\"\xEF\xBF\xBD\"", 1},                      // cut off at the end
        EscapeCase{"\xE5\x8D", "\"\xEF\xBF\xBD\xEF\xBF\xBD\"", 2},      // cut-off three bytes
        EscapeCase{"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\"", 2},      // over-long '/'
        EscapeCase{"\xE0\x80\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"", 3},
        EscapeCase{"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"", 3},  // surrogate
        EscapeCase{"\xF4\x90\x80\x80",                                  // beyond U+10FFFF
                   "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"", 4}));

TEST(JsonString, FiveByteFormIsFiveReplacements) {
  size_t replaced = 0;
  std::string expected = "\"";
  for (int i = 0; i < 5; ++i) expected += "\xEF\xBF\xBD";
  EXPECT_EQ(OneString("\xF8\x88\x80\x80\x80", &replaced), expected + "\"");
  EXPECT_EQ(replaced, 5u);
}

TEST(JsonDocument, NestsAndIndents) {
  json::JsonWriter writer;
  writer.BeginObject();
  writer.Key("a");
  writer.Number(-7);
  writer.Key("list");
  writer.BeginArray();
  writer.Bool(true);
  writer.Null();
  writer.BeginObject();
  writer.EndObject();
  writer.BeginArray();
  writer.EndArray();
  writer.EndArray();
  writer.Key("k\"ey");
  writer.String("v");
  writer.EndObject();
  EXPECT_EQ(writer.Document(),
            "{\r\n"
            "  \"a\": -7,\r\n"
            "  \"list\": [\r\n"
            "    true,\r\n"
            "    null,\r\n"
            "    {},\r\n"
            "    []\r\n"
            "  ],\r\n"
            "  \"k\\\"ey\": \"v\"\r\n"
            "}\r\n");
  EXPECT_FALSE(writer.Failed());
}

// Each call sequence is misplaced somewhere; the writer must refuse a
// document rather than give out broken JSON.
class JsonMisuseTest
    : public ::testing::TestWithParam<std::pair<const char*, std::function<void(json::JsonWriter&)>>> {};

TEST_P(JsonMisuseTest, GivesNoDocument) {
  json::JsonWriter writer;
  GetParam().second(writer);
  EXPECT_EQ(writer.Document(), "") << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(
    Table, JsonMisuseTest,
    ::testing::Values(
        std::make_pair("nothing", [](json::JsonWriter&) {}),
        std::make_pair("two top values", [](json::JsonWriter& w) { w.Null(); w.Null(); }),
        std::make_pair("open object", [](json::JsonWriter& w) { w.BeginObject(); }),
        std::make_pair("value without key",
                       [](json::JsonWriter& w) { w.BeginObject(); w.Number(1); w.EndObject(); }),
        std::make_pair("key without value",
                       [](json::JsonWriter& w) { w.BeginObject(); w.Key("k"); w.EndObject(); }),
        std::make_pair("two keys", [](json::JsonWriter& w) {
          w.BeginObject(); w.Key("a"); w.Key("b"); w.Null(); w.EndObject(); }),
        std::make_pair("key in array",
                       [](json::JsonWriter& w) { w.BeginArray(); w.Key("k"); w.EndArray(); }),
        std::make_pair("key at top", [](json::JsonWriter& w) { w.Key("k"); w.Null(); }),
        std::make_pair("crossed ends",
                       [](json::JsonWriter& w) { w.BeginArray(); w.EndObject(); }),
        std::make_pair("end without begin", [](json::JsonWriter& w) { w.Null(); w.EndArray(); })));

struct Utf16Case {
  std::u16string input;
  std::string expected;
  size_t replaced;
};

class Utf16ToUtf8Test : public ::testing::TestWithParam<Utf16Case> {};

TEST_P(Utf16ToUtf8Test, Converts) {
  size_t replaced = 0;
  EXPECT_EQ(json::Utf16ToUtf8(GetParam().input, &replaced), GetParam().expected);
  EXPECT_EQ(replaced, GetParam().replaced);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf16ToUtf8Test,
    ::testing::Values(
        Utf16Case{u"", "", 0},
        Utf16Case{u"A\u00e9\u5370", "A\xC3\xA9\xE5\x8D\xB0", 0},
        Utf16Case{u"\U0001F5A8", "\xF0\x9F\x96\xA8", 0},
        Utf16Case{u"\uFFFF", "\xEF\xBF\xBF", 0},
        Utf16Case{std::u16string{u'a', char16_t{0xD83D}}, "a\xEF\xBF\xBD", 1},
        Utf16Case{std::u16string{char16_t{0xDDA8}, u'b'}, "\xEF\xBF\xBD" "b", 1},
        Utf16Case{std::u16string{char16_t{0xD83D}, char16_t{0xD83D}, char16_t{0xDDA8}},
                  "\xEF\xBF\xBD\xF0\x9F\x96\xA8", 1}));

}  // namespace
