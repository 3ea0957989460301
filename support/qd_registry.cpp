#include "support/qd_registry.h"

#include <algorithm>
#include <cstring>

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

uint32_t CQDRegistry::QueryValue(RegRoot root, const std::string& subkey,
                                 const std::string& valueName,
                                 const uint8_t* defaultData, uint8_t* out,
                                 uint32_t size, uint32_t* bytesRead,
                                 uint32_t& status) {
  RegistryKey key;
  const uint32_t opened = registry_.OpenKey(root, subkey, win::kKeyRead, key);
  if (opened != win::kErrorSuccess) {
    CopyDefault(defaultData, out, size);
    status = opened;
    return win::kRegNone;
  }
  uint32_t type = win::kRegNone;
  uint32_t length = size;
  const uint32_t queried = key->QueryValue(valueName, type, out, length);
  status = queried;
  if (queried == win::kErrorSuccess || queried == win::kErrorMoreData) {
    // A value that does not fit still reports its type and the size needed.
    if (bytesRead != nullptr) *bytesRead = length;
    return type;
  }
  CopyDefault(defaultData, out, size);
  return win::kRegNone;
}

bool CQDRegistry::ReadStringToBuffer(RegRoot root, const std::string& subkey,
                                     const std::string& valueName,
                                     std::string& out) {
  uint8_t buffer[kStringBufferSize] = {};
  const uint8_t emptyDefault[kStringBufferSize] = {};
  uint32_t bytesRead = 0;
  uint32_t status = win::kErrorSuccess;
  const uint32_t type = QueryValue(root, subkey, valueName, emptyDefault, buffer,
                                   kStringBufferSize, &bytesRead, status);
  // A value that fills the whole buffer has no room left for a terminator
  // and is treated like one that did not fit.
  if (type != win::kRegSz || status != win::kErrorSuccess ||
      bytesRead >= kStringBufferSize) {
    return false;
  }
  // Stored strings need not carry their terminator: never look past the data.
  const char* chars = reinterpret_cast<const char*>(buffer);
  out.assign(chars, strnlen(chars, bytesRead));
  return true;
}

uint32_t CQDRegistry::ReadMultiString(RegRoot root, const std::string& subkey,
                                      const std::string& valueName,
                                      uint8_t* out, uint32_t size,
                                      uint32_t& bytesRead) {
  bytesRead = 0;
  // At least one byte, so that the query never turns into a size request.
  std::vector<uint8_t> working(std::max<uint32_t>(size, 1), 0);
  const std::vector<uint8_t> defaultData(working.size(), 0);
  uint32_t reported = 0;
  uint32_t status = win::kErrorSuccess;
  const uint32_t type = QueryValue(root, subkey, valueName, defaultData.data(),
                                   working.data(), size, &reported, status);
  if (status == win::kErrorMoreData) {
    bytesRead = reported;
  } else if (type == win::kRegMultiSz && status == win::kErrorSuccess) {
    bytesRead = std::min(reported, size);
    if (out != nullptr && bytesRead > 0) {
      std::memcpy(out, working.data(), bytesRead);
    }
  }
  return status;
}

uint32_t CQDRegistry::ReadMultiStringList(RegRoot root,
                                          const std::string& subkey,
                                          const std::string& valueName,
                                          std::vector<std::string>& out) {
  out.clear();
  std::vector<uint8_t> buffer(kMultiStringFirstRead, 0);
  uint32_t bytesRead = 0;
  uint32_t status = ReadMultiString(root, subkey, valueName, buffer.data(),
                                    kMultiStringFirstRead, bytesRead);
  if (status == win::kErrorMoreData) {
    buffer.assign(bytesRead, 0);
    status = ReadMultiString(root, subkey, valueName, buffer.data(),
                             static_cast<uint32_t>(buffer.size()), bytesRead);
  }
  if (status == win::kErrorSuccess) out = SplitMultiString(buffer.data(), bytesRead);
  return status;
}

uint32_t CQDRegistry::ForEachSubkey(IRegistryKey& key,
                                    const std::function<bool(const std::string&)>& visit) {
  for (uint32_t index = 0;; ++index) {
    std::string name;
    const uint32_t listed = key.EnumKey(index, name, kSubkeyNameCapacity);
    if (listed == win::kErrorNoMoreItems) return win::kErrorSuccess;
    if (listed != win::kErrorSuccess) return listed;
    if (!visit(name)) return win::kErrorSuccess;
  }
}

