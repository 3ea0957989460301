#include "platform/win32/win32_ui.h"

#include <vector>

namespace win32 {
namespace {

constexpr int kInitialStringChars = 512;
// A string resource holds at most 65535 UTF-16 units; its ANSI form can take
// two bytes for each.
constexpr int kMaxStringChars = 2 * 65536;

}  // namespace

void Win32MessageBoxes::SetOwner(BoxOwner owner, HWND window) {
  switch (owner) {
    case BoxOwner::MainDialog:
      mainDialog_.store(window);
      break;
    case BoxOwner::Page:
      page_.store(window);
      break;
    case BoxOwner::PreviewDialog:
      preview_.store(window);
      break;
    case BoxOwner::None:
      break;
  }
}

int Win32MessageBoxes::Show(BoxOwner owner, const std::string& text,
                            const std::string& caption, uint32_t style) {
  HWND window = nullptr;
  if (owner == BoxOwner::MainDialog) window = mainDialog_.load();
  if (owner == BoxOwner::Page) window = page_.load();
  if (owner == BoxOwner::PreviewDialog) window = preview_.load();
  return MessageBoxA(window, text.c_str(), caption.c_str(), style);
}

std::string Win32StringTable::Load(uint32_t id) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  // LoadStringA truncates silently: a result that fills the buffer may have
  // been cut, so the buffer grows until the text leaves room to spare.
  for (int capacity = kInitialStringChars; capacity <= kMaxStringChars;
       capacity *= 2) {
    std::vector<char> buffer(static_cast<size_t>(capacity), '\0');
    const int length = LoadStringA(module, id, buffer.data(), capacity);
    if (length <= 0) return std::string();
    if (length < capacity - 1) return std::string(buffer.data(), length);
  }
  return std::string();
}

}  // namespace win32
