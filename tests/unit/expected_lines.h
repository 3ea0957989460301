#pragma once
// Texts of the program that tests in several files expect. They are copies
// typed out here, never the program's own constants, so that a text changed
// in the program fails the tests rather than following along unseen.
#include <string>
#include <vector>

namespace expected {

inline constexpr const char* kStopSpooler = "Stop Spooler Service...";
inline constexpr const char* kStopSpoolerOk = "Stop Spooler Service OK";
inline constexpr const char* kStartSpooler = "Start Spooler Service...";
inline constexpr const char* kStartSpoolerOk = "Start Spooler Service OK";

inline constexpr const char* kPortServiceUsed = "\"VOMUUSB\" is still used.";
inline constexpr const char* kPortServiceNotUsed = "\"VOMUUSB\" is not still used.";

inline constexpr const char* kNoPrinter = "No printer installed!";

// Why a hardware id names no single product, as the log gives it.
inline constexpr const char* kIdUnreadable = "it could not be read";
inline constexpr const char* kIdWithoutBackslash = "it holds no backslash";
inline constexpr const char* kIdTailTooShort = "fewer than 4 characters follow its last backslash";
inline constexpr const char* kIdTailOnlyDigits = "only digits follow its last backslash";

inline std::string DeviceDeletedLine(const std::string& hardwareId) {
  return "Deleted the Device with Hardware ID [" + hardwareId + "]";
}

// `key` below HKEY_CURRENT_USER.
inline std::string UserRegistryLinkLine(const std::string& key) {
  return "Key [HKEY_CURRENT_USER\\" + key +
         "] is a registry link: only the link is deleted, the key it points to stays.";
}

}  // namespace expected
