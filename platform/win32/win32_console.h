#pragma once
#include <windows.h>

#include "platform/console.h"

namespace win32 {

// The standard handles of the process, read at each write (a redirection set
// up by the parent is in place from the start). One stop handler at a time
// per process: the console delivers its events to a plain function. The
// handler also keeps a hidden top-level window of this class on a thread of
// its own, as the end of the session reaches a process that uses user32 only
// through its windows.
inline constexpr const char* kSessionWindowClass = "PurvexSessionEndWindow";

class Win32Console : public IConsole {
 public:
  Outcome WriteLine(ConsoleStream stream, const std::string& utf8Line) override;
  Outcome InstallStopHandler(StopSignal& stop, StopHandlerHold& hold) override;
};

}  // namespace win32
