// Service control manager. A deleted service is marked for deletion and goes
// away (with its Services key) when its last handle closes, as on Windows;
// opening a marked service fails with 1072.
#include "platform/win_constants.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

constexpr uint32_t kErrorInvalidServiceControl = 1052;
constexpr uint32_t kErrorServiceMarkedForDelete = 1072;
constexpr const char* kSpoolerName = "SPOOLER";

// A pending stop ends when virtual time reaches its end.
void Settle(ServiceState& service, uint64_t nowMs) {
  if (service.stopPending && nowMs >= service.stoppedAtMs) service.stopPending = false;
}

class SimServiceHandle : public IServiceHandle, Facility {
 public:
  SimServiceHandle(SimWindows::Impl& impl, std::string upperName)
      : Facility(impl), upperName_(std::move(upperName)) {
    ++impl_.serviceHandles;
    auto it = impl_.services.find(upperName_);
    if (it != impl_.services.end()) ++it->second.handles;
  }

  ~SimServiceHandle() override {
    auto lock = impl_.Lock();
    --impl_.serviceHandles;
    auto it = impl_.services.find(upperName_);
    if (it == impl_.services.end()) return;
    if (--it->second.handles == 0 && it->second.markedForDelete) {
      impl_.RemoveServiceEntry(upperName_);
    }
  }

  Outcome Start() override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("StartService", upperName_)) return Fail(*code);
    ServiceState* service = nullptr;
    if (const uint32_t error = Unmarked(service)) return Fail(error);
    Settle(*service, impl_.nowMs);
    // As on Windows, a start during a pending stop is "already running".
    if (service->running || service->stopPending) return Fail(win::kErrorServiceAlreadyRunning);
    if (service->disabled) return Fail(win::kErrorServiceDisabled);
    service->running = true;
    impl_.serviceHistory.push_back({service->name, "start"});
    return Outcome::Success();
  }

  Outcome Control(uint32_t control) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("ControlService", upperName_ + "#" + std::to_string(control))) {
      return Fail(*code);
    }
    if (control != win::kServiceControlStop) return Fail(kErrorInvalidServiceControl);
    ServiceState* service = Service();
    if (service == nullptr) return Fail(win::kErrorServiceDoesNotExist);
    if (!service->running) return Fail(win::kErrorServiceNotActive);
    service->running = false;
    if (service->stopDelayMs != 0) {
      service->stopPending = true;
      service->stoppedAtMs = service->stopDelayMs == kNeverMs
                                 ? kNeverMs
                                 : impl_.nowMs + service->stopDelayMs;
    }
    impl_.serviceHistory.push_back({service->name, "stop"});
    return Outcome::Success();
  }

  Outcome QueryState(uint32_t& state) override {
    auto lock = impl_.Lock();
    state = 0;
    if (auto code = impl_.Enter("QueryServiceStatus", upperName_)) return Fail(*code);
    ServiceState* service = Service();
    if (service == nullptr) return Fail(win::kErrorServiceDoesNotExist);
    Settle(*service, impl_.nowMs);
    state = service->running       ? win::kServiceRunning
            : service->stopPending ? win::kServiceStopPending
                                   : win::kServiceStopped;
    return Outcome::Success();
  }

  Outcome Delete() override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("DeleteService", upperName_)) return Fail(*code);
    ServiceState* service = nullptr;
    if (const uint32_t error = Unmarked(service)) return Fail(error);
    service->markedForDelete = true;
    impl_.serviceHistory.push_back({service->name, "delete"});
    return Outcome::Success();
  }

 private:
  // Null once the service is gone.
  ServiceState* Service() {
    auto found = impl_.services.find(upperName_);
    return found == impl_.services.end() ? nullptr : &found->second;
  }

  // The service a start or a delete acts on: one that is gone or already
  // marked for deletion takes neither.
  uint32_t Unmarked(ServiceState*& service) {
    service = Service();
    if (service == nullptr) return win::kErrorServiceDoesNotExist;
    return service->markedForDelete ? kErrorServiceMarkedForDelete : 0;
  }

  std::string upperName_;
};

