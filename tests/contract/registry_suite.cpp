// What the registry logic relies on from RegOpenKeyExA, RegQueryValueExA,
// RegEnumKeyExA, RegQueryInfoKeyA and SHDeleteKeyA.
#include <string>
#include <vector>

#include "platform/win_constants.h"
#include "support/qd_registry.h"
#include "tests/sim/outcome_code.h"
#include "tests/contract/contract_fixture.h"

namespace {

constexpr uint32_t kNameCapacity = 256;  // RegEnumKeyExA's longest key name + 1

class ContractRegistry : public ContractTest {
 protected:
  RegistryKey Open(const std::string& path) {
    RegistryKey key;
    const Outcome opened =
        P().registry.OpenKey(RegRoot::CurrentUser, path, win::kKeyRead, key);
    EXPECT_EQ(sim::CodeOf(opened), win::kErrorSuccess) << path;
    return key;
  }

  struct ReadBack {
    uint32_t type = 0;
    uint32_t size = 0;  // what the size query reported
    std::vector<uint8_t> data;
  };

  // A value of the test key read the way callers read one: its size asked
  // first, then its bytes into a buffer of that size.
  void Read(const char* name, ReadBack& read) {
    RegistryKey key = Open(Key(""));
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(sim::CodeOf(key->QueryValue(name, read.type, nullptr, read.size)),
              win::kErrorSuccess);
    read.data.resize(read.size);
    uint32_t type = 0;
    uint32_t size = read.size;
    ASSERT_EQ(sim::CodeOf(key->QueryValue(name, type, read.data.data(), size)),
              win::kErrorSuccess);
    read.data.resize(size);
  }
};

TEST_F(ContractRegistry, OpenMissingKeyIsFileNotFound) {
  RegistryKey key;
  EXPECT_EQ(sim::CodeOf(P().registry.OpenKey(RegRoot::CurrentUser, Key("Missing"), win::kKeyRead, key)),
            win::kErrorFileNotFound);
  EXPECT_EQ(key, nullptr);
}

TEST_F(ContractRegistry, KeyNamesIgnoreCase) {
  ASSERT_TRUE(Env().CreateKey(Key("MixedCase")));
  RegistryKey key;
  EXPECT_EQ(sim::CodeOf(P().registry.OpenKey(RegRoot::CurrentUser, Key("mIXEDcASE"), win::kKeyRead, key)),
            win::kErrorSuccess);
}

TEST_F(ContractRegistry, QueryValueSizeProtocol) {
  ASSERT_TRUE(Env().SetString(Key(""), "Text", "hello"));
  RegistryKey key = Open(Key(""));
  ASSERT_NE(key, nullptr);
  const uint32_t withTerminator = sizeof("hello");

  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(sim::CodeOf(key->QueryValue("Text", type, nullptr, size)), win::kErrorSuccess);
  EXPECT_EQ(type, win::kRegSz);
  EXPECT_EQ(size, withTerminator);

  uint8_t small[2] = {};
  size = sizeof small;
  EXPECT_EQ(sim::CodeOf(key->QueryValue("Text", type, small, size)), win::kErrorMoreData);
  EXPECT_EQ(size, withTerminator);

  uint8_t exact[sizeof("hello")] = {};
  size = sizeof exact;
  EXPECT_EQ(sim::CodeOf(key->QueryValue("text", type, exact, size)), win::kErrorSuccess);
  EXPECT_EQ(size, withTerminator);
  EXPECT_STREQ(reinterpret_cast<const char*>(exact), "hello");
}

TEST_F(ContractRegistry, QueryMissingValueIsFileNotFound) {
  RegistryKey key = Open(Key(""));
  ASSERT_NE(key, nullptr);
  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(sim::CodeOf(key->QueryValue("Nothing", type, nullptr, size)), win::kErrorFileNotFound);
}

// A REG_SZ stored without terminator comes back as stored: the reported size
// excludes a terminator, so readers must not count on one.
TEST_F(ContractRegistry, StringWithoutTerminatorKeepsItsSize) {
  const std::vector<uint8_t> bare = {'a', 'b', 'c'};
  ASSERT_TRUE(Env().SetRaw(Key(""), "Bare", win::kRegSz, bare));
  ReadBack read;
  ASSERT_NO_FATAL_FAILURE(Read("Bare", read));
  EXPECT_EQ(read.type, win::kRegSz);
  EXPECT_EQ(read.size, bare.size());
  EXPECT_EQ(read.data, bare);
}

struct TypedValue {
  const char* label;
  uint32_t type;
  std::vector<uint8_t> data;
};

class ContractRegistryTypes : public ContractRegistry,
                              public ::testing::WithParamInterface<TypedValue> {};

TEST_P(ContractRegistryTypes, ValueComesBackWithItsTypeAndBytes) {
  const TypedValue& value = GetParam();
  ASSERT_TRUE(Env().SetRaw(Key(""), "Value", value.type, value.data));
  ReadBack read;
  ASSERT_NO_FATAL_FAILURE(Read("Value", read));
  EXPECT_EQ(read.type, value.type);
  ASSERT_EQ(read.size, value.data.size());
  EXPECT_EQ(read.data, value.data);
}

INSTANTIATE_TEST_SUITE_P(
    ContractRegistry, ContractRegistryTypes,
    ::testing::Values(
        TypedValue{"Dword", win::kRegDword, {0x78, 0x56, 0x34, 0x12}},
        TypedValue{"ExpandSz", win::kRegExpandSz, {'%', 'X', '%', 0}},
        TypedValue{"MultiSz", win::kRegMultiSz, {'a', 0, 'b', 'c', 0, 0}},
        TypedValue{"Binary", win::kRegBinary, {0, 1, 2, 0xFF}}),
    [](const ::testing::TestParamInfo<TypedValue>& info) { return info.param.label; });

TEST_F(ContractRegistry, MultiStringSeedingWritesDoubleTerminatedList) {
  ASSERT_TRUE(Env().SetMultiString(Key(""), "List", {"one", "two"}));
  ReadBack read;
  ASSERT_NO_FATAL_FAILURE(Read("List", read));
  EXPECT_EQ(read.type, win::kRegMultiSz);
  const char expected[] = "one\0two\0";  // plus the literal's own terminator
  ASSERT_EQ(read.size, sizeof expected);
  EXPECT_EQ(read.data, std::vector<uint8_t>(expected, expected + sizeof expected));
}

TEST_F(ContractRegistry, EnumKeyWalksSubkeysInNameOrderThenEnds) {
  for (const char* name : {"Gamma", "alpha", "Beta"}) ASSERT_TRUE(Env().CreateKey(Key(name)));
  RegistryKey key = Open(Key(""));
  ASSERT_NE(key, nullptr);
  std::vector<std::string> names;
  std::string name;
  uint32_t index = 0;
  uint32_t status = 0;
  while ((status = sim::CodeOf(key->EnumKey(index, name, kNameCapacity))) == win::kErrorSuccess) {
    names.push_back(name);
    ++index;
  }
  EXPECT_EQ(status, win::kErrorNoMoreItems);
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Gamma"}));
  uint32_t count = 0;
  ASSERT_EQ(sim::CodeOf(key->QuerySubkeyCount(count)), win::kErrorSuccess);
  EXPECT_EQ(count, 3u);
}

TEST_F(ContractRegistry, EnumKeyNameMustFitWithItsTerminator) {
  ASSERT_TRUE(Env().CreateKey(Key("Twelve_Chars")));
  RegistryKey key = Open(Key(""));
  ASSERT_NE(key, nullptr);
  const uint32_t length = sizeof("Twelve_Chars") - 1;
  std::string name;
  EXPECT_EQ(sim::CodeOf(key->EnumKey(0, name, length)), win::kErrorMoreData);
  EXPECT_EQ(sim::CodeOf(key->EnumKey(0, name, length + 1)), win::kErrorSuccess);
  EXPECT_EQ(name, "Twelve_Chars");
}

TEST_F(ContractRegistry, EmptyKeyHasNoSubkeys) {
  RegistryKey key = Open(Key(""));
  ASSERT_NE(key, nullptr);
  uint32_t count = 1;
  ASSERT_EQ(sim::CodeOf(key->QuerySubkeyCount(count)), win::kErrorSuccess);
  EXPECT_EQ(count, 0u);
  std::string name;
  EXPECT_EQ(sim::CodeOf(key->EnumKey(0, name, kNameCapacity)), win::kErrorNoMoreItems);
}

TEST_F(ContractRegistry, DeleteTreeRemovesSubkeysAndValues) {
  ASSERT_TRUE(Env().SetString(Key("Tree\\Child\\Leaf"), "V", "x"));
  ASSERT_TRUE(Env().SetString(Key("Tree"), "Top", "y"));
  ASSERT_TRUE(Env().CreateKey(Key("Sibling")));
  EXPECT_EQ(sim::CodeOf(P().registry.DeleteTree(RegRoot::CurrentUser, Key("tree"))), win::kErrorSuccess);
  EXPECT_FALSE(Env().KeyExists(Key("Tree")));
  EXPECT_TRUE(Env().KeyExists(Key("Sibling")));
}

TEST_F(ContractRegistry, DeleteTreeOfMissingKeyIsFileNotFound) {
  EXPECT_EQ(sim::CodeOf(P().registry.DeleteTree(RegRoot::CurrentUser, Key("Missing"))),
            win::kErrorFileNotFound);
}

// What the link-safe tree deletion relies on: a link opened as a link holds
// its REG_LINK value, and deleting it as a link leaves what it points to.
TEST_F(ContractRegistry, LinkIsToldAndDeletedAsTheLinkOnly) {
  ASSERT_TRUE(Env().SetString(Key("Target"), "Keep", "yes"));
  ASSERT_TRUE(Env().CreateKey(Key("Target\\Child")));
  if (!Env().CreateRegistryLink(Key("Link"), Key("Target"))) {
    GTEST_SKIP() << "cannot create registry links here";
  }
  RegistryKey followed;
  ASSERT_EQ(sim::CodeOf(P().registry.OpenKey(RegRoot::CurrentUser, Key("Link\\Child"), win::kKeyRead, followed)),
            win::kErrorSuccess);

  CQDRegistry registry(P().registry);
  bool isLink = false;
  EXPECT_EQ(sim::CodeOf(registry.IsLink(RegRoot::CurrentUser, Key("Link"), isLink)), win::kErrorSuccess);
  EXPECT_TRUE(isLink);
  EXPECT_EQ(sim::CodeOf(registry.IsLink(RegRoot::CurrentUser, Key("Target"), isLink)), win::kErrorSuccess);
  EXPECT_FALSE(isLink);
  EXPECT_EQ(sim::CodeOf(P().registry.DeleteLink(RegRoot::CurrentUser, Key("Target"))),
            win::kErrorInvalidParameter);

  EXPECT_EQ(sim::CodeOf(P().registry.DeleteLink(RegRoot::CurrentUser, Key("Link"))), win::kErrorSuccess);
  RegistryKey gone;
  EXPECT_EQ(sim::CodeOf(P().registry.OpenLink(RegRoot::CurrentUser, Key("Link"), win::kKeyRead, gone)),
            win::kErrorFileNotFound);
  EXPECT_TRUE(Env().KeyExists(Key("Target\\Child")));
}

TEST_F(ContractRegistry, TreeDeletionLeavesWhatALinkInsideNames) {
  ASSERT_TRUE(Env().SetString(Key("Other"), "Keep", "yes"));
  ASSERT_TRUE(Env().CreateKey(Key("Tree\\Sub")));
  if (!Env().CreateRegistryLink(Key("Tree\\Sub\\Link"), Key("Other"))) {
    GTEST_SKIP() << "cannot create registry links here";
  }
  CQDRegistry registry(P().registry);
  std::vector<std::string> links;
  EXPECT_EQ(sim::CodeOf(registry.DeleteKeyTreeNoLinks(RegRoot::CurrentUser, Key("Tree"), 1, links)),
            win::kErrorSuccess);
  EXPECT_EQ(links, std::vector<std::string>{Key("Tree\\Sub\\Link")});
  EXPECT_FALSE(Env().KeyExists(Key("Tree")));
  EXPECT_TRUE(Env().KeyExists(Key("Other")));
}

}  // namespace
