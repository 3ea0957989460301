// GetVidAndPid over any hardware id: the result is a piece of the upper-cased
// id that ends before any "&MI", and an empty id is "VALUE_NOT_VALID".
#include <string>

#include "platform/text.h"
#include "printer_page/remove_drv_prn.h"
#include "removal/printer_record.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string id = fuzz::AsText(data, size);
  const std::string result = VidAndPidOf(id);
  if (id.empty()) {
    FUZZ_CHECK(result == kValueNotValid, "an empty id has no vendor and product");
    return 0;
  }
  FUZZ_CHECK(text::Upper(id).find(result) != std::string::npos, "a piece of the id");
  FUZZ_CHECK(result.find("&MI") == std::string::npos, "ends before the interface tag");
  FUZZ_CHECK(result == text::Upper(result), "upper case");
  return 0;
}
