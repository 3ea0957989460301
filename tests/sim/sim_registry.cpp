// Registry: two roots of case-insensitive, case-preserving keys with typed
// values, and RegOpenKeyExA / RegQueryValueExA / RegEnumKeyExA /
// RegQueryInfoKeyA / SHDeleteKeyA semantics over them.
#include <cstring>

#include "platform/win_constants.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

constexpr uint32_t kErrorKeyDeleted = 1018;
constexpr const char* kRootNames[] = {"HKLM", "HKCU"};

size_t RootIndex(RegRoot root) { return root == RegRoot::LocalMachine ? 0 : 1; }

const char* TypeName(uint32_t type) {
  switch (type) {
    case win::kRegSz: return "REG_SZ";
    case win::kRegExpandSz: return "REG_EXPAND_SZ";
    case win::kRegBinary: return "REG_BINARY";
    case win::kRegDword: return "REG_DWORD";
    case win::kRegMultiSz: return "REG_MULTI_SZ";
    default: return "REG_TYPE";
  }
}

std::string Printable(const Bytes& data) {
  constexpr unsigned char kFirstPrintable = 0x20;
  constexpr unsigned char kLastPrintable = 0x7E;
  std::string out;
  for (uint8_t byte : data) {
    if (byte >= kFirstPrintable && byte <= kLastPrintable && byte != '\\') {
      out += static_cast<char>(byte);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    }
  }
  return out;
}

void DumpNode(const RegNode& node, const std::string& path, std::string& out) {
  out += "KEY " + path + "\n";
  for (const auto& [upper, value] : node.values) {
    out += "  VALUE " + value.name + " " + TypeName(value.type) + ":" +
           std::to_string(value.type) + " " + Printable(value.data) + "\n";
  }
  for (const auto& [upper, child] : node.subkeys) {
    DumpNode(*child, path + "\\" + child->name, out);
  }
}

void MarkDeleted(RegNode& node) {
  node.deleted = true;
  for (auto& [upper, child] : node.subkeys) MarkDeleted(*child);
}

}  // namespace

std::vector<std::string> ParseMultiSz(const Bytes& data) {
  std::vector<std::string> out;
  std::string current;
  for (uint8_t byte : data) {
    if (byte == 0) {
      if (current.empty()) break;
      out.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(byte);
    }
  }
  if (!current.empty()) out.push_back(current);
  return out;
}

RegistryStore::RegistryStore() {
  for (size_t i = 0; i < 2; ++i) {
    roots_[i] = std::make_shared<RegNode>();
    roots_[i]->name = kRootNames[i];
  }
}

namespace {
constexpr int kLinkDepthLimit = 8;
}  // namespace

std::optional<std::pair<RegRoot, std::string>> RegistryStore::LinkTarget(const RegNode& node) {
  auto it = node.values.find(Upper(kSymbolicLinkValue));
  if (it == node.values.end() || it->second.type != kRegLinkType) return std::nullopt;
  std::string target(it->second.data.begin(), it->second.data.end());
  const size_t end = target.find('\0');
  if (end != std::string::npos) target.resize(end);
  const std::string prefix = Upper(target.substr(0, 5));
  if (prefix == "HKLM\\") return std::make_pair(RegRoot::LocalMachine, target.substr(5));
  if (prefix == "HKCU\\") return std::make_pair(RegRoot::CurrentUser, target.substr(5));
  return std::make_pair(RegRoot::LocalMachine, std::string("?dangling-link-target"));
}

std::shared_ptr<RegNode> RegistryStore::Find(RegRoot root, const std::string& path,
                                             bool followLast) const {
  std::shared_ptr<RegNode> node = roots_[RootIndex(root)];
  const std::vector<std::string> parts = SplitPath(path);
  for (size_t i = 0; i < parts.size(); ++i) {
    auto it = node->subkeys.find(Upper(parts[i]));
    if (it == node->subkeys.end()) return nullptr;
    node = it->second;
    const bool last = i + 1 == parts.size();
    for (int hops = 0; !(last && !followLast); ++hops) {
      const auto target = LinkTarget(*node);
      if (!target) break;
      if (hops == kLinkDepthLimit) return nullptr;
      std::shared_ptr<RegNode> next = roots_[RootIndex(target->first)];
      for (const std::string& part : SplitPath(target->second)) {
        auto found = next->subkeys.find(Upper(part));
        if (found == next->subkeys.end()) return nullptr;
        next = found->second;
      }
      node = next;
    }
  }
  return node;
}

