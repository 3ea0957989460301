#pragma once
#include <cstdint>

// Result of a Win32 call that reports BOOL plus GetLastError. A failure can
// carry error 0 (some calls fail without setting it), so success is its own bit.
struct [[nodiscard]] Outcome {
  bool ok = false;
  uint32_t error = 0;

  static Outcome Success() { return {true, 0}; }
  static Outcome Failure(uint32_t code) { return {false, code}; }
  explicit operator bool() const { return ok; }
};
