#include "platform/win32/win32_console.h"

#include <climits>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "platform/win32/last_error.h"

namespace win32 {
namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr wchar_t kWideLineEnd[] = L"\r\n";
// The system ends a process a few seconds after a close, logoff or shutdown
// event whatever its handler does; waiting longer than that gains nothing.
constexpr DWORD kSessionEndWaitMs = 4000;

struct StopHandlerState {
  std::mutex mutex;
  StopSignal* stop = nullptr;
  // Set when the run behind the hold has ended; created once and never
  // closed, so a handler still waiting on it never waits on a closed handle.
  HANDLE runEnded = nullptr;
};

StopHandlerState& State() {
  static StopHandlerState state;
  return state;
}

bool EndsTheProcess(DWORD event) {
  return event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT ||
         event == CTRL_SHUTDOWN_EVENT;
}

// Raises the installed signal; the event to wait on for the run's end, or
// null when no handler is installed.
HANDLE RaiseStop() {
  StopHandlerState& state = State();
  // Raised under the lock: the hold clears the pointer under it before the
  // signal may go away.
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.stop == nullptr) return nullptr;
  state.stop->Raise();
  return state.runEnded;
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  const HANDLE runEnded = RaiseStop();
  if (runEnded == nullptr) return FALSE;
  if (EndsTheProcess(event)) (void)WaitForSingleObject(runEnded, kSessionEndWaitMs);
  return TRUE;
}

// A process that uses user32 gets no logoff or shutdown console event; the
// session's end reaches it as WM_QUERYENDSESSION / WM_ENDSESSION at its
// top-level windows, so the handler keeps a hidden one. (A message-only
// window would not be asked.)
LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_QUERYENDSESSION:
      (void)RaiseStop();
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != FALSE) {
        const HANDLE runEnded = RaiseStop();
        if (runEnded != nullptr) (void)WaitForSingleObject(runEnded, kSessionEndWaitMs);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

class SessionWindow {
 public:
  // Without a window only the console's events stop the run.
  void Start() {
    std::promise<HWND> created;
    std::future<HWND> window = created.get_future();
    thread_ = std::thread([&created] {
      WNDCLASSEXA windowClass{};
      windowClass.cbSize = sizeof(windowClass);
      windowClass.lpfnWndProc = SessionWindowProc;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.lpszClassName = kSessionWindowClass;
      (void)RegisterClassExA(&windowClass);  // already there after the first hold
      HWND hwnd = CreateWindowExA(0, kSessionWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
      created.set_value(hwnd);
      if (hwnd == nullptr) return;
      MSG message{};
      while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    });
    window_ = window.get();
    if (window_ == nullptr) thread_.join();
  }

  ~SessionWindow() {
    if (!thread_.joinable()) return;
    (void)PostMessageA(window_, WM_CLOSE, 0, 0);
    thread_.join();
  }

 private:
  std::thread thread_;
  HWND window_ = nullptr;
};

class ConsoleStopHold : public IStopHandlerHold {
 public:
  ConsoleStopHold() { sessionWindow_.Start(); }
  ~ConsoleStopHold() override {
    (void)SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    {
      StopHandlerState& state = State();
      std::lock_guard<std::mutex> lock(state.mutex);
      state.stop = nullptr;
      // Lets a handler that holds off the session's end return.
      (void)SetEvent(state.runEnded);
    }
    // sessionWindow_ goes after this body: its thread may be in such a wait.
  }

 private:
  SessionWindow sessionWindow_;
};

// Writes all of data[0, size) in calls of at most MAXDWORD units: WriteFile
// may take less than it was given on a pipe, WriteConsoleW on a console.
template <class Unit, class WriteCall>
Outcome WriteChunks(const Unit* data, size_t size, WriteCall write) {
  while (size > 0) {
    const DWORD chunk = size > static_cast<size_t>(MAXDWORD) ? MAXDWORD : static_cast<DWORD>(size);
    DWORD written = 0;
    const Outcome result = CallWithLastError([&] { return write(data, chunk, &written); });
    if (!result) return result;
    if (written == 0) return Outcome::Failure(ERROR_WRITE_FAULT);
    data += written;
    size -= written;
  }
  return Outcome::Success();
}

Outcome WriteAll(HANDLE handle, const char* data, size_t size) {
  return WriteChunks(data, size, [handle](const char* part, DWORD chunk, DWORD* written) {
    return WriteFile(handle, part, chunk, written, nullptr);
  });
}

Outcome WriteConsoleAll(HANDLE handle, const std::wstring& text) {
  return WriteChunks(text.data(), text.size(),
                     [handle](const wchar_t* part, DWORD chunk, DWORD* written) {
                       return WriteConsoleW(handle, part, chunk, written, nullptr);
                     });
}

// Invalid sequences become U+FFFD, as everywhere the system reads UTF-8
// without MB_ERR_INVALID_CHARS.
std::wstring WidenUtf8(const std::string& utf8) {
  if (utf8.empty() || utf8.size() > static_cast<size_t>(INT_MAX)) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int needed = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  (void)MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), needed);
  return wide;
}

}  // namespace

Outcome Win32Console::WriteLine(ConsoleStream stream, const std::string& utf8Line) {
  const HANDLE handle =
      GetStdHandle(stream == ConsoleStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    return Outcome::Failure(ERROR_INVALID_HANDLE);
  }
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    // A console shows wide characters whatever its code page.
    return WriteConsoleAll(handle, WidenUtf8(utf8Line) + kWideLineEnd);
  }
  const std::string line = utf8Line + kLineEnd;
  return WriteAll(handle, line.data(), line.size());
}

Outcome Win32Console::InstallStopHandler(StopSignal& stop, StopHandlerHold& hold) {
  hold.reset();
  StopHandlerState& state = State();
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.stop != nullptr) return Outcome::Failure(ERROR_ALREADY_EXISTS);
    if (state.runEnded == nullptr) {
      state.runEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      if (state.runEnded == nullptr) return Outcome::Failure(GetLastError());
    }
    (void)ResetEvent(state.runEnded);
    state.stop = &stop;
  }
  // A parent that started us in a new process group turned Ctrl+C off for
  // us; an unattended run must still be stoppable.
  (void)SetConsoleCtrlHandler(nullptr, FALSE);
  const Outcome installed =
      CallWithLastError([] { return SetConsoleCtrlHandler(OnConsoleEvent, TRUE); });
  if (!installed) {
    std::lock_guard<std::mutex> lock(state.mutex);
    state.stop = nullptr;
    return installed;
  }
  hold = std::make_unique<ConsoleStopHold>();
  return Outcome::Success();
}

}  // namespace win32
