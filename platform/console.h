#pragma once
// The console of the unattended companion: its two output streams and the
// stop requests of the console and the session.
//
// Lines are given as UTF-8. On a console window they are shown through the
// console's wide-character output, whatever its code page; written to a file
// or a pipe (redirected) they are UTF-8 bytes, each ended by "\r\n", with no
// byte-order mark. Where the stream is not there (a window program started
// without redirection) the write fails with 6 and nothing else happens.
#include <memory>
#include <string>

#include "platform/outcome.h"
#include "platform/stop_signal.h"

enum class ConsoleStream { Out, Error };

// Keeps the stop handler installed while it lives. Destroying it also tells a
// handler that waits for the end of the session that the run has stopped.
class IStopHandlerHold {
 public:
  virtual ~IStopHandlerHold() = default;
};

using StopHandlerHold = std::unique_ptr<IStopHandlerHold>;

class IConsole {
 public:
  virtual ~IConsole() = default;
  // One line; a line break inside `utf8Line` is written as it is.
  virtual Outcome WriteLine(ConsoleStream stream, const std::string& utf8Line) = 0;
  // Ctrl+C, Ctrl+Break, closing the console window, logoff and shutdown raise
  // `stop` instead of ending the process. For the last three the system ends
  // the process soon after; the handler holds that off (a few seconds at
  // most) until the hold is destroyed, so the run can reach its stop point
  // and record that it stopped. `stop` must outlive the hold.
  virtual Outcome InstallStopHandler(StopSignal& stop, StopHandlerHold& hold) = 0;
};
