#include "printer_page/symbolic_name.h"

#include "platform/text.h"
#include "removal/removal_types.h"

namespace {

constexpr const char* kVendorIdTag = "VID";
constexpr char kSymbolicNameSeparator = '#';

}  // namespace

std::string InstancePathOfSymbolicName(const std::string& value) {
  const std::string upperName = text::Upper(value.substr(0, value.find('\0')));
  const auto first = upperName.find(kSymbolicNameSeparator);
  if (first == std::string::npos) return "";
  const auto second = upperName.find(kSymbolicNameSeparator, first + 1);
  if (second == std::string::npos) return "";
  const std::string hardwarePart = upperName.substr(first + 1, second - first - 1);
  if (!text::Contains(hardwarePart, kVendorIdTag) ||
      !text::Contains(hardwarePart, kProductIdTag)) {
    return "";
  }
  const auto third = upperName.find(kSymbolicNameSeparator, second + 1);
  const std::string instancePart =
      third == std::string::npos ? upperName.substr(second + 1)
                                 : upperName.substr(second + 1, third - second - 1);
  if (instancePart.empty()) return "";
  return hardwarePart + "\\" + instancePart;
}
