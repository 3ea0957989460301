// What the spooler routines and the port-service removal rely on from the
// service control manager.
#include "platform/win_constants.h"
#include "tests/contract/contract_fixture.h"

namespace {

constexpr const char* kSpooler = "spooler";
constexpr const char* kScratchService = "purvexcontractsvc";
constexpr uint32_t kServiceQueryStatus = 0x0004;
constexpr uint32_t kServiceStart = 0x0010;
constexpr uint32_t kSpoolerAccess = kServiceQueryStatus | kServiceStart | win::kServiceStop;
// A stop returns while the service may still be stopping; the next request
// must meet a settled state.
constexpr uint32_t kSettleMs = 2000;

class ContractServices : public ContractTest {
 protected:
  static ServiceManager Manager() {
    ServiceManager manager;
    Outcome opened = P().services.OpenManager(win::kScManagerConnect, manager);
    EXPECT_TRUE(opened.ok) << opened.error;
    return manager;
  }
};

TEST_F(ContractServices, OpenMissingServiceIsServiceDoesNotExist) {
  ServiceManager manager = Manager();
  ASSERT_NE(manager, nullptr);
  ServiceHandle service;
  Outcome opened = manager->Open("purvex_no_such_service", win::kServiceStop, service);
  EXPECT_FALSE(opened.ok);
  EXPECT_EQ(opened.error, win::kErrorServiceDoesNotExist);
}

// Stop and start the spooler twice over, as the restart routine does; the
// second call of each kind reports the state it found.
TEST_F(ContractServices, SpoolerStartAndStopReportTheStateTheyFind) {
  ServiceManager manager = Manager();
  ASSERT_NE(manager, nullptr);
  ServiceHandle spooler;
  ASSERT_TRUE(manager->Open(kSpooler, kSpoolerAccess, spooler).ok);
  Outcome first = spooler->Start();
  if (!first) {
    EXPECT_EQ(first.error, win::kErrorServiceAlreadyRunning);
  }
  P().clock.Sleep(kSettleMs);
  uint32_t state = 0;
  EXPECT_TRUE(spooler->QueryState(state).ok);
  EXPECT_EQ(state, win::kServiceRunning);
  Outcome again = spooler->Start();
  EXPECT_FALSE(again.ok);
  EXPECT_EQ(again.error, win::kErrorServiceAlreadyRunning);

  EXPECT_TRUE(spooler->Control(win::kServiceControlStop).ok);
  P().clock.Sleep(kSettleMs);
  EXPECT_TRUE(spooler->QueryState(state).ok);
  EXPECT_EQ(state, win::kServiceStopped);
  Outcome stopAgain = spooler->Control(win::kServiceControlStop);
  EXPECT_FALSE(stopAgain.ok);
  EXPECT_EQ(stopAgain.error, win::kErrorServiceNotActive);

  EXPECT_TRUE(spooler->Start().ok);
}

TEST_F(ContractServices, StoppedServiceStopsWithNotActiveAndDeletes) {
  if (!Env().CreateStoppedService(kScratchService)) GTEST_SKIP() << "cannot create services here";
  {
    ServiceManager manager = Manager();
    ASSERT_NE(manager, nullptr);
    ServiceHandle service;
    ASSERT_TRUE(manager->Open(kScratchService, win::kDelete | win::kServiceStop, service).ok);
    Outcome stop = service->Control(win::kServiceControlStop);
    EXPECT_FALSE(stop.ok);
    EXPECT_EQ(stop.error, win::kErrorServiceNotActive);
    EXPECT_TRUE(service->Delete().ok);
  }
  // Gone once the last handle is closed.
  EXPECT_FALSE(Env().ServiceExists(kScratchService));
  ServiceManager manager = Manager();
  ServiceHandle service;
  EXPECT_EQ(manager->Open(kScratchService, win::kServiceStop, service).error,
            win::kErrorServiceDoesNotExist);
}

}  // namespace
