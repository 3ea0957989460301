#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_constants.h"
#include "support/qd_registry.h"
#include "tests/sim/outcome_code.h"
#include "tests/sim/sim_windows.h"

namespace {

constexpr RegRoot kHklm = RegRoot::LocalMachine;
constexpr const char* kKey = "SOFTWARE\\Maker\\Printer";
using Strings = std::vector<std::string>;

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() : registry(sim.platform().registry) { sim.CreateKey(kHklm, kKey); }

  sim::SimWindows sim;
  CQDRegistry registry;
};

TEST_F(RegistryTest, ReadsStringsUpToTheLongestThatFitsAndNeverPastTheirData) {
  const std::string longest(CQDRegistry::kStringBufferSize - 2, 'n');  // + terminator
  sim.SetString(kHklm, kKey, "Longest", longest);
  sim.SetRawValue(kHklm, kKey, "Bare", win::kRegSz, sim::Bytes{'a', 'b', 'c'});
  sim.SetRawValue(kHklm, kKey, "Embedded", win::kRegSz, sim::Bytes{'a', 'b', 0, 'c'});
  std::string a, b, c;
  ASSERT_TRUE(registry.ReadStringToBuffer(kHklm, kKey, "Longest", a));
  ASSERT_TRUE(registry.ReadStringToBuffer(kHklm, kKey, "Bare", b));
  ASSERT_TRUE(registry.ReadStringToBuffer(kHklm, kKey, "Embedded", c));
  EXPECT_EQ(a, longest);
  EXPECT_EQ(b, "abc");
  EXPECT_EQ(c, "ab");
}

TEST_F(RegistryTest, UnreadableStringsFailAndLeaveTheBufferAsItWas) {
  sim.SetExpandString(kHklm, kKey, "Expand", "%SystemRoot%");
  sim.SetDword(kHklm, kKey, "Dword", 7);
  // 254 characters and the terminator leave no room in the 255-byte buffer.
  sim.SetString(kHklm, kKey, "FillsBuffer", std::string(254, 'x'));
  sim.SetString(kHklm, kKey, "TooLong", std::string(600, 'x'));
  sim.SetRawValue(kHklm, kKey, "FullNoTerminator", win::kRegSz, sim::Bytes(255, 'y'));
  for (const char* name : {"Expand", "Dword", "FillsBuffer", "TooLong", "FullNoTerminator",
                           "Missing"}) {
    std::string out = "unchanged";
    EXPECT_FALSE(registry.ReadStringToBuffer(kHklm, kKey, name, out)) << name;
    EXPECT_EQ(out, "unchanged") << name;
  }
  std::string out = "unchanged";
  EXPECT_FALSE(registry.ReadStringToBuffer(kHklm, "SOFTWARE\\Missing", "Expand", out));
  EXPECT_EQ(out, "unchanged");
}

TEST_F(RegistryTest, LargeMultiStringIsReadAgainWithTheReportedSize) {
  // 54 strings of 10 characters, one of 4 and the final terminator: 600 bytes.
  Strings values;
  for (int i = 0; i < 54; ++i) values.push_back("Form" + std::to_string(100000 + i));
  values.push_back("Last");
  sim.SetMultiString(kHklm, kKey, "printMediaSupported", values);

  std::vector<uint8_t> small(CQDRegistry::kMultiStringFirstRead, 0xAA);
  uint32_t bytesRead = 0;
  EXPECT_EQ(sim::CodeOf(registry.ReadMultiString(kHklm, kKey, "printMediaSupported", small.data(),
                                     CQDRegistry::kMultiStringFirstRead, bytesRead)),
            win::kErrorMoreData);
  ASSERT_EQ(bytesRead, 600u);
  EXPECT_EQ(small, std::vector<uint8_t>(CQDRegistry::kMultiStringFirstRead, 0xAA));

  std::vector<uint8_t> large(bytesRead, 0);
  EXPECT_EQ(sim::CodeOf(registry.ReadMultiString(kHklm, kKey, "printMediaSupported", large.data(),
                                     bytesRead, bytesRead)),
            win::kErrorSuccess);
  EXPECT_EQ(large, sim::MultiSzBytes(values));

  Strings list;
  EXPECT_EQ(sim::CodeOf(registry.ReadMultiStringList(kHklm, kKey, "printMediaSupported", list)),
            win::kErrorSuccess);
  EXPECT_EQ(list, values);
}

TEST_F(RegistryTest, MultiStringOfAnotherTypeOrMissingGivesNoStrings) {
  sim.SetString(kHklm, kKey, "Dependent Files", "UNIDRV.DLL");
  std::vector<uint8_t> buffer(CQDRegistry::kMultiStringFirstRead, 0xAA);
  uint32_t bytesRead = 77;
  EXPECT_EQ(sim::CodeOf(registry.ReadMultiString(kHklm, kKey, "Dependent Files", buffer.data(),
                                     static_cast<uint32_t>(buffer.size()), bytesRead)),
            win::kErrorSuccess);
  EXPECT_EQ(bytesRead, 0u);
  EXPECT_EQ(buffer, std::vector<uint8_t>(CQDRegistry::kMultiStringFirstRead, 0xAA));

  Strings list{"stale"};
  EXPECT_EQ(sim::CodeOf(registry.ReadMultiStringList(kHklm, kKey, "Dependent Files", list)), 0u);
  EXPECT_TRUE(list.empty());
  list = {"stale"};
  EXPECT_EQ(sim::CodeOf(registry.ReadMultiStringList(kHklm, kKey, "Missing", list)), win::kErrorFileNotFound);
  EXPECT_TRUE(list.empty());
}

