#pragma once
// The calls that fill a caller's character buffer (GetSystemDirectoryA,
// GetFullPathNameA, GetFinalPathNameByHandleA...) share one contract: the
// length without terminator when the text fit, the size needed with it when
// it did not, 0 on failure.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/outcome.h"

namespace win32 {

// A text that keeps outgrowing the buffer between the calls is given up.
inline constexpr int kGrowAttempts = 4;

// `call(buffer, capacity)` is asked again with the size it names.
template <typename Call>
Outcome GrownText(Call&& call, std::string& out) {
  std::vector<char> buffer(MAX_PATH, '\0');
  for (int attempt = 0; attempt < kGrowAttempts; ++attempt) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      const DWORD error = GetLastError();
      return Outcome::Failure(error != ERROR_SUCCESS ? error : ERROR_INVALID_FUNCTION);
    }
    if (length < buffer.size()) {
      out.assign(buffer.data(), length);
      return Outcome::Success();
    }
    buffer.assign(static_cast<size_t>(length) + 1, '\0');
  }
  return Outcome::Failure(ERROR_INSUFFICIENT_BUFFER);
}

// The same, for a caller that only needs the text: empty on failure.
template <typename Call>
std::string GrownText(Call&& call) {
  std::string text;
  if (!GrownText(std::forward<Call>(call), text)) return std::string();
  return text;
}

}  // namespace win32
