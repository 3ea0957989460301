#include "controls/button_st.h"

#include <commctrl.h>

#include <vector>

#include "platform/win32/window_guard.h"

namespace {

constexpr int kMaxStringChars = 1024;
constexpr COLORREF kBlack = RGB(0, 0, 0);
// Window property that leads a parent's notification to the button object.
constexpr char kObjectProperty[] = "PurvexButtonST";

std::string LoadTableString(UINT id) {
  std::vector<char> buffer(kMaxStringChars, '\0');
  const int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer.data(),
                                 static_cast<int>(buffer.size()));
  return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length))
                    : std::string();
}

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(hwnd, buffer.data(), length + 1);
  return std::string(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void FrameSolid(HDC dc, const RECT& rect, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FrameRect(dc, &rect, brush);
  DeleteObject(brush);
}

// One-pixel rectangle outline: top and left in one colour, bottom and right
// in the other.
void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  FillSolid(dc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
  FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

bool IsMouseMessage(UINT message) {
  return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
}

}  // namespace

CButtonST::CButtonST() { SetDefaultColours(); }

CButtonST::~CButtonST() { Detach(); }

bool CButtonST::SubclassDlgItem(HWND parent, int id) {
  return Subclass(GetDlgItem(parent, id));
}

bool CButtonST::Subclass(HWND button) {
  if (button == nullptr || hwnd_ != nullptr) return false;
  if (!SetWindowSubclass(button, SubclassProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  hwnd_ = button;
  SetPropA(button, kObjectProperty, this);
  const auto style = static_cast<uint32_t>(GetWindowLongPtrA(button, GWL_STYLE));
  const button_state::Mode mode = button_state::ModeFromStyle(style);
  checkBoxMode_ = mode.checkBoxMode;
  isDefault_ = mode.isDefault;
  SetWindowLongPtrA(button, GWL_STYLE,
                    static_cast<LONG_PTR>(button_state::OwnerDrawStyle(style)));
  SetWindowPos(button, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                   SWP_FRAMECHANGED);
  Redraw();
  return true;
}

void CButtonST::Detach() {
  if (tooltip_ != nullptr) {
    DestroyWindow(tooltip_);
    tooltip_ = nullptr;
  }
  if (hwnd_ != nullptr) {
    RemovePropA(hwnd_, kObjectProperty);
    RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    hwnd_ = nullptr;
  }
}

CButtonST* CButtonST::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  return static_cast<CButtonST*>(GetPropA(hwnd, kObjectProperty));
}

bool CButtonST::ReflectFromParent(UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT* result) {
  switch (message) {
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item == nullptr || item->CtlType != ODT_BUTTON) return false;
      CButtonST* button = FromHandle(item->hwndItem);
      if (button == nullptr) return false;
      button->DrawItem(*item);
      *result = TRUE;
      return true;
    }
    case WM_CTLCOLORBTN:
      if (FromHandle(reinterpret_cast<HWND>(lParam)) == nullptr) return false;
      *result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      return true;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        if (CButtonST* button = FromHandle(reinterpret_cast<HWND>(lParam))) {
          button->OnClicked();
        }
      }
      return false;
    default:
      return false;
  }
}

LRESULT CALLBACK CButtonST::SubclassProc(HWND hwnd, UINT message,
                                         WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<CButtonST*>(refData);
  return ui::GuardedCall(
      "a button", [&] { return self->HandleMessage(message, wParam, lParam); },
      [&] { return DefSubclassProc(hwnd, message, wParam, lParam); });
}

