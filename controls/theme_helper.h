#pragma once
// Run-time access to the visual-style library, loaded from the system
// directory. Nothing is imported from it: every function is looked up by name
// at each call, so the program runs and draws the classic way where
// UxTheme.dll (or one of its functions) is missing.
#include <windows.h>

#include <uxtheme.h>

#include "platform/win32/handles.h"

class CThemeHelper {
 public:
  CThemeHelper();
  virtual ~CThemeHelper();
  CThemeHelper(const CThemeHelper&) = delete;
  CThemeHelper& operator=(const CThemeHelper&) = delete;

  // Null when the library or the function is missing.
  HTHEME OpenThemeData(HWND window, LPCWSTR classList);
  void CloseThemeData(HTHEME theme);
  // Called only when the library has the function.
  void DrawThemeParentBackground(HWND window, HDC dc, const RECT* rect);
  // E_FAIL when the function is missing.
  HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int partId, int stateId,
                              const RECT* rect, const RECT* clipRect);
  // False when the function is missing.
  bool IsAppThemed();

 private:
  template <typename Function>
  Function Resolve(const char* name) const;

  win32::UniqueModule module_;
};
