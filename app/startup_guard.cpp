#include "app/startup_guard.h"

namespace {

constexpr uint16_t kImageFileMachineUnknown = 0;

}  // namespace

Wow64State ClassifyWow64(const Wow64Probe& probe) {
  if (probe.hasIsWow64Process2 && probe.isWow64Process2Succeeded) {
    return probe.processMachine == kImageFileMachineUnknown ? Wow64State::Native
                                                           : Wow64State::Wow64;
  }
  if (probe.hasIsWow64Process) {
    if (!probe.isWow64ProcessSucceeded) return Wow64State::Unknown;
    return probe.isWow64 ? Wow64State::Wow64 : Wow64State::Native;
  }
  // IsWow64Process2 failed and there is no older function to ask.
  if (probe.hasIsWow64Process2) return Wow64State::Unknown;
  return Wow64State::Native;
}

StartupDecision DecideStartup(bool programIs32Bit, Wow64State wow64) {
  if (!programIs32Bit) return StartupDecision::Run;
  return wow64 == Wow64State::Native ? StartupDecision::Run : StartupDecision::Refuse;
}

std::string ApplicationNameFromModulePath(const std::string& modulePath) {
  const size_t separator = modulePath.find_last_of("\\/");
  std::string name =
      separator == std::string::npos ? modulePath : modulePath.substr(separator + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}