LRESULT CButtonST::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_;
  RelayToTooltip(message, wParam, lParam);
  switch (message) {
    case WM_LBUTTONDBLCLK:
      return DefSubclassProc(hwnd, WM_LBUTTONDOWN, wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(wParam, lParam);
    case WM_MOUSELEAVE:
    case WM_CANCELMODE:
    case WM_KILLFOCUS:
      CancelHover();
      break;
    case WM_ENABLE:
      return OnEnable(wParam, lParam);
    case BM_SETSTYLE:
      return OnSetStyle(wParam, lParam);
    case BM_GETCHECK:
      return isChecked_ ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      return OnSetCheck(wParam);
    case WM_GETDLGCODE:
      return OnGetDlgCode();
    case WM_SYSCOLORCHANGE:
      SetDefaultColours();
      Redraw();
      break;
    case WM_NCDESTROY:
      Detach();
      return DefSubclassProc(hwnd, message, wParam, lParam);
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CButtonST::OnMouseMove(WPARAM wParam, LPARAM lParam) {
  const bool leftDown = (wParam & MK_LBUTTON) != 0;
  const bool trackAllowed =
      alwaysTrack_ || GetActiveWindow() == GetAncestor(hwnd_, GA_ROOT);
  if (flat_ && trackAllowed &&
      button_state::MouseMoveMayTrack(leftDown, hover_)) {
    POINT point{static_cast<short>(LOWORD(lParam)),
                static_cast<short>(HIWORD(lParam))};
    ClientToScreen(hwnd_, &point);
    if (WindowFromPoint(point) == hwnd_) {
      if (!hover_) {
        hover_ = true;
        Redraw();
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = hwnd_;
        TrackMouseEvent(&track);
      }
    } else {
      CancelHover();
    }
  }
  return DefSubclassProc(hwnd_, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT CButtonST::OnEnable(WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_;
  const LRESULT result = DefSubclassProc(hwnd, WM_ENABLE, wParam, lParam);
  if (wParam == FALSE) {
    // Only a button that holds the focus hands it on: the page disables
    // whole groups of buttons at once and must not lose the user's place.
    if (GetFocus() == hwnd) {
      HWND parent = GetParent(hwnd);
      HWND next = parent != nullptr ? GetNextDlgTabItem(parent, hwnd, FALSE)
                                    : nullptr;
      if (next != nullptr && next != hwnd) {
        SetFocus(next);
      } else if (parent != nullptr) {
        SetFocus(parent);
      }
    }
    CancelHover();
  }
  return result;
}

LRESULT CButtonST::OnSetStyle(WPARAM wParam, LPARAM lParam) {
  const auto requested = static_cast<uint32_t>(wParam);
  if (!checkBoxMode_) isDefault_ = button_state::RequestsDefault(requested);
  return DefSubclassProc(hwnd_, BM_SETSTYLE,
                         static_cast<WPARAM>(button_state::OwnerDrawStyle(requested)),
                         lParam);
}

LRESULT CButtonST::OnSetCheck(WPARAM wParam) {
  isChecked_ = button_state::CheckRequestSets(wParam);
  Redraw();
  return 0;
}

LRESULT CButtonST::OnGetDlgCode() {
  if (checkBoxMode_) return DLGC_BUTTON;
  return DLGC_BUTTON | (isDefault_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

void CButtonST::OnClicked() {
  SetFocus(hwnd_);
  if (checkBoxMode_) {
    isChecked_ = !isChecked_;
    Redraw();
  }
}

void CButtonST::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsMouseMessage(message)) return;
  EnsureTooltip();
  if (tooltip_ == nullptr) return;
  MSG msg{};
  msg.hwnd = hwnd_;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = static_cast<DWORD>(GetMessageTime());
  const DWORD pos = GetMessagePos();
  msg.pt = POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void CButtonST::EnsureTooltip() {
  if (tooltip_ != nullptr || hwnd_ == nullptr) return;
  tooltip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (tooltip_ == nullptr) return;
  SendMessageA(tooltip_, TTM_ACTIVATE, FALSE, 0);
  SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
}

void CButtonST::SetTooltipText(UINT stringId, bool activate) {
  std::string text = LoadTableString(stringId);
  if (text.empty() || hwnd_ == nullptr) return;
  EnsureTooltip();
  if (tooltip_ == nullptr) return;
  TOOLINFOA tool{};
  // The version-2 size is understood by every common-controls version.
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = hwnd_;
  tool.uId = kToolId;
  tool.hinst = GetModuleHandleA(nullptr);
  tool.lpszText = text.data();
  if (SendMessageA(tooltip_, TTM_GETTOOLCOUNT, 0, 0) == 0) {
    GetClientRect(hwnd_, &tool.rect);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageA(tooltip_, TTM_ACTIVATE, activate ? TRUE : FALSE, 0);
}

void CButtonST::SetCheck(bool checked) {
  isChecked_ = checked;
  Redraw();
}

void CButtonST::SetFlat(bool flat) {
  flat_ = flat;
  Redraw();
}

void CButtonST::SetDefaultColours() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const COLORREF text = GetSysColor(COLOR_BTNTEXT);
  colours_ = Colours{face, text, face, text, face, text};
}

void CButtonST::CancelHover() {
  if (!hover_) return;
  hover_ = false;
  Redraw();
}

void CButtonST::Redraw() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

button_state::PaintState CButtonST::PaintStateNow() const {
  button_state::PaintState state;
  state.disabled = disabled_;
  state.pressed = pressed_;
  state.hover = hover_;
  state.isDefault = isDefault_;
  state.focused = focused_;
  state.drawPressedBorder = drawPressedBorder_;
  return state;
}

COLORREF CButtonST::ColourNow(COLORREF in, COLORREF focus, COLORREF out) const {
  switch (button_state::ColoursFor(PaintStateNow())) {
    case button_state::ColourSet::In: return in;
    case button_state::ColourSet::Focus: return focus;
    case button_state::ColourSet::Out: break;
  }
  return out;
}

COLORREF CButtonST::BackColour() const {
  return ColourNow(colours_.backIn, colours_.backFocus, colours_.backOut);
}

COLORREF CButtonST::ForeColour() const {
  return ColourNow(colours_.foreIn, colours_.foreFocus, colours_.foreOut);
}

void CButtonST::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  pressed_ = checkBoxMode_ ? (selected || isChecked_) : selected;
  focused_ = (item.itemState & ODS_FOCUS) != 0;
  disabled_ = (item.itemState & ODS_DISABLED) != 0;

  const int savedDc = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  RECT rect = item.rcItem;
  OnDrawBackground(dc, rect);
  OnDrawBorder(dc, rect);
  OnDrawText(dc, item.rcItem);

  // The keyboard-cue state decides whether focus is shown at all.
  const bool focusCueHidden = (item.itemState & ODS_NOFOCUSRECT) != 0;
  if (focused_ && !focusCueHidden && (!flat_ || flatFocus_)) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -kFocusInset, -kFocusInset);
    DrawFocusRect(dc, &focus);
  }
  RestoreDC(dc, savedDc);
}

void CButtonST::OnDrawBackground(HDC dc, RECT& rect) {
  if (!flat_ && (focused_ || isDefault_)) {
    FrameSolid(dc, rect, kBlack);
    InflateRect(&rect, -1, -1);
  }
  FillSolid(dc, rect, BackColour());
}

void CButtonST::OnDrawBorder(HDC dc, const RECT& rect) {
  if (pressed_) {
    if (flat_) {
      if (drawPressedBorder_) {
        Draw3dRect(dc, rect, GetSysColor(COLOR_BTNSHADOW),
                   GetSysColor(COLOR_BTNHIGHLIGHT));
      }
    } else {
      FrameSolid(dc, rect, GetSysColor(COLOR_BTNSHADOW));
    }
    return;
  }
  Draw3dRect(dc, rect, GetSysColor(COLOR_BTNHIGHLIGHT),
             GetSysColor(COLOR_3DDKSHADOW));
  RECT inner = rect;
  InflateRect(&inner, -1, -1);
  Draw3dRect(dc, inner, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

void CButtonST::OnDrawText(HDC dc, const RECT& rect) {
  const std::string caption = WindowText(hwnd_);
  if (caption.empty()) return;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
  if (font != nullptr) SelectObject(dc, font);

  RECT area = rect;
  if (pressed_ && !checkBoxMode_) {
    OffsetRect(&area, pressedOffset_.x, pressedOffset_.y);
  }
  const UINT format = DT_WORDBREAK | DT_CENTER;
  RECT measured = area;
  DrawTextA(dc, caption.c_str(), -1, &measured, format | DT_CALCRECT);
  const int height = measured.bottom - measured.top;
  area.top += ((area.bottom - area.top) - height) / 2;
  area.bottom = area.top + height;

  if (disabled_) {
    RECT raised = area;
    OffsetRect(&raised, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextA(dc, caption.c_str(), -1, &raised, format);
    SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
    DrawTextA(dc, caption.c_str(), -1, &area, format);
    return;
  }
  SetTextColor(dc, ForeColour());
  DrawTextA(dc, caption.c_str(), -1, &area, format);
}
