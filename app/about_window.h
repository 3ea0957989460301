#pragma once
// The About box (template 100): the application name and release version.
#include <string>

#include "platform/win32/dialog_framework.h"

class CAboutDlg : public ui::ModalDialog {
 public:
  CAboutDlg(HINSTANCE instance, std::string releaseVersion, std::string applicationName);

 protected:
  INT_PTR OnInitDialog() override;
  INT_PTR OnCommand(int id, int code, HWND control) override;
  INT_PTR OnClose() override;

 private:
  std::string releaseVersion_;
  std::string applicationName_;
};
