#include <string>
#include <vector>

#include "tests/unit/engine_fixture.h"

namespace engine_test {
namespace {

constexpr const char* kDevice = "USB\\VID_0E7B&PID_0001\\5&1A2B3C&0&2";

class DevicePropertyTest : public EngineTest {
 protected:
  void AddDevice(std::optional<std::string> service) {
    sim::DeviceSpec device;
    device.instanceId = kDevice;
    device.hardwareIds = {"USB\\VID_0E7B&PID_0001&REV_0100", "USB\\VID_0E7B&PID_0001"};
    device.service = std::move(service);
    sim.AddDevice(device);
    ASSERT_TRUE(sim.platform().devices.GetClassDevs(win::kDigcfAllClasses, set));
  }

  bool Read(uint32_t property) {
    out = "stale";
    return engine.GetDevicePropertyString(*set, 0, property, regType, out);
  }

  DeviceInfoSet set;
  uint32_t regType = 0;
  std::string out;
};

TEST_F(DevicePropertyTest, MultiStringGivesItsFirstString) {
  AddDevice("usbprint");
  EXPECT_TRUE(Read(win::kSpdrpHardwareId));
  EXPECT_EQ(out, "USB\\VID_0E7B&PID_0001&REV_0100");
  EXPECT_EQ(regType, win::kRegMultiSz);
  EXPECT_TRUE(Read(win::kSpdrpService));
  EXPECT_EQ(out, "usbprint");
}

TEST_F(DevicePropertyTest, MissingPropertyIsFalseWithAnEmptyString) {
  AddDevice(std::nullopt);
  EXPECT_FALSE(Read(win::kSpdrpService));
  EXPECT_EQ(out, "");
}

TEST_F(DevicePropertyTest, EmptyServiceIsReadAsAnEmptyString) {
  AddDevice("");
  EXPECT_TRUE(Read(win::kSpdrpService));
  EXPECT_EQ(out, "");
}

TEST_F(DevicePropertyTest, OtherErrorsEndTheQuery) {
  AddDevice("usbprint");
  sim.FailProperty(kDevice, win::kSpdrpHardwareId, win::kErrorInvalidParameter);
  sim.ClearCalls();

  EXPECT_FALSE(Read(win::kSpdrpHardwareId));

  EXPECT_EQ(out, "");
  EXPECT_EQ(sim.CallsOf("GetRegistryProperty").size(), 1u);
  // The set stays usable for the caller's walk.
  EXPECT_TRUE(Read(win::kSpdrpService));
}

TEST_F(DevicePropertyTest, BufferTooSmallForEverIsGivenUp) {
  AddDevice("usbprint");
  sim.FailProperty(kDevice, win::kSpdrpService, win::kErrorInsufficientBuffer);
  EXPECT_FALSE(Read(win::kSpdrpService));
  EXPECT_EQ(out, "");
}

struct VersionCase {
  uint32_t major;
  uint32_t minor;
  bool nt6;
};

class IsVistaTest : public EngineTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(IsVistaTest, OnlyMajorVersionSixCounts) {
  sim.SetOsVersion(GetParam().major, GetParam().minor, 0);
  EXPECT_EQ(engine.IsVista(), GetParam().nt6);
  // The basic record answers when the extended one is refused.
  sim.SetExtendedVersionFails(true);
  EXPECT_EQ(engine.IsVista(), GetParam().nt6);
}

INSTANTIATE_TEST_SUITE_P(Versions, IsVistaTest,
                         ::testing::Values(VersionCase{5, 1, false}, VersionCase{6, 0, true},
                                           VersionCase{6, 1, true}, VersionCase{6, 2, true},
                                           VersionCase{10, 0, false}),
                         [](const auto& info) {
                           return std::to_string(info.param.major) + "_" +
                                  std::to_string(info.param.minor);
                         });

TEST_F(EngineTest, IsVistaIsFalseWhenTheVersionCannotBeRead) {
  sim.SetOsVersion(6, 1, 7601);
  sim.SetVersionFails(true);
  EXPECT_FALSE(engine.IsVista());
}

}  // namespace
}  // namespace engine_test
