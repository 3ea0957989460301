// The preview's view over the system's own answers: what it hides is taken
// out of the real listings, enumerations and device sets, and the system
// keeps every file, key and device.
#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "platform/preview/preview_platform.h"
#include "platform/win_constants.h"
#include "tests/common/found_names.h"
#include "tests/contract/contract_fixture.h"
#include "tests/sim/outcome_code.h"

namespace {

constexpr RegRoot kHkcu = RegRoot::CurrentUser;
constexpr const char* kHardwareId = "PURVEX\\CONTRACT_PREVIEW_0E7B";
using Names = std::vector<std::string>;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

class ContractPreview : public ContractTest {
 protected:
  // The platform exists once the test has begun.
  void SetUp() override {
    ContractTest::SetUp();
    preview_ = std::make_unique<PreviewPlatform>(P());
  }
  void TearDown() override {
    preview_.reset();
    ContractTest::TearDown();
  }
  Platform& View() { return preview_->Get(); }

  Names List(const std::string& pattern) {
    Names names;
    for (const std::string& name : testfiles::FoundNames(View().files, pattern)) {
      if (name != "." && name != "..") names.push_back(Upper(name));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<PreviewPlatform> preview_;
};

TEST_F(ContractPreview, RemovedFilesLeaveTheListingsAndStayOnDisk) {
  ASSERT_TRUE(Env().PutFile(Path("a.inf"), "a", win::kFileAttributeArchive));
  ASSERT_TRUE(Env().PutFile(Path("b.inf"), "b", win::kFileAttributeArchive));
  ASSERT_TRUE(Env().PutFile(Path("sub\\c.dll"), "c", win::kFileAttributeArchive));
  IFileSystem& files = View().files;

  EXPECT_TRUE(files.RemoveFile(Path("a.inf")).ok);
  EXPECT_EQ(files.RemoveDir(Path("sub")).error, win::kErrorDirNotEmpty);
  EXPECT_TRUE(files.RemoveFile(Path("sub\\c.dll")).ok);
  EXPECT_TRUE(files.RemoveDir(Path("sub")).ok);

  EXPECT_EQ(List(Path("*.inf")), Names{"B.INF"});
  EXPECT_EQ(List(Path("*")), Names{"B.INF"});
  FindData entry;
  FindHandle listing;
  EXPECT_FALSE(files.FindFirst(Path("a.*"), entry, listing).ok);
  uint32_t attributes = 0;
  EXPECT_EQ(files.GetAttributes(Path("sub\\c.dll"), attributes).error, win::kErrorPathNotFound);
  for (const char* kept : {"a.inf", "b.inf", "sub\\c.dll"}) {
    EXPECT_TRUE(Env().PathExists(Path(kept))) << kept;
  }
}

TEST_F(ContractPreview, DeletedKeysLeaveTheEnumerationAndStayInTheRegistry) {
  for (const char* name : {"A", "B", "C"}) ASSERT_TRUE(Env().CreateKey(Key(name) + "\\Sub"));
  IRegistry& registry = View().registry;
  EXPECT_EQ(sim::CodeOf(registry.DeleteTree(kHkcu, Key("B"))), 0u);

  RegistryKey parent;
  ASSERT_EQ(sim::CodeOf(registry.OpenKey(kHkcu, Key(""), win::kKeyRead, parent)), 0u);
  Names names;
  std::string name;
  for (uint32_t index = 0; sim::CodeOf(parent->EnumKey(index, name, 256)) == 0; ++index) names.push_back(name);
  EXPECT_EQ(names, (Names{"A", "C"}));
  uint32_t count = 0;
  ASSERT_EQ(sim::CodeOf(parent->QuerySubkeyCount(count)), 0u);
  EXPECT_EQ(count, 2u);
  RegistryKey below;
  EXPECT_EQ(sim::CodeOf(registry.OpenKey(kHkcu, Key("B\\Sub"), win::kKeyRead, below)), win::kErrorFileNotFound);
  EXPECT_TRUE(Env().KeyExists(Key("B\\Sub")));
}

TEST_F(ContractPreview, ARemovedDeviceLeavesLaterSetsAndStaysInstalled) {
  std::optional<ContractDevice> device = Env().CreateDevice({kHardwareId}, "", std::nullopt);
  if (!device) GTEST_SKIP() << "cannot create device entries here";
  IDevices& devices = View().devices;
  auto find = [&](DeviceInfoSet& set) {
    EXPECT_TRUE(devices.GetClassDevs(win::kDigcfAllClasses, set).ok);
    for (uint32_t index = 0; set && set->EnumDevice(index); ++index) {
      std::string id;
      if (set->GetInstanceId(index, id) && Upper(id) == Upper(device->instanceId)) {
        return static_cast<int>(index);
      }
    }
    return -1;
  };
  DeviceInfoSet first;
  const int index = find(first);
  ASSERT_GE(index, 0);
  EXPECT_TRUE(first->CallClassInstaller(win::kDifRemove, static_cast<uint32_t>(index)).ok);
  DeviceInfoSet later;
  EXPECT_EQ(find(later), -1);
  EXPECT_TRUE(Env().DeviceExists(device->instanceId));
}

}  // namespace
