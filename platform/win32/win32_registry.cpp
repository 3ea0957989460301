#include "platform/win32/win32_registry.h"

#include <shlwapi.h>

#include <vector>

namespace win32 {

HKEY RootKey(RegRoot root) {
  return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

Outcome Win32RegistryKey::QueryValue(const std::string& name, uint32_t& type,
                                      uint8_t* data, uint32_t& size) {
  DWORD valueType = REG_NONE;
  DWORD valueSize = size;
  const LSTATUS status = RegQueryValueExA(key_.get(), name.c_str(), nullptr,
                                          &valueType, data, &valueSize);
  type = valueType;
  size = valueSize;
  return RegistryOutcome(static_cast<uint32_t>(status));
}

Outcome Win32RegistryKey::EnumKey(uint32_t index, std::string& name,
                                   uint32_t capacity) {
  // One spare character so that a zero capacity still has a valid pointer;
  // the system is told the caller's capacity only.
  std::vector<char> buffer(static_cast<size_t>(capacity) + 1, '\0');
  DWORD length = capacity;
  const LSTATUS status =
      RegEnumKeyExA(key_.get(), index, buffer.data(), &length, nullptr,
                    nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) name.assign(buffer.data(), length);
  return RegistryOutcome(static_cast<uint32_t>(status));
}

Outcome Win32RegistryKey::QuerySubkeyCount(uint32_t& count) {
  DWORD subkeys = 0;
  const LSTATUS status =
      RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, &subkeys,
                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr);
  if (status == ERROR_SUCCESS) count = subkeys;
  return RegistryOutcome(static_cast<uint32_t>(status));
}

Outcome Win32Registry::OpenKey(RegRoot root, const std::string& subkey,
                                uint32_t access, RegistryKey& out) {
  out.reset();
  HKEY key = nullptr;
  const LSTATUS status =
      RegOpenKeyExA(RootKey(root), subkey.c_str(), 0, access, &key);
  if (status == ERROR_SUCCESS) out = std::make_unique<Win32RegistryKey>(key);
  return RegistryOutcome(static_cast<uint32_t>(status));
}

Outcome Win32Registry::DeleteTree(RegRoot root, const std::string& subkey) {
  // SHDeleteKeyA with an empty name empties the root key itself: a hive is
  // never what a caller means to delete.
  if (subkey.find_first_not_of('\\') == std::string::npos) {
    return Outcome::Failure(ERROR_INVALID_PARAMETER);
  }
  return RegistryOutcome(static_cast<uint32_t>(SHDeleteKeyA(RootKey(root), subkey.c_str())));
}

namespace {

using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
using NtStatusToErrorFn = ULONG(NTAPI*)(LONG);

// void (*)() converts to and from every function pointer type without a
// -Wcast-function-type warning.
template <typename Fn>
Fn ResolveNtdll(const char* name) {
  using AnyFunction = void (*)();
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  return reinterpret_cast<Fn>(
      reinterpret_cast<AnyFunction>(GetProcAddress(ntdll, name)));
}

bool HoldsLinkValue(HKEY key) {
  DWORD type = REG_NONE;
  DWORD size = 0;
  return RegQueryValueExA(key, kSymbolicLinkValue, nullptr, &type, nullptr,
                          &size) == ERROR_SUCCESS &&
         type == REG_LINK;
}

}  // namespace

Outcome Win32Registry::OpenLink(RegRoot root, const std::string& subkey,
                                 uint32_t access, RegistryKey& out) {
  out.reset();
  HKEY key = nullptr;
  const LSTATUS status = RegOpenKeyExA(RootKey(root), subkey.c_str(),
                                       REG_OPTION_OPEN_LINK, access, &key);
  if (status == ERROR_SUCCESS) out = std::make_unique<Win32RegistryKey>(key);
  return RegistryOutcome(static_cast<uint32_t>(status));
}

Outcome Win32Registry::DeleteLink(RegRoot root, const std::string& subkey) {
  // No Win32 call deletes a key opened as a link: RegDeleteKey opens the
  // name again and would follow it to the key it points to.
  static const auto deleteKey = ResolveNtdll<NtDeleteKeyFn>("NtDeleteKey");
  static const auto toError =
      ResolveNtdll<NtStatusToErrorFn>("RtlNtStatusToDosError");
  if (deleteKey == nullptr || toError == nullptr) return Outcome::Failure(ERROR_PROC_NOT_FOUND);
  HKEY opened = nullptr;
  const LSTATUS status =
      RegOpenKeyExA(RootKey(root), subkey.c_str(), REG_OPTION_OPEN_LINK,
                    DELETE | KEY_QUERY_VALUE, &opened);
  if (status != ERROR_SUCCESS) return RegistryOutcome(static_cast<uint32_t>(status));
  UniqueRegKey key(opened);
  // Checked on the very handle that is deleted, so a key swapped in since
  // the caller looked is not taken for the link.
  if (!HoldsLinkValue(key.get())) return Outcome::Failure(ERROR_INVALID_PARAMETER);
  const LONG result = deleteKey(key.get());
  return result == 0 ? Outcome::Success() : Outcome::Failure(static_cast<uint32_t>(toError(result)));
}

}  // namespace win32
