#include "app/main_window.h"

#include <utility>

#include "app/about_window.h"
#include "app/preview_window.h"
#include "resources/resource_ids.h"

namespace {

// Sent messages of the worker must still be answered while the
// user-interface thread waits for it to stop.
void PumpPendingMessages() {
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Shown by Windows (Vista on) beside the program while an operation refuses
// to let the session end.
constexpr wchar_t kShutdownBlockReason[] =
    L"A printer is being uninstalled. Ending the session now could leave the print "
    L"spooler stopped and the printer half removed.";

using ShutdownBlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using ShutdownBlockReasonDestroyFn = BOOL(WINAPI*)(HWND);

// user32 is loaded by the time a window exists; the functions are missing
// before Vista (and Wine's create always fails).
FARPROC User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
}

BOOL CALLBACK ForwardSysColorChange(HWND child, LPARAM) {
  SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

}  // namespace

CMainWindow::CMainWindow(CPurvexDlg& dlg, HINSTANCE instance, OwnerRegistrar registerOwner)
    : ui::ModalDialog(instance, IDD_PURVEX_DIALOG),
      dlg_(dlg),
      registerOwner_(std::move(registerOwner)),
      bigIcon_(ui::LoadProgramIcon(IDR_MAINFRAME, ui::IconSize::Big)),
      smallIcon_(ui::LoadProgramIcon(IDR_MAINFRAME, ui::IconSize::Small)),
      pageWindow_(dlg.PrinterPage, instance, registerOwner_, [this] { return OnHelpKey(); }) {}

INT_PTR CMainWindow::OnInitDialog() {
  if (registerOwner_) registerOwner_(BoxOwner::MainDialog, Handle());
  AddSystemMenuEntries();
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

  dlg_.InitializeState();
  dlg_.PresentPreview = [this](CPreviewDialogModel& model) {
    CPreviewWindow preview(Instance(), model, registerOwner_);
    (void)preview.DoModal(Handle());
  };
  dlg_.PrinterPage.Worker.PumpWhileWaiting = PumpPendingMessages;
  pageWindow_.SetOperationEndedHandler([this] { SetShutdownBlockReason(false); });

  (void)sheet_.Create(Handle(), {&pageWindow_});
  ui::CenterWindow(Handle(), nullptr);
  sheet_.PlaceOver(IDC_SHEET_FRAME);
  return TRUE;
}

void CMainWindow::AddSystemMenuEntries() {
  const std::string about = dlg_.LoadText(IDS_ABOUTBOX);
  const std::string help = dlg_.LoadText(IDS_HELP);
  HMENU menu = GetSystemMenu(Handle(), FALSE);
  if (menu == nullptr || about.empty()) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
  AppendMenuA(menu, MF_STRING, IDM_HELP, help.c_str());
}

INT_PTR CMainWindow::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED || (id != IDOK && id != IDCANCEL)) return FALSE;
  EndMainDialog(id);
  return TRUE;
}

INT_PTR CMainWindow::OnSysCommand(UINT command, LPARAM) {
  switch (CPurvexDlg::ClassifySysCommand(command)) {
    case CPurvexDlg::SysCommand::About:
      ShowAbout();
      return TRUE;
    case CPurvexDlg::SysCommand::Help:
      dlg_.ShowHelpFile();
      return TRUE;
    case CPurvexDlg::SysCommand::Default:
      break;
  }
  return FALSE;
}

INT_PTR CMainWindow::OnHelp(const HELPINFO*) { return OnHelpKey() ? TRUE : FALSE; }

bool CMainWindow::OnHelpKey() {
  const bool shiftDown = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  return dlg_.OnHelpKey(shiftDown);
}

void CMainWindow::ShowAbout() {
  CAboutDlg about(Instance(), dlg_.GetReleaseVersion(), dlg_.ApplicationName());
  (void)about.DoModal(Handle());
}

INT_PTR CMainWindow::OnPaint() {
  if (!IsIconic(Handle())) return FALSE;
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(Handle(), &paint);
  SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(Handle(), &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, bigIcon_.get());
  EndPaint(Handle(), &paint);
  return TRUE;
}

INT_PTR CMainWindow::OnQueryDragIcon() { return reinterpret_cast<INT_PTR>(bigIcon_.get()); }

INT_PTR CMainWindow::OnClose() {
  EndMainDialog(IDCANCEL);
  return TRUE;
}

INT_PTR CMainWindow::OnOtherMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_QUERYENDSESSION) {
    const bool allow = dlg_.OnQueryEndSession();
    SetShutdownBlockReason(!allow);
    SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, allow ? TRUE : FALSE);
    return TRUE;
  }
  if (message == WM_ENDSESSION) {
    SetShutdownBlockReason(false);
    // The session really ends: the process may be ended as soon as this
    // returns, so the worker is stopped and the spooler started here.
    if (wParam != FALSE && dlg_.OnEndSession()) EndDialog(IDCANCEL);
    SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, 0);
    return TRUE;
  }
  return FALSE;
}

void CMainWindow::SetShutdownBlockReason(bool blocking) {
  if (blocking == blockReasonSet_) return;
  if (blocking) {
    auto create = reinterpret_cast<ShutdownBlockReasonCreateFn>(
        reinterpret_cast<void*>(User32Function("ShutdownBlockReasonCreate")));
    // Without a reason Windows still shows the program as refusing.
    blockReasonSet_ = create != nullptr && create(Handle(), kShutdownBlockReason) != FALSE;
    return;
  }
  auto destroy = reinterpret_cast<ShutdownBlockReasonDestroyFn>(
      reinterpret_cast<void*>(User32Function("ShutdownBlockReasonDestroy")));
  if (destroy != nullptr) destroy(Handle());
  blockReasonSet_ = false;
}

INT_PTR CMainWindow::OnSysColorChange() {
  EnumChildWindows(Handle(), ForwardSysColorChange, 0);
  return FALSE;
}

INT_PTR CMainWindow::OnDestroy() {
  dlg_.PresentPreview = nullptr;
  if (registerOwner_) registerOwner_(BoxOwner::MainDialog, nullptr);
  return FALSE;
}

void CMainWindow::EndMainDialog(INT_PTR result) {
  // The worker may be inside a sequence; it is stopped cooperatively while
  // its windows still exist. A close that arrives while an earlier one
  // waits for it does nothing more.
  if (!dlg_.OnClose()) return;
  SetShutdownBlockReason(false);
  EndDialog(result);
}
