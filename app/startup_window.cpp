#include "app/startup_window.h"

#include <string>

#include "app/startup_guard.h"
#include "platform/win32/system_library.h"

namespace {

// Declared here rather than taken from the SDK headers: both are looked up at
// run time because Windows 2000 and early XP lack IsWow64Process and only
// Windows 10 has IsWow64Process2.
using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

using win32::ResolveKernelExport;

constexpr bool kProgramIs32Bit = sizeof(void*) == sizeof(uint32_t);
constexpr int kTextBufferSize = 1024;

Wow64Probe ProbeWow64() {
  Wow64Probe probe;
  HANDLE process = GetCurrentProcess();

  if (auto isWow64Process2 = ResolveKernelExport<IsWow64Process2Function>("IsWow64Process2")) {
    probe.hasIsWow64Process2 = true;
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    if (isWow64Process2(process, &processMachine, &nativeMachine)) {
      probe.isWow64Process2Succeeded = true;
      probe.processMachine = processMachine;
      return probe;
    }
  }
  if (auto isWow64Process = ResolveKernelExport<IsWow64ProcessFunction>("IsWow64Process")) {
    probe.hasIsWow64Process = true;
    BOOL isWow64 = FALSE;
    if (isWow64Process(process, &isWow64)) {
      probe.isWow64ProcessSucceeded = true;
      probe.isWow64 = isWow64 != FALSE;
    }
  }
  return probe;
}

std::string ModulePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0);
}

}  // namespace

std::optional<std::string> StartupRefusal(HINSTANCE instance) {
  if (DecideStartup(kProgramIs32Bit, ClassifyWow64(ProbeWow64())) == StartupDecision::Run) {
    return std::nullopt;
  }
  char text[kTextBufferSize] = {};
  (void)LoadStringA(instance, kStartupRefusedTextId, text, kTextBufferSize);
  return std::string(text);
}

bool StartupAllowed(HINSTANCE instance) {
  const std::optional<std::string> refusal = StartupRefusal(instance);
  if (!refusal) return true;
  const std::string caption = ApplicationNameFromModulePath(ModulePath());
  (void)MessageBoxA(nullptr, refusal->c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
  return false;
}