class SimServiceManager : public IServiceManager, Facility {
 public:
  using Facility::Facility;

  Outcome Open(const std::string& name, uint32_t access, ServiceHandle& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("OpenService", name)) return Fail(*code);
    impl_.serviceAccesses.push_back(access);
    auto it = impl_.services.find(Upper(name));
    if (it == impl_.services.end()) return Fail(win::kErrorServiceDoesNotExist);
    if (it->second.markedForDelete) return Fail(kErrorServiceMarkedForDelete);
    out = std::make_unique<SimServiceHandle>(impl_, it->first);
    return Outcome::Success();
  }
};

class SimServices : public IServices, Facility {
 public:
  using Facility::Facility;

  Outcome OpenManager(uint32_t access, ServiceManager& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("OpenManager", std::to_string(access))) return Fail(*code);
    if (impl_.denyManager) return Fail(win::kErrorAccessDenied);
    out = std::make_unique<SimServiceManager>(impl_);
    return Outcome::Success();
  }
};

}  // namespace

std::unique_ptr<IServices> MakeServices(SimWindows::Impl& impl) {
  return std::make_unique<SimServices>(impl);
}

}  // namespace detail

void SimWindows::Impl::RemoveServiceEntry(const std::string& upperName) {
  auto it = services.find(upperName);
  if (it == services.end()) return;
  registry.Delete(RegRoot::LocalMachine, std::string(kServicesKey) + "\\" + it->second.name);
  services.erase(it);
}

void SimWindows::AddService(const std::string& name, bool running, bool disabled) {
  auto lock = impl_->Lock();
  detail::ServiceState& service = impl_->services[detail::Upper(name)];
  service.name = name;
  service.running = running;
  service.disabled = disabled;
  service.markedForDelete = false;
  impl_->registry.Create(RegRoot::LocalMachine, std::string(kServicesKey) + "\\" + name);
}

void SimWindows::SetStopDelay(const std::string& name, uint64_t ms) {
  auto lock = impl_->Lock();
  auto it = impl_->services.find(detail::Upper(name));
  if (it != impl_->services.end()) it->second.stopDelayMs = ms;
}

void SimWindows::RemoveService(const std::string& name) {
  auto lock = impl_->Lock();
  impl_->RemoveServiceEntry(detail::Upper(name));
}

void SimWindows::SetServiceRunning(const std::string& name, bool running) {
  auto lock = impl_->Lock();
  auto it = impl_->services.find(detail::Upper(name));
  if (it == impl_->services.end()) return;
  it->second.running = running;
  it->second.stopPending = false;
}

bool SimWindows::ServiceExists(const std::string& name) const {
  auto lock = impl_->Lock();
  return impl_->services.count(detail::Upper(name)) != 0;
}

bool SimWindows::IsRunning(const std::string& name) const {
  auto lock = impl_->Lock();
  auto it = impl_->services.find(detail::Upper(name));
  return it != impl_->services.end() && it->second.running;
}

void SimWindows::DenyServiceManager(bool deny) { impl_->Store(&Impl::denyManager, deny); }

std::vector<ServiceEvent> SimWindows::ServiceHistory() const {
  return impl_->Load(&Impl::serviceHistory);
}

std::vector<std::string> SimWindows::SpoolerHistory() const {
  auto lock = impl_->Lock();
  std::vector<std::string> events;
  for (const ServiceEvent& event : impl_->serviceHistory) {
    if (detail::Upper(event.service) == detail::kSpoolerName) events.push_back(event.event);
  }
  return events;
}

std::vector<uint32_t> SimWindows::ServiceOpenAccesses() const {
  return impl_->Load(&Impl::serviceAccesses);
}

int SimWindows::OpenServiceHandles() const { return impl_->Load(&Impl::serviceHandles); }

}  // namespace sim
