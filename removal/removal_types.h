#pragma once
// Result codes and names shared by the removal steps, their sequences and
// the windows that report on them.
#include <cstdint>

#include "removal/printer_record.h"

// Result codes of the removal steps and sequences: a type of their own, so
// that no count, status or error code passes for one.
enum class ResultCode : int {
  Ok = 0,
  PrinterGone = 10,
  OpenFailed = 15,
  FormsFailed = 20,
  DeletePrinterFailed = 25,
  JobCountFailed = 30,
  JobsQueued = 35,
  DllFailed = 40,
  DriverFailed = 45,
  BackupFailed = 50,
  DeviceFailed = 55,
  ServiceFileFailed = 60,
  InfFailed = 65,
  RegistryFailed = 70,
  SettingsFailed = 75,
  ServiceFileMissing = 80,
};
inline constexpr ResultCode kResultOk = ResultCode::Ok;
inline constexpr ResultCode kResultPrinterGone = ResultCode::PrinterGone;
inline constexpr ResultCode kResultOpenFailed = ResultCode::OpenFailed;
inline constexpr ResultCode kResultFormsFailed = ResultCode::FormsFailed;
inline constexpr ResultCode kResultDeletePrinterFailed = ResultCode::DeletePrinterFailed;
inline constexpr ResultCode kResultJobCountFailed = ResultCode::JobCountFailed;
inline constexpr ResultCode kResultJobsQueued = ResultCode::JobsQueued;
inline constexpr ResultCode kResultDllFailed = ResultCode::DllFailed;
inline constexpr ResultCode kResultDriverFailed = ResultCode::DriverFailed;
inline constexpr ResultCode kResultBackupFailed = ResultCode::BackupFailed;
inline constexpr ResultCode kResultDeviceFailed = ResultCode::DeviceFailed;
inline constexpr ResultCode kResultServiceFileFailed = ResultCode::ServiceFileFailed;
inline constexpr ResultCode kResultInfFailed = ResultCode::InfFailed;
inline constexpr ResultCode kResultRegistryFailed = ResultCode::RegistryFailed;
inline constexpr ResultCode kResultSettingsFailed = ResultCode::SettingsFailed;
inline constexpr ResultCode kResultServiceFileMissing = ResultCode::ServiceFileMissing;

// PageFlags bits.
inline constexpr uint16_t kDriverRemovable = 0x0001;
inline constexpr uint16_t kSinglePrinter = 0x0002;

inline constexpr const char* kPrintersSoftwareKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers";
inline constexpr const char* kUsbEnumKey = "SYSTEM\\CurrentControlSet\\Enum\\USB\\";
// Where a printer's registry entries name the device it prints to.
inline constexpr const char* kPnPDataSubkey = "PnPData";
inline constexpr const char* kDeviceInstanceIdValue = "DeviceInstanceId";
inline constexpr const char* kParentIdPrefixValue = "ParentIdPrefix";
// The product part of a USB hardware id ("PID_xxxx").
inline constexpr const char* kProductIdTag = "PID";
inline constexpr const char* kOldDriverVersion = "Windows NT 4.0 or 2000";
inline constexpr const char* kMakerName = "KORVEX";
// The vendor part of the maker's USB ids: "0E7B" alone also stands in other
// vendors' ids as their product id (USB\VID_xxxx&PID_0E7B).
inline constexpr const char* kMakerVendorId = "VID_0E7B";
inline constexpr const char* kPortInterfaceTag = "MI_01";
inline constexpr const char* kPrinterInterfaceTag = "MI_00";
inline constexpr const char* kPortServiceBaseName = "VomuUsb";
inline constexpr const char* kSeparatorLine =
    "------------------------------------------------------------------------";
