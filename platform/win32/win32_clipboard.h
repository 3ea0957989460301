#pragma once
#include <windows.h>

#include <atomic>

#include "platform/clipboard.h"

namespace win32 {

class Win32Clipboard : public IClipboard {
 public:
  // The window the clipboard is opened for when the text comes from
  // `owner`; nullptr when it has gone.
  void SetOwner(BoxOwner owner, HWND window);

  Outcome SetText(BoxOwner owner, const std::string& utf8) override;

 private:
  std::atomic<HWND> mainDialog_{nullptr};
  std::atomic<HWND> page_{nullptr};
  std::atomic<HWND> preview_{nullptr};
};

}  // namespace win32
