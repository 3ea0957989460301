#pragma once
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

 private:
  ServiceManager manager_;
  const char* serviceName_ = nullptr;
};
