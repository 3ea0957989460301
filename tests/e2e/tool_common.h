// What the suite's Windows-side tools (uidriver, seed, holder) share: their
// exit statuses, read by lib.sh, and the pace at which they poll.
#pragma once

#include <windows.h>

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
// The UI driver's failure: what it was asked about is not there.
constexpr int kExitNotFound = kExitFailed;
constexpr int kExitUsage = 2;

constexpr DWORD kPollMs = 100;
constexpr DWORD kMsPerSecond = 1000;
