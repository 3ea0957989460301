#include "platform/win32/win32_clipboard.h"

#include <climits>
#include <cstring>

#include "platform/win32/handles.h"

namespace win32 {
namespace {

// Memory the clipboard does not own yet: freed unless SetClipboardData took it.
struct GlobalMemoryTraits : traits::NullInvalid<HGLOBAL> {
  static void Close(Handle h) { GlobalFree(h); }
};
using UniqueGlobalMemory = UniqueResource<GlobalMemoryTraits>;

// Open from OpenClipboard to CloseClipboard, whatever path the copy takes.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

Outcome LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return Outcome::Failure(error != ERROR_SUCCESS ? error : fallback);
}

// The text as UTF-16 with its terminator, in memory the clipboard can own.
Outcome WideCopy(const std::string& utf8, UniqueGlobalMemory& memory) {
  if (utf8.size() > static_cast<size_t>(INT_MAX)) return Outcome::Failure(ERROR_INVALID_PARAMETER);
  const int sourceLength = static_cast<int>(utf8.size());
  int units = 0;
  if (sourceLength > 0) {
    SetLastError(ERROR_SUCCESS);
    units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), sourceLength,
                                nullptr, 0);
    if (units <= 0) return LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
  }
  const size_t bytes = (static_cast<size_t>(units) + 1) * sizeof(wchar_t);
  memory.reset(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
  auto* target = static_cast<wchar_t*>(GlobalLock(memory.get()));
  if (target == nullptr) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
  if (units > 0) {
    (void)MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), sourceLength,
                              target, units);
  }
  target[units] = L'\0';
  GlobalUnlock(memory.get());
  return Outcome::Success();
}

}  // namespace

Outcome Win32Clipboard::SetText(BoxOwner owner, const std::string& utf8) {
  const HWND window = owners_.Get(owner);

  // Converted before the clipboard is opened: other programs wait for it
  // while it is open.
  UniqueGlobalMemory memory;
  const Outcome converted = WideCopy(utf8, memory);
  if (!converted) return converted;

  ClipboardSession session(window);
  if (!session.open()) return LastErrorOr(ERROR_ACCESS_DENIED);
  if (!EmptyClipboard()) return LastErrorOr(ERROR_ACCESS_DENIED);
  if (SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) {
    return LastErrorOr(ERROR_ACCESS_DENIED);
  }
  // The clipboard owns it now.
  (void)memory.release();
  return Outcome::Success();
}

}  // namespace win32
