#include "app/program_main.h"

#include <commctrl.h>

#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/exit_codes.h"
#include "app/main_window.h"
#include "app/purvex_dlg.h"
#include "app/startup_window.h"
#include "app/unattended_run.h"
#include "app/unattended_work.h"
#include "app/window_run_lock.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_platform.h"

namespace {

constexpr size_t kProgramNameOnly = 1;

int RunWindow(HINSTANCE instance, Win32Platform& win) {
  RunLockHold lock;
  if (!TakeWindowRunLock(win.Get(), lock)) return ExitCodeValue(ExitCode::kRunInProgress);

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  CPurvexDlg dlg(win.Get());
  // The Preview button runs the page's work as /preview does, over a view
  // of this system built for each preview.
  dlg.PreviewRun = MakePagePreviewRunner(win.Get());
  CMainWindow window(dlg, instance,
                     [&win](BoxOwner owner, HWND hwnd) { win.SetBoxOwner(owner, hwnd); });
  (void)window.DoModal(nullptr);
  return 0;
}

}  // namespace

int ProgramMain(HINSTANCE instance, ProgramKind kind) {
  win32::RestrictLibrarySearch();
  const std::u16string raw = reinterpret_cast<const char16_t*>(GetCommandLineW());
  const bool unattended =
      kind == ProgramKind::Console || SplitCommandLine(raw).size() > kProgramNameOnly;
  if (!unattended) {
    if (!StartupAllowed(instance)) return kStartupRefusedExitCode;
    Win32Platform win;
    InstallAnsiCaseMappers();
    return RunWindow(instance, win);
  }

  UnattendedStart start;
  start.commandLine = raw;
  start.refusal = StartupRefusal(instance);
  Win32Platform win;
  InstallAnsiCaseMappers();
  return RunUnattended(win.Get(), start, &MakePageWork);
}
