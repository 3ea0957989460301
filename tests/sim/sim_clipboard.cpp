// The clipboard keeps the last text set and the window it was set for; a
// failed set leaves what was there, as an OpenClipboard that fails does.
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

class SimClipboard : public IClipboard, Facility {
 public:
  using Facility::Facility;

  Outcome SetText(BoxOwner owner, const std::string& utf8) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("SetClipboardText", "")) return Fail(*code);
    impl_.clipboardText = utf8;
    impl_.clipboardOwner = owner;
    return Outcome::Success();
  }
};

}  // namespace

std::unique_ptr<IClipboard> MakeClipboard(SimWindows::Impl& impl) {
  return std::make_unique<SimClipboard>(impl);
}

}  // namespace detail

std::optional<std::string> SimWindows::ClipboardText() const {
  auto lock = impl_->Lock();
  return impl_->clipboardText;
}

BoxOwner SimWindows::ClipboardOwner() const {
  auto lock = impl_->Lock();
  return impl_->clipboardOwner;
}

}  // namespace sim
