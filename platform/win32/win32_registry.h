#pragma once
#include <windows.h>

#include "platform/registry.h"
#include "platform/win32/handles.h"

namespace win32 {

HKEY RootKey(RegRoot root);

// An open key of any origin (RegOpenKeyExA, SetupDiOpenDevRegKey): all of
// them are closed with RegCloseKey.
class Win32RegistryKey : public IRegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}

  Outcome QueryValue(const std::string& name, uint32_t& type, uint8_t* data,
                      uint32_t& size) override;
  Outcome EnumKey(uint32_t index, std::string& name,
                   uint32_t capacity) override;
  Outcome QuerySubkeyCount(uint32_t& count) override;

 private:
  UniqueRegKey key_;
};

class Win32Registry : public IRegistry {
 public:
  Outcome OpenKey(RegRoot root, const std::string& subkey, uint32_t access,
                   RegistryKey& out) override;
  Outcome DeleteTree(RegRoot root, const std::string& subkey) override;
  Outcome OpenLink(RegRoot root, const std::string& subkey, uint32_t access,
                    RegistryKey& out) override;
  Outcome DeleteLink(RegRoot root, const std::string& subkey) override;
};

}  // namespace win32
