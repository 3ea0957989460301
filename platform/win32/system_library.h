#pragma once
// Libraries of the system directory, for a program that runs elevated from a
// folder other programs can write to. Nothing is ever loaded by bare name:
// the loader would look in the program's folder and the current directory
// first, and a library planted there would run with the program's rights.
#include <windows.h>
#include <winspool.h>

#include "platform/win32/handles.h"

namespace win32 {

// Takes the program's folder and the current directory out of the search
// for every library loaded from now on (a library's own dependencies
// included). Called first thing, before anything can load a library.
void RestrictLibrarySearch();

// The library of that name from the system directory, by full path; null
// when it is missing there.
UniqueModule LoadSystemLibrary(const char* fileName);

// void (*)() converts to and from every function pointer type without a
// -Wcast-function-type warning.
template <typename Fn>
Fn ResolveExport(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  using AnyFunction = void (*)();
  return reinterpret_cast<Fn>(
      reinterpret_cast<AnyFunction>(GetProcAddress(module, name)));
}

// An export of kernel32, null when this system's kernel32 lacks it (older
// Windows versions). kernel32 is mapped into every process: asking for its
// handle loads nothing.
template <typename Fn>
Fn ResolveKernelExport(const char* name) {
  return ResolveExport<Fn>(GetModuleHandleA("kernel32.dll"), name);
}

// Sets `function` to the export of that name, null when it is missing.
template <typename Fn>
void BindExport(HMODULE module, const char* name, Fn& function) {
  function = ResolveExport<Fn>(module, name);
}

// Calls a function resolved at run time; a missing one fails the way a
// missing export does.
template <typename Fn, typename... Args>
BOOL CallExport(Fn function, Args... args) {
  if (function == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return function(args...);
}

// The spooler's client library (WINSPOOL.DRV is no KnownDLL, so a load-time
// import would be looked for in the program's folder first). Loaded on first
// use and kept for the rest of the process; a missing function is null.
struct WinspoolFunctions {
  decltype(&EnumPrintersA) enumPrinters = nullptr;
  decltype(&OpenPrinterA) openPrinter = nullptr;
  decltype(&GetPrinterA) getPrinter = nullptr;
  decltype(&GetPrinterDriverA) getPrinterDriver = nullptr;
  decltype(&DeleteFormA) deleteForm = nullptr;
  decltype(&DeletePrinter) deletePrinter = nullptr;
  decltype(&ClosePrinter) closePrinter = nullptr;
};
const WinspoolFunctions& Winspool();

// The version-information library, for the same reason.
struct VersionFunctions {
  decltype(&GetFileVersionInfoSizeA) getFileVersionInfoSize = nullptr;
  decltype(&GetFileVersionInfoA) getFileVersionInfo = nullptr;
  decltype(&VerQueryValueA) verQueryValue = nullptr;
};
const VersionFunctions& VersionInfo();

}  // namespace win32
