// The program that the Win32 tests of the unattended-run parts start.
//   contract_unattended_child.exe lock <name>
//     takes the run lock of that name and ends without letting go; exits 0
//     when it got the lock, 1 when it was in use, 2 when asking failed.
//   contract_unattended_child.exe write
//     writes two lines to standard output and one to standard error.
//   contract_unattended_child.exe ctrl-c
//     installs the stop handler, sends itself Ctrl+C and exits 0 when the
//     stop signal was raised and the process lived on, 3 otherwise.
//   contract_unattended_child.exe end-session
//     installs the stop handler, asks its session window whether the session
//     may end, then ends the session for it; exits 0 when the signal was
//     raised and letting go of the handler did not wait for the session's
//     end to time out, 3 otherwise.
#include <windows.h>

#include <string>

#include "platform/win32/win32_console.h"
#include "platform/win32/win32_run_lock.h"
#include "tests/contract/child_orders.h"

namespace {

constexpr int kNameArgument = 2;
constexpr int kUsage = 4;
constexpr int kNotStopped = 3;
constexpr int kLockInUse = 1;
constexpr int kLockFailed = 2;
constexpr uint32_t kStopWaitMs = 5000;
constexpr DWORD kSettleMs = 200;
constexpr DWORD kQuickMs = 2000;

}  // namespace

int main() {
  const ChildOrders orders;
  const std::string mode = orders.Mode();
  if (mode.empty()) return kUsage;

  if (mode == "lock" && orders.Has(kNameArgument)) {
    win32::Win32RunLock lock(orders.Ansi(kNameArgument));
    RunLockHold hold;
    uint32_t error = 0;
    const RunLockResult result = lock.TryAcquire(hold, error);
    // Ends holding it, as a run that crashed would.
    (void)hold.release();
    ExitProcess(result == RunLockResult::Acquired ? 0
                : result == RunLockResult::InUse  ? kLockInUse
                                                  : kLockFailed);
  }
  win32::Win32Console console;
  if (mode == "write") {
    const bool ok = console.WriteLine(ConsoleStream::Out, "first caf\xC3\xA9 \xE5\x8D\xB0").ok &&
                    console.WriteLine(ConsoleStream::Out, "").ok &&
                    console.WriteLine(ConsoleStream::Error, "to error").ok;
    return ok ? 0 : kUsage;
  }
  if (mode == "ctrl-c") {
    StopSignal stop;
    StopHandlerHold hold;
    if (!console.InstallStopHandler(stop, hold)) return kUsage;
    if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) return kUsage;
    return stop.WaitFor(kStopWaitMs) ? 0 : kNotStopped;
  }
  if (mode == "end-session") {
    StopSignal stop;
    StopHandlerHold hold;
    if (!console.InstallStopHandler(stop, hold)) return kUsage;
    HWND window = FindWindowA(win32::kSessionWindowClass, nullptr);
    if (window == nullptr) return kUsage;
    if (SendMessageA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) == FALSE) {
      return kNotStopped;
    }
    if (!stop.Raised()) return kNotStopped;
    // The window now holds the session's end off until the hold goes.
    (void)PostMessageA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    Sleep(kSettleMs);
    const DWORD before = GetTickCount();
    hold.reset();
    return GetTickCount() - before < kQuickMs ? 0 : kNotStopped;
  }
  return kUsage;
}
