// What device removal and "Clean system" rely on from SetupAPI: walking the
// all-classes set by index, the property size protocol, the hardware key and
// DIF_REMOVE.
#include <cctype>
#include <cstring>

#include "platform/win_constants.h"
#include "tests/sim/outcome_code.h"
#include "tests/contract/contract_fixture.h"

namespace {

constexpr const char* kHardwareId = "PURVEX\\CONTRACT_DEVICE_0E7B";
constexpr const char* kService = "PurvexContractSvc";
constexpr const char* kSymbolicName = "\\??\\PURVEX#CONTRACT#0001";
constexpr uint32_t kNotFound = 0xFFFFFFFFu;

class ContractDevices : public ContractTest {
 protected:
  void Create(const std::string& service, const std::optional<std::string>& symbolicName) {
    std::optional<ContractDevice> device = Env().CreateDevice({kHardwareId}, service, symbolicName);
    if (!device) GTEST_SKIP() << "cannot create device entries here";
    instanceId_ = device->instanceId;
    ASSERT_TRUE(P().devices.GetClassDevs(win::kDigcfAllClasses, set_).ok);
    index_ = IndexOf(kHardwareId);
    ASSERT_NE(index_, kNotFound);
  }

  // The element whose first hardware id is `id`.
  uint32_t IndexOf(const std::string& id) {
    for (uint32_t i = 0; set_->EnumDevice(i); ++i) {
      uint8_t buffer[512] = {};
      uint32_t type = 0;
      uint32_t required = 0;
      if (set_->GetRegistryProperty(i, win::kSpdrpHardwareId, type, buffer, sizeof buffer - 1,
                                    required) &&
          id == reinterpret_cast<const char*>(buffer)) {
        return i;
      }
    }
    return kNotFound;
  }

  std::string instanceId_;
  DeviceInfoSet set_;
  uint32_t index_ = kNotFound;
};

TEST_F(ContractDevices, EnumerationEndsWithNoMoreItems) {
  Create("", std::nullopt);
  uint32_t count = 0;
  while (set_->EnumDevice(count)) ++count;
  Outcome end = set_->EnumDevice(count);
  EXPECT_FALSE(end.ok);
  EXPECT_EQ(end.error, win::kErrorNoMoreItems);
}

TEST_F(ContractDevices, HardwareIdSizeProtocol) {
  Create("", std::nullopt);
  const uint32_t expected = static_cast<uint32_t>(std::strlen(kHardwareId) + 2);
  uint32_t type = 0;
  uint32_t required = 0;
  Outcome query = set_->GetRegistryProperty(index_, win::kSpdrpHardwareId, type, nullptr, 0, required);
  EXPECT_FALSE(query.ok);
  EXPECT_EQ(query.error, win::kErrorInsufficientBuffer);
  EXPECT_EQ(required, expected);

  std::vector<uint8_t> small(expected - 1);
  required = 0;
  Outcome tooSmall = set_->GetRegistryProperty(index_, win::kSpdrpHardwareId, type, small.data(),
                                               static_cast<uint32_t>(small.size()), required);
  EXPECT_EQ(tooSmall.error, win::kErrorInsufficientBuffer);
  EXPECT_EQ(required, expected);

  std::vector<uint8_t> exact(expected);
  ASSERT_TRUE(set_->GetRegistryProperty(index_, win::kSpdrpHardwareId, type, exact.data(),
                                        expected, required).ok);
  EXPECT_EQ(type, win::kRegMultiSz);
  EXPECT_STREQ(reinterpret_cast<const char*>(exact.data()), kHardwareId);
  EXPECT_EQ(exact[expected - 1], 0);
}

TEST_F(ContractDevices, MissingPropertyIsInvalidData) {
  Create("", std::nullopt);
  uint32_t type = 0;
  uint32_t required = 0;
  uint8_t buffer[64] = {};
  Outcome query = set_->GetRegistryProperty(index_, win::kSpdrpService, type, buffer, sizeof buffer, required);
  EXPECT_FALSE(query.ok);
  EXPECT_EQ(query.error, win::kErrorInvalidData);
}

TEST_F(ContractDevices, ServiceIsAString) {
  Create(kService, std::nullopt);
  uint32_t type = 0;
  uint32_t required = 0;
  uint8_t buffer[64] = {};
  ASSERT_TRUE(set_->GetRegistryProperty(index_, win::kSpdrpService, type, buffer, sizeof buffer, required).ok);
  EXPECT_EQ(type, win::kRegSz);
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer), kService);
}

