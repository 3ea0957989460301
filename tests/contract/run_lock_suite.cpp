// One run at a time: a second taker is refused while the lock is held, from
// whichever thread it asks, and served once the holder lets go.
#include <thread>

#include "tests/contract/contract_fixture.h"

namespace {

class ContractRunLock : public ContractTest {
 protected:
  // A taker on a thread of its own, which lets go again before it ends.
  RunLockResult TryFromOtherThread() {
    RunLockResult result = RunLockResult::Failed;
    std::thread other([&] {
      RunLockHold hold;
      uint32_t error = 0;
      result = P().runLock.TryAcquire(hold, error);
    });
    other.join();
    return result;
  }
};

TEST_F(ContractRunLock, ASecondTakerIsRefusedUntilTheFirstLetsGo) {
  RunLockHold first;
  uint32_t error = 0;
  ASSERT_EQ(P().runLock.TryAcquire(first, error), RunLockResult::Acquired) << error;
  ASSERT_NE(first, nullptr);

  RunLockHold second;
  EXPECT_EQ(P().runLock.TryAcquire(second, error), RunLockResult::InUse);
  EXPECT_EQ(second, nullptr);

  EXPECT_EQ(TryFromOtherThread(), RunLockResult::InUse);

  first.reset();
  EXPECT_EQ(P().runLock.TryAcquire(second, error), RunLockResult::Acquired) << error;
  EXPECT_NE(second, nullptr);
}

TEST_F(ContractRunLock, AnotherThreadMayTakeItAfterRelease) {
  {
    RunLockHold hold;
    uint32_t error = 0;
    ASSERT_EQ(P().runLock.TryAcquire(hold, error), RunLockResult::Acquired);
  }
  EXPECT_EQ(TryFromOtherThread(), RunLockResult::Acquired);
}

}  // namespace
