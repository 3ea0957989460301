#include "app/about_window.h"

#include <utility>

#include "resources/resource_ids.h"

CAboutDlg::CAboutDlg(HINSTANCE instance, std::string releaseVersion,
                     std::string applicationName)
    : ui::ModalDialog(instance, IDD_ABOUTBOX),
      releaseVersion_(std::move(releaseVersion)),
      applicationName_(std::move(applicationName)) {}

INT_PTR CAboutDlg::OnInitDialog() {
  SetDlgItemTextA(Handle(), IDC_RELEASE_VERSION, releaseVersion_.c_str());
  SetDlgItemTextA(Handle(), IDC_APPLICATION_NAME, applicationName_.c_str());
  ui::CenterWindow(Handle(), GetWindow(Handle(), GW_OWNER));
  return TRUE;
}

INT_PTR CAboutDlg::OnCommand(int id, int, HWND) {
  if (id != IDOK && id != IDCANCEL) return FALSE;
  EndDialog(id);
  return TRUE;
}

INT_PTR CAboutDlg::OnClose() {
  EndDialog(IDCANCEL);
  return TRUE;
}