TEST(SplitMultiStringTest, WalksTheStringsWithoutReadingPastTheData) {
  const auto split = [](const sim::Bytes& data) {
    // Exactly the data's size, so that ASan sees any read past it.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[std::max<size_t>(data.size(), 1)]);
    std::copy(data.begin(), data.end(), exact.get());
    return SplitMultiString(exact.get(), static_cast<uint32_t>(data.size()));
  };
  EXPECT_EQ(split({}), Strings{});
  EXPECT_EQ(split({0}), Strings{});
  EXPECT_EQ(split({'a', 0, 'b', 'c', 0, 0}), (Strings{"a", "bc"}));
  EXPECT_EQ(split({'a', 'b', 'c'}), Strings{"abc"});
  EXPECT_EQ(split({'a', 0, 'b', 'c', 'd'}), (Strings{"a", "bcd"}));
}

TEST_F(RegistryTest, SubkeysAreCountedAndEnumeratedUpToTheCount) {
  for (const char* name : {"Alpha", "Beta", "Gamma"}) {
    sim.CreateKey(kHklm, std::string(kKey) + "\\" + name);
  }
  uint32_t count = 99;
  const Outcome counted = registry.CountSubkeys(kHklm, kKey, count);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(sim::CodeOf(counted), 0u);
  Strings names;
  for (uint32_t i = 0; i < count; ++i) {
    std::string name;
    ASSERT_TRUE(registry.EnumSubkey(kHklm, kKey, i, name));
    names.push_back(name);
  }
  EXPECT_EQ(names, sim.SubkeyNames(kHklm, kKey));
  std::string past = "unchanged";
  EXPECT_FALSE(registry.EnumSubkey(kHklm, kKey, count, past));
  EXPECT_EQ(past, "unchanged");

  uint32_t none = 99;
  EXPECT_EQ(sim::CodeOf(registry.CountSubkeys(kHklm, "SOFTWARE\\Nowhere", none)),
            win::kErrorFileNotFound);
  EXPECT_EQ(none, 0u);
  EXPECT_FALSE(registry.EnumSubkey(kHklm, "SOFTWARE\\Nowhere", 0, past));
}

// The counted walk hands every index to the caller, also one that cannot be
// listed, and reports only what kept the walk from starting.
TEST_F(RegistryTest, CountedWalkVisitsEachIndexWithItsOutcomeAndStopsWhenAsked) {
  for (const char* name : {"Alpha", "Beta", "Gamma"}) {
    sim.CreateKey(kHklm, std::string(kKey) + "\\" + name);
  }
  struct Visit {
    uint32_t index;
    uint32_t code;
    std::string name;
    bool operator==(const Visit& o) const {
      return index == o.index && code == o.code && name == o.name;
    }
  };
  const auto walk = [&](const std::string& key, size_t stopAfter, std::vector<Visit>& seen) {
    return registry.ForEachCountedSubkey(
        kHklm, key, [&](uint32_t index, const Outcome& listed, const std::string& name) {
          seen.push_back({index, sim::CodeOf(listed), name});
          return seen.size() < stopAfter;
        });
  };

  std::vector<Visit> all;
  EXPECT_EQ(sim::CodeOf(walk(kKey, 99, all)), 0u);
  EXPECT_EQ(all, (std::vector<Visit>{{0, 0, "Alpha"}, {1, 0, "Beta"}, {2, 0, "Gamma"}}));

  std::vector<Visit> first;
  EXPECT_EQ(sim::CodeOf(walk(kKey, 1, first)), 0u);
  EXPECT_EQ(first, (std::vector<Visit>{{0, 0, "Alpha"}}));

  sim.FailWhere("EnumKey", "#1", win::kErrorAccessDenied, 1);
  std::vector<Visit> broken;
  EXPECT_EQ(sim::CodeOf(walk(kKey, 99, broken)), 0u);
  EXPECT_EQ(broken, (std::vector<Visit>{
                        {0, 0, "Alpha"}, {1, win::kErrorAccessDenied, ""}, {2, 0, "Gamma"}}));

  std::vector<Visit> none;
  EXPECT_EQ(sim::CodeOf(walk("SOFTWARE\\Nowhere", 99, none)), win::kErrorFileNotFound);
  sim.FailWhere("QuerySubkeyCount", "Printer", win::kErrorAccessDenied, 1);
  EXPECT_EQ(sim::CodeOf(walk(kKey, 99, none)), win::kErrorAccessDenied);
  EXPECT_TRUE(none.empty());
}

TEST_F(RegistryTest, EmptyKeyExistsAndDeletingATreeTakesItsNestedKeysOnly) {
  EXPECT_TRUE(registry.KeyExists(kHklm, kKey));
  EXPECT_FALSE(registry.KeyExists(RegRoot::CurrentUser, kKey));
  const std::string deep = std::string(kKey) + "\\A\\B\\C";
  sim.CreateKey(kHklm, deep);
  sim.SetString(kHklm, deep, "Leaf", "x");
  sim.CreateKey(kHklm, "SOFTWARE\\Maker\\Sibling");

  EXPECT_EQ(sim::CodeOf(registry.DeleteKeyTree(kHklm, kKey)), 0u);
  EXPECT_FALSE(registry.KeyExists(kHklm, kKey));
  EXPECT_TRUE(sim.KeyExists(kHklm, "SOFTWARE\\Maker\\Sibling"));
  EXPECT_EQ(sim::CodeOf(registry.DeleteKeyTree(kHklm, kKey)), win::kErrorFileNotFound);
}

}  // namespace