bool CQDRegistry::EnumSubkey(RegRoot root, const std::string& subkey,
                             uint32_t index, std::string& out) {
  RegistryKey key;
  if (registry_.OpenKey(root, subkey, win::kKeyRead, key) != win::kErrorSuccess) {
    return false;
  }
  std::string name;
  if (key->EnumKey(index, name, kSubkeyNameCapacity) != win::kErrorSuccess) {
    return false;
  }
  out = name;
  return true;
}

uint32_t CQDRegistry::CountSubkeys(RegRoot root, const std::string& subkey,
                                   uint32_t& status) {
  RegistryKey key;
  status = registry_.OpenKey(root, subkey, win::kKeyQueryValue, key);
  if (status != win::kErrorSuccess) return 0;
  uint32_t count = 0;
  status = key->QuerySubkeyCount(count);
  return status == win::kErrorSuccess ? count : 0;
}

bool CQDRegistry::KeyExists(RegRoot root, const std::string& subkey) {
  RegistryKey key;
  return registry_.OpenKey(root, subkey, win::kKeyQueryValue, key) ==
         win::kErrorSuccess;
}

uint32_t CQDRegistry::DeleteKeyTree(RegRoot root, const std::string& subkey) {
  return registry_.DeleteTree(root, subkey);
}

uint32_t CQDRegistry::IsLink(RegRoot root, const std::string& subkey,
                             bool& isLink) {
  isLink = false;
  RegistryKey key;
  const uint32_t opened =
      registry_.OpenLink(root, subkey, win::kKeyQueryValue, key);
  if (opened != win::kErrorSuccess) return opened;
  uint32_t type = win::kRegNone;
  uint32_t size = 0;
  const uint32_t queried = key->QueryValue(kSymbolicLinkValue, type, nullptr, size);
  if (queried == win::kErrorFileNotFound) return win::kErrorSuccess;
  // A size query answers 0; anything else leaves the type unknown.
  if (queried != win::kErrorSuccess) return queried;
  isLink = type == kRegLinkType;
  return win::kErrorSuccess;
}

namespace {

constexpr char kKeySeparator = '\\';

std::vector<std::string> KeyParts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == kKeySeparator) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

}  // namespace

uint32_t CQDRegistry::DeleteKeyTreeNoLinks(RegRoot root, const std::string& subkey,
                                           size_t systemParts,
                                           std::vector<std::string>& links) {
  const std::vector<std::string> parts = KeyParts(subkey);
  if (parts.size() <= systemParts) return win::kErrorInvalidParameter;
  std::string prefix;
  for (size_t i = 0; i < parts.size(); ++i) {
    prefix += (i == 0 ? "" : "\\") + parts[i];
    if (i < systemParts) continue;
    bool isLink = false;
    const uint32_t status = IsLink(root, prefix, isLink);
    if (status != win::kErrorSuccess) return status;
    if (isLink) {
      links.push_back(prefix);
      return registry_.DeleteLink(root, prefix);
    }
  }
  return DeleteTreeWithoutLinks(root, prefix, links);
}

// Each subkey is looked at before the tree deletion reaches it; the key is
// deleted only once nothing below it is left that could be a link.
uint32_t CQDRegistry::DeleteTreeWithoutLinks(RegRoot root, const std::string& subkey,
                                             std::vector<std::string>& links) {
  std::vector<std::string> children;
  {
    RegistryKey key;
    const uint32_t opened = registry_.OpenKey(root, subkey, win::kKeyRead, key);
    if (opened != win::kErrorSuccess) return opened;
    const uint32_t listed = ForEachSubkey(*key, [&children](const std::string& name) {
      children.push_back(name);
      return true;
    });
    if (listed != win::kErrorSuccess) return listed;
  }
  for (const std::string& child : children) {
    const std::string path = subkey + kKeySeparator + child;
    bool isLink = false;
    uint32_t status = IsLink(root, path, isLink);
    if (status == win::kErrorSuccess) {
      if (isLink) {
        links.push_back(path);
        status = registry_.DeleteLink(root, path);
      } else {
        status = DeleteTreeWithoutLinks(root, path, links);
      }
    }
    if (status != win::kErrorSuccess && status != win::kErrorFileNotFound) return status;
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
