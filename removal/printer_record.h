#pragma once
#include <string>

inline constexpr const char* kValueNotValid = "VALUE_NOT_VALID";

struct CPrinterRecord {
  std::string PrinterName;
  std::string DriverName;
  std::string HardwareId;
  std::string DriverVersion;
  std::string ParentIdPrefix;
  std::string InstanceIdPrefix;
  std::string DriverStoreFolder;
};
