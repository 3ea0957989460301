// SetupAPI over the Enum tree of the simulated registry: a device is an
// instance key three levels below Enum (enumerator\device\instance).
#include <cstring>

#include "platform/win_constants.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

constexpr size_t kInstanceDepth = 3;
constexpr uint32_t kDiregDrv = 2;
constexpr const char* kDeviceParameters = "Device Parameters";
constexpr const char* kClassKey = "SYSTEM\\CurrentControlSet\\Control\\Class";

struct PropertyName {
  uint32_t property;
  const char* value;
};

// SPDRP_* properties kept as values of the instance key.
constexpr PropertyName kProperties[] = {
    {0, "DeviceDesc"}, {1, "HardwareID"}, {2, "CompatibleIDs"}, {4, "Service"},
    {7, "Class"},      {8, "ClassGUID"},  {9, "Driver"},        {11, "Mfg"},
    {12, "FriendlyName"}, {13, "LocationInformation"},
};

const char* PropertyValueName(uint32_t property) {
  for (const PropertyName& entry : kProperties) {
    if (entry.property == property) return entry.value;
  }
  return nullptr;
}

void CollectInstances(const RegNode& node, const std::string& path, size_t depth,
                      std::vector<std::string>& out) {
  for (const auto& [upper, child] : node.subkeys) {
    const std::string childPath = path.empty() ? child->name : path + "\\" + child->name;
    if (depth + 1 == kInstanceDepth) {
      out.push_back(childPath);
    } else {
      CollectInstances(*child, childPath, depth + 1, out);
    }
  }
}

class SimDeviceInfoSet : public IDeviceInfoSet, Facility {
 public:
  SimDeviceInfoSet(SimWindows::Impl& impl, std::vector<DeviceElement> elements)
      : Facility(impl), elements_(std::move(elements)) {}

  Outcome EnumDevice(uint32_t index) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("EnumDevice", std::to_string(index))) return Fail(*code);
    if (index >= elements_.size()) return Fail(win::kErrorNoMoreItems);
    return Outcome::Success();
  }

  Outcome GetRegistryProperty(uint32_t index, uint32_t property, uint32_t& regType,
                              uint8_t* buffer, uint32_t bufferSize,
                              uint32_t& requiredSize) override {
    auto lock = impl_.Lock();
    const std::string id = index < elements_.size() ? elements_[index].instanceId : "";
    if (auto code = impl_.Enter("GetRegistryProperty", id + "#" + std::to_string(property))) {
      return Fail(*code);
    }
    if (index >= elements_.size()) return Fail(win::kErrorInvalidParameter);
    auto fault = impl_.propertyFaults.find({Upper(id), property});
    if (fault != impl_.propertyFaults.end() && fault->second.Fire()) {
      return Fail(fault->second.code);
    }
    const char* valueName = PropertyValueName(property);
    if (!valueName) return Fail(win::kErrorInvalidRegProperty);
    const std::string key = InstanceKey(index);
    if (elements_[index].removed || !impl_.registry.Find(RegRoot::LocalMachine, key)) {
      return Fail(win::kErrorNoSuchDevinst);
    }
    const RegValue* value = impl_.registry.Value(RegRoot::LocalMachine, key, valueName);
    if (!value) return Fail(win::kErrorInvalidData);
    regType = value->type;
    requiredSize = static_cast<uint32_t>(value->data.size());
    if (buffer == nullptr || bufferSize < requiredSize) {
      return Fail(win::kErrorInsufficientBuffer);
    }
    if (requiredSize > 0) std::memcpy(buffer, value->data.data(), requiredSize);
    return Outcome::Success();
  }

  Outcome OpenDevRegKey(uint32_t index, uint32_t scope, uint32_t keyType, uint32_t access,
                        RegistryKey& out) override {
    auto lock = impl_.Lock();
    (void)scope;
    (void)access;
    const std::string id = index < elements_.size() ? elements_[index].instanceId : "";
    if (auto code = impl_.Enter("OpenDevRegKey", id)) return Fail(*code);
    if (index >= elements_.size()) return Fail(win::kErrorInvalidParameter);
    const std::string instanceKey = InstanceKey(index);
    if (elements_[index].removed || !impl_.registry.Find(RegRoot::LocalMachine, instanceKey)) {
      return Fail(win::kErrorNoSuchDevinst);
    }
    std::string key;
    if (keyType == win::kDiregDev) {
      key = instanceKey + "\\" + kDeviceParameters;
    } else if (keyType == kDiregDrv) {
      std::optional<std::string> driver =
          impl_.registry.String(RegRoot::LocalMachine, instanceKey, "Driver");
      if (!driver) return Fail(win::kErrorKeyDoesNotExist);
      key = std::string(kClassKey) + "\\" + *driver;
    } else {
      return Fail(win::kErrorInvalidParameter);
    }
    std::shared_ptr<RegNode> node = impl_.registry.Find(RegRoot::LocalMachine, key);
    if (!node) return Fail(win::kErrorKeyDoesNotExist);
    out = MakeKeyHandle(impl_, node, "HKLM\\" + key);
    return Outcome::Success();
  }

  Outcome GetInstanceId(uint32_t index, std::string& out) override {
    auto lock = impl_.Lock();
    const std::string id = index < elements_.size() ? elements_[index].instanceId : "";
    if (auto code = impl_.Enter("GetInstanceId", id)) return Fail(*code);
    if (index >= elements_.size()) return Fail(win::kErrorNoMoreItems);
    out = id;
    return Outcome::Success();
  }

  Outcome CallClassInstaller(uint32_t function, uint32_t index) override {
    auto lock = impl_.Lock();
    const std::string id = index < elements_.size() ? elements_[index].instanceId : "";
    if (auto code = impl_.Enter("CallClassInstaller", id + "#" + std::to_string(function))) {
      return Fail(*code);
    }
    if (index >= elements_.size()) return Fail(win::kErrorInvalidParameter);
    if (function != win::kDifRemove) return Outcome::Success();
    DeviceElement& element = elements_[index];
    const std::string key = InstanceKey(index);
    if (element.removed || !impl_.registry.Find(RegRoot::LocalMachine, key)) {
      return Fail(win::kErrorNoSuchDevinst);
    }
    auto fault = impl_.removeFaults.find(Upper(id));
    if (fault != impl_.removeFaults.end() && fault->second.Fire()) {
      return Fail(fault->second.code);
    }
    impl_.registry.Delete(RegRoot::LocalMachine, key);
    element.removed = true;
    impl_.removedDevices.push_back(element.instanceId);
    if (impl_.deviceRemovedHook) impl_.deviceRemovedHook(element.instanceId);
    return Outcome::Success();
  }

 private:
  std::string InstanceKey(uint32_t index) const {
    return std::string(kEnumKey) + "\\" + elements_[index].instanceId;
  }

  std::vector<DeviceElement> elements_;
};

