// The backup-directory name comes from a hardware id read from the device
// and becomes one path component below the spooler directory.
#include <string>

#include "removal/removal_steps.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string id = fuzz::AsText(data, size);
  const std::string name = CRemovalSteps::BackupDirectoryName(id);
  for (char c : name) {
    FUZZ_CHECK((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_',
               "nothing but [a-z0-9_]");
  }
  const size_t separator = id.empty() ? std::string::npos : id.find('\\', 1);
  const size_t expected = separator == std::string::npos ? id.size() : id.size() - separator - 1;
  FUZZ_CHECK(name.size() == expected, "one character for each after the first separator");
  return 0;
}
