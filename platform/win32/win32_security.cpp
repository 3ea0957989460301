#include "platform/win32/win32_security.h"

#include <windows.h>
#include <aclapi.h>

#include <utility>
#include <vector>

#include "platform/win32/grown_text.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_files.h"
#include "platform/win_constants.h"

namespace win32 {
namespace {

// The object itself, never what a link points to; directories need backup
// semantics to be opened at all, and with the backup and restore privileges
// enabled they also let the owner and access list be written.
constexpr DWORD kOpenFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr char kFinalPathPrefix[] = "\\\\?\\";
constexpr char kFinalUncPrefix[] = "\\\\?\\UNC\\";
constexpr char kUncPrefix[] = "\\\\";

std::string LongFullPath(const std::string& path) {
  std::string full;
  if (!GrownText(
          [&](char* buffer, DWORD size) {
            return GetFullPathNameA(path.c_str(), size, buffer, nullptr);
          },
          full)) {
    return path;
  }
  std::string longName;
  if (GrownText([&](char* buffer, DWORD size) { return GetLongPathNameA(full.c_str(), buffer, size); },
                longName)) {
    return longName;
  }
  return full;
}

// Whether the handle is the object the path names and not, say, the target
// of a link that the system followed anyway (Wine opens the target of a
// Unix symbolic link to a file even when asked for the link itself). Before
// Vista there is no final path to compare, and no file links either.
bool IsObjectOfPath(HANDLE handle, const std::string& path) {
  std::string finalPath;
  if (const Outcome got = FinalPathName(handle, finalPath); !got) {
    return got.error == ERROR_PROC_NOT_FOUND;
  }
  if (finalPath.compare(0, sizeof(kFinalUncPrefix) - 1, kFinalUncPrefix) == 0) {
    finalPath = kUncPrefix + finalPath.substr(sizeof(kFinalUncPrefix) - 1);
  } else if (finalPath.compare(0, sizeof(kFinalPathPrefix) - 1, kFinalPathPrefix) == 0) {
    finalPath.erase(0, sizeof(kFinalPathPrefix) - 1);
  }
  std::string expected = LongFullPath(path);
  while (expected.size() > 3 && expected.back() == '\\') expected.pop_back();
  return lstrcmpiA(finalPath.c_str(), expected.c_str()) == 0;
}

Outcome OpenObject(const std::string& path, DWORD access, UniqueKernelHandle& out) {
  SetLastError(ERROR_SUCCESS);
  UniqueKernelHandle handle(
      CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, kOpenFlags, nullptr));
  if (!handle) return Outcome::Failure(GetLastError());
  if (!IsObjectOfPath(handle.get(), path)) return Outcome::Failure(win::kErrorCantResolveFilename);
  out = std::move(handle);
  return Outcome::Success();
}

PSID AsSid(const Sid& sid) { return const_cast<uint8_t*>(sid.data()); }

bool IsValid(const Sid& sid) { return !sid.empty() && IsValidSid(AsSid(sid)) != FALSE; }

// SetKernelObjectSecurity writes exactly the parts given and, unlike
// SetSecurityInfo, does not walk the tree below to propagate inheritance.
Outcome WriteSecurity(HANDLE object, SECURITY_INFORMATION parts, SECURITY_DESCRIPTOR& descriptor) {
  SetLastError(ERROR_SUCCESS);
  if (SetKernelObjectSecurity(object, parts, &descriptor)) return Outcome::Success();
  return Outcome::Failure(GetLastError());
}

}  // namespace

Outcome Win32Security::CurrentUserSid(Sid& out) {
  out.clear();
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) {
    return Outcome::Failure(GetLastError());
  }
  UniqueKernelHandle token(rawToken);
  DWORD size = 0;
  (void)GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return Outcome::Failure(GetLastError());
  std::vector<uint8_t> buffer(size, 0);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
    return Outcome::Failure(GetLastError());
  }
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  const DWORD length = GetLengthSid(user->User.Sid);
  const auto* bytes = static_cast<const uint8_t*>(user->User.Sid);
  out.assign(bytes, bytes + length);
  return Outcome::Success();
}

Outcome Win32Security::EnablePrivilege(const std::string& name) {
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) {
    return Outcome::Failure(GetLastError());
  }
  UniqueKernelHandle token(rawToken);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueA(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) {
    return Outcome::Failure(GetLastError());
  }
  SetLastError(ERROR_SUCCESS);
  if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) {
    return Outcome::Failure(GetLastError());
  }
  // The call succeeds without enabling a privilege the token does not hold.
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? Outcome::Success() : Outcome::Failure(error);
}

Outcome Win32Security::TakeOwnership(const std::string& path, const Sid& owner) {
  if (!IsValid(owner)) return Outcome::Failure(ERROR_INVALID_SID);
  UniqueKernelHandle object;
  const Outcome opened = OpenObject(path, WRITE_OWNER, object);
  if (!opened) return opened;
  SECURITY_DESCRIPTOR descriptor{};
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorOwner(&descriptor, AsSid(owner), FALSE)) {
    return Outcome::Failure(GetLastError());
  }
  return WriteSecurity(object.get(), OWNER_SECURITY_INFORMATION, descriptor);
}

Outcome Win32Security::GrantFullControl(const std::string& path, const Sid& account) {
  if (!IsValid(account)) return Outcome::Failure(ERROR_INVALID_SID);
  UniqueKernelHandle object;
  const Outcome opened = OpenObject(path, READ_CONTROL | WRITE_DAC, object);
  if (!opened) return opened;

  DWORD size = 0;
  (void)GetKernelObjectSecurity(object.get(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  if (size == 0) return Outcome::Failure(GetLastError());
  std::vector<uint8_t> current(size, 0);
  if (!GetKernelObjectSecurity(object.get(), DACL_SECURITY_INFORMATION, current.data(), size,
                               &size)) {
    return Outcome::Failure(GetLastError());
  }
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(current.data(), &present, &dacl, &defaulted)) {
    return Outcome::Failure(GetLastError());
  }
  // No access list, or an empty (null) one, already lets everyone do anything.
  if (!present || dacl == nullptr) return Outcome::Success();
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  (void)GetSecurityDescriptorControl(current.data(), &control, &revision);

  EXPLICIT_ACCESS_A entry{};
  entry.grfAccessPermissions = FILE_ALL_ACCESS;
  entry.grfAccessMode = GRANT_ACCESS;
  entry.grfInheritance = NO_INHERITANCE;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  entry.Trustee.TrusteeType = TRUSTEE_IS_USER;
  entry.Trustee.ptstrName = static_cast<LPSTR>(AsSid(account));
  PACL merged = nullptr;
  const DWORD mergedResult = SetEntriesInAclA(1, &entry, dacl, &merged);
  if (mergedResult != ERROR_SUCCESS) return Outcome::Failure(mergedResult);
  const UniqueLocalMemory mergedMemory(reinterpret_cast<HLOCAL>(merged));

  SECURITY_DESCRIPTOR descriptor{};
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, merged, FALSE)) {
    return Outcome::Failure(GetLastError());
  }
  // Inherited entries stay marked as inherited, and a protected list stays
  // protected.
  const SECURITY_DESCRIPTOR_CONTROL kept =
      control & (SE_DACL_AUTO_INHERITED | SE_DACL_PROTECTED);
  (void)SetSecurityDescriptorControl(&descriptor, SE_DACL_AUTO_INHERITED | SE_DACL_PROTECTED,
                                     kept);
  return WriteSecurity(object.get(), DACL_SECURITY_INFORMATION, descriptor);
}

}  // namespace win32
