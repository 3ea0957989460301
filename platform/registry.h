#pragma once
// Registry boundary: the calls the system makes (open, query, enumerate,
// key info, delete tree), with RAII keys. Status results are Win32 LSTATUS
// values (0 = success).
#include <cstdint>
#include <memory>
#include <string>

enum class RegRoot { LocalMachine, CurrentUser };

// The value that makes a key a registry link, and its type (REG_LINK).
inline constexpr const char* kSymbolicLinkValue = "SymbolicLinkValue";
inline constexpr uint32_t kRegLinkType = 6;

class IRegistryKey {
 public:
  virtual ~IRegistryKey() = default;  // closes the key
  // RegQueryValueExA: data may be null to ask for the size. size is in/out
  // (bytes). Returns 0, kErrorMoreData (with size = needed) or an error.
  virtual uint32_t QueryValue(const std::string& name, uint32_t& type,
                              uint8_t* data, uint32_t& size) = 0;
  // RegEnumKeyExA with a name buffer of `capacity` characters (terminator
  // included); kErrorNoMoreItems past the end, kErrorMoreData when the name
  // does not fit.
  virtual uint32_t EnumKey(uint32_t index, std::string& name,
                           uint32_t capacity) = 0;
  // RegQueryInfoKeyA, number of subkeys only.
  virtual uint32_t QuerySubkeyCount(uint32_t& count) = 0;
};

using RegistryKey = std::unique_ptr<IRegistryKey>;

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // RegOpenKeyExA(root, subkey, 0, access).
  virtual uint32_t OpenKey(RegRoot root, const std::string& subkey,
                           uint32_t access, RegistryKey& out) = 0;
  // SHDeleteKeyA: the key with all subkeys and values. It follows registry
  // links, on the way and inside the tree.
  virtual uint32_t DeleteTree(RegRoot root, const std::string& subkey) = 0;
  // RegOpenKeyExA with REG_OPTION_OPEN_LINK: a link as the last component is
  // opened itself, not the key it points to (links on the way are followed).
  virtual uint32_t OpenLink(RegRoot root, const std::string& subkey,
                            uint32_t access, RegistryKey& out) = 0;
  // Deletes the registry link itself (opened as a link, NtDeleteKey); the
  // key it points to stays. kErrorInvalidParameter when it is no link.
  virtual uint32_t DeleteLink(RegRoot root, const std::string& subkey) = 0;
};
