// The composition root of purvex.exe: the Win32 platform, the main dialog's
// state, and its window run modally.
#include <windows.h>

#include <commctrl.h>

#include "app/main_window.h"
#include "app/purvex_dlg.h"
#include "app/startup_window.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  win32::RestrictLibrarySearch();
  if (!StartupAllowed(instance)) return kStartupRefusedExitCode;
  Win32Platform win;
  InstallAnsiCaseMappers();

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  CPurvexDlg dlg(win.Get());
  CMainWindow window(dlg, instance,
                     [&win](BoxOwner owner, HWND hwnd) { win.SetBoxOwner(owner, hwnd); });
  (void)window.DoModal(nullptr);
  return 0;
}
