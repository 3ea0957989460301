#pragma once
// Text between the system's ANSI code page and UTF-16, every character of
// the given length converted (embedded terminators included).
#include <windows.h>

#include <string>

namespace win32 {

inline std::wstring WideFromAnsi(const char* text, int size) {
  if (size <= 0) return std::wstring();
  const int length = MultiByteToWideChar(CP_ACP, 0, text, size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  (void)MultiByteToWideChar(CP_ACP, 0, text, size, wide.data(), length);
  return wide;
}

inline std::wstring WideFromAnsi(const std::string& text) {
  return WideFromAnsi(text.data(), static_cast<int>(text.size()));
}

inline std::string AnsiFromWide(const wchar_t* text, int size) {
  if (size <= 0) return std::string();
  const int length = WideCharToMultiByte(CP_ACP, 0, text, size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string ansi(static_cast<size_t>(length), '\0');
  (void)WideCharToMultiByte(CP_ACP, 0, text, size, ansi.data(), length, nullptr, nullptr);
  return ansi;
}

// Up to the terminator.
inline std::string AnsiFromWide(const wchar_t* text) {
  return AnsiFromWide(text, lstrlenW(text));
}

}  // namespace win32
