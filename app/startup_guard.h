#pragma once
// Whether the program may start at all. The x86 program on 64-bit Windows runs
// under WOW64, which shows it the 32-bit registry view and SysWOW64 in place of
// system32: it would judge the 64-bit printer installation by the wrong keys
// and files and delete the wrong ones. So the 32-bit build refuses to start
// there, before it opens its log or touches anything, and names the 64-bit
// program instead. The Win32 side (app/startup_window.cpp) gathers the facts
// and shows the box; the decision is made here.
#include <cstdint>
#include <string>

#include "resources/resource_ids.h"

// What the system said about the process, as the Win32 side gathered it.
// IsWow64Process2 (Windows 10 and later) is asked first; IsWow64Process
// (Windows XP SP2 and later) when the former is missing. Both are resolved at
// run time, since older systems have neither.
struct Wow64Probe {
  bool hasIsWow64Process2 = false;
  bool isWow64Process2Succeeded = false;
  // IMAGE_FILE_MACHINE_* of the process: unknown (0) for a native process.
  uint16_t processMachine = 0;
  bool hasIsWow64Process = false;
  bool isWow64ProcessSucceeded = false;
  bool isWow64 = false;
};

enum class Wow64State { Native, Wow64, Unknown };

// A system that offers neither function predates 64-bit Windows and is
// native; a function that is there but fails leaves the question open.
[[nodiscard]] Wow64State ClassifyWow64(const Wow64Probe& probe);

enum class StartupDecision { Run, Refuse };

// A 64-bit program is never redirected. A 32-bit one runs only where WOW64 is
// known to be absent: deleting system files on a guess is worse than not
// starting.
[[nodiscard]] StartupDecision DecideStartup(bool programIs32Bit, Wow64State wow64);

// The refusal box: string-table text naming the 64-bit program, captioned
// with the application name like every other box of the program.
inline constexpr uint32_t kStartupRefusedTextId = IDS_WOW64_REFUSED;

// The executable's file name without directory and extension.
[[nodiscard]] std::string ApplicationNameFromModulePath(const std::string& modulePath);
