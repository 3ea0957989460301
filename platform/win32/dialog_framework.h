#pragma once
// The small dialog layer of the window classes: a dialog procedure that
// finds its object through DWLP_USER and dispatches to named handlers, a
// modal dialog, a property page, and a modeless property sheet that lives as
// a child control of another dialog.
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "platform/win32/handles.h"

namespace ui {

struct IconTraits : win32::traits::NullInvalid<HICON> {
  static void Close(Handle h) { DestroyIcon(h); }
};
using UniqueIcon = win32::UniqueResource<IconTraits>;

// An icon resource of the program at the system's big or small icon size.
enum class IconSize { Big, Small };
UniqueIcon LoadProgramIcon(int resourceId, IconSize size);

// Centres `window` over `reference`, or over the work area of its monitor
// when there is no visible reference window.
void CenterWindow(HWND window, HWND reference);

// Every handler returns the dialog procedure's result: FALSE lets the
// dialog manager do its default processing. Handlers run on the thread that
// owns the window; exceptions stop at the dialog procedure.
class DialogWindow {
 public:
  DialogWindow(HINSTANCE instance, int templateId)
      : instance_(instance), templateId_(templateId) {}
  virtual ~DialogWindow() = default;
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  HINSTANCE Instance() const { return instance_; }
  int TemplateId() const { return templateId_; }

 protected:
  virtual INT_PTR OnInitDialog() { return TRUE; }
  virtual INT_PTR OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return FALSE; }
  virtual INT_PTR OnSysCommand(UINT /*command*/, LPARAM /*lParam*/) { return FALSE; }
  virtual INT_PTR OnHelp(const HELPINFO* /*info*/) { return FALSE; }
  virtual INT_PTR OnPaint() { return FALSE; }
  virtual INT_PTR OnQueryDragIcon() { return 0; }
  virtual INT_PTR OnClose() { return FALSE; }
  virtual INT_PTR OnDrawItem(const DRAWITEMSTRUCT* /*item*/) { return FALSE; }
  virtual INT_PTR OnMeasureItem(MEASUREITEMSTRUCT* /*item*/) { return FALSE; }
  virtual INT_PTR OnCtlColorButton(HDC /*dc*/, HWND /*control*/) { return 0; }
  virtual INT_PTR OnSysColorChange() { return FALSE; }
  virtual INT_PTR OnDestroy() { return FALSE; }
  // Every message without a handler of its own (application messages).
  virtual INT_PTR OnOtherMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return FALSE;
  }

  // The dialog procedure of a window whose WM_INITDIALOG lParam carries the
  // object in the way the concrete class knows (see Attach).
  static INT_PTR Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                          DialogWindow* attachAtInit);
  static DialogWindow* FromHandle(HWND hwnd);

 private:
  INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);

  HINSTANCE instance_;
  int templateId_;
  HWND hwnd_ = nullptr;
};

class ModalDialog : public DialogWindow {
 public:
  using DialogWindow::DialogWindow;
  // Runs the dialog; the value given to EndDialog, or -1 when it could not
  // be created.
  INT_PTR DoModal(HWND owner);
  void EndDialog(INT_PTR result);

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

class PropertyPageWindow : public DialogWindow {
 public:
  using DialogWindow::DialogWindow;
  // The page's description for the sheet; the tab text is the template's
  // caption.
  PROPSHEETPAGEA Describe();

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// A modeless property sheet created as a child of a dialog and laid over one
// of its controls. Its own OK/Cancel/Help buttons are hidden: the host
// dialog has the buttons.
class ChildPropertySheet {
 public:
  HWND Create(HWND parent, const std::vector<PropertyPageWindow*>& pages);
  // Moves the sheet onto the rectangle of the parent's control `frameId`.
  void PlaceOver(int frameId);
  HWND Handle() const { return hwnd_; }

 private:
  static int CALLBACK Callback(HWND hwnd, UINT message, LPARAM lParam);

  HWND parent_ = nullptr;
  HWND hwnd_ = nullptr;
};

}  // namespace ui
