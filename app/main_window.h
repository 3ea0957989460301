#pragma once
// The main dialog window (template 102): the system menu, the icons, the
// property sheet with the printer page over frame control 1000, help and
// closing. The state and logic are CPurvexDlg's.
#include <windows.h>

#include <functional>

#include "app/purvex_dlg.h"
#include "platform/win32/dialog_framework.h"
#include "printer_page/page_window.h"

class CMainWindow : public ui::ModalDialog {
 public:
  using OwnerRegistrar = std::function<void(BoxOwner, HWND)>;

  CMainWindow(CPurvexDlg& dlg, HINSTANCE instance, OwnerRegistrar registerOwner);

 protected:
  INT_PTR OnInitDialog() override;
  INT_PTR OnCommand(int id, int code, HWND control) override;
  INT_PTR OnSysCommand(UINT command, LPARAM lParam) override;
  INT_PTR OnHelp(const HELPINFO* info) override;
  INT_PTR OnPaint() override;
  INT_PTR OnQueryDragIcon() override;
  INT_PTR OnClose() override;
  INT_PTR OnSysColorChange() override;
  INT_PTR OnDestroy() override;
  INT_PTR OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void AddSystemMenuEntries();
  void ShowAbout();
  bool OnHelpKey();
  void EndMainDialog(INT_PTR result);
  // The text Windows shows for this program while it refuses to let the
  // session end; from Vista on, resolved at run time.
  void SetShutdownBlockReason(bool blocking);

  CPurvexDlg& dlg_;
  OwnerRegistrar registerOwner_;
  ui::UniqueIcon bigIcon_;
  ui::UniqueIcon smallIcon_;
  CPageWindow pageWindow_;
  ui::ChildPropertySheet sheet_;
  bool blockReasonSet_ = false;
};
