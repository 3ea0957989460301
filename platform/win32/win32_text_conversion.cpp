#include "platform/win32/win32_text_conversion.h"

#include <climits>

namespace win32 {
namespace {

// WideCharToMultiByte's own flag set that leaves no character to a guess;
// UTF-8 takes no flags but MB_ERR_INVALID_CHARS / WC_ERR_INVALID_CHARS.
constexpr DWORD kExactAnsiFlags = WC_NO_BEST_FIT_CHARS;

bool FitsInt(size_t size) { return size <= static_cast<size_t>(INT_MAX); }

Outcome LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return Outcome::Failure(error != ERROR_SUCCESS ? error : fallback);
}

}  // namespace

Outcome Win32TextConversion::WideToAnsiExact(const std::u16string& wide, std::string& ansi) {
  ansi.clear();
  if (wide.empty()) return Outcome::Success();
  if (!FitsInt(wide.size())) return Outcome::Failure(ERROR_INVALID_PARAMETER);
  const auto* source = reinterpret_cast<const wchar_t*>(wide.data());
  const int sourceLength = static_cast<int>(wide.size());
  // A system whose ANSI code page is UTF-8 holds every character; there the
  // call refuses the used-default question and reports unpaired surrogates
  // through WC_ERR_INVALID_CHARS instead.
  const bool utf8Page = GetACP() == CP_UTF8;
  const DWORD flags = utf8Page ? WC_ERR_INVALID_CHARS : kExactAnsiFlags;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultQuestion = utf8Page ? nullptr : &usedDefault;
  SetLastError(ERROR_SUCCESS);
  const int needed = WideCharToMultiByte(CP_ACP, flags, source, sourceLength,
                                         nullptr, 0, nullptr, usedDefaultQuestion);
  if (needed <= 0) return LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
  if (usedDefault) return Outcome::Failure(ERROR_NO_UNICODE_TRANSLATION);
  std::string converted(static_cast<size_t>(needed), '\0');
  usedDefault = FALSE;
  const int written = WideCharToMultiByte(CP_ACP, flags, source, sourceLength,
                                          converted.data(), needed, nullptr,
                                          usedDefaultQuestion);
  if (written != needed) return LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
  if (usedDefault) return Outcome::Failure(ERROR_NO_UNICODE_TRANSLATION);
  ansi = std::move(converted);
  return Outcome::Success();
}

Outcome Win32TextConversion::AnsiToUtf8(const std::string& ansi, std::string& utf8) {
  utf8.clear();
  if (ansi.empty()) return Outcome::Success();
  if (!FitsInt(ansi.size())) return Outcome::Failure(ERROR_INVALID_PARAMETER);
  const int sourceLength = static_cast<int>(ansi.size());
  SetLastError(ERROR_SUCCESS);
  const int wideLength =
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), sourceLength, nullptr, 0);
  if (wideLength <= 0) return LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), sourceLength,
                          wide.data(), wideLength) != wideLength) {
    return LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
  }
  const int needed =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
  std::string converted(static_cast<size_t>(needed), '\0');
  if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, converted.data(), needed,
                          nullptr, nullptr) != needed) {
    return LastErrorOr(ERROR_NO_UNICODE_TRANSLATION);
  }
  utf8 = std::move(converted);
  return Outcome::Success();
}

}  // namespace win32
