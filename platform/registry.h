#pragma once
// Registry boundary: the calls the system makes (open, query, enumerate,
// key info, delete tree), with RAII keys. Every call answers an Outcome: a
// failure carries the Win32 LSTATUS, "more data" (234) included.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/outcome.h"

enum class RegRoot { LocalMachine, CurrentUser };

// The value that makes a key a registry link, and its type (REG_LINK).
inline constexpr const char* kSymbolicLinkValue = "SymbolicLinkValue";
inline constexpr uint32_t kRegLinkType = 6;

class IRegistryKey {
 public:
  virtual ~IRegistryKey() = default;  // closes the key
  // RegQueryValueExA: data may be null to ask for the size. size is in/out
  // (bytes). Success, a failure carrying kErrorMoreData (with size = needed)
  // or another failure.
  virtual Outcome QueryValue(const std::string& name, uint32_t& type,
                              uint8_t* data, uint32_t& size) = 0;
  // RegEnumKeyExA with a name buffer of `capacity` characters (terminator
  // included); kErrorNoMoreItems past the end, kErrorMoreData when the name
  // does not fit.
  virtual Outcome EnumKey(uint32_t index, std::string& name,
                           uint32_t capacity) = 0;
  // RegQueryInfoKeyA, number of subkeys only.
  virtual Outcome QuerySubkeyCount(uint32_t& count) = 0;
};

using RegistryKey = std::unique_ptr<IRegistryKey>;

// An LSTATUS as an Outcome: 0 is success, every other value a failure.
inline Outcome RegistryOutcome(uint32_t status) {
  return status == 0 ? Outcome::Success() : Outcome::Failure(status);
}

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // RegOpenKeyExA(root, subkey, 0, access).
  virtual Outcome OpenKey(RegRoot root, const std::string& subkey,
                           uint32_t access, RegistryKey& out) = 0;
  // SHDeleteKeyA: the key with all subkeys and values. It follows registry
  // links, on the way and inside the tree.
  virtual Outcome DeleteTree(RegRoot root, const std::string& subkey) = 0;
  // RegOpenKeyExA with REG_OPTION_OPEN_LINK: a link as the last component is
  // opened itself, not the key it points to (links on the way are followed).
  virtual Outcome OpenLink(RegRoot root, const std::string& subkey,
                            uint32_t access, RegistryKey& out) = 0;
  // Deletes the registry link itself (opened as a link, NtDeleteKey); the
  // key it points to stays. kErrorInvalidParameter when it is no link.
  virtual Outcome DeleteLink(RegRoot root, const std::string& subkey) = 0;
};
