// The console keeps each stream's lines; SendConsoleStop stands for the
// console's and the session's stop events.
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

class SimStopHold : public IStopHandlerHold, Facility {
 public:
  using Facility::Facility;
  ~SimStopHold() override {
    auto lock = impl_.Lock();
    impl_.consoleStop = nullptr;
  }
};

class SimConsole : public IConsole, Facility {
 public:
  using Facility::Facility;

  Outcome WriteLine(ConsoleStream stream, const std::string& utf8Line) override {
    auto lock = impl_.Lock();
    const bool out = stream == ConsoleStream::Out;
    if (auto code = impl_.Enter("ConsoleWrite", out ? "out" : "error")) return Fail(*code);
    (out ? impl_.consoleOut : impl_.consoleError).push_back(utf8Line);
    return Outcome::Success();
  }

  Outcome InstallStopHandler(StopSignal& stop, StopHandlerHold& hold) override {
    auto lock = impl_.Lock();
    hold.reset();
    if (auto code = impl_.Enter("InstallStopHandler", "")) return Fail(*code);
    if (impl_.consoleStop != nullptr) return Fail(win::kErrorAlreadyExists);
    impl_.consoleStop = &stop;
    hold = std::make_unique<SimStopHold>(impl_);
    return Outcome::Success();
  }
};

}  // namespace

std::unique_ptr<IConsole> MakeConsole(SimWindows::Impl& impl) {
  return std::make_unique<SimConsole>(impl);
}

}  // namespace detail

std::vector<std::string> SimWindows::ConsoleLines(ConsoleStream stream) const {
  auto lock = impl_->Lock();
  return stream == ConsoleStream::Out ? impl_->consoleOut : impl_->consoleError;
}

bool SimWindows::SendConsoleStop() {
  auto lock = impl_->Lock();
  if (impl_->consoleStop == nullptr) return false;
  impl_->consoleStop->Raise();
  return true;
}

}  // namespace sim
