#pragma once
#include <windows.h>

#include "platform/console.h"

namespace win32 {

// The standard handles of the process, read at each write (a redirection set
// up by the parent is in place from the start). One stop handler at a time
// per process: the console delivers its events to a plain function.
class Win32Console : public IConsole {
 public:
  Outcome WriteLine(ConsoleStream stream, const std::string& utf8Line) override;
  Outcome InstallStopHandler(StopSignal& stop, StopHandlerHold& hold) override;
};

}  // namespace win32
