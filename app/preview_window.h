#pragma once
// The preview dialog (template 106): the heading, the list in a read-only
// edit control, Copy and Close. What it shows and copies is the model's.
#include <functional>

#include "app/preview_dialog.h"
#include "platform/win32/dialog_framework.h"

class CPreviewWindow : public ui::ModalDialog {
 public:
  using OwnerRegistrar = std::function<void(BoxOwner, HWND)>;

  CPreviewWindow(HINSTANCE instance, CPreviewDialogModel& model, OwnerRegistrar registerOwner);

 protected:
  INT_PTR OnInitDialog() override;
  INT_PTR OnCommand(int id, int code, HWND control) override;
  INT_PTR OnClose() override;
  INT_PTR OnDestroy() override;

 private:
  CPreviewDialogModel& model_;
  OwnerRegistrar registerOwner_;
};
