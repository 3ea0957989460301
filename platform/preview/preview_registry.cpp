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

// The view works with the system's status values and answers the interface's
// outcomes at its edge.
uint32_t StatusOf(const Outcome& outcome) { return outcome.ok ? 0 : outcome.error; }

class PreviewKey : public IRegistryKey {
 public:
  PreviewKey(State& state, std::string name, RegistryKey real)
      : state_(state), name_(std::move(name)), real_(std::move(real)) {}

  Outcome QueryValue(const std::string& valueName, uint32_t& type, uint8_t* data,
                     uint32_t& size) override {
    auto lock = state_.Lock();
    if (state_.keys.Hides(name_)) return Outcome::Failure(kErrorKeyDeleted);
    return real_->QueryValue(valueName, type, data, size);
  }

  Outcome EnumKey(uint32_t index, std::string& name, uint32_t capacity) override {
    return RegistryOutcome(EnumKeyStatus(index, name, capacity));
  }

  Outcome QuerySubkeyCount(uint32_t& count) override {
    return RegistryOutcome(QuerySubkeyCountStatus(count));
  }

 private:
  uint32_t EnumKeyStatus(uint32_t index, std::string& name, uint32_t capacity) {
    auto lock = state_.Lock();
    if (state_.keys.Hides(name_)) return kErrorKeyDeleted;
    if (!state_.keys.TouchesChildrenOf(name_)) {
      return StatusOf(real_->EnumKey(index, name, capacity));
    }
    const uint32_t listed = VisibleSubkeys();
    if (listed != win::kErrorSuccess) return listed;
    if (index >= names_.size()) return win::kErrorNoMoreItems;
    if (names_[index].size() + 1 > capacity) return win::kErrorMoreData;
    name = names_[index];
    return win::kErrorSuccess;
  }

  uint32_t QuerySubkeyCountStatus(uint32_t& count) {
    auto lock = state_.Lock();
    if (state_.keys.Hides(name_)) return kErrorKeyDeleted;
    if (!state_.keys.TouchesChildrenOf(name_)) return StatusOf(real_->QuerySubkeyCount(count));
    const uint32_t listed = VisibleSubkeys();
    if (listed == win::kErrorSuccess) count = static_cast<uint32_t>(names_.size());
    return listed;
  }

  // Only for a key some of whose subkeys were deleted in the view, where
  // the indices of the rest must close up. Listed once per handle while no
  // further key goes, so that a walk by index stays linear.
  uint32_t VisibleSubkeys() {
    if (listed_ && listedAt_ == state_.keysRemoved) return win::kErrorSuccess;
    names_.clear();
    listed_ = false;
    for (uint32_t index = 0;; ++index) {
      std::string name;
      const uint32_t status = StatusOf(real_->EnumKey(index, name, kKeyNameCapacity));
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

  Outcome OpenKey(RegRoot root, const std::string& subkey, uint32_t access,
                  RegistryKey& out) override {
    return RegistryOutcome(Open(root, subkey, access, out, false));
  }

  Outcome OpenLink(RegRoot root, const std::string& subkey, uint32_t access,
                   RegistryKey& out) override {
    return RegistryOutcome(Open(root, subkey, access, out, true));
  }

  Outcome DeleteTree(RegRoot root, const std::string& subkey) override {
    auto lock = state_.Lock();
    RegistryKey key;
    const Outcome opened = OpenKey(root, subkey, win::kKeyRead, key);
    if (!opened) return opened;
    state_.RemoveKey(root, subkey);
    return Outcome::Success();
  }

  Outcome DeleteLink(RegRoot root, const std::string& subkey) override {
    auto lock = state_.Lock();
    RegistryKey link;
    const Outcome opened = OpenLink(root, subkey, win::kKeyQueryValue, link);
    if (!opened) return opened;
    uint32_t type = 0;
    uint32_t size = 0;
    const Outcome queried = link->QueryValue(kSymbolicLinkValue, type, nullptr, size);
    if (!queried || type != kRegLinkType) return Outcome::Failure(win::kErrorInvalidParameter);
    state_.RemoveKey(root, subkey);
    return Outcome::Success();
  }

 private:
  uint32_t Open(RegRoot root, const std::string& subkey, uint32_t access, RegistryKey& out,
                bool link) {
    auto lock = state_.Lock();
    const std::string name = RegistryName(root, subkey);
    if (state_.keys.Hides(name)) return win::kErrorFileNotFound;
    RegistryKey real;
    const uint32_t status =
        StatusOf(link ? state_.real.registry.OpenLink(root, subkey, access, real)
                      : state_.real.registry.OpenKey(root, subkey, access, real));
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
