#pragma once
// The Win32 window of the page "Uninstall printer and driver" (template 104):
// owns the page's buttons and visual-style object, gives the logic its
// controls through IWindowControls and routes the window's messages to the
// CRemoveDrvPrn handlers.
#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <utility>

#include "controls/theme_helper.h"
#include "controls/xp_style_button.h"
#include "platform/ui.h"
#include "platform/win32/dialog_framework.h"
#include "printer_page/remove_drv_prn.h"

class CPageWindow : public ui::PropertyPageWindow, public IWindowControls {
 public:
  using OwnerRegistrar = std::function<void(BoxOwner, HWND)>;
  // F1 on the page: true when handled.
  using HelpHandler = std::function<bool()>;

  CPageWindow(CRemoveDrvPrn& page, HINSTANCE instance, OwnerRegistrar registerOwner,
              HelpHandler onHelp);
  ~CPageWindow() override;

  // Called on the user-interface thread after each operation's end message.
  void SetOperationEndedHandler(std::function<void()> handler) {
    onOperationEnded_ = std::move(handler);
  }

  // IWindowControls. Safe from the worker thread: each call is a window
  // message that the user-interface thread handles.
  PURVEX_WINDOW_CONTROLS_OVERRIDES;

 protected:
  INT_PTR OnInitDialog() override;
  INT_PTR OnCommand(int id, int code, HWND control) override;
  INT_PTR OnHelp(const HELPINFO* info) override;
  INT_PTR OnDrawItem(const DRAWITEMSTRUCT* item) override;
  INT_PTR OnMeasureItem(MEASUREITEMSTRUCT* item) override;
  INT_PTR OnCtlColorButton(HDC dc, HWND control) override;
  INT_PTR OnClose() override;
  INT_PTR OnDestroy() override;
  INT_PTR OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct ThemedButton {
    int id;
    CXPStyleButton button;
  };

  // Runs `work` on the thread that owns the page window.
  void RunOnWindowThread(const std::function<void()>& work);
  bool IsComboBox(int id);
  LRESULT SendItem(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  CXPStyleButton* ButtonFor(int id);
  void DrawInfListItem(const DRAWITEMSTRUCT& item);

  CRemoveDrvPrn& page_;
  OwnerRegistrar registerOwner_;
  HelpHandler onHelp_;
  std::function<void()> onOperationEnded_;
  DWORD windowThread_ = 0;
  CThemeHelper theme_;
  std::array<ThemedButton, 7> buttons_;
};