bool RegistryStore::DeleteFollowingLinks(RegRoot root, const std::string& path, int depth) {
  if (depth > kLinkDepthLimit) return false;
  std::shared_ptr<RegNode> own = Find(root, path, false);
  if (!own) return false;
  if (const auto target = LinkTarget(*own)) {
    (void)DeleteFollowingLinks(target->first, target->second, depth + 1);
  }
  std::shared_ptr<RegNode> node = Find(root, path);
  if (node) {
    std::vector<std::string> children;
    for (const auto& [upper, child] : node->subkeys) children.push_back(child->name);
    for (const std::string& child : children) {
      std::shared_ptr<RegNode> inside = Find(root, path + "\\" + child, false);
      if (inside && LinkTarget(*inside)) {
        (void)DeleteFollowingLinks(root, path + "\\" + child, depth + 1);
      }
    }
  }
  return Delete(root, path);
}

RegNode& RegistryStore::Create(RegRoot root, const std::string& path) {
  std::shared_ptr<RegNode> node = roots_[RootIndex(root)];
  for (const std::string& part : SplitPath(path)) {
    std::shared_ptr<RegNode>& child = node->subkeys[Upper(part)];
    if (!child) {
      child = std::make_shared<RegNode>();
      child->name = part;
    }
    node = child;
  }
  return *node;
}

bool RegistryStore::Delete(RegRoot root, const std::string& path) {
  const std::vector<std::string> parts = SplitPath(path);
  if (parts.empty()) return false;
  std::shared_ptr<RegNode> parent = Find(root, JoinPath(parts, parts.size() - 1));
  if (!parent) return false;
  auto it = parent->subkeys.find(Upper(parts.back()));
  if (it == parent->subkeys.end()) return false;
  MarkDeleted(*it->second);
  parent->subkeys.erase(it);
  return true;
}

bool RegistryStore::HasDenyDelete(const RegNode& node) const {
  if (node.denyDelete) return true;
  for (const auto& [upper, child] : node.subkeys) {
    if (HasDenyDelete(*child)) return true;
  }
  return false;
}

const RegValue* RegistryStore::Value(RegRoot root, const std::string& path,
                                     const std::string& name) const {
  std::shared_ptr<RegNode> node = Find(root, path);
  if (!node) return nullptr;
  auto it = node->values.find(Upper(name));
  return it == node->values.end() ? nullptr : &it->second;
}

void RegistryStore::Set(RegRoot root, const std::string& path, const std::string& name,
                        uint32_t type, Bytes data) {
  RegNode& node = Create(root, path);
  RegValue& value = node.values[Upper(name)];
  value.name = name;
  value.type = type;
  value.data = std::move(data);
}

