#include "support/qd_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "platform/win_constants.h"

namespace {

void CopyDefault(const uint8_t* defaultData, uint8_t* out, uint32_t size) {
  if (defaultData != nullptr && out != nullptr && size > 0) {
    std::memcpy(out, defaultData, size);
  }
}

}  // namespace

CQDRegistry::CQDRegistry(IRegistry& registry) : registry_(registry) {}

CQDRegistry::~CQDRegistry() = default;

Outcome CQDRegistry::QueryValue(RegRoot root, const std::string& subkey,
                               const std::string& valueName,
                               const uint8_t* defaultData, uint8_t* out,
                               uint32_t size, uint32_t* bytesRead,
                               uint32_t& type) {
  type = win::kRegNone;
  RegistryKey key;
  const Outcome opened = registry_.OpenKey(root, subkey, win::kKeyRead, key);
  if (!opened) {
    CopyDefault(defaultData, out, size);
    return opened;
  }
  uint32_t found = win::kRegNone;
  uint32_t length = size;
  const Outcome queried = key->QueryValue(valueName, found, out, length);
  if (queried || queried.error == win::kErrorMoreData) {
    // A value that does not fit still reports its type and the size needed.
    if (bytesRead != nullptr) *bytesRead = length;
    type = found;
    return queried;
  }
  CopyDefault(defaultData, out, size);
  return queried;
}

bool CQDRegistry::ReadStringToBuffer(RegRoot root, const std::string& subkey,
                                     const std::string& valueName,
                                     std::string& out) {
  uint8_t buffer[kStringBufferSize] = {};
  const uint8_t emptyDefault[kStringBufferSize] = {};
  uint32_t bytesRead = 0;
  uint32_t type = win::kRegNone;
  const Outcome read = QueryValue(root, subkey, valueName, emptyDefault, buffer,
                                  kStringBufferSize, &bytesRead, type);
  // A value that fills the whole buffer has no room left for a terminator
  // and is treated like one that did not fit.
  if (type != win::kRegSz || !read || bytesRead >= kStringBufferSize) {
    return false;
  }
  // Stored strings need not carry their terminator: never look past the data.
  const char* chars = reinterpret_cast<const char*>(buffer);
  out.assign(chars, strnlen(chars, bytesRead));
  return true;
}

Outcome CQDRegistry::ReadMultiString(RegRoot root, const std::string& subkey,
                                     const std::string& valueName,
                                     uint8_t* out, uint32_t size,
                                     uint32_t& bytesRead) {
  bytesRead = 0;
  // At least one byte, so that the query never turns into a size request.
  std::vector<uint8_t> working(std::max<uint32_t>(size, 1), 0);
  const std::vector<uint8_t> defaultData(working.size(), 0);
  uint32_t reported = 0;
  uint32_t type = win::kRegNone;
  const Outcome read = QueryValue(root, subkey, valueName, defaultData.data(),
                                  working.data(), size, &reported, type);
  if (!read && read.error == win::kErrorMoreData) {
    bytesRead = reported;
  } else if (type == win::kRegMultiSz && read) {
    bytesRead = std::min(reported, size);
    if (out != nullptr && bytesRead > 0) {
      std::memcpy(out, working.data(), bytesRead);
    }
  }
  return read;
}

Outcome CQDRegistry::ReadMultiStringList(RegRoot root,
                                         const std::string& subkey,
                                         const std::string& valueName,
                                         std::vector<std::string>& out) {
  out.clear();
  std::vector<uint8_t> buffer(kMultiStringFirstRead, 0);
  uint32_t bytesRead = 0;
  Outcome read = ReadMultiString(root, subkey, valueName, buffer.data(),
                                 kMultiStringFirstRead, bytesRead);
  if (!read && read.error == win::kErrorMoreData) {
    buffer.assign(bytesRead, 0);
    read = ReadMultiString(root, subkey, valueName, buffer.data(),
                           static_cast<uint32_t>(buffer.size()), bytesRead);
  }
  if (read) out = SplitMultiString(buffer.data(), bytesRead);
  return read;
}

Outcome CQDRegistry::ForEachSubkey(IRegistryKey& key,
                                   const std::function<bool(const std::string&)>& visit) {
  for (uint32_t index = 0;; ++index) {
    std::string name;
    const Outcome listed = key.EnumKey(index, name, kSubkeyNameCapacity);
    if (!listed) {
      return listed.error == win::kErrorNoMoreItems ? Outcome::Success() : listed;
    }
    if (!visit(name)) return Outcome::Success();
  }
}

bool CQDRegistry::EnumSubkey(RegRoot root, const std::string& subkey,
                             uint32_t index, std::string& out) {
  RegistryKey key;
  if (!registry_.OpenKey(root, subkey, win::kKeyRead, key)) return false;
  std::string name;
  if (!key->EnumKey(index, name, kSubkeyNameCapacity)) return false;
  out = name;
  return true;
}

