#include "printer_page/page_window.h"

#include <commctrl.h>

#include <vector>

#include "resources/resource_ids.h"

namespace {

// Runs a std::function<void()> (lParam) on the page's thread.
constexpr UINT kWmRunOnWindowThread = WM_APP + 3100;

constexpr char kComboBoxClass[] = "ComboBox";
constexpr int kClassNameChars = 32;

// The INF check list draws a check box square before each name.
constexpr int kCheckListMargin = 2;

struct CommandRoute {
  int id;
  int code;
  void (CRemoveDrvPrn::*handler)();
};

constexpr CommandRoute kCommandRoutes[] = {
    {IDC_UNINSTALL_SELECTED, BN_CLICKED, &CRemoveDrvPrn::OnUninstallSelectedClicked},
    {IDC_UNINSTALL_CHECKED, BN_CLICKED, &CRemoveDrvPrn::OnUninstallCheckedClicked},
    {IDC_CLEAN_SYSTEM, BN_CLICKED, &CRemoveDrvPrn::OnCleanSystemClicked},
    {IDC_ADVANCED_TOGGLE, BN_CLICKED, &CRemoveDrvPrn::OnAdvancedToggleClicked},
    {IDC_CHECK_PRINTER, BN_CLICKED, &CRemoveDrvPrn::OnCheckPrinterClicked},
    {IDC_CHECK_DRIVER, BN_CLICKED, &CRemoveDrvPrn::OnCheckDriverClicked},
    {IDC_CHECK_PORT_SERVICE, BN_CLICKED, &CRemoveDrvPrn::OnCheckPortServiceClicked},
    {IDC_RELOAD_LIST, BN_CLICKED, &CRemoveDrvPrn::OnReloadClicked},
    {IDC_PREVIEW, BN_CLICKED, &CRemoveDrvPrn::OnPreviewClicked},
    {IDC_PRINTER_COMBO, CBN_SELCHANGE, &CRemoveDrvPrn::OnPrinterSelChange},
    {IDC_INF_LIST, LBN_SELCHANGE, &CRemoveDrvPrn::OnInfListSelChange},
};

std::string TextOfLength(int length, const std::function<void(char*)>& fill) {
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  fill(buffer.data());
  return std::string(buffer.data());
}

}  // namespace

CPageWindow::CPageWindow(CRemoveDrvPrn& page, HINSTANCE instance,
                         OwnerRegistrar registerOwner, HelpHandler onHelp)
    : ui::PropertyPageWindow(instance, IDD_REMOVE_DRV_PRN),
      page_(page),
      registerOwner_(std::move(registerOwner)),
      onHelp_(std::move(onHelp)),
      buttons_{{{IDC_ADVANCED_TOGGLE, {}},
                {IDC_UNINSTALL_CHECKED, {}},
                {IDC_UNINSTALL_SELECTED, {}},
                {IDC_CLEAN_SYSTEM, {}},
                {IDC_PAGE_CLOSE, {}},
                {IDC_RELOAD_LIST, {}},
                {IDC_PREVIEW, {}}}} {}

CPageWindow::~CPageWindow() = default;

INT_PTR CPageWindow::OnInitDialog() {
  windowThread_ = GetCurrentThreadId();
  if (registerOwner_) registerOwner_(BoxOwner::Page, Handle());
  for (ThemedButton& entry : buttons_) {
    (void)entry.button.SubclassDlgItem(Handle(), entry.id);
    entry.button.SetThemeHelper(&theme_);
  }
  page_.AttachControls(this);
  return page_.OnInitDialog() ? TRUE : FALSE;
}

