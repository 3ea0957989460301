#pragma once
// The first thing WinMain does: asks the system whether this process runs
// under WOW64 and, when the program must not start, shows why (see
// app/startup_guard.h).
#include <windows.h>

// The process's exit code when it refused to start.
inline constexpr int kStartupRefusedExitCode = 1;

#include <optional>
#include <string>

// False when the program must end at once; the user has then been told.
[[nodiscard]] bool StartupAllowed(HINSTANCE instance);

// The text of the refusal when the program must not start, shown by nobody:
// an unattended run writes it where it writes its messages.
[[nodiscard]] std::optional<std::string> StartupRefusal(HINSTANCE instance);
