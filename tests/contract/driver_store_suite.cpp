// What driver-package removal relies on from the driver-store calls: the
// path query's size protocol, the not-in-store error and what an uninstall
// takes away.
#include "platform/win_constants.h"
#include "tests/contract/contract_fixture.h"

namespace {

constexpr uint32_t kErrorUnsupportedType = 1630;

class ContractDriverStore : public ContractTest {};

TEST_F(ContractDriverStore, UnknownInfIsNotInStore) {
  uint32_t length = 0;
  const uint32_t status = P().driverStore.GetPath(Path("unknown.inf"), nullptr, length);
  // Wine's DIFxAPI is a stub that answers 1630 to every query.
  if (status == kErrorUnsupportedType) GTEST_SKIP() << "driver store calls are stubs here";
  EXPECT_EQ(status, win::kErrorDriverPackageNotInStore);
}

TEST_F(ContractDriverStore, PathSizeProtocolAndUninstall) {
  std::optional<ContractPackage> package = Env().AddDriverPackage("purvexct.inf");
  if (!package) GTEST_SKIP() << "cannot add driver packages here";
  uint32_t length = 0;
  EXPECT_EQ(P().driverStore.GetPath(package->oemInfPath, nullptr, length),
            win::kErrorInsufficientBuffer);
  const uint32_t needed = static_cast<uint32_t>(package->storeInfPath.size() + 1);
  EXPECT_EQ(length, needed);

  std::vector<char> small(needed - 1);
  length = needed - 1;
  EXPECT_EQ(P().driverStore.GetPath(package->oemInfPath, small.data(), length),
            win::kErrorInsufficientBuffer);

  std::vector<char> buffer(needed);
  length = needed;
  ASSERT_EQ(P().driverStore.GetPath(package->oemInfPath, buffer.data(), length), win::kErrorSuccess);
  EXPECT_EQ(std::string(buffer.data()), package->storeInfPath);

  EXPECT_EQ(P().driverStore.Uninstall(package->storeInfPath, 0), win::kErrorSuccess);
  EXPECT_FALSE(Env().PathExists(package->storeInfPath));
  EXPECT_FALSE(Env().PathExists(package->oemInfPath));
  length = 0;
  EXPECT_EQ(P().driverStore.GetPath(package->oemInfPath, nullptr, length),
            win::kErrorDriverPackageNotInStore);
}

}  // namespace
