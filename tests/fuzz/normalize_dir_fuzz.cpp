// NormalizeDir: trailing separators go (trailing white space ignored while
// looking), nothing else changes.
#include <string>

#include "support/dir_read.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::AsText(data, size);
  const std::string normal = CSADirRead::NormalizeDir(path);
  FUZZ_CHECK(path.compare(0, normal.size(), normal) == 0, "a start of the path");
  FUZZ_CHECK(CSADirRead::NormalizeDir(normal) == normal, "normalising again changes nothing");
  if (normal.size() < path.size()) {
    FUZZ_CHECK(path[normal.size()] == '\\' || path[normal.size()] == '/', "cut at a separator");
  }
  return 0;
}