Outcome CQDRegistry::ForEachCountedSubkey(
    RegRoot root, const std::string& subkey,
    const std::function<bool(uint32_t, const Outcome&, const std::string&)>& visit) {
  RegistryKey key;
  const Outcome opened = registry_.OpenKey(root, subkey, win::kKeyRead, key);
  if (!opened) return opened;
  // Opened yet no key is no answer to build on.
  if (!key) return Outcome::Failure(win::kErrorSuccess);
  uint32_t count = 0;
  const Outcome counted = key->QuerySubkeyCount(count);
  if (!counted) return counted;
  for (uint32_t index = 0; index < count; ++index) {
    std::string name;
    const Outcome listed = key->EnumKey(index, name, kSubkeyNameCapacity);
    if (!visit(index, listed, listed ? name : std::string())) break;
  }
  return Outcome::Success();
}

Outcome CQDRegistry::CountSubkeys(RegRoot root, const std::string& subkey,
                                  uint32_t& count) {
  count = 0;
  RegistryKey key;
  const Outcome opened = registry_.OpenKey(root, subkey, win::kKeyQueryValue, key);
  if (!opened) return opened;
  uint32_t found = 0;
  const Outcome counted = key->QuerySubkeyCount(found);
  if (counted) count = found;
  return counted;
}

bool CQDRegistry::KeyExists(RegRoot root, const std::string& subkey) {
  RegistryKey key;
  return static_cast<bool>(registry_.OpenKey(root, subkey, win::kKeyQueryValue, key));
}

Outcome CQDRegistry::DeleteKeyTree(RegRoot root, const std::string& subkey) {
  return registry_.DeleteTree(root, subkey);
}

Outcome CQDRegistry::IsLink(RegRoot root, const std::string& subkey, bool& isLink) {
  isLink = false;
  RegistryKey key;
  const Outcome opened = registry_.OpenLink(root, subkey, win::kKeyQueryValue, key);
  if (!opened) return opened;
  uint32_t type = win::kRegNone;
  uint32_t size = 0;
  const Outcome queried = key->QueryValue(kSymbolicLinkValue, type, nullptr, size);
  if (!queried && queried.error == win::kErrorFileNotFound) return Outcome::Success();
  // A size query succeeds; anything else leaves the type unknown.
  if (!queried) return queried;
  isLink = type == kRegLinkType;
  return Outcome::Success();
}

namespace {

constexpr char kKeySeparator = '\\';

std::vector<std::string> KeyParts(const std::string& path) {
  return text::SplitNonEmpty(path, kKeySeparator);
}

}  // namespace

Outcome CQDRegistry::DeleteKeyTreeNoLinks(RegRoot root, const std::string& subkey,
                                          size_t systemParts,
                                          std::vector<std::string>& links) {
  const std::vector<std::string> parts = KeyParts(subkey);
  if (parts.size() <= systemParts) return Outcome::Failure(win::kErrorInvalidParameter);
  std::string prefix;
  for (size_t i = 0; i < parts.size(); ++i) {
    prefix += (i == 0 ? "" : "\\") + parts[i];
    if (i < systemParts) continue;
    bool isLink = false;
    const Outcome known = IsLink(root, prefix, isLink);
    if (!known) return known;
    if (isLink) {
      links.push_back(prefix);
      return registry_.DeleteLink(root, prefix);
    }
  }
  return DeleteTreeWithoutLinks(root, prefix, links);
}

// Each subkey is looked at before the tree deletion reaches it; the key is
// deleted only once nothing below it is left that could be a link.
Outcome CQDRegistry::DeleteTreeWithoutLinks(RegRoot root, const std::string& subkey,
                                            std::vector<std::string>& links) {
  std::vector<std::string> children;
  {
    RegistryKey key;
    const Outcome opened = registry_.OpenKey(root, subkey, win::kKeyRead, key);
    if (!opened) return opened;
    const Outcome listed = ForEachSubkey(*key, [&children](const std::string& name) {
      children.push_back(name);
      return true;
    });
    if (!listed) return listed;
  }
  for (const std::string& child : children) {
    const std::string path = subkey + kKeySeparator + child;
    bool isLink = false;
    Outcome removed = IsLink(root, path, isLink);
    if (removed) {
      if (isLink) {
        links.push_back(path);
        removed = registry_.DeleteLink(root, path);
      } else {
        removed = DeleteTreeWithoutLinks(root, path, links);
      }
    }
    if (!removed && removed.error != win::kErrorFileNotFound) return removed;
  }
  return registry_.DeleteTree(root, subkey);
}

std::vector<std::string> SplitMultiString(const uint8_t* data, uint32_t n) {
  std::vector<std::string> strings;
  if (data == nullptr || n < 2) return strings;
  const char* chars = reinterpret_cast<const char*>(data);
  uint32_t offset = 0;
  while (offset < n - 1) {
    const size_t length = strnlen(chars + offset, n - offset);
    strings.emplace_back(chars + offset, length);
    offset += static_cast<uint32_t>(length) + 1;
  }
  return strings;
}
