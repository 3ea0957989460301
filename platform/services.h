#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/outcome.h"

class IServiceHandle {
 public:
  virtual ~IServiceHandle() = default;  // CloseServiceHandle
  virtual Outcome Start() = 0;                      // StartServiceA, no args
  virtual Outcome Control(uint32_t control) = 0;    // ControlService
  virtual Outcome Delete() = 0;                     // DeleteService
  // QueryServiceStatus: dwCurrentState (win::kServiceStopped...).
  virtual Outcome QueryState(uint32_t& state) = 0;
};

using ServiceHandle = std::unique_ptr<IServiceHandle>;

class IServiceManager {
 public:
  virtual ~IServiceManager() = default;  // CloseServiceHandle
  virtual Outcome Open(const std::string& name, uint32_t access,
                              ServiceHandle& out) = 0;
};

using ServiceManager = std::unique_ptr<IServiceManager>;

class IServices {
 public:
  virtual ~IServices() = default;
  // OpenSCManagerA(NULL, NULL, access).
  virtual Outcome OpenManager(uint32_t access, ServiceManager& out) = 0;
};
