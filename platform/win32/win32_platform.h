#pragma once
// The composition root's Win32 half: one instance of every implementation of
// the operating-system boundary, handed to the logic as a Platform.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_driver_store.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_run_lock.h"
#include "platform/win32/win32_security.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_spooler.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_text_conversion.h"
#include "platform/win32/win32_ui.h"

class Win32Platform {
 public:
  Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& Get() { return platform_; }

  // The window that owns the message boxes shown for `owner`, and the
  // clipboard its copies go to; the window classes set it once their window
  // exists and clear it (nullptr) when it goes away.
  void SetBoxOwner(BoxOwner owner, HWND hwnd);

 private:
  // Before the facilities that read it.
  win32::OwnerWindows owners_;
  win32::Win32Registry registry_;
  win32::Win32Spooler spooler_;
  win32::Win32Services services_;
  win32::Win32Devices devices_;
  win32::Win32DriverStore driverStore_;
  win32::Win32FileSystem files_;
  win32::Win32Shell shell_;
  win32::Win32System system_;
  win32::Win32Clock clock_;
  win32::Win32MessageBoxes messageBoxes_{owners_};
  win32::Win32StringTable strings_;
  win32::Win32Security security_;
  win32::Win32TextConversion textConversion_;
  win32::Win32RunLock runLock_;
  win32::Win32Console console_;
  win32::Win32Clipboard clipboard_{owners_};
  Platform platform_;
};

// Replaces the ASCII casing of the text helpers with the multibyte-aware
// casing and comparison of the ANSI code page.
void InstallAnsiCaseMappers();
