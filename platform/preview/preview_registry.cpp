// The registry seen through the preview: deleted keys and links are gone for
// every later open, enumeration and subkey count.
#include <string>
#include <vector>

#include "platform/preview/preview_state.h"
#include "platform/win_constants.h"

namespace preview {
namespace {

constexpr uint32_t kErrorKeyDeleted = 1018;
// A key name has at most 255 characters.
constexpr uint32_t kKeyNameCapacity = 256;

class PreviewKey : public IRegistryKey {
 public:
  PreviewKey(State& state, std::string name, RegistryKey real)
      : state_(state), name_(std::move(name)), real_(std::move(real)) {}

  uint32_t QueryValue(const std::string& valueName, uint32_t& type, uint8_t* data,
                      uint32_t& size) override {
    auto lock = state_.Lock();
    if (state_.keys.Hides(name_)) return kErrorKeyDeleted;
    return real_->QueryValue(valueName, type, data, size);
  }

  uint32_t EnumKey(uint32_t index, std::string& name, uint32_t capacity) override {
    auto lock = state_.Lock();
    if (state_.keys.Hides(name_)) return kErrorKeyDeleted;
    if (!state_.keys.TouchesChildrenOf(name_)) return real_->EnumKey(index, name, capacity);
    const uint32_t listed = VisibleSubkeys();
    if (listed != win::kErrorSuccess) return listed;
    if (index >= names_.size()) return win::kErrorNoMoreItems;
    if (names_[index].size() + 1 > capacity) return win::kErrorMoreData;
    name = names_[index];
    return win::kErrorSuccess;
  }

  uint32_t QuerySubkeyCount(uint32_t& count) override {
    auto lock = state_.Lock();
    if (state_.keys.Hides(name_)) return kErrorKeyDeleted;
    if (!state_.keys.TouchesChildrenOf(name_)) return real_->QuerySubkeyCount(count);
    const uint32_t listed = VisibleSubkeys();
    if (listed == win::kErrorSuccess) count = static_cast<uint32_t>(names_.size());
    return listed;
  }

 private:
  // Only for a key some of whose subkeys were deleted in the view, where
  // the indices of the rest must close up. Listed once per handle while no
  // further key goes, so that a walk by index stays linear.
  uint32_t VisibleSubkeys() {
    if (listed_ && listedAt_ == state_.keysRemoved) return win::kErrorSuccess;
    names_.clear();
    listed_ = false;
    for (uint32_t index = 0;; ++index) {
      std::string name;
      const uint32_t status = real_->EnumKey(index, name, kKeyNameCapacity);
      if (status == win::kErrorNoMoreItems) break;
      if (status != win::kErrorSuccess) return status;
      if (!state_.keys.RemovedExactly(name_ + "\\" + NameKey(name))) names_.push_back(name);
    }
    listed_ = true;
    listedAt_ = state_.keysRemoved;
    return win::kErrorSuccess;
  }

  State& state_;
  std::string name_;
  RegistryKey real_;
  std::vector<std::string> names_;
  bool listed_ = false;
  uint64_t listedAt_ = 0;
};

class PreviewRegistry : public IRegistry {
 public:
  explicit PreviewRegistry(State& state) : state_(state) {}

  uint32_t OpenKey(RegRoot root, const std::string& subkey, uint32_t access,
                   RegistryKey& out) override {
    return Open(root, subkey, access, out, false);
  }

  uint32_t OpenLink(RegRoot root, const std::string& subkey, uint32_t access,
                    RegistryKey& out) override {
    return Open(root, subkey, access, out, true);
  }

  uint32_t DeleteTree(RegRoot root, const std::string& subkey) override {
    auto lock = state_.Lock();
    RegistryKey key;
    const uint32_t opened = OpenKey(root, subkey, win::kKeyRead, key);
    if (opened != win::kErrorSuccess) return opened;
    state_.RemoveKey(root, subkey);
    return win::kErrorSuccess;
  }

  uint32_t DeleteLink(RegRoot root, const std::string& subkey) override {
    auto lock = state_.Lock();
    RegistryKey link;
    const uint32_t opened = OpenLink(root, subkey, win::kKeyQueryValue, link);
    if (opened != win::kErrorSuccess) return opened;
    uint32_t type = 0;
    uint32_t size = 0;
    const uint32_t queried = link->QueryValue(kSymbolicLinkValue, type, nullptr, size);
    if (queried != win::kErrorSuccess || type != kRegLinkType) {
      return win::kErrorInvalidParameter;
    }
    state_.RemoveKey(root, subkey);
    return win::kErrorSuccess;
  }

 private:
  uint32_t Open(RegRoot root, const std::string& subkey, uint32_t access, RegistryKey& out,
                bool link) {
    auto lock = state_.Lock();
    const std::string name = RegistryName(root, subkey);
    if (state_.keys.Hides(name)) return win::kErrorFileNotFound;
    RegistryKey real;
    const uint32_t status = link ? state_.real.registry.OpenLink(root, subkey, access, real)
                                 : state_.real.registry.OpenKey(root, subkey, access, real);
    if (status != win::kErrorSuccess) return status;
    out = std::make_unique<PreviewKey>(state_, name, std::move(real));
    return win::kErrorSuccess;
  }

  State& state_;
};

}  // namespace

std::unique_ptr<IRegistry> MakeRegistry(State& state) {
  return std::make_unique<PreviewRegistry>(state);
}

}  // namespace preview
