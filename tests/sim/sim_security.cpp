// Owners and full-control grants of files and directories. An entry marked
// foreign (SetOwnedByOther) cannot be listed or deleted until the running
// user owns it and has full control; taking it needs the take-ownership
// privilege, granting on an entry owned by someone else the restore
// privilege, as with the handles the Win32 side opens.
#include <algorithm>

#include "platform/win_constants.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

using win::kRestorePrivilege;
using win::kTakeOwnershipPrivilege;
constexpr uint32_t kErrorNoSuchPrivilege = 1313;
constexpr uint32_t kErrorInvalidSid = 1337;

class SimSecurity : public ISecurity, Facility {
 public:
  using Facility::Facility;

  Outcome CurrentUserSid(Sid& out) override {
    auto lock = impl_.Lock();
    out.clear();
    if (auto code = impl_.Enter("CurrentUserSid", "")) return Fail(*code);
    out = impl_.userSid;
    return Outcome::Success();
  }

  Outcome EnablePrivilege(const std::string& name) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("EnablePrivilege", name)) return Fail(*code);
    if (name != kTakeOwnershipPrivilege && name != kRestorePrivilege) {
      return Fail(kErrorNoSuchPrivilege);
    }
    if (!Enabled(name)) impl_.enabledPrivileges.push_back(name);
    return Outcome::Success();
  }

  Outcome TakeOwnership(const std::string& path, const Sid& owner) override {
    auto lock = impl_.Lock();
    FileNode* node = nullptr;
    if (auto error = EnterChangeable("TakeOwnership", path, owner, node)) return Fail(*error);
    if (impl_.Locked(*node) && !Enabled(kTakeOwnershipPrivilege)) {
      return Fail(win::kErrorAccessDenied);
    }
    node->owner = owner;
    return Outcome::Success();
  }

  Outcome GrantFullControl(const std::string& path, const Sid& account) override {
    auto lock = impl_.Lock();
    FileNode* node = nullptr;
    if (auto error = EnterChangeable("GrantFullControl", path, account, node)) {
      return Fail(*error);
    }
    if (node->foreign && node->owner != impl_.userSid && !Enabled(kRestorePrivilege)) {
      return Fail(win::kErrorAccessDenied);
    }
    auto& granted = node->fullControl;
    if (std::find(granted.begin(), granted.end(), account) == granted.end()) {
      granted.push_back(account);
    }
    return Outcome::Success();
  }

 private:
  // What an owner or access change reaches: the entry itself, a link never
  // followed; the error (an injected fault first) when the account is no SID
  // or the entry cannot be reached.
  std::optional<uint32_t> EnterChangeable(const char* op, const std::string& path,
                                          const Sid& account, FileNode*& out) {
    if (auto code = impl_.Enter(op, path)) return code;
    if (account.empty()) return kErrorInvalidSid;
    FileLookup found = impl_.files.Lookup(path, false);
    if (!found.node) return found.error;
    if (found.node->denied) return win::kErrorAccessDenied;
    out = found.node.get();
    return std::nullopt;
  }

  bool Enabled(const std::string& name) const {
    const auto& enabled = impl_.enabledPrivileges;
    return std::find(enabled.begin(), enabled.end(), name) != enabled.end();
  }
};

}  // namespace

std::unique_ptr<ISecurity> MakeSecurity(SimWindows::Impl& impl) {
  // S-1-5-21-1-2-3-1000, an ordinary local account.
  impl.userSid = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 1, 0, 0, 0,
                  2, 0, 0, 0, 3, 0, 0, 0, 0xE8, 3, 0, 0};
  return std::make_unique<SimSecurity>(impl);
}

}  // namespace detail

bool SimWindows::Impl::Locked(const detail::FileNode& node) const {
  if (!node.foreign) return false;
  const bool granted = std::find(node.fullControl.begin(), node.fullControl.end(), userSid) !=
                       node.fullControl.end();
  return !(node.owner == userSid && granted);
}

void SimWindows::SetOwnedByOther(const std::string& path) {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(path, false);
  if (!found.node) return;
  found.node->foreign = true;
  found.node->owner = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};  // S-1-5-18
  found.node->fullControl.clear();
}

Sid SimWindows::UserSid() const { return impl_->Load(&Impl::userSid); }

std::optional<Sid> SimWindows::OwnerOf(const std::string& path) const {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(path, false);
  if (!found.node || found.node->owner.empty()) return std::nullopt;
  return found.node->owner;
}

bool SimWindows::HasFullControl(const std::string& path, const Sid& account) const {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(path, false);
  if (!found.node) return false;
  const auto& granted = found.node->fullControl;
  return std::find(granted.begin(), granted.end(), account) != granted.end();
}

}  // namespace sim
