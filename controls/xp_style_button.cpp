#include "controls/xp_style_button.h"

namespace {
constexpr const wchar_t* kToolbarThemeClass = L"TOOLBAR";
constexpr const wchar_t* kButtonThemeClass = L"BUTTON";
}  // namespace

void CXPStyleButton::OnDrawBackground(HDC dc, RECT& rect) {
  themedPaint_ = false;
  if (theme_ != nullptr && theme_->IsAppThemed()) {
    HTHEME theme = theme_->OpenThemeData(
        hwnd_, toolbarStyle_ ? kToolbarThemeClass : kButtonThemeClass);
    if (theme != nullptr) {
      button_state::PaintState state = PaintStateNow();
      state.toolbarStyle = toolbarStyle_;
      theme_->DrawThemeParentBackground(hwnd_, dc, &rect);
      const HRESULT drawn = theme_->DrawThemeBackground(
          theme, dc, button_state::kPartPushButton,
          button_state::ThemedState(state), &rect, nullptr);
      theme_->CloseThemeData(theme);
      themedPaint_ = SUCCEEDED(drawn);
      if (themedPaint_) return;
    }
  }
  CButtonST::OnDrawBackground(dc, rect);
}

void CXPStyleButton::OnDrawBorder(HDC dc, const RECT& rect) {
  if (themedPaint_) return;
  CButtonST::OnDrawBorder(dc, rect);
}
