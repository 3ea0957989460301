#include <string>
#include <vector>

#include "tests/unit/expected_lines.h"
#include "tests/unit/removal_fixture.h"

namespace removal_test {
namespace {


constexpr const char* kPrinter = "Office Label";
constexpr const char* kPrinterKey = "SOFTWARE\\QD\\QdRk\\Office Label";

class ProductRegistryTest : public RemovalTest {
 protected:
  void SetUp() override { prn.CurrentPrinter.PrinterName = kPrinter; }
};

struct LabelCase {
  const char* label;
  const char* key;
};

class ProductLabelTest : public ProductRegistryTest,
                         public ::testing::WithParamInterface<LabelCase> {};

TEST_P(ProductLabelTest, AbsentKeysAreNoFailure) {
  EXPECT_TRUE(prn.DeleteQdRkRegKeys(GetParam().label));
  const std::string key = GetParam().key;
  EXPECT_EQ(NewLog(), Lines({"Key [HKEY_LOCAL_MACHINE\\" + key + "] NOT found!",
                                    "Key [HKEY_CURRENT_USER\\" + key + "] NOT found!"}));
}

INSTANTIATE_TEST_SUITE_P(
    Labels, ProductLabelTest,
    ::testing::Values(LabelCase{"QDRK", kPrinterKey},
                      LabelCase{"qdrktx", "SOFTWARE\\QD\\QdRkTx\\Office Label"},
                      LabelCase{"QdRkDriverInfo", "SOFTWARE\\QD\\QdRkDriverInfo\\Office Label"}));

TEST_F(ProductRegistryTest, KeyOnlyInUserHiveIsDeleted) {
  sim.CreateKey(RegRoot::CurrentUser, std::string(kPrinterKey) + "\\Settings");
  sim.CreateKey(RegRoot::CurrentUser, "SOFTWARE\\QD\\QdRk\\Desk Label");

  EXPECT_TRUE(prn.DeleteQdRkRegKeys("QDRK"));
  EXPECT_EQ(NewLog(), Lines({"Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\Office Label] NOT found!",
                          "Key [HKEY_CURRENT_USER\\SOFTWARE\\QD\\QdRk\\Office Label] found!",
                          "Key [HKEY_CURRENT_USER\\SOFTWARE\\QD\\QdRk\\Office Label] deleted!"}));
  EXPECT_FALSE(sim.KeyExists(RegRoot::CurrentUser, kPrinterKey));
  EXPECT_TRUE(sim.KeyExists(RegRoot::CurrentUser, "SOFTWARE\\QD\\QdRk\\Desk Label"));
}

TEST_F(ProductRegistryTest, RefusedMachineKeyStillHandlesUserHive) {
  sim.CreateKey(RegRoot::LocalMachine, kPrinterKey);
  sim.CreateKey(RegRoot::CurrentUser, kPrinterKey);
  sim.DenyDelete(RegRoot::LocalMachine, kPrinterKey);

  EXPECT_FALSE(prn.DeleteQdRkRegKeys("QDRK"));
  EXPECT_EQ(CountLog("Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\Office Label] NOT "
                     "deleted! Error 5"),
            1u);
  EXPECT_EQ(NewLog().back(), "Key [HKEY_CURRENT_USER\\SOFTWARE\\QD\\QdRk\\Office Label] deleted!");
  EXPECT_TRUE(sim.KeyExists(RegRoot::LocalMachine, kPrinterKey));
  EXPECT_FALSE(sim.KeyExists(RegRoot::CurrentUser, kPrinterKey));
}

TEST_F(ProductRegistryTest, StatusLineNamesRootAndKey) {
  sim.CreateKey(RegRoot::LocalMachine, kPrinterKey);
  EXPECT_TRUE(prn.DeleteQdRkRegKeys("QDRK"));
  EXPECT_EQ(page.TextHistory(IDC_STATUS_LINE), Lines({"Deleting [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\Office Label] "
                          "registry key..."}));
  EXPECT_TRUE(sim.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\QD\\QdRk"));
}

TEST_F(ProductRegistryTest, UnknownLabelIsRefused) {
  sim.CreateKey(RegRoot::LocalMachine, kPrinterKey);
  EXPECT_FALSE(prn.DeleteQdRkRegKeys("QDRK2"));
  EXPECT_EQ(NewLog(), Lines({"Parameter not valid passed to DeleteQdRkRegKeys"}));
  EXPECT_TRUE(sim.KeyExists(RegRoot::LocalMachine, kPrinterKey));
}

TEST_F(ProductRegistryTest, NameThatIsNotOneKeyNeverReachesTheProductKey) {
  sim.CreateKey(RegRoot::LocalMachine, "SOFTWARE\\QD\\QdRk\\Desk Label\\Settings");
  for (const char* name : {"", "Desk Label\\Settings"}) {
    prn.CurrentPrinter.PrinterName = name;
    EXPECT_TRUE(prn.DeleteQdRkRegKeys("QDRK")) << name;
  }
  EXPECT_TRUE(sim.KeyExists(RegRoot::LocalMachine, "SOFTWARE\\QD\\QdRk\\Desk Label\\Settings"));
}

// A registry link where the maker's keys should be: the link goes, what it
// points to (here another product's key, with a value and a subkey) stays.
struct LinkCase {
  const char* label;
  const char* link;       // below HKEY_CURRENT_USER
  const char* seedBelow;  // an ordinary key created first, or ""
};

class ProductKeyLinkTest : public ProductRegistryTest,
                           public ::testing::WithParamInterface<LinkCase> {};

TEST_P(ProductKeyLinkTest, DeletesTheLinkOnlyAndKeepsItsTarget) {
  const LinkCase& c = GetParam();
  const std::string other = "Software\\Other\\Settings";
  sim.SetString(RegRoot::CurrentUser, other, "Keep", "yes");
  sim.SetString(RegRoot::CurrentUser, other + "\\QdRk\\Office Label\\Sub", "Keep", "yes");
  if (*c.seedBelow != '\0') sim.CreateKey(RegRoot::CurrentUser, c.seedBelow);
  sim.AddRegistryLink(RegRoot::CurrentUser, c.link, RegRoot::CurrentUser, other);

  EXPECT_TRUE(prn.DeleteQdRkRegKeys("QDRK"));

  EXPECT_EQ(sim.GetString(RegRoot::CurrentUser, other, "Keep"), "yes");
  EXPECT_EQ(sim.GetString(RegRoot::CurrentUser, other + "\\QdRk\\Office Label\\Sub", "Keep"),
            "yes");
  EXPECT_FALSE(sim.KeyExists(RegRoot::CurrentUser, c.link));
  EXPECT_EQ(CountLog(expected::UserRegistryLinkLine(c.link)),
            1u);
}

INSTANTIATE_TEST_SUITE_P(
    Links, ProductKeyLinkTest,
    ::testing::Values(
        LinkCase{"ProductKey", kPrinterKey, ""},
        LinkCase{"KeyOnThePath", "SOFTWARE\\QD", ""},
        LinkCase{"InsideTheTree", "SOFTWARE\\QD\\QdRk\\Office Label\\Sub\\Deeper",
                 "SOFTWARE\\QD\\QdRk\\Office Label\\Sub"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProductRegistryTest, TreeThatCannotBeListedIsNotDeleted) {
  sim.CreateKey(RegRoot::CurrentUser, std::string(kPrinterKey) + "\\A");
  sim.CreateKey(RegRoot::CurrentUser, std::string(kPrinterKey) + "\\B");
  sim.FailWhere("EnumKey", "Office Label#1", 5);

  EXPECT_FALSE(prn.DeleteQdRkRegKeys("QDRK"));
  EXPECT_TRUE(sim.KeyExists(RegRoot::CurrentUser, std::string(kPrinterKey) + "\\B"));
  EXPECT_EQ(CountLog("Key [HKEY_CURRENT_USER\\SOFTWARE\\QD\\QdRk\\Office Label] NOT "
                     "deleted! Error 5"),
            1u);
}

}  // namespace
}  // namespace removal_test
