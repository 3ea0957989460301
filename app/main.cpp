// The entry point of purvex.exe, the window program; with switches it runs
// unattended, without a window.
#include <windows.h>

#include "app/program_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return ProgramMain(instance, ProgramKind::Window);
}