INT_PTR CPageWindow::OnCommand(int id, int code, HWND control) {
  LRESULT unused = 0;
  (void)CButtonST::ReflectFromParent(WM_COMMAND, MAKEWPARAM(id, code),
                                     reinterpret_cast<LPARAM>(control), &unused);
  for (const CommandRoute& route : kCommandRoutes) {
    if (route.id == id && route.code == code) {
      (page_.*route.handler)();
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR CPageWindow::OnHelp(const HELPINFO*) {
  return onHelp_ && onHelp_() ? TRUE : FALSE;
}

INT_PTR CPageWindow::OnDrawItem(const DRAWITEMSTRUCT* item) {
  if (item == nullptr) return FALSE;
  if (item->CtlType == ODT_LISTBOX && static_cast<int>(item->CtlID) == IDC_INF_LIST) {
    DrawInfListItem(*item);
    return TRUE;
  }
  LRESULT result = 0;
  return CButtonST::ReflectFromParent(WM_DRAWITEM, item->CtlID,
                                      reinterpret_cast<LPARAM>(item), &result)
             ? TRUE
             : FALSE;
}

INT_PTR CPageWindow::OnMeasureItem(MEASUREITEMSTRUCT* item) {
  if (item == nullptr || static_cast<int>(item->CtlID) != IDC_INF_LIST) return FALSE;
  item->itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENUCHECK) + kCheckListMargin);
  return TRUE;
}

INT_PTR CPageWindow::OnCtlColorButton(HDC dc, HWND control) {
  LRESULT brush = 0;
  if (CButtonST::ReflectFromParent(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                   reinterpret_cast<LPARAM>(control), &brush)) {
    return static_cast<INT_PTR>(brush);
  }
  return 0;
}

INT_PTR CPageWindow::OnClose() {
  page_.OnClose();
  return TRUE;
}

INT_PTR CPageWindow::OnDestroy() {
  page_.AttachControls(nullptr);
  if (registerOwner_) registerOwner_(BoxOwner::Page, nullptr);
  return FALSE;
}

INT_PTR CPageWindow::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWmRunOnWindowThread) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return TRUE;
  }
  const bool handled = page_.OnPageMessage(message, wParam, lParam);
  if (message == WM_PROGRESS_STEP && lParam == kProgressEnd && onOperationEnded_) {
    onOperationEnded_();
  }
  return handled ? TRUE : FALSE;
}

void CPageWindow::DrawInfListItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  HDC dc = item.hDC;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

  const int box = GetSystemMetrics(SM_CYMENUCHECK);
  RECT check{item.rcItem.left + kCheckListMargin, item.rcItem.top + kCheckListMargin / 2,
             item.rcItem.left + kCheckListMargin + box,
             item.rcItem.top + kCheckListMargin / 2 + box};
  // The item data holds the check state, as a check list keeps it.
  const UINT checked = item.itemData != 0 ? DFCS_CHECKED : 0;
  DrawFrameControl(dc, &check, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | checked);

  const std::string text = TextOfLength(
      static_cast<int>(SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0)),
      [&](char* buffer) {
        SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(buffer));
      });
  RECT textRect = item.rcItem;
  textRect.left = check.right + kCheckListMargin;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextA(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &item.rcItem);
}

void CPageWindow::RunOnWindowThread(const std::function<void()>& work) {
  if (Handle() == nullptr) return;
  if (GetCurrentThreadId() == windowThread_) {
    work();
    return;
  }
  SendMessageA(Handle(), kWmRunOnWindowThread, 0, reinterpret_cast<LPARAM>(&work));
}

LRESULT CPageWindow::SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(Handle(), id, message, wParam, lParam);
}

bool CPageWindow::IsComboBox(int id) {
  char className[kClassNameChars] = {};
  HWND item = Item(id);
  if (item == nullptr) return false;
  GetClassNameA(item, className, kClassNameChars);
  return lstrcmpiA(className, kComboBoxClass) == 0;
}

CXPStyleButton* CPageWindow::ButtonFor(int id) {
  for (ThemedButton& entry : buttons_) {
    if (entry.id == id) return &entry.button;
  }
  return nullptr;
}

bool CPageWindow::Exists(int id) { return Item(id) != nullptr; }

