#pragma once
// The main dialog's state and logic. The Win32 window (app/main_window.cpp)
// owns the HWND, the system menu and the property sheet, and calls into this.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/preview_dialog.h"
#include "app/preview_list.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "printer_page/remove_drv_prn.h"
#include "support/log_file_manager.h"

struct EnvironmentInfo {
  uint16_t processorArchitecture = 0;
  std::string envDriversKey;
  std::string spoolPccDir;
  std::string spoolDriversDir;
};

// The composition root: it owns the log, the deletion record and the page,
// and is the page's owner (IPageOwner) for everything above the page.
class CPurvexDlg : public IPageOwner {
 public:
  static constexpr const char* kHelpFileName = "Purvex manual.pdf";

  explicit CPurvexDlg(Platform& platform);
  virtual ~CPurvexDlg();

  // The portable steps of dialog initialisation, in order: open the log and
  // write the blank line, give the page its owner, detect the environment and
  // hand the page its copies.
  void InitializeState();

  // Executable file name without its extension.
  std::string ApplicationName() override;
  std::string GetModuleDir();
  std::string GetReleaseVersion();
  std::string GetFileVersionText(const std::string& path);
  // Steps 3-5 of the release text: commas and spaces out, point after the
  // second character, one leading "0" dropped.
  static std::string FormatReleaseVersion(std::string fileVersion);
  bool DetectEnvironment(EnvironmentInfo* out);
  void ShowHelpFile();

  enum class SysCommand { About, Help, Default };
  static SysCommand ClassifySysCommand(uint32_t id);
  // F1 (WM_HELP via PreTranslateMessage): true when handled.
  bool OnHelpKey(bool shiftDown);
  // False when the close cannot finish: an earlier close still waits for the
  // worker, or the worker could not be stopped and the process was ended.
  bool OnClose();
  // WM_QUERYENDSESSION: false (refuse) while an operation runs.
  bool OnQueryEndSession();
  // WM_ENDSESSION of a session that ends: the close without the stop notice.
  bool OnEndSession();

  void ShowResultMessage(ResultCode code) override;
  void ShowDeletionReport(ResultCode code) override;
  void WriteLine(const std::string& line) override { (void)Log.WriteLine(line); }
  DeletionRecord& Deletions() override { return Record; }
  // Text of a string-table entry, optionally formatted.
  std::string LoadText(uint32_t id);
  template <typename... Args>
  std::string FormatText(uint32_t id, const Args&... args) {
    return text::Format(LoadText(id), args...);
  }

  using KeptInf = ::KeptInf;
  bool RemoveDriverPackage(std::vector<std::string>* infList,
                           std::vector<std::string>* storeList,
                           std::vector<KeptInf>* keptList = nullptr) override;
  void LogDifxError(int kind, uint32_t code);

  // The Preview button: what `request` would do, found by PreviewRun (the
  // page's work over a view in which nothing is written), logged as a
  // preview and handed to PresentPreview, the window that shows it. Without
  // either, nothing is previewed.
  void ShowPreview(const SequenceRequest& request);
  PreviewRunner PreviewRun;
  std::function<void(CPreviewDialogModel&)> PresentPreview;
  static const char* DifxErrorName(uint32_t code);

  Platform& platform;
  CRemoveDrvPrn PrinterPage;
  CLogFileManager Log;
  DeletionRecord Record;
  // Set before InitializeState: the log goes into this folder (a full path)
  // instead of "log" below the current directory.
  std::string LogDirectory;
  EnvironmentInfo SystemInfo;
  std::string EnvDriversKey;
  std::string SpoolPccDir;
  std::string SpoolDriversDir;

 private:
  bool Close(bool notify);
};
