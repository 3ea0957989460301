#pragma once
// Conversions between the system's ANSI text and Unicode that must not guess.
// A printer named on the command line is matched against the ANSI names the
// spooler gives; a character the code page does not hold must not be turned
// into a look-alike ("best fit") that could name another printer.
#include <cstdint>
#include <string>

#include "platform/outcome.h"

namespace win {
inline constexpr uint32_t kErrorNoUnicodeTranslation = 1113;
}  // namespace win

class ITextConversion {
 public:
  virtual ~ITextConversion() = default;
  // WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS) with the used-default
  // check: fails with 1113 (no Unicode translation) when any character, an
  // unpaired surrogate included, has no exact counterpart. `ansi` is empty
  // after a failure.
  virtual Outcome WideToAnsiExact(const std::u16string& wide, std::string& ansi) = 0;
  // MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS), then UTF-8: fails
  // with 1113 on a byte sequence the code page does not define. `utf8` is
  // empty after a failure.
  virtual Outcome AnsiToUtf8(const std::string& ansi, std::string& utf8) = 0;
};