void CPageWindow::SetCheck(int id, bool checked) {
  SendItem(id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CPageWindow::IsChecked(int id) { return SendItem(id, BM_GETCHECK) == BST_CHECKED; }

void CPageWindow::Enable(int id, bool enabled) {
  if (HWND item = Item(id)) EnableWindow(item, enabled ? TRUE : FALSE);
}

bool CPageWindow::IsEnabled(int id) {
  HWND item = Item(id);
  return item != nullptr && IsWindowEnabled(item) != FALSE;
}

void CPageWindow::Show(int id, int showCommand) {
  if (HWND item = Item(id)) ShowWindow(item, showCommand);
}

// The control's own visibility: the page itself may be hidden or not yet shown.
bool CPageWindow::IsVisible(int id) {
  HWND item = Item(id);
  return item != nullptr && (GetWindowLongPtrA(item, GWL_STYLE) & WS_VISIBLE) != 0;
}

void CPageWindow::SetText(int id, const std::string& text) {
  if (HWND item = Item(id)) SetWindowTextA(item, text.c_str());
}

std::string CPageWindow::GetText(int id) {
  HWND item = Item(id);
  if (item == nullptr) return {};
  return TextOfLength(GetWindowTextLengthA(item), [&](char* buffer) {
    GetWindowTextA(item, buffer, GetWindowTextLengthA(item) + 1);
  });
}

void CPageWindow::SetTooltip(int id, uint32_t stringId) {
  CXPStyleButton* button = ButtonFor(id);
  if (button == nullptr) return;
  // The tooltip window must belong to the page's thread, which outlives
  // any worker.
  RunOnWindowThread([button, stringId] { button->SetTooltipText(stringId, true); });
}

void CPageWindow::ResetContent(int id) {
  SendItem(id, IsComboBox(id) ? CB_RESETCONTENT : LB_RESETCONTENT);
}

void CPageWindow::AddString(int id, const std::string& text) {
  SendItem(id, IsComboBox(id) ? CB_ADDSTRING : LB_ADDSTRING, 0,
           reinterpret_cast<LPARAM>(text.c_str()));
}

void CPageWindow::SetCurSel(int id, int index) {
  SendItem(id, IsComboBox(id) ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index));
}

std::string CPageWindow::GetSelectedText(int id) {
  const bool combo = IsComboBox(id);
  const LRESULT index = SendItem(id, combo ? CB_GETCURSEL : LB_GETCURSEL);
  if (index < 0) return {};
  const auto item = static_cast<WPARAM>(index);
  const LRESULT length = SendItem(id, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, item);
  return TextOfLength(static_cast<int>(length), [&](char* buffer) {
    SendItem(id, combo ? CB_GETLBTEXT : LB_GETTEXT, item, reinterpret_cast<LPARAM>(buffer));
  });
}

int CPageWindow::GetCount(int id) {
  const LRESULT count = SendItem(id, IsComboBox(id) ? CB_GETCOUNT : LB_GETCOUNT);
  return count < 0 ? 0 : static_cast<int>(count);
}

void CPageWindow::SetProgressRange(int id, int low, int high) {
  SendItem(id, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void CPageWindow::SetProgressPos(int id, int pos) {
  SendItem(id, PBM_SETPOS, static_cast<WPARAM>(pos));
}

void CPageWindow::SetProgressStep(int id, int step) {
  SendItem(id, PBM_SETSTEP, static_cast<WPARAM>(step));
}

void CPageWindow::StepProgress(int id) { SendItem(id, PBM_STEPIT); }

int CPageWindow::GetProgressPos(int id) { return static_cast<int>(SendItem(id, PBM_GETPOS)); }

void CPageWindow::SendToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (Handle() != nullptr) SendMessageA(Handle(), message, wParam, lParam);
}

void CPageWindow::PostToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (Handle() != nullptr) PostMessageA(Handle(), message, wParam, lParam);
}

// The controls hold their own state; there is nothing to copy.
void CPageWindow::RefreshFromMembers() {}
