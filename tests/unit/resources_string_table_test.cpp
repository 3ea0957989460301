// The resource script's STRINGTABLE is generated from resources/string_table.h
// by resources/gen_string_table.cmake; these tests run the generator and read
// its output back the way the resource compiler does.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Entry {
  unsigned id;
  const char* text;
};

#define PURVEX_STRING(id, text) {id, text},
constexpr Entry kTable[] = {
#include "resources/string_table.h"
};
#undef PURVEX_STRING

constexpr unsigned kFirstId = 101;
constexpr unsigned kLastId = 170;

fs::path RepositoryRoot() {
  return fs::path(__FILE__).parent_path().parent_path().parent_path();
}

// A resource-script string: "" is a quote, and the C escapes the compiler
// knows stand for their characters.
std::string DecodeResourceString(const std::string& body) {
  std::string out;
  for (size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (c == '"' && i + 1 < body.size() && body[i + 1] == '"') {
      out += '"';
      ++i;
    } else if (c == '\\' && i + 1 < body.size()) {
      const char next = body[++i];
      switch (next) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        default: out += '\\'; out += next; break;
      }
    } else {
      out += c;
    }
  }
  return out;
}

class StringTableGeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("purvex_string_table_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Exit status of the generator on `input`.
  int Generate(const fs::path& input) {
    const std::string command =
        "cmake -DINPUT=\"" + input.string() + "\" -DOUTPUT=\"" + Output().string() +
        "\" -P \"" + (RepositoryRoot() / "resources" / "gen_string_table.cmake").string() +
        "\" > \"" + (dir_ / "cmake.log").string() + "\" 2>&1";
    return std::system(command.c_str());
  }
  fs::path Output() const { return dir_ / "string_table.rc"; }

  std::map<unsigned, std::string> ReadBack() {
    std::ifstream in(Output());
    std::map<unsigned, std::string> entries;
    const std::regex entry(R"re(^  ([0-9]+), "(.*)"$)re");
    std::string line;
    bool inBlock = false;
    while (std::getline(in, line)) {
      if (line == "BEGIN") { inBlock = true; continue; }
      if (line == "END") break;
      if (!inBlock) continue;
      std::smatch m;
      EXPECT_TRUE(std::regex_match(line, m, entry)) << "not an entry: " << line;
      if (m.empty()) continue;
      entries[static_cast<unsigned>(std::stoul(m[1]))] = DecodeResourceString(m[2]);
    }
    return entries;
  }

  fs::path WriteInput(const std::string& content) {
    const fs::path path = dir_ / "input.h";
    std::ofstream(path) << content;
    return path;
  }

  fs::path dir_;
};

TEST_F(StringTableGeneratorTest, EveryEntryOfTheProgramReadsBackUnchanged) {
  ASSERT_EQ(Generate(RepositoryRoot() / "resources" / "string_table.h"), 0);
  const std::map<unsigned, std::string> entries = ReadBack();
  EXPECT_EQ(entries.size(), std::size(kTable));
  for (const Entry& e : kTable) {
    EXPECT_GE(e.id, kFirstId);
    EXPECT_LE(e.id, kLastId);
    const auto found = entries.find(e.id);
    ASSERT_NE(found, entries.end()) << "missing id " << e.id;
    EXPECT_EQ(found->second, e.text) << "id " << e.id;
  }
}

TEST_F(StringTableGeneratorTest, QuotesBackslashesAndListSeparatorsSurvive) {
  const fs::path input = WriteInput(
      "// a comment with PURVEX_STRING(9, \"ignored\") in it\n"
      "PURVEX_STRING(1, \"say \\\"hi\\\" twice\")\n"
      "PURVEX_STRING(2, \"ends in a backslash \\\\\")\n"
      "PURVEX_STRING(3, \"a;b;c\")\n"
      "\n"
      "PURVEX_STRING(4, \"line\\r\\nbreak\\tand tab\")\n"
      "PURVEX_STRING(5, \"\\\\\\\"quoted path\\\\\\\"\")\n");
  ASSERT_EQ(Generate(input), 0);
  const std::map<unsigned, std::string> expected = {
      {1, "say \"hi\" twice"},
      {2, "ends in a backslash \\"},
      {3, "a;b;c"},
      {4, "line\r\nbreak\tand tab"},
      {5, "\\\"quoted path\\\""},
  };
  EXPECT_EQ(ReadBack(), expected);
}

TEST_F(StringTableGeneratorTest, AMalformedEntryFailsTheBuild) {
  const fs::path input = WriteInput(
      "PURVEX_STRING(1, \"fine\")\n"
      "PURVEX_STRING(2, unquoted)\n");
  EXPECT_NE(Generate(input), 0);
}

}  // namespace
