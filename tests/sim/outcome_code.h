#pragma once
// Tests compare registry results with the LSTATUS the system would answer.
#include <cstdint>

#include "platform/outcome.h"

namespace sim {

// A failure without a code never reads as success.
inline constexpr uint32_t kFailureWithoutCode = UINT32_MAX;

inline uint32_t CodeOf(const Outcome& outcome) {
  if (outcome) return 0;
  return outcome.error != 0 ? outcome.error : kFailureWithoutCode;
}

}  // namespace sim
