#pragma once
// Window and dialog procedures are called by user32, which an exception
// must never cross: one that escapes a handler is reported to the debugger
// and the procedure answers as if the handler had not been there.
#include <windows.h>

#include <exception>

namespace ui {

inline void ReportException(const char* where, const char* what) {
  OutputDebugStringA("exception in ");
  OutputDebugStringA(where);
  OutputDebugStringA(": ");
  OutputDebugStringA(what);
  OutputDebugStringA("\n");
}

// `handler()` or, when it throws, `fallback()`.
template <typename Handler, typename Fallback>
auto GuardedCall(const char* where, Handler&& handler, Fallback&& fallback)
    -> decltype(handler()) {
  try {
    return handler();
  } catch (const std::exception& e) {
    ReportException(where, e.what());
  } catch (...) {
    ReportException(where, "an unknown exception");
  }
  return fallback();
}

}  // namespace ui
