#include "platform/win32/win32_services.h"

#include "platform/win32/last_error.h"

namespace win32 {

Outcome Win32ServiceHandle::Start() {
  return CallWithLastError(
      [&] { return StartServiceA(service_.get(), 0, nullptr); });
}

Outcome Win32ServiceHandle::Control(uint32_t control) {
  SERVICE_STATUS status{};
  return CallWithLastError(
      [&] { return ControlService(service_.get(), control, &status); });
}

Outcome Win32ServiceHandle::Delete() {
  return CallWithLastError([&] { return DeleteService(service_.get()); });
}

Outcome Win32ServiceHandle::QueryState(uint32_t& state) {
  SERVICE_STATUS status{};
  const Outcome queried = CallWithLastError(
      [&] { return QueryServiceStatus(service_.get(), &status); });
  state = queried ? status.dwCurrentState : 0;
  return queried;
}

Outcome Win32ServiceManager::Open(const std::string& name, uint32_t access,
                                  ServiceHandle& out) {
  out.reset();
  SC_HANDLE service = nullptr;
  const Outcome result = CallWithLastError([&] {
    service = OpenServiceA(manager_.get(), name.c_str(), access);
    return service != nullptr;
  });
  if (result) out = std::make_unique<Win32ServiceHandle>(service);
  return result;
}

Outcome Win32Services::OpenManager(uint32_t access, ServiceManager& out) {
  out.reset();
  SC_HANDLE manager = nullptr;
  const Outcome result = CallWithLastError([&] {
    manager = OpenSCManagerA(nullptr, nullptr, access);
    return manager != nullptr;
  });
  if (result) out = std::make_unique<Win32ServiceManager>(manager);
  return result;
}

}  // namespace win32
