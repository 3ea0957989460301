#pragma once
#include <windows.h>

#include "platform/clipboard.h"
#include "platform/win32/owner_windows.h"

namespace win32 {

class Win32Clipboard : public IClipboard {
 public:
  // The clipboard is opened for the window of the text's owner.
  explicit Win32Clipboard(const OwnerWindows& owners) : owners_(owners) {}

  Outcome SetText(BoxOwner owner, const std::string& utf8) override;

 private:
  const OwnerWindows& owners_;
};

}  // namespace win32
