// The instance-id reduction of the printer facts and the port-service check:
// the last path component, cut before "&USB", upper case.
#include <string>

#include "platform/text.h"
#include "removal/removal_steps.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string id = fuzz::AsText(data, size);
  const std::string reduced = CRemovalSteps::ReduceInstanceId(id);
  const size_t slash = id.rfind('\\');
  const std::string last = slash == std::string::npos ? id : id.substr(slash + 1);
  FUZZ_CHECK(reduced.find('\\') == std::string::npos, "one component");
  FUZZ_CHECK(text::Upper(last).compare(0, reduced.size(), reduced) == 0,
             "the start of the last component");
  FUZZ_CHECK(reduced.size() == last.size() || last.compare(reduced.size(), 4, "&USB") == 0,
             "cut only at \"&USB\"");
  FUZZ_CHECK(CRemovalSteps::ReduceInstanceId(reduced) == reduced || reduced.find("&USB") != std::string::npos,
             "reducing again changes nothing");
  return 0;
}
