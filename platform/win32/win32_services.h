#pragma once
#include <windows.h>

#include "platform/services.h"
#include "platform/win32/handles.h"

namespace win32 {

class Win32ServiceHandle : public IServiceHandle {
 public:
  explicit Win32ServiceHandle(SC_HANDLE service) : service_(service) {}

  Outcome Start() override;
  Outcome Control(uint32_t control) override;
  Outcome Delete() override;
  Outcome QueryState(uint32_t& state) override;

 private:
  UniqueServiceHandle service_;
};

class Win32ServiceManager : public IServiceManager {
 public:
  explicit Win32ServiceManager(SC_HANDLE manager) : manager_(manager) {}

  Outcome Open(const std::string& name, uint32_t access,
               ServiceHandle& out) override;

 private:
  UniqueServiceHandle manager_;
};

class Win32Services : public IServices {
 public:
  Outcome OpenManager(uint32_t access, ServiceManager& out) override;
};

}  // namespace win32
