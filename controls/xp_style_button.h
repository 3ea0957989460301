#pragma once
// A CButtonST that draws its background with the visual style when the
// application is themed, and the classic way otherwise.
#include "controls/button_st.h"
#include "controls/theme_helper.h"

class CXPStyleButton : public CButtonST {
 public:
  CXPStyleButton() = default;

  void SetThemeHelper(CThemeHelper* theme) { theme_ = theme; }
  void SetToolbarStyle(bool toolbarStyle) { toolbarStyle_ = toolbarStyle; }

 protected:
  void OnDrawBackground(HDC dc, RECT& rect) override;
  void OnDrawBorder(HDC dc, const RECT& rect) override;

 private:
  CThemeHelper* theme_ = nullptr;
  bool toolbarStyle_ = false;
  // Set by the background step of the current paint, read by its border step.
  bool themedPaint_ = false;
};
