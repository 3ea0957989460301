#pragma once
// What the targets share: a failed property aborts, so that libFuzzer keeps
// the input as a crash, and the input as text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, what)                                              \
  do {                                                                           \
    if (!(condition)) {                                                          \
      std::fprintf(stderr, "property failed: %s (%s:%d)\n", what, __FILE__, __LINE__); \
      std::abort();                                                              \
    }                                                                            \
  } while (false)

namespace fuzz {

inline std::string AsText(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Splits off the text up to the first line feed (which is dropped); the
// rest stays in `rest`.
inline std::string TakeLine(std::string& rest) {
  const size_t end = rest.find('\n');
  std::string line = rest.substr(0, end);
  rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
  return line;
}

}  // namespace fuzz
