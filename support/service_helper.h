#pragma once
#include <cstdint>

#include "platform/services.h"

// Starts or stops one named service through its own manager handle.
class CServiceHelper {
 public:
  explicit CServiceHelper(IServices& services);  // OpenSCManagerA, all access
  virtual ~CServiceHelper();

  // The text must outlive the helper.
  void SetServiceName(const char* name) { serviceName_ = name; }
  bool StartNamedService();
  bool StopNamedService();
  // The service's current state (win::kServiceStopped...); false when it
  // cannot be read.
  bool QueryNamedServiceState(uint32_t& state);
  // The error of the last failed open, start or stop (0 after a success).
  uint32_t LastErrorCode() const { return lastError_; }

 private:
  ServiceManager manager_;
  const char* serviceName_ = nullptr;
  uint32_t lastError_ = 0;
};
