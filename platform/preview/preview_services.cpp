// Services seen through the preview: a stop or a start is a state that later
// queries answer; a deleted service goes, with its key, when the view's last
// handle to it closes, as the service manager does.
#include <string>

#include "platform/preview/preview_state.h"
#include "platform/win_constants.h"

namespace preview {
namespace {

constexpr uint32_t kErrorInvalidServiceControl = 1052;
constexpr uint32_t kErrorServiceMarkedForDelete = 1072;
constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";

class PreviewService : public IServiceHandle {
 public:
  PreviewService(preview::State& state, std::string name, ServiceHandle real)
      : state_(state), name_(std::move(name)), key_(NameKey(name_)), real_(std::move(real)) {
    ++state_.services[key_].handles;
  }

  ~PreviewService() override {
    auto lock = state_.Lock();
    ServiceView& view = state_.services[key_];
    if (--view.handles == 0 && view.markedForDelete && !view.gone) {
      view.gone = true;
      state_.RemoveKey(RegRoot::LocalMachine, std::string(kServicesKey) + "\\" + name_);
    }
  }

  Outcome Start() override {
    auto lock = state_.Lock();
    uint32_t current = 0;
    const Outcome known = ViewState(current);
    if (!known) return known;
    if (state_.services[key_].markedForDelete) {
      return Outcome::Failure(kErrorServiceMarkedForDelete);
    }
    if (current != win::kServiceStopped) return Outcome::Failure(win::kErrorServiceAlreadyRunning);
    state_.services[key_].state = win::kServiceRunning;
    return Outcome::Success();
  }

  Outcome Control(uint32_t control) override {
    auto lock = state_.Lock();
    if (control != win::kServiceControlStop) return Outcome::Failure(kErrorInvalidServiceControl);
    uint32_t current = 0;
    const Outcome known = ViewState(current);
    if (!known) return known;
    if (current == win::kServiceStopped) return Outcome::Failure(win::kErrorServiceNotActive);
    state_.services[key_].state = win::kServiceStopped;
    return Outcome::Success();
  }

  Outcome QueryState(uint32_t& state) override {
    auto lock = state_.Lock();
    return ViewState(state);
  }

  Outcome Delete() override {
    auto lock = state_.Lock();
    ServiceView& view = state_.services[key_];
    if (view.markedForDelete) return Outcome::Failure(kErrorServiceMarkedForDelete);
    view.markedForDelete = true;
    return Outcome::Success();
  }

 private:
  Outcome ViewState(uint32_t& state) {
    const ServiceView& view = state_.services[key_];
    if (view.state) {
      state = *view.state;
      return Outcome::Success();
    }
    return real_->QueryState(state);
  }

  preview::State& state_;
  std::string name_;
  std::string key_;
  ServiceHandle real_;
};

class PreviewManager : public IServiceManager {
 public:
  PreviewManager(preview::State& state, ServiceManager real)
      : state_(state), real_(std::move(real)) {}

  Outcome Open(const std::string& name, uint32_t access, ServiceHandle& out) override {
    auto lock = state_.Lock();
    const auto found = state_.services.find(NameKey(name));
    if (found != state_.services.end()) {
      if (found->second.gone) return Outcome::Failure(win::kErrorServiceDoesNotExist);
      if (found->second.markedForDelete) return Outcome::Failure(kErrorServiceMarkedForDelete);
    }
    ServiceHandle real;
    const Outcome opened = real_->Open(name, access, real);
    if (!opened) return opened;
    out = std::make_unique<PreviewService>(state_, name, std::move(real));
    return Outcome::Success();
  }

 private:
  preview::State& state_;
  ServiceManager real_;
};

class PreviewServices : public IServices {
 public:
  explicit PreviewServices(preview::State& state) : state_(state) {}

  Outcome OpenManager(uint32_t access, ServiceManager& out) override {
    auto lock = state_.Lock();
    ServiceManager real;
    const Outcome opened = state_.real.services.OpenManager(access, real);
    if (!opened) return opened;
    out = std::make_unique<PreviewManager>(state_, std::move(real));
    return Outcome::Success();
  }

 private:
  preview::State& state_;
};

}  // namespace

std::unique_ptr<IServices> MakeServices(State& state) {
  return std::make_unique<PreviewServices>(state);
}

}  // namespace preview
