#pragma once
// What both programs do from their entry point: purvex.exe (window
// subsystem) and purvexc.exe (console subsystem) share it.
#include <windows.h>

enum class ProgramKind { Window, Console };

// The process's exit code. The window program without arguments opens its
// window; with arguments, and the console program always, run unattended.
int ProgramMain(HINSTANCE instance, ProgramKind kind);
