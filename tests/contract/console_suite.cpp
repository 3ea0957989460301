// The stop handler of an unattended run: one at a time, gone with its hold.
#include "platform/win_constants.h"
#include "tests/contract/contract_fixture.h"

namespace {

class ContractConsole : public ContractTest {};

TEST_F(ContractConsole, OneStopHandlerAtATime) {
  StopSignal stop;
  StopHandlerHold hold;
  ASSERT_TRUE(P().console.InstallStopHandler(stop, hold).ok);
  ASSERT_NE(hold, nullptr);

  StopSignal other;
  StopHandlerHold second;
  const Outcome refused = P().console.InstallStopHandler(other, second);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error, win::kErrorAlreadyExists);
  EXPECT_EQ(second, nullptr);

  hold.reset();
  EXPECT_TRUE(P().console.InstallStopHandler(other, second).ok);
  EXPECT_FALSE(stop.Raised());
  EXPECT_FALSE(other.Raised());
}

}  // namespace
