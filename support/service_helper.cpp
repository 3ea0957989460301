#include "support/service_helper.h"

#include "platform/win_constants.h"

namespace {

template <typename Action>
Outcome OnService(IServiceManager& manager, const char* name, Action action) {
  ServiceHandle service;
  const Outcome opened = manager.Open(name, win::kServiceAllAccess, service);
  if (!opened) return opened;
  return action(*service);
}

}  // namespace

CServiceHelper::CServiceHelper(IServices& services) {
  if (!services.OpenManager(win::kScManagerAllAccess, manager_)) manager_.reset();
}

CServiceHelper::~CServiceHelper() = default;

bool CServiceHelper::StartNamedService() {
  if (serviceName_ == nullptr || !manager_) return false;
  const Outcome started = OnService(
      *manager_, serviceName_, [](IServiceHandle& s) { return s.Start(); });
  lastError_ = started.ok ? 0 : started.error;
  return started.ok;
}

bool CServiceHelper::StopNamedService() {
  if (serviceName_ == nullptr || !manager_) return false;
  const Outcome stopped =
      OnService(*manager_, serviceName_, [](IServiceHandle& s) {
        return s.Control(win::kServiceControlStop);
      });
  lastError_ = stopped.ok ? 0 : stopped.error;
  return stopped.ok;
}

bool CServiceHelper::QueryNamedServiceState(uint32_t& state) {
  state = 0;
  if (serviceName_ == nullptr || !manager_) return false;
  const Outcome queried = OnService(
      *manager_, serviceName_, [&state](IServiceHandle& s) { return s.QueryState(state); });
  lastError_ = queried.ok ? 0 : queried.error;
  return queried.ok;
}
