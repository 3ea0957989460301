// One SimWindows is one machine: every TryAcquire through its platform is
// another run asking, whichever thread asks.
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

class SimRunLockHold : public IRunLockHold, Facility {
 public:
  using Facility::Facility;
  ~SimRunLockHold() override {
    auto lock = impl_.Lock();
    --impl_.runLockHolds;
  }
};

class SimRunLock : public IRunLock, Facility {
 public:
  using Facility::Facility;

  RunLockResult TryAcquire(RunLockHold& hold, uint32_t& error) override {
    auto lock = impl_.Lock();
    hold.reset();
    error = 0;
    if (auto code = impl_.Enter("TryAcquireRunLock", "")) {
      error = Status(*code);
      return RunLockResult::Failed;
    }
    if (impl_.runLockHolds > 0 || impl_.runLockHeldElsewhere) return RunLockResult::InUse;
    ++impl_.runLockHolds;
    hold = std::make_unique<SimRunLockHold>(impl_);
    return RunLockResult::Acquired;
  }
};

}  // namespace

std::unique_ptr<IRunLock> MakeRunLock(SimWindows::Impl& impl) {
  return std::make_unique<SimRunLock>(impl);
}

}  // namespace detail

void SimWindows::SetRunLockHeldElsewhere(bool held) {
  impl_->Store(&Impl::runLockHeldElsewhere, held);
}

bool SimWindows::RunLockHeld() const {
  auto lock = impl_->Lock();
  return impl_->runLockHolds > 0;
}

}  // namespace sim
