#include "controls/theme_helper.h"

#include "platform/win32/system_library.h"

namespace {

constexpr const char* kThemeLibrary = "UxTheme.dll";

using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);
using DrawThemeParentBackgroundFn = HRESULT(WINAPI*)(HWND, HDC, const RECT*);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int,
                                               const RECT*, const RECT*);
using IsAppThemedFn = BOOL(WINAPI*)();

}  // namespace

CThemeHelper::CThemeHelper() : module_(win32::LoadSystemLibrary(kThemeLibrary)) {}

// The library is freed with module_.
CThemeHelper::~CThemeHelper() = default;

template <typename Function>
Function CThemeHelper::Resolve(const char* name) const {
  if (!module_) return nullptr;
  // GetProcAddress returns a generic function pointer; the cast through
  // void* restores the real signature without a function-type-cast warning.
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
}

HTHEME CThemeHelper::OpenThemeData(HWND window, LPCWSTR classList) {
  auto open = Resolve<OpenThemeDataFn>("OpenThemeData");
  return open != nullptr ? open(window, classList) : nullptr;
}

void CThemeHelper::CloseThemeData(HTHEME theme) {
  auto close = Resolve<CloseThemeDataFn>("CloseThemeData");
  if (close != nullptr && theme != nullptr) (void)close(theme);
}

void CThemeHelper::DrawThemeParentBackground(HWND window, HDC dc,
                                             const RECT* rect) {
  auto draw = Resolve<DrawThemeParentBackgroundFn>("DrawThemeParentBackground");
  if (draw != nullptr) (void)draw(window, dc, rect);
}

HRESULT CThemeHelper::DrawThemeBackground(HTHEME theme, HDC dc, int partId,
                                          int stateId, const RECT* rect,
                                          const RECT* clipRect) {
  auto draw = Resolve<DrawThemeBackgroundFn>("DrawThemeBackground");
  if (draw == nullptr) return E_FAIL;
  return draw(theme, dc, partId, stateId, rect, clipRect);
}

bool CThemeHelper::IsAppThemed() {
  auto themed = Resolve<IsAppThemedFn>("IsAppThemed");
  return themed != nullptr && themed() != FALSE;
}