TEST_F(ContractDevices, HardwareKeyMissingUntilCreated) {
  Create("", std::nullopt);
  RegistryKey key;
  Outcome opened = set_->OpenDevRegKey(index_, win::kDicsFlagGlobal, win::kDiregDev, win::kKeyRead, key);
  EXPECT_FALSE(opened.ok);
  EXPECT_EQ(opened.error, win::kErrorKeyDoesNotExist);
}

TEST_F(ContractDevices, HardwareKeyHoldsSymbolicName) {
  Create("", std::string(kSymbolicName));
  RegistryKey key;
  ASSERT_TRUE(set_->OpenDevRegKey(index_, win::kDicsFlagGlobal, win::kDiregDev, win::kKeyRead, key).ok);
  char buffer[260] = {};
  uint32_t type = 0;
  uint32_t size = sizeof buffer;
  ASSERT_EQ(sim::CodeOf(key->QueryValue("SymbolicName", type, reinterpret_cast<uint8_t*>(buffer), size)),
            win::kErrorSuccess);
  EXPECT_STREQ(buffer, kSymbolicName);
}

// One device is told from the others across sets by its instance id.
TEST_F(ContractDevices, ElementsNameTheirInstance) {
  Create("", std::nullopt);
  auto upper = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  };
  std::string id;
  ASSERT_TRUE(set_->GetInstanceId(index_, id).ok);
  EXPECT_EQ(upper(id), upper(instanceId_));
  DeviceInfoSet one;
  ASSERT_TRUE(P().devices.OpenDevice(instanceId_, one).ok);
  ASSERT_TRUE(one->GetInstanceId(0, id).ok);
  EXPECT_EQ(upper(id), upper(instanceId_));
}

TEST_F(ContractDevices, RemoveDeletesTheEntryAndKeepsIndices) {
  Create("", std::nullopt);
  uint32_t count = 0;
  while (set_->EnumDevice(count)) ++count;
  ASSERT_TRUE(set_->CallClassInstaller(win::kDifRemove, index_).ok);
  EXPECT_FALSE(Env().DeviceExists(instanceId_));
  uint32_t after = 0;
  while (set_->EnumDevice(after)) ++after;
  EXPECT_EQ(after, count);
}

// The printer's own entry is found by its instance id alone, whatever the
// letter case, and removed through a set that holds only it.
TEST_F(ContractDevices, OpenDeviceFindsOneEntryByInstanceId) {
  Create("", std::nullopt);
  DeviceInfoSet one;
  std::string lower = instanceId_;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ASSERT_TRUE(P().devices.OpenDevice(lower, one).ok);
  uint8_t buffer[512] = {};
  uint32_t type = 0;
  uint32_t required = 0;
  ASSERT_TRUE(one->GetRegistryProperty(0, win::kSpdrpHardwareId, type, buffer, sizeof buffer - 1,
                                       required).ok);
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer), kHardwareId);
  ASSERT_TRUE(one->CallClassInstaller(win::kDifRemove, 0).ok);
  EXPECT_FALSE(Env().DeviceExists(instanceId_));

  DeviceInfoSet gone;
  const Outcome missing = P().devices.OpenDevice(instanceId_, gone);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error, win::kErrorNoSuchDevinst);
}

}  // namespace
