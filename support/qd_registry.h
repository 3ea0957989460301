#pragma once
// Registry access: stateless reads, subkey enumeration and tree deletion.
// Each call opens the key it needs, does one thing and closes it again.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/registry.h"

// Where the spooler keeps drivers of the NT 4 generation, beside the key of
// this environment's own drivers.
inline constexpr const char* kVersion2DriversKey =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-2";

class CQDRegistry {
 public:
  // A driver's key is looked for under this environment's drivers key
  // first, then under the Version-2 key.
  enum class DriverKeyFound { None, Environment, Version2 };
  // The key of `driverName` under `driversKey`; the drivers key itself for
  // an empty name.
  static std::string DriverKeyPath(const std::string& driversKey,
                                   const std::string& driverName) {
    return driverName.empty() ? driversKey : driversKey + "\\" + driverName;
  }
  // `attempt(keyPath)` on the environment's key, then on the Version-2 key:
  // the first that answers true says where the driver was found.
  template <typename Attempt>
  static DriverKeyFound FindDriverKey(const std::string& envDriversKey,
                                      const std::string& driverName, Attempt&& attempt) {
    if (attempt(DriverKeyPath(envDriversKey, driverName))) return DriverKeyFound::Environment;
    if (attempt(DriverKeyPath(kVersion2DriversKey, driverName))) return DriverKeyFound::Version2;
    return DriverKeyFound::None;
  }

  static constexpr uint32_t kStringBufferSize = 255;
  static constexpr uint32_t kSubkeyNameCapacity = 255;
  static constexpr uint32_t kMultiStringFirstRead = 255;

  explicit CQDRegistry(IRegistry& registry);
  virtual ~CQDRegistry();

  // The value type goes to `type` (0 when unread). On open/query failure
  // the default data (size bytes of it, when given) is copied into out; a
  // value that does not fit (failure 234) still reports type and size.
  Outcome QueryValue(RegRoot root, const std::string& subkey,
                     const std::string& valueName, const uint8_t* defaultData,
                     uint8_t* out, uint32_t size, uint32_t* bytesRead,
                     uint32_t& type);
  // A REG_SZ value of less than 255 bytes; false (out unchanged) otherwise.
  bool ReadStringToBuffer(RegRoot root, const std::string& subkey,
                          const std::string& valueName, std::string& out);
  // Success, failure 234 (bytesRead = size needed) or another failure; out
  // is filled only for a REG_MULTI_SZ read that succeeds.
  Outcome ReadMultiString(RegRoot root, const std::string& subkey,
                           const std::string& valueName, uint8_t* out,
                           uint32_t size, uint32_t& bytesRead);
  // The 255-then-needed-size protocol of every multi-string reader, walked
  // into strings. Returns the outcome of the last read.
  Outcome ReadMultiStringList(RegRoot root, const std::string& subkey,
                               const std::string& valueName,
                               std::vector<std::string>& out);
  bool EnumSubkey(RegRoot root, const std::string& subkey, uint32_t index,
                  std::string& out);
  // The subkeys of an open key in order, to the end of the listing or until
  // `visit(name)` answers false: success, or the error that cut the listing
  // short.
  static Outcome ForEachSubkey(IRegistryKey& key,
                                const std::function<bool(const std::string& name)>& visit);
  // The subkeys by index, from 0 to the count the key reports when opened
  // for reading: `visit(index, listed, name)` gets each index with the
  // outcome of listing it (name is empty on failure) and answers whether to
  // go on. Returns the failure to open or count the key, else success.
  Outcome ForEachCountedSubkey(
      RegRoot root, const std::string& subkey,
      const std::function<bool(uint32_t index, const Outcome& listed, const std::string& name)>&
          visit);
  // count is 0 unless the key was opened and counted.
  Outcome CountSubkeys(RegRoot root, const std::string& subkey, uint32_t& count);
  bool KeyExists(RegRoot root, const std::string& subkey);
  Outcome DeleteKeyTree(RegRoot root, const std::string& subkey);
  // Whether the key itself (not what it points to) is a registry link:
  // success, or the error that left it unknown (kErrorFileNotFound: no such
  // key).
  Outcome IsLink(RegRoot root, const std::string& subkey, bool& isLink);
  // DeleteKeyTree that never follows a registry link: a link among the keys
  // on the path below its first `systemParts` components, or inside the
  // tree, is deleted as the link only, and its path added to `links`. What
  // it points to stays. Nothing more is deleted once a key cannot be listed.
  Outcome DeleteKeyTreeNoLinks(RegRoot root, const std::string& subkey,
                                size_t systemParts,
                                std::vector<std::string>& links);

 private:
  Outcome DeleteTreeWithoutLinks(RegRoot root, const std::string& subkey,
                                  std::vector<std::string>& links);

  IRegistry& registry_;
};

// Walks a multi-string of n bytes: from offset 0 while offset < n - 1, each
// string up to its terminator. Never reads past n, also without terminators.
std::vector<std::string> SplitMultiString(const uint8_t* data, uint32_t n);
