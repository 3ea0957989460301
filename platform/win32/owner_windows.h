#pragma once
#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>

#include "platform/ui.h"

namespace win32 {

// The window that stands for each owner of boxes and clipboard copies. The
// worker thread reads it while the user-interface thread sets it, hence
// atomics; nullptr when the window has gone.
class OwnerWindows {
 public:
  void Set(BoxOwner owner, HWND window) {
    const size_t slot = SlotOf(owner);
    if (slot < windows_.size()) windows_[slot].store(window);
  }
  HWND Get(BoxOwner owner) const {
    const size_t slot = SlotOf(owner);
    return slot < windows_.size() ? windows_[slot].load() : nullptr;
  }

 private:
  static constexpr size_t kOwners = 3;
  // kOwners for BoxOwner::None, which has no window.
  static size_t SlotOf(BoxOwner owner) {
    switch (owner) {
      case BoxOwner::MainDialog:
        return 0;
      case BoxOwner::Page:
        return 1;
      case BoxOwner::PreviewDialog:
        return 2;
      case BoxOwner::None:
        break;
    }
    return kOwners;
  }

  std::array<std::atomic<HWND>, kOwners> windows_{};
};

}  // namespace win32
