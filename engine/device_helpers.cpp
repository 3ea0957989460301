#include <algorithm>
#include <vector>

#include "engine/device_service.h"
#include "platform/win_constants.h"

namespace {

// The NT 6 family (Vista, Server 2008, 7, 8) reports this major version.
constexpr uint32_t kNt6MajorVersion = 6;
// A property that grows between the size query and the read is asked for
// again, but not for ever.
constexpr int kMaxPropertyReads = 4;

}  // namespace

bool CDeviceService::GetDevicePropertyString(IDeviceInfoSet& set,
                                             uint32_t index, uint32_t property,
                                             uint32_t& regType,
                                             std::string& out) {
  std::vector<uint8_t> buffer;
  uint32_t requiredSize = 0;
  Outcome read = set.GetRegistryProperty(index, property, regType, nullptr, 0,
                                         requiredSize);
  for (int reads = 1; !read; ++reads) {
    // Missing property (13) and every other error end the query; only the
    // buffer that the set asks for is worth another call.
    if (read.error != win::kErrorInsufficientBuffer ||
        reads >= kMaxPropertyReads) {
      out.clear();
      return false;
    }
    // An empty value still needs a buffer to be read into.
    buffer.assign(std::max<uint32_t>(requiredSize, 1), 0);
    read = set.GetRegistryProperty(index, property, regType, buffer.data(),
                                   static_cast<uint32_t>(buffer.size()),
                                   requiredSize);
  }
  // A multi-string holds its first id, a NUL and the further ids: the
  // string the callers compare is the first one.
  const size_t dataSize = std::min<size_t>(requiredSize, buffer.size());
  const auto dataEnd = buffer.begin() + static_cast<std::ptrdiff_t>(dataSize);
  out.assign(buffer.begin(), std::find(buffer.begin(), dataEnd, 0));
  return true;
}

bool CDeviceService::IsVista() {
  OsVersion version;
  if (!platform_.system.Version(true, version)) {
    version = OsVersion{};
    if (!platform_.system.Version(false, version)) return false;
  }
  return version.major == kNt6MajorVersion;
}
