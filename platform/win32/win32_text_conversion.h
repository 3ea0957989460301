#pragma once
#include <windows.h>

#include "platform/text_conversion.h"

namespace win32 {

class Win32TextConversion : public ITextConversion {
 public:
  Outcome WideToAnsiExact(const std::u16string& wide, std::string& ansi) override;
  Outcome AnsiToUtf8(const std::string& ansi, std::string& utf8) override;
};

}  // namespace win32