std::optional<std::string> RegistryStore::String(RegRoot root, const std::string& path,
                                                 const std::string& name) const {
  const RegValue* value = Value(root, path, name);
  if (!value || (value->type != win::kRegSz && value->type != win::kRegExpandSz)) {
    return std::nullopt;
  }
  std::string text(value->data.begin(), value->data.end());
  const size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

std::optional<std::vector<std::string>> RegistryStore::MultiString(
    RegRoot root, const std::string& path, const std::string& name) const {
  const RegValue* value = Value(root, path, name);
  if (!value || value->type != win::kRegMultiSz) return std::nullopt;
  return ParseMultiSz(value->data);
}

void RegistryStore::Dump(std::string& out) const {
  for (const auto& root : roots_) {
    for (const auto& [upper, child] : root->subkeys) {
      DumpNode(*child, root->name + "\\" + child->name, out);
    }
  }
}

namespace {

// An injected fault of code 0 lets the call pass, as an LSTATUS of 0 would.
Outcome Injected(uint32_t code) { return code == 0 ? Outcome::Success() : Fail(code); }

// How the fault-injection log and the key handles name a key: "HKLM\path".
std::string KeyPath(RegRoot root, const std::string& subkey) {
  return std::string(kRootNames[RootIndex(root)]) + "\\" + subkey;
}

class SimRegistryKey : public IRegistryKey {
 public:
  SimRegistryKey(SimWindows::Impl& impl, std::shared_ptr<RegNode> node, std::string path)
      : impl_(impl), node_(std::move(node)), path_(std::move(path)) {}

  Outcome QueryValue(const std::string& name, uint32_t& type, uint8_t* data,
                      uint32_t& size) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("QueryValue", path_ + "\\" + name)) return Injected(*code);
    if (node_->deleted) return Fail(kErrorKeyDeleted);
    auto it = node_->values.find(Upper(name));
    if (it == node_->values.end()) return Fail(win::kErrorFileNotFound);
    const RegValue& value = it->second;
    type = value.type;
    const uint32_t needed = static_cast<uint32_t>(value.data.size());
    if (data == nullptr) {
      size = needed;
      return Outcome::Success();
    }
    if (size < needed) {
      size = needed;
      return Fail(win::kErrorMoreData);
    }
    if (needed > 0) std::memcpy(data, value.data.data(), needed);
    size = needed;
    return Outcome::Success();
  }

  Outcome EnumKey(uint32_t index, std::string& name, uint32_t capacity) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("EnumKey", path_ + "#" + std::to_string(index))) {
      return Injected(*code);
    }
    if (node_->deleted) return Fail(kErrorKeyDeleted);
    if (index >= node_->subkeys.size()) return Fail(win::kErrorNoMoreItems);
    auto it = node_->subkeys.begin();
    std::advance(it, index);
    const std::string& found = it->second->name;
    if (found.size() + 1 > capacity) return Fail(win::kErrorMoreData);
    name = found;
    return Outcome::Success();
  }

  Outcome QuerySubkeyCount(uint32_t& count) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("QuerySubkeyCount", path_)) return Injected(*code);
    if (node_->deleted) return Fail(kErrorKeyDeleted);
    count = static_cast<uint32_t>(node_->subkeys.size());
    return Outcome::Success();
  }

 private:
  SimWindows::Impl& impl_;
  std::shared_ptr<RegNode> node_;
  std::string path_;
};

class SimRegistry : public IRegistry {
 public:
  explicit SimRegistry(SimWindows::Impl& impl) : impl_(impl) {}

  Outcome OpenKey(RegRoot root, const std::string& subkey, uint32_t /*access*/,
                   RegistryKey& out) override {
    return Open("OpenKey", root, subkey, true, out);
  }

  Outcome DeleteTree(RegRoot root, const std::string& subkey) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("DeleteTree", KeyPath(root, subkey))) return Injected(*code);
    if (SplitPath(subkey).empty()) return Fail(win::kErrorAccessDenied);
    std::shared_ptr<RegNode> node = impl_.registry.Find(root, subkey);
    if (!node) return Fail(win::kErrorFileNotFound);
    if (impl_.registry.HasDenyDelete(*node)) return Fail(win::kErrorAccessDenied);
    impl_.registry.DeleteFollowingLinks(root, subkey);
    return Outcome::Success();
  }

  Outcome OpenLink(RegRoot root, const std::string& subkey, uint32_t /*access*/,
                    RegistryKey& out) override {
    return Open("OpenLink", root, subkey, false, out);
  }

  Outcome DeleteLink(RegRoot root, const std::string& subkey) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("DeleteLink", KeyPath(root, subkey))) return Injected(*code);
    std::shared_ptr<RegNode> node = impl_.registry.Find(root, subkey, false);
    if (!node) return Fail(win::kErrorFileNotFound);
    if (!RegistryStore::LinkTarget(*node)) return Fail(win::kErrorInvalidParameter);
    if (node->denyDelete) return Fail(win::kErrorAccessDenied);
    impl_.registry.Delete(root, subkey);
    return Outcome::Success();
  }

 private:
  // OpenKey and OpenLink differ only in whether a link at the end is followed.
  Outcome Open(const char* operation, RegRoot root, const std::string& subkey, bool followLast,
               RegistryKey& out) {
    auto lock = impl_.Lock();
    const std::string detail = KeyPath(root, subkey);
    if (auto code = impl_.Enter(operation, detail)) return Injected(*code);
    std::shared_ptr<RegNode> node = impl_.registry.Find(root, subkey, followLast);
    if (!node) return Fail(win::kErrorFileNotFound);
    if (node->denyOpen) return Fail(win::kErrorAccessDenied);
    out = MakeKeyHandle(impl_, node, detail);
    return Outcome::Success();
  }

  SimWindows::Impl& impl_;
};

}  // namespace

