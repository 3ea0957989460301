#pragma once
// Result codes and names shared by the removal steps, their sequences and
// the windows that report on them.
#include <cstdint>

#include "removal/printer_record.h"

// Result codes of the removal steps and sequences.
enum ResultCode : int {
  kResultOk = 0,
  kResultPrinterGone = 10,
  kResultOpenFailed = 15,
  kResultFormsFailed = 20,
  kResultDeletePrinterFailed = 25,
  kResultJobCountFailed = 30,
  kResultJobsQueued = 35,
  kResultDllFailed = 40,
  kResultDriverFailed = 45,
  kResultBackupFailed = 50,
  kResultDeviceFailed = 55,
  kResultServiceFileFailed = 60,
  kResultInfFailed = 65,
  kResultRegistryFailed = 70,
  kResultSettingsFailed = 75,
  kResultServiceFileMissing = 80,
};

// PageFlags bits.
inline constexpr uint16_t kDriverRemovable = 0x0001;
inline constexpr uint16_t kSinglePrinter = 0x0002;

inline constexpr const char* kPrintersSoftwareKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Print\\Printers";
inline constexpr const char* kUsbEnumKey = "SYSTEM\\CurrentControlSet\\Enum\\USB\\";
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
