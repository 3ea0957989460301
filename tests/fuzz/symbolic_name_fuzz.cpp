// The symbolic-name split of Clean system: a device entry's "SymbolicName"
// leads to the instance key whose "ParentIdPrefix" decides whether the entry
// is a leftover. The parser must agree with an independent reading of the
// name and never name a key outside the hardware part it checked.
#include <string>

#include "platform/text.h"
#include "printer_page/symbolic_name.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// The split, written out once more on the upper-cased first string.
std::string InstancePath(const std::string& name) {
  const size_t first = name.find('#');
  if (first == std::string::npos) return "";
  const size_t second = name.find('#', first + 1);
  if (second == std::string::npos) return "";
  const std::string hardware = name.substr(first + 1, second - first - 1);
  if (hardware.find("VID") == std::string::npos || hardware.find("PID") == std::string::npos) {
    return "";
  }
  const size_t third = name.find('#', second + 1);
  const std::string instance =
      name.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
  return instance.empty() ? "" : hardware + "\\" + instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string value(reinterpret_cast<const char*>(data), size);
  const std::string path = InstancePathOfSymbolicName(value);
  const std::string firstString = value.substr(0, value.find('\0'));
  FUZZ_CHECK(path == InstancePath(text::Upper(firstString)), "the split agrees with its reading");
  if (!path.empty()) {
    FUZZ_CHECK(path.find('#') == std::string::npos, "no separator is left in the path");
    FUZZ_CHECK(path.find('\0') == std::string::npos, "nothing past the first string is read");
    FUZZ_CHECK(path == text::Upper(path), "the path is upper-cased");
  }
  return 0;
}
