#pragma once
#include <windows.h>

#include <atomic>

#include "platform/ui.h"

namespace win32 {

class Win32MessageBoxes : public IMessageBoxes {
 public:
  // Boxes may be shown from the worker thread while the user-interface
  // thread sets the owners, hence atomics.
  void SetOwner(BoxOwner owner, HWND window);

  int Show(BoxOwner owner, const std::string& text, const std::string& caption,
           uint32_t style) override;

 private:
  std::atomic<HWND> mainDialog_{nullptr};
  std::atomic<HWND> page_{nullptr};
  std::atomic<HWND> preview_{nullptr};
};

// The string table of the program's own module.
class Win32StringTable : public IStringTable {
 public:
  std::string Load(uint32_t id) override;
};

}  // namespace win32