class SimDevices : public IDevices, Facility {
 public:
  using Facility::Facility;

  Outcome GetClassDevs(uint32_t flags, DeviceInfoSet& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("GetClassDevs", std::to_string(flags))) return Fail(*code);
    if (impl_.classDevsFault && impl_.classDevsFault->Fire()) {
      return Fail(impl_.classDevsFault->code);
    }
    std::vector<DeviceElement> elements;
    for (const std::string& id : InstanceIds(impl_)) elements.push_back({id, false});
    out = std::make_unique<SimDeviceInfoSet>(impl_, std::move(elements));
    return Outcome::Success();
  }

  Outcome OpenDevice(const std::string& instanceId, DeviceInfoSet& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("OpenDevice", instanceId)) return Fail(*code);
    for (const std::string& id : InstanceIds(impl_)) {
      if (!IEquals(id, instanceId)) continue;
      out = std::make_unique<SimDeviceInfoSet>(impl_, std::vector<DeviceElement>{{id, false}});
      return Outcome::Success();
    }
    return Fail(win::kErrorNoSuchDevinst);
  }

  static std::vector<std::string> InstanceIds(const SimWindows::Impl& impl) {
    std::vector<std::string> ids;
    std::shared_ptr<RegNode> root = impl.registry.Find(RegRoot::LocalMachine, kEnumKey);
    if (root) CollectInstances(*root, "", 0, ids);
    return ids;
  }
};

}  // namespace

std::unique_ptr<IDevices> MakeDevices(SimWindows::Impl& impl) {
  return std::make_unique<SimDevices>(impl);
}

}  // namespace detail

void SimWindows::AddDevice(const DeviceSpec& setup) {
  auto lock = impl_->Lock();
  const std::string key = std::string(kEnumKey) + "\\" + setup.instanceId;
  impl_->registry.Create(RegRoot::LocalMachine, key);
  SetMultiString(RegRoot::LocalMachine, key, kHardwareIdValue, setup.hardwareIds);
  if (setup.service) SetString(RegRoot::LocalMachine, key, "Service", *setup.service);
  if (setup.parentIdPrefix) {
    SetString(RegRoot::LocalMachine, key, "ParentIdPrefix", *setup.parentIdPrefix);
  }
  if (setup.symbolicName) {
    SetString(RegRoot::LocalMachine, key + "\\" + detail::kDeviceParameters, "SymbolicName",
              *setup.symbolicName);
  }
}

bool SimWindows::DeviceExists(const std::string& instanceId) const {
  auto lock = impl_->Lock();
  return impl_->registry.Find(RegRoot::LocalMachine, std::string(kEnumKey) + "\\" + instanceId) !=
         nullptr;
}

std::vector<std::string> SimWindows::DeviceIds() const {
  auto lock = impl_->Lock();
  return detail::SimDevices::InstanceIds(*impl_);
}

void SimWindows::FailGetClassDevs(uint32_t code, int count) {
  impl_->Store(&Impl::classDevsFault, detail::CountedFault{code, count});
}

void SimWindows::FailRemove(const std::string& instanceId, uint32_t code, int count) {
  auto lock = impl_->Lock();
  impl_->removeFaults[detail::Upper(instanceId)] = {code, count};
}

void SimWindows::FailProperty(const std::string& instanceId, uint32_t property, uint32_t code,
                              int count) {
  auto lock = impl_->Lock();
  impl_->propertyFaults[{detail::Upper(instanceId), property}] = {code, count};
}

void SimWindows::SetDeviceRemovedHook(std::function<void(const std::string&)> hook) {
  impl_->Store(&Impl::deviceRemovedHook, std::move(hook));
}

std::vector<std::string> SimWindows::RemovedDevices() const {
  return impl_->Load(&Impl::removedDevices);
}

}  // namespace sim
