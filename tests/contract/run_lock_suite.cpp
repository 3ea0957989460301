// One run at a time: a second taker is refused while the lock is held, from
// whichever thread it asks, and served once the holder lets go.
#include <thread>

#include "tests/contract/contract_fixture.h"

namespace {

class ContractRunLock : public ContractTest {};

TEST_F(ContractRunLock, ASecondTakerIsRefusedUntilTheFirstLetsGo) {
  RunLockHold first;
  uint32_t error = 0;
  ASSERT_EQ(P().runLock.TryAcquire(first, error), RunLockResult::Acquired) << error;
  ASSERT_NE(first, nullptr);

  RunLockHold second;
  EXPECT_EQ(P().runLock.TryAcquire(second, error), RunLockResult::InUse);
  EXPECT_EQ(second, nullptr);

  RunLockResult fromOtherThread = RunLockResult::Acquired;
  std::thread other([&] {
    RunLockHold hold;
    uint32_t otherError = 0;
    fromOtherThread = P().runLock.TryAcquire(hold, otherError);
  });
  other.join();
  EXPECT_EQ(fromOtherThread, RunLockResult::InUse);

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
  RunLockResult result = RunLockResult::Failed;
  std::thread other([&] {
    RunLockHold hold;
    uint32_t error = 0;
    result = P().runLock.TryAcquire(hold, error);
  });
  other.join();
  EXPECT_EQ(result, RunLockResult::Acquired);
}

}  // namespace
