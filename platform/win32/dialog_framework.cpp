#include "platform/win32/dialog_framework.h"

#include "platform/win32/window_guard.h"

namespace ui {

namespace {

// DLGTEMPLATEEX starts with dlgVer 1 and signature 0xFFFF; its style follows
// helpID and exStyle.
constexpr WORD kExtendedTemplateSignature = 0xFFFF;
struct ExtendedTemplateHead {
  WORD dlgVer;
  WORD signature;
  DWORD helpID;
  DWORD exStyle;
  DWORD style;
};

// A modeless sheet is a popup with a frame and caption; as a child control
// it keeps none of that.
constexpr DWORD kPopupSheetStyles = WS_POPUP | WS_CAPTION | WS_SYSMENU |
                                    WS_THICKFRAME | DS_MODALFRAME |
                                    DS_CONTEXTHELP | WS_DISABLED;
constexpr DWORD kChildSheetStyles = WS_CHILD | WS_VISIBLE;

constexpr int kApplyNowButtonId = 0x3021;
constexpr int kHelpButtonId = IDHELP;
constexpr int kSheetButtonIds[] = {IDOK, IDCANCEL, kHelpButtonId, kApplyNowButtonId};

}  // namespace

UniqueIcon LoadProgramIcon(int resourceId, IconSize size) {
  const bool big = size == IconSize::Big;
  return UniqueIcon(static_cast<HICON>(LoadImageA(
      GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
      GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON),
      GetSystemMetrics(big ? SM_CYICON : SM_CYSMICON), LR_DEFAULTCOLOR)));
}

void CenterWindow(HWND window, HWND reference) {
  RECT area{};
  if (reference != nullptr && IsWindowVisible(reference) && !IsIconic(reference)) {
    GetWindowRect(reference, &area);
  } else {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    area = monitor.rcWork;
  }
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int left = area.left + ((area.right - area.left) - width) / 2;
  const int top = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DialogWindow* DialogWindow::FromHandle(HWND hwnd) {
  return reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
}

INT_PTR DialogWindow::Dispatch(HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam, DialogWindow* attachAtInit) {
  DialogWindow* self = nullptr;
  if (message == WM_INITDIALOG && attachAtInit != nullptr) {
    self = attachAtInit;
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = FromHandle(hwnd);
  }
  // Messages that arrive before WM_INITDIALOG (WM_SETFONT) and after
  // WM_NCDESTROY go to the dialog manager.
  if (self == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    return FALSE;
  }
  return GuardedCall(
      "a dialog procedure", [&] { return self->Route(message, wParam, lParam); },
      [] { return INT_PTR{FALSE}; });
}

INT_PTR DialogWindow::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOMMAND: return OnSysCommand(static_cast<UINT>(wParam), lParam);
    case WM_HELP: return OnHelp(reinterpret_cast<const HELPINFO*>(lParam));
    case WM_PAINT: return OnPaint();
    case WM_QUERYDRAGICON: return OnQueryDragIcon();
    case WM_CLOSE: return OnClose();
    case WM_DRAWITEM: return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM: return OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_CTLCOLORBTN: return OnCtlColorButton(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOLORCHANGE: return OnSysColorChange();
    case WM_DESTROY: return OnDestroy();
    default: return OnOtherMessage(message, wParam, lParam);
  }
}

INT_PTR ModalDialog::DoModal(HWND owner) {
  return DialogBoxParamA(Instance(), MAKEINTRESOURCEA(TemplateId()), owner,
                         Procedure, reinterpret_cast<LPARAM>(this));
}

void ModalDialog::EndDialog(INT_PTR result) {
  if (Handle() != nullptr) ::EndDialog(Handle(), result);
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  DialogWindow* self = message == WM_INITDIALOG
                           ? reinterpret_cast<ModalDialog*>(lParam)
                           : nullptr;
  return Dispatch(hwnd, message, wParam, lParam, self);
}

PROPSHEETPAGEA PropertyPageWindow::Describe() {
  PROPSHEETPAGEA page{};
  page.dwSize = sizeof(page);
  page.dwFlags = PSP_DEFAULT;
  page.hInstance = Instance();
  page.pszTemplate = MAKEINTRESOURCEA(TemplateId());
  page.pfnDlgProc = Procedure;
  page.lParam = reinterpret_cast<LPARAM>(this);
  return page;
}

INT_PTR CALLBACK PropertyPageWindow::Procedure(HWND hwnd, UINT message,
                                               WPARAM wParam, LPARAM lParam) {
  // A page's WM_INITDIALOG carries its PROPSHEETPAGE, whose lParam is the
  // object given by Describe.
  DialogWindow* self = nullptr;
  if (message == WM_INITDIALOG && lParam != 0) {
    self = reinterpret_cast<PropertyPageWindow*>(
        reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
  }
  return Dispatch(hwnd, message, wParam, lParam, self);
}

int CALLBACK ChildPropertySheet::Callback(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == PSCB_PRECREATE && lParam != 0) {
    auto* head = reinterpret_cast<ExtendedTemplateHead*>(lParam);
    DWORD* style = head->signature == kExtendedTemplateSignature
                       ? &head->style
                       : &reinterpret_cast<DLGTEMPLATE*>(lParam)->style;
    *style = (*style & ~kPopupSheetStyles) | kChildSheetStyles;
  } else if (message == PSCB_INITIALIZED) {
    for (int id : kSheetButtonIds) {
      if (HWND button = GetDlgItem(hwnd, id)) {
        ShowWindow(button, SW_HIDE);
        EnableWindow(button, FALSE);
      }
    }
  }
  return 0;
}

HWND ChildPropertySheet::Create(HWND parent,
                                const std::vector<PropertyPageWindow*>& pages) {
  std::vector<PROPSHEETPAGEA> descriptions;
  descriptions.reserve(pages.size());
  for (PropertyPageWindow* page : pages) descriptions.push_back(page->Describe());

  PROPSHEETHEADERA header{};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_PROPSHEETPAGE |
                   PSH_USECALLBACK | PSH_NOCONTEXTHELP;
  header.hwndParent = parent;
  header.hInstance = GetModuleHandleA(nullptr);
  header.nPages = static_cast<UINT>(descriptions.size());
  header.ppsp = descriptions.data();
  header.pfnCallback = Callback;
  const INT_PTR created = PropertySheetA(&header);
  if (created <= 0) return nullptr;

  parent_ = parent;
  hwnd_ = reinterpret_cast<HWND>(created);
  // Tab and arrow keys of the host dialog reach into the sheet and its page.
  SetWindowLongPtrA(hwnd_, GWL_EXSTYLE,
                    GetWindowLongPtrA(hwnd_, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  SetWindowLongPtrA(hwnd_, GWL_STYLE,
                    GetWindowLongPtrA(hwnd_, GWL_STYLE) | WS_TABSTOP);
  return hwnd_;
}

void ChildPropertySheet::PlaceOver(int frameId) {
  HWND frame = GetDlgItem(parent_, frameId);
  if (hwnd_ == nullptr || frame == nullptr) return;
  RECT rect{};
  GetWindowRect(frame, &rect);
  MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&rect), 2);
  SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left,
               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui
