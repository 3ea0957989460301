#pragma once
// Window messages from a worker to the page that shows its progress.
#include <cstdint>

inline constexpr uint32_t WM_PROGRESS_STEP = 0x8000 + 3000;   // WM_APP + 3000
inline constexpr uint32_t WM_STATUS_CHANGED = 0x8000 + 3010;  // WM_APP + 3010
inline constexpr intptr_t kProgressStart = 20;
inline constexpr intptr_t kProgressStepOnce = 0;
inline constexpr intptr_t kProgressEnd = 10;
