// Driver store: packages that pair an INF of the INF directory with its copy
// under the store's FileRepository, in the shape of the DIFx calls.
#include <algorithm>
#include <cstring>

#include "platform/win_constants.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

constexpr const char* kPnfExtension = ".pnf";
constexpr const char* kPlaceholderInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string PnfOf(const std::string& infPath) {
  const size_t dot = infPath.find_last_of('.');
  const size_t slash = infPath.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return infPath + kPnfExtension;
  }
  return infPath.substr(0, dot) + kPnfExtension;
}

class SimDriverStore : public IDriverStore, Facility {
 public:
  using Facility::Facility;

  uint32_t GetPath(const std::string& infPath, char* buffer, uint32_t& length) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("DriverPackageGetPath", infPath)) return Status(*code);
    const PackageRecord* package = Find(infPath);
    if (!package) return Status(win::kErrorDriverPackageNotInStore);
    const uint32_t needed = static_cast<uint32_t>(package->storeInfPath.size() + 1);
    if (buffer == nullptr || length < needed) {
      length = needed;
      return Status(win::kErrorInsufficientBuffer);
    }
    std::memcpy(buffer, package->storeInfPath.c_str(), needed);
    length = needed;
    return win::kErrorSuccess;
  }

  uint32_t Uninstall(const std::string& storeInfPath, uint32_t flags) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("DriverPackageUninstall", storeInfPath + "#" +
                                                             std::to_string(flags))) {
      return Status(*code);
    }
    const PackageRecord* found = Find(storeInfPath);
    if (!found) return Status(win::kErrorDriverPackageNotInStore);
    const PackageRecord package = *found;
    auto fault = impl_.uninstallFaults.find(Upper(package.storeInfPath));
    if (fault != impl_.uninstallFaults.end() && fault->second.Fire()) {
      return Status(fault->second.code);
    }
    if ((flags & win::kDriverPackageForce) == 0) {
      for (const std::string& instance : package.usedBy) {
        if (impl_.registry.Find(RegRoot::LocalMachine,
                                std::string(kEnumKey) + "\\" + instance)) {
          return Status(impl_.packageInUseCode);
        }
      }
    }
    impl_.files.Erase(DirectoryOf(package.storeInfPath));
    impl_.files.Erase(package.oemInfPath);
    impl_.files.Erase(PnfOf(package.oemInfPath));
    auto& packages = impl_.packages;
    packages.erase(std::remove_if(packages.begin(), packages.end(),
                                  [&](const PackageRecord& p) {
                                    return IEquals(p.storeInfPath, package.storeInfPath);
                                  }),
                   packages.end());
    impl_.uninstalled.push_back(package.storeInfPath);
    return win::kErrorSuccess;
  }

 private:
  // By the INF in the INF directory or by the store copy.
  const PackageRecord* Find(const std::string& infPath) const {
    for (const PackageRecord& package : impl_.packages) {
      if (IEquals(package.oemInfPath, infPath) || IEquals(package.storeInfPath, infPath)) {
        return &package;
      }
    }
    return nullptr;
  }
};

}  // namespace

std::unique_ptr<IDriverStore> MakeDriverStore(SimWindows::Impl& impl) {
  return std::make_unique<SimDriverStore>(impl);
}

}  // namespace detail

void SimWindows::AddPackage(const std::string& oemInfPath, const std::string& storeInfPath) {
  auto lock = impl_->Lock();
  if (!impl_->files.Lookup(storeInfPath, true).node) AddFile(storeInfPath, detail::kPlaceholderInf);
  if (!impl_->files.Lookup(oemInfPath, true).node) AddFile(oemInfPath, detail::kPlaceholderInf);
  auto& packages = impl_->packages;
  packages.erase(std::remove_if(packages.begin(), packages.end(),
                                [&](const PackageRecord& p) {
                                  return detail::IEquals(p.storeInfPath, storeInfPath);
                                }),
                 packages.end());
  packages.push_back({oemInfPath, storeInfPath, {}});
}

bool SimWindows::PackageExists(const std::string& storeInfPath) const {
  auto lock = impl_->Lock();
  return std::any_of(impl_->packages.begin(), impl_->packages.end(),
                     [&](const PackageRecord& p) {
                       return detail::IEquals(p.storeInfPath, storeInfPath);
                     });
}

std::vector<PackageRecord> SimWindows::Packages() const { return impl_->Load(&Impl::packages); }

void SimWindows::FailUninstall(const std::string& storeInfPath, uint32_t code, int count) {
  auto lock = impl_->Lock();
  impl_->uninstallFaults[detail::Upper(storeInfPath)] = {code, count};
}

void SimWindows::UsePackage(const std::string& storeInfPath, const std::string& instanceId) {
  auto lock = impl_->Lock();
  for (PackageRecord& package : impl_->packages) {
    if (detail::IEquals(package.storeInfPath, storeInfPath)) package.usedBy.push_back(instanceId);
  }
}

void SimWindows::SetPackageInUseCode(uint32_t code) { impl_->Store(&Impl::packageInUseCode, code); }

std::vector<std::string> SimWindows::UninstalledPackages() const {
  return impl_->Load(&Impl::uninstalled);
}

}  // namespace sim
