#pragma once
// INF files as driver packages often ship them: UTF-16 with a byte-order
// mark. Shared by the unit tests, the fuzz targets and the Wine seed, which
// all plant such files.
#include <string>

namespace testtext {

enum class ByteOrder { Little, Big };

// Each byte of `text` becomes the unit of the same number: right for ASCII,
// and the Latin-1 reading of any other byte.
inline std::string Utf16WithMark(const std::string& text,
                                  ByteOrder order = ByteOrder::Little) {
  const bool little = order == ByteOrder::Little;
  std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
  out.reserve(2 + 2 * text.size());
  for (const char c : text) {
    out += little ? c : '\0';
    out += little ? '\0' : c;
  }
  return out;
}

}  // namespace testtext
