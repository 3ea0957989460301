#include "platform/win32/win32_ui.h"

#include <vector>

namespace win32 {
namespace {

constexpr int kInitialStringChars = 512;
// A string resource holds at most 65535 UTF-16 units; its ANSI form can take
// two bytes for each.
constexpr int kMaxStringChars = 2 * 65536;

}  // namespace

int Win32MessageBoxes::Show(BoxOwner owner, const std::string& text,
                            const std::string& caption, uint32_t style) {
  return MessageBoxA(owners_.Get(owner), text.c_str(), caption.c_str(), style);
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
