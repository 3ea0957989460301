#pragma once
// The window program takes the one run lock at its start, so that it never
// works beside an unattended run (and an unattended run never beside it).
#include "platform/platform.h"

// True when the window may open; `hold` then keeps the lock until it goes.
// A lock that another run holds: a box says so and the program ends. A lock
// that cannot even be asked for does not keep the window from opening, as
// it opened before there was a lock.
bool TakeWindowRunLock(Platform& platform, RunLockHold& hold);