RegistryKey MakeKeyHandle(SimWindows::Impl& impl, std::shared_ptr<RegNode> node,
                          std::string path) {
  return std::make_unique<SimRegistryKey>(impl, std::move(node), std::move(path));
}

std::unique_ptr<IRegistry> MakeRegistry(SimWindows::Impl& impl) {
  return std::make_unique<SimRegistry>(impl);
}

}  // namespace detail

void SimWindows::CreateKey(RegRoot root, const std::string& path) {
  auto lock = impl_->Lock();
  impl_->registry.Create(root, path);
}

void SimWindows::SetString(RegRoot root, const std::string& path, const std::string& name,
                           const std::string& value) {
  SetRawValue(root, path, name, win::kRegSz, SzBytes(value));
}

void SimWindows::SetExpandString(RegRoot root, const std::string& path,
                                 const std::string& name, const std::string& value) {
  SetRawValue(root, path, name, win::kRegExpandSz, SzBytes(value));
}

void SimWindows::SetDword(RegRoot root, const std::string& path, const std::string& name,
                          uint32_t value) {
  SetRawValue(root, path, name, win::kRegDword, DwordBytes(value));
}

void SimWindows::SetRawValue(RegRoot root, const std::string& path, const std::string& name,
                             uint32_t type, const Bytes& data) {
  auto lock = impl_->Lock();
  impl_->registry.Set(root, path, name, type, data);
}

void SimWindows::SetMultiString(RegRoot root, const std::string& path,
                                const std::string& name,
                                const std::vector<std::string>& values) {
  SetRawValue(root, path, name, win::kRegMultiSz, MultiSzBytes(values));
}

void SimWindows::DeleteValue(RegRoot root, const std::string& path, const std::string& name) {
  auto lock = impl_->Lock();
  std::shared_ptr<detail::RegNode> node = impl_->registry.Find(root, path);
  if (node) node->values.erase(detail::Upper(name));
}

void SimWindows::DeleteKey(RegRoot root, const std::string& path) {
  auto lock = impl_->Lock();
  impl_->registry.Delete(root, path);
}

bool SimWindows::KeyExists(RegRoot root, const std::string& path) const {
  auto lock = impl_->Lock();
  return impl_->registry.Find(root, path) != nullptr;
}

bool SimWindows::ValueExists(RegRoot root, const std::string& path,
                             const std::string& name) const {
  auto lock = impl_->Lock();
  return impl_->registry.Value(root, path, name) != nullptr;
}

std::optional<std::string> SimWindows::GetString(RegRoot root, const std::string& path,
                                                 const std::string& name) const {
  auto lock = impl_->Lock();
  return impl_->registry.String(root, path, name);
}

std::optional<std::vector<std::string>> SimWindows::GetMultiString(
    RegRoot root, const std::string& path, const std::string& name) const {
  auto lock = impl_->Lock();
  return impl_->registry.MultiString(root, path, name);
}

std::optional<Bytes> SimWindows::GetRawValue(RegRoot root, const std::string& path,
                                             const std::string& name, uint32_t* type) const {
  auto lock = impl_->Lock();
  const detail::RegValue* value = impl_->registry.Value(root, path, name);
  if (!value) return std::nullopt;
  if (type) *type = value->type;
  return value->data;
}

std::vector<std::string> SimWindows::SubkeyNames(RegRoot root, const std::string& path) const {
  auto lock = impl_->Lock();
  std::vector<std::string> names;
  std::shared_ptr<detail::RegNode> node = impl_->registry.Find(root, path);
  if (!node) return names;
  for (const auto& [upper, child] : node->subkeys) names.push_back(child->name);
  return names;
}

void SimWindows::DenyOpen(RegRoot root, const std::string& path) {
  auto lock = impl_->Lock();
  impl_->registry.Create(root, path).denyOpen = true;
}

void SimWindows::AddRegistryLink(RegRoot root, const std::string& path, RegRoot targetRoot,
                                 const std::string& target) {
  const std::string text =
      std::string(targetRoot == RegRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + target;
  SetRawValue(root, path, kSymbolicLinkValue, kRegLinkType, Bytes(text.begin(), text.end()));
}

void SimWindows::DenyDelete(RegRoot root, const std::string& path) {
  auto lock = impl_->Lock();
  impl_->registry.Create(root, path).denyDelete = true;
}

}  // namespace sim
