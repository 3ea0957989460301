#pragma once
// Turns a BOOL-returning Win32 call into an Outcome. The thread's last-error
// value is cleared first, so a failure that sets no error reports 0 rather
// than whatever an earlier call left behind.
#include <windows.h>

#include "platform/outcome.h"

namespace win32 {

template <typename Call>
Outcome CallWithLastError(Call&& call) {
  SetLastError(ERROR_SUCCESS);
  if (call()) return Outcome::Success();
  return Outcome::Failure(GetLastError());
}

}  // namespace win32
