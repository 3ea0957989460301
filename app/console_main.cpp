// The entry point of purvexc.exe, the console companion: the same program
// for callers that wait for a console program and read its output.
#include <windows.h>

#include "app/program_main.h"

int main() { return ProgramMain(GetModuleHandleW(nullptr), ProgramKind::Console); }
