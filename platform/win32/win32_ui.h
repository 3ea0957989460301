#pragma once
#include <windows.h>

#include "platform/ui.h"
#include "platform/win32/owner_windows.h"

namespace win32 {

class Win32MessageBoxes : public IMessageBoxes {
 public:
  explicit Win32MessageBoxes(const OwnerWindows& owners) : owners_(owners) {}

  int Show(BoxOwner owner, const std::string& text, const std::string& caption,
           uint32_t style) override;

 private:
  const OwnerWindows& owners_;
};

// The string table of the program's own module.
class Win32StringTable : public IStringTable {
 public:
  std::string Load(uint32_t id) override;
};

}  // namespace win32
