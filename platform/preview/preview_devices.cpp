// Devices and the driver store seen through the preview. A removed device is
// gone from later sets, with its Enum key; inside the set that removed it it
// keeps its place, as SetupAPI keeps it. An uninstalled package is no longer
// in the store: its store folder and its INF files are gone.
#include <string>
#include <vector>

#include "platform/preview/preview_state.h"
#include "platform/win_constants.h"

namespace preview {
namespace {

constexpr const char* kEnumKey = "SYSTEM\\CurrentControlSet\\Enum";
constexpr const char* kPnfExtension = ".pnf";

class PreviewDeviceSet : public IDeviceInfoSet {
 public:
  // `elements`: the real index of each element the view shows; empty while
  // no device was removed in the view, when the indices are the real ones.
  PreviewDeviceSet(State& state, DeviceInfoSet real, std::vector<uint32_t> elements,
                   bool mapped)
      : state_(state), real_(std::move(real)), elements_(std::move(elements)), mapped_(mapped) {}

  Outcome EnumDevice(uint32_t index) override {
    uint32_t real = 0;
    if (!Real(index, real)) return Outcome::Failure(win::kErrorNoMoreItems);
    return real_->EnumDevice(real);
  }

  Outcome GetRegistryProperty(uint32_t index, uint32_t property, uint32_t& regType,
                              uint8_t* buffer, uint32_t bufferSize,
                              uint32_t& requiredSize) override {
    uint32_t real = 0;
    if (!Real(index, real)) return Outcome::Failure(win::kErrorNoMoreItems);
    return real_->GetRegistryProperty(real, property, regType, buffer, bufferSize, requiredSize);
  }

  Outcome OpenDevRegKey(uint32_t index, uint32_t scope, uint32_t keyType, uint32_t access,
                        RegistryKey& out) override {
    uint32_t real = 0;
    if (!Real(index, real)) return Outcome::Failure(win::kErrorNoMoreItems);
    return real_->OpenDevRegKey(real, scope, keyType, access, out);
  }

  Outcome CallClassInstaller(uint32_t function, uint32_t index) override {
    auto lock = state_.Lock();
    uint32_t real = 0;
    if (!Real(index, real)) return Outcome::Failure(win::kErrorNoMoreItems);
    // Only removal changes what the program reads later.
    if (function != win::kDifRemove) return Outcome::Success();
    std::string id;
    const Outcome named = real_->GetInstanceId(real, id);
    if (!named) return named;
    if (!state_.devices.insert(NameKey(id)).second) return Outcome::Failure(win::kErrorNoSuchDevinst);
    state_.RemoveKey(RegRoot::LocalMachine, std::string(kEnumKey) + "\\" + id);
    return Outcome::Success();
  }

  Outcome GetInstanceId(uint32_t index, std::string& out) override {
    uint32_t real = 0;
    if (!Real(index, real)) return Outcome::Failure(win::kErrorNoMoreItems);
    return real_->GetInstanceId(real, out);
  }

 private:
  bool Real(uint32_t index, uint32_t& real) const {
    if (!mapped_) {
      real = index;
      return true;
    }
    if (index >= elements_.size()) return false;
    real = elements_[index];
    return true;
  }

  State& state_;
  DeviceInfoSet real_;
  std::vector<uint32_t> elements_;
  bool mapped_ = false;
};

class PreviewDevices : public IDevices {
 public:
  explicit PreviewDevices(State& state) : state_(state) {}

  Outcome GetClassDevs(uint32_t flags, DeviceInfoSet& out) override {
    auto lock = state_.Lock();
    DeviceInfoSet real;
    const Outcome built = state_.real.devices.GetClassDevs(flags, real);
    if (!built) return built;
    std::vector<uint32_t> elements;
    const bool mapped = !state_.devices.empty();
    if (mapped) {
      for (uint32_t index = 0;; ++index) {
        const Outcome enumerated = real->EnumDevice(index);
        if (!enumerated) {
          if (enumerated.error == win::kErrorNoMoreItems) break;
          return enumerated;
        }
        std::string id;
        const Outcome named = real->GetInstanceId(index, id);
        if (!named) return named;
        if (state_.devices.count(NameKey(id)) == 0) elements.push_back(index);
      }
    }
    out = std::make_unique<PreviewDeviceSet>(state_, std::move(real), std::move(elements), mapped);
    return Outcome::Success();
  }

  Outcome OpenDevice(const std::string& instanceId, DeviceInfoSet& out) override {
    auto lock = state_.Lock();
    if (state_.devices.count(NameKey(instanceId)) != 0) {
      return Outcome::Failure(win::kErrorNoSuchDevinst);
    }
    DeviceInfoSet real;
    const Outcome opened = state_.real.devices.OpenDevice(instanceId, real);
    if (!opened) return opened;
    out = std::make_unique<PreviewDeviceSet>(state_, std::move(real), std::vector<uint32_t>{},
                                             false);
    return Outcome::Success();
  }

 private:
  State& state_;
};

std::string PnfOf(const std::string& infPath) {
  const size_t dot = infPath.find_last_of('.');
  const size_t slash = infPath.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return infPath + kPnfExtension;
  }
  return infPath.substr(0, dot) + kPnfExtension;
}

class PreviewDriverStore : public IDriverStore {
 public:
  explicit PreviewDriverStore(State& state) : state_(state) {}

  uint32_t GetPath(const std::string& infPath, char* buffer, uint32_t& length) override {
    auto lock = state_.Lock();
    if (state_.packages.count(NameKey(infPath)) != 0) return win::kErrorDriverPackageNotInStore;
    const uint32_t status = state_.real.driverStore.GetPath(infPath, buffer, length);
    if (status == win::kErrorSuccess && buffer != nullptr) {
      state_.oemInfOfStoreInf[NameKey(buffer)] = infPath;
    }
    return status;
  }

  uint32_t Uninstall(const std::string& storeInfPath, uint32_t flags) override {
    (void)flags;
    auto lock = state_.Lock();
    const std::string key = NameKey(storeInfPath);
    uint32_t attributes = 0;
    if (state_.packages.count(key) != 0 || !state_.ViewAttributes(storeInfPath, attributes)) {
      return win::kErrorDriverPackageNotInStore;
    }
    state_.packages.insert(key);
    const size_t slash = storeInfPath.find_last_of("\\/");
    if (slash != std::string::npos) state_.RemoveFileName(storeInfPath.substr(0, slash));
    const auto oem = state_.oemInfOfStoreInf.find(key);
    if (oem != state_.oemInfOfStoreInf.end()) {
      state_.packages.insert(NameKey(oem->second));
      state_.RemoveFileName(oem->second);
      state_.RemoveFileName(PnfOf(oem->second));
    }
    return win::kErrorSuccess;
  }

 private:
  State& state_;
};

}  // namespace

std::unique_ptr<IDevices> MakeDevices(State& state) {
  return std::make_unique<PreviewDevices>(state);
}

std::unique_ptr<IDriverStore> MakeDriverStore(State& state) {
  return std::make_unique<PreviewDriverStore>(state);
}

}  // namespace preview
