#include "app/preview_window.h"

#include <utility>

#include "resources/resource_ids.h"

CPreviewWindow::CPreviewWindow(HINSTANCE instance, CPreviewDialogModel& model,
                               OwnerRegistrar registerOwner)
    : ui::ModalDialog(instance, IDD_PREVIEW),
      model_(model),
      registerOwner_(std::move(registerOwner)) {}

INT_PTR CPreviewWindow::OnInitDialog() {
  // The clipboard is opened for this window while it is there.
  if (registerOwner_) registerOwner_(BoxOwner::PreviewDialog, Handle());
  SetDlgItemTextA(Handle(), IDC_PREVIEW_HEADING, model_.Heading().c_str());
  // An edit control takes any length through WM_SETTEXT; only typing is
  // limited, and this one is read-only.
  SetDlgItemTextA(Handle(), IDC_PREVIEW_LIST, model_.Text().c_str());
  ui::CenterWindow(Handle(), GetWindow(Handle(), GW_OWNER));
  // The focus on Close, not in the list: a list with the focus shows all of
  // its text selected.
  SetFocus(Item(IDCANCEL));
  return FALSE;
}

INT_PTR CPreviewWindow::OnCommand(int id, int code, HWND) {
  if (id == IDC_PREVIEW_COPY && code == BN_CLICKED) {
    (void)model_.Copy();
    return TRUE;
  }
  if (id != IDOK && id != IDCANCEL) return FALSE;
  EndDialog(IDCANCEL);
  return TRUE;
}

INT_PTR CPreviewWindow::OnClose() {
  EndDialog(IDCANCEL);
  return TRUE;
}

INT_PTR CPreviewWindow::OnDestroy() {
  if (registerOwner_) registerOwner_(BoxOwner::PreviewDialog, nullptr);
  return FALSE;
}
