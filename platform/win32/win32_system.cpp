#include "platform/win32/win32_system.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/last_error.h"
#include "platform/win32/system_library.h"

namespace win32 {
namespace {

constexpr DWORD kPathBufferChars = MAX_PATH;
constexpr DWORD kUserNameBufferChars = 260;
constexpr DWORD kNeutralDefaultLanguage =
    MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

constexpr size_t kExtendedVersionRecordSize = 156;
constexpr size_t kBasicVersionRecordSize = 148;
static_assert(sizeof(OSVERSIONINFOEXA) == kExtendedVersionRecordSize,
              "extended version record size");
static_assert(sizeof(OSVERSIONINFOA) == kBasicVersionRecordSize,
              "basic version record size");

constexpr char kStringValuesPrefix[] = "\\StringFileInfo";

// GetCurrentDirectoryA and GetWindowsDirectoryA share one contract: the
// length without terminator when the text fit, the size needed when it did
// not, 0 on failure.
template <typename Call>
std::string FixedCapacityText(uint32_t capacity, Call&& call) {
  if (capacity == 0) return std::string();
  std::vector<char> buffer(capacity, '\0');
  const DWORD length = call(buffer.data(), capacity);
  if (length == 0 || length >= capacity) return std::string();
  return std::string(buffer.data(), length);
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  const size_t length = std::strlen(prefix);
  return s.size() >= length && _strnicmp(s.c_str(), prefix, length) == 0;
}

}  // namespace

uint16_t Win32System::ProcessorArchitecture() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.wProcessorArchitecture;
}

std::string Win32System::ModuleFileName() {
  char buffer[kPathBufferChars] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, kPathBufferChars);
  // A truncated name is not terminated on older systems: the length is the
  // authority.
  return std::string(buffer, length);
}

std::string Win32System::CurrentDirectory(uint32_t capacity) {
  return FixedCapacityText(capacity, [](char* buffer, DWORD size) {
    return GetCurrentDirectoryA(size, buffer);
  });
}

std::string Win32System::WindowsDirectory(uint32_t capacity) {
  return FixedCapacityText(capacity, [](char* buffer, DWORD size) {
    return static_cast<DWORD>(GetWindowsDirectoryA(buffer, size));
  });
}

std::string Win32System::SystemDirectory() {
  std::vector<char> buffer(kPathBufferChars, '\0');
  UINT length = GetSystemDirectoryA(buffer.data(), kPathBufferChars);
  if (length >= buffer.size()) {
    buffer.assign(length, '\0');
    length = GetSystemDirectoryA(buffer.data(), length);
  }
  if (length == 0 || length >= buffer.size()) return std::string();
  return std::string(buffer.data(), length);
}

Outcome Win32System::Version(bool extended, OsVersion& out) {
  OSVERSIONINFOEXA version{};
  version.dwOSVersionInfoSize = static_cast<DWORD>(
      extended ? kExtendedVersionRecordSize : kBasicVersionRecordSize);
  const Outcome result = CallWithLastError([&] {
    return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version));
  });
  if (result) {
    out.major = version.dwMajorVersion;
    out.minor = version.dwMinorVersion;
    out.build = version.dwBuildNumber;
  }
  return result;
}

Outcome Win32System::UserName(std::string& out) {
  char buffer[kUserNameBufferChars] = {};
  DWORD size = kUserNameBufferChars;
  const Outcome result =
      CallWithLastError([&] { return GetUserNameA(buffer, &size); });
  if (result) out = buffer;
  return result;
}

uint16_t Win32System::UserDefaultLangId() { return GetUserDefaultLangID(); }

uint32_t Win32System::FileVersionInfoSize(const std::string& path) {
  DWORD ignored = 0;
  const auto size = VersionInfo().getFileVersionInfoSize;
  return size != nullptr ? size(path.c_str(), &ignored) : 0;
}

Outcome Win32System::FileVersionInfo(const std::string& path, uint32_t size,
                                     std::vector<uint8_t>& block) {
  block.assign(size, 0);
  if (size == 0) return Outcome::Failure(ERROR_INSUFFICIENT_BUFFER);
  const Outcome result = CallWithLastError([&] {
    return CallExport(VersionInfo().getFileVersionInfo, path.c_str(), 0, size, block.data());
  });
  if (!result) block.clear();
  return result;
}

bool Win32System::QueryVersionValue(const std::vector<uint8_t>& block,
                                    const std::string& subBlock,
                                    std::vector<uint8_t>& value) {
  value.clear();
  if (block.empty()) return false;
  void* data = nullptr;
  UINT length = 0;
  if (!CallExport(VersionInfo().verQueryValue, block.data(), subBlock.c_str(), &data, &length) ||
      data == nullptr) {
    return false;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (StartsWithNoCase(subBlock, kStringValuesPrefix)) {
    // Text values: the length counts characters and may or may not include
    // the terminator; the value is handed on as text without it.
    const size_t characters = strnlen(static_cast<const char*>(data), length);
    value.assign(bytes, bytes + characters);
  } else {
    value.assign(bytes, bytes + length);
  }
  return true;
}

uint32_t Win32System::LastError() { return GetLastError(); }

void Win32System::SetLastErrorCode(uint32_t code) { SetLastError(code); }

bool Win32System::FormatSystemMessage(uint32_t code, std::string& text) {
  // Inserts are left as they are: many system messages have %1-style
  // placeholders, and no arguments are passed.
  constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_ALLOCATE_BUFFER |
                           FORMAT_MESSAGE_IGNORE_INSERTS;
  char* message = nullptr;
  const DWORD length = FormatMessageA(
      kFlags, nullptr, code, kNeutralDefaultLanguage,
      reinterpret_cast<char*>(&message), 0, nullptr);
  UniqueLocalMemory owner(message);
  if (length == 0 || message == nullptr) return false;
  text.assign(message, length);
  return true;
}

Outcome Win32System::IsProcessElevated(bool& elevated) {
  elevated = false;
  HANDLE rawToken = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) {
    return Outcome::Failure(GetLastError());
  }
  UniqueKernelHandle token(rawToken);
  TOKEN_ELEVATION elevation{};
  DWORD returned = 0;
  if (GetTokenInformation(rawToken, TokenElevation, &elevation, sizeof(elevation),
                          &returned)) {
    elevated = elevation.TokenIsElevated != 0;
    return Outcome::Success();
  }
  // Before NT 6 there is no split token: an administrator's process has
  // the group enabled, anyone else's does not.
  const DWORD elevationError = GetLastError();
  if (elevationError != ERROR_INVALID_PARAMETER) return Outcome::Failure(elevationError);
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &administrators)) {
    return Outcome::Failure(GetLastError());
  }
  BOOL member = FALSE;
  const BOOL checked = CheckTokenMembership(nullptr, administrators, &member);
  const DWORD checkError = GetLastError();
  FreeSid(administrators);
  if (!checked) return Outcome::Failure(checkError);
  elevated = member != FALSE;
  return Outcome::Success();
}

#ifdef PURVEX_BENCH_RECORD_WAITS
// The scale benchmark's program waits as the shipped one does, and writes
// down how long each wait took, so that the benchmark can leave the waits
// out of its figures.
void Win32Clock::Sleep(uint32_t ms) {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER before{};
  LARGE_INTEGER after{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&before);
  ::Sleep(ms);
  QueryPerformanceCounter(&after);
  if (FILE* record = std::fopen("purvex-bench-waits.txt", "a")) {
    std::fprintf(record, "%.4f\n",
                 static_cast<double>(after.QuadPart - before.QuadPart) /
                     static_cast<double>(frequency.QuadPart));
    std::fclose(record);
  }
}
#else
void Win32Clock::Sleep(uint32_t ms) { ::Sleep(ms); }
#endif

void Win32Clock::SleepUnlessStopped(uint32_t ms, const StopSignal& stop) {
  (void)stop.WaitFor(ms);
}

bool Win32Clock::LocalTime(int& hour, int& minute, int& second) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  hour = now.wHour;
  minute = now.wMinute;
  second = now.wSecond;
  return true;
}

namespace {

struct FolderIds {
  SystemFolder folder;
  GUID known;  // KNOWNFOLDERID; all zero: none
  int csidl;   // kNoCsidl: none
};

constexpr int kNoCsidl = -1;
constexpr GUID kNoKnownFolder{};

// The KNOWNFOLDERID values, spelled here so that no import library is needed.
const FolderIds kFolderIds[] = {
    {SystemFolder::Windows, {0xF38BF404, 0x1D43, 0x42F2, {0x93, 0x05, 0x67, 0xDE, 0x0B, 0x28, 0xFC, 0x23}}, CSIDL_WINDOWS},
    {SystemFolder::System, {0x1AC14E77, 0x02E7, 0x4E5D, {0xB7, 0x44, 0x2E, 0xB1, 0xAE, 0x51, 0x98, 0xB7}}, CSIDL_SYSTEM},
    {SystemFolder::ProgramFiles, {0x905E63B6, 0xC1BF, 0x494E, {0xB2, 0x9C, 0x65, 0xB7, 0x32, 0xD3, 0xD2, 0x1A}}, CSIDL_PROGRAM_FILES},
    {SystemFolder::ProgramFilesX86, {0x7C5A40EF, 0xA0FB, 0x4BFC, {0x87, 0x4A, 0xC0, 0xF2, 0xE0, 0xB9, 0xFA, 0x8E}}, CSIDL_PROGRAM_FILESX86},
    {SystemFolder::ProgramFilesX64, {0x6D809377, 0x6AF0, 0x444B, {0x89, 0x57, 0xA3, 0x77, 0x3F, 0x02, 0x20, 0x0E}}, kNoCsidl},
    {SystemFolder::ProgramFilesCommon, {0xF7F1ED05, 0x9F6D, 0x47A2, {0xAA, 0xAE, 0x29, 0xD3, 0x17, 0xC6, 0xF0, 0x66}}, CSIDL_PROGRAM_FILES_COMMON},
    {SystemFolder::RoamingAppData, {0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}}, CSIDL_APPDATA},
    {SystemFolder::LocalAppData, {0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}}, CSIDL_LOCAL_APPDATA},
    {SystemFolder::CommonAppData, {0x62AB5D82, 0xFDC1, 0x4DC3, {0xA9, 0xDD, 0x07, 0x0D, 0x1D, 0x49, 0x5D, 0x97}}, CSIDL_COMMON_APPDATA},
    {SystemFolder::Profile, {0x5E6C858F, 0x0E22, 0x4760, {0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73}}, CSIDL_PROFILE},
    {SystemFolder::UserProfiles, {0x0762D272, 0xC50A, 0x4BB0, {0xA3, 0x82, 0x69, 0x7D, 0xCD, 0x72, 0x9B, 0x80}}, kNoCsidl},
    {SystemFolder::Desktop, {0xB4BFCC3A, 0xDB2C, 0x424C, {0xB0, 0x29, 0x7F, 0xE9, 0x9A, 0x87, 0xC6, 0x41}}, CSIDL_DESKTOPDIRECTORY},
    {SystemFolder::Documents, {0xFDD39AD0, 0x238F, 0x46AF, {0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7}}, CSIDL_PERSONAL},
    {SystemFolder::StartMenu, {0x625B53C3, 0xAB48, 0x4EC1, {0xBA, 0x1F, 0xA1, 0xEF, 0x41, 0x46, 0xFC, 0x19}}, CSIDL_STARTMENU},
    {SystemFolder::CommonStartMenu, {0xA4115719, 0xD62E, 0x491D, {0xAA, 0x7C, 0xE7, 0x4B, 0x8B, 0xE3, 0xB0, 0x67}}, CSIDL_COMMON_STARTMENU},
    {SystemFolder::Fonts, {0xFD228CB7, 0xAE11, 0x4AE3, {0x86, 0x4C, 0x16, 0xF3, 0x91, 0x0A, 0xB8, 0xFE}}, CSIDL_FONTS},
    {SystemFolder::CommonDesktop, {0xC4AA340D, 0xF20F, 0x4863, {0xAF, 0xEF, 0xF8, 0x7E, 0xF2, 0xE6, 0xBA, 0x25}}, CSIDL_COMMON_DESKTOPDIRECTORY},
    {SystemFolder::CommonDocuments, {0xED4824AF, 0xDCE4, 0x45A8, {0x81, 0xE2, 0xFC, 0x79, 0x65, 0x08, 0x36, 0x34}}, CSIDL_COMMON_DOCUMENTS},
};

using KnownFolderPathFn = HRESULT(WINAPI*)(const GUID&, DWORD, HANDLE, PWSTR*);
using FolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
using TaskMemFreeFn = void(WINAPI*)(LPVOID);

// The known-folder call hands back memory of the COM allocator; ole32 is
// loaded from the system directory only when that call exists, and kept.
TaskMemFreeFn TaskMemFree() {
  static const UniqueModule ole32 = LoadSystemLibrary("ole32.dll");
  return ResolveExport<TaskMemFreeFn>(ole32.get(), "CoTaskMemFree");
}

template <typename Fn>
Fn ResolveIn(const char* library, const char* name) {
  using AnyFunction = void (*)();
  HMODULE module = GetModuleHandleA(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Fn>(
      reinterpret_cast<AnyFunction>(GetProcAddress(module, name)));
}

std::string ToAnsi(const wchar_t* text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(length), '\0');
  BOOL lossy = FALSE;
  if (WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), length, nullptr, &lossy) == 0 ||
      lossy) {
    return {};  // a name the code page cannot spell names no folder here
  }
  return std::string(buffer.data());
}

}  // namespace

Outcome Win32System::FolderPath(SystemFolder folder, std::string& out) {
  out.clear();
  const FolderIds* ids = nullptr;
  for (const FolderIds& entry : kFolderIds) {
    if (entry.folder == folder) ids = &entry;
  }
  if (ids == nullptr) return Outcome::Failure(ERROR_INVALID_PARAMETER);
  // The shell is imported already (ShellExecuteA); both are resolved by
  // name so that a system without them (NT 5: no known folders) starts.
  static const auto knownFolderPath =
      ResolveIn<KnownFolderPathFn>("shell32.dll", "SHGetKnownFolderPath");
  static const auto folderPath = ResolveIn<FolderPathFn>("shell32.dll", "SHGetFolderPathA");
  constexpr DWORD kDontVerify = 0x00004000;  // KF_FLAG_DONT_VERIFY
  if (knownFolderPath != nullptr &&
      std::memcmp(&ids->known, &kNoKnownFolder, sizeof(GUID)) != 0) {
    PWSTR wide = nullptr;
    const HRESULT result = knownFolderPath(ids->known, kDontVerify, nullptr, &wide);
    if (SUCCEEDED(result) && wide != nullptr) out = ToAnsi(wide);
    if (wide != nullptr) {
      static const TaskMemFreeFn freeTaskMem = TaskMemFree();
      // Without the allocator the few bytes are left: freeing them with
      // another allocator would corrupt its heap.
      if (freeTaskMem != nullptr) freeTaskMem(wide);
    }
    if (!out.empty()) return Outcome::Success();
  }
  if (folderPath == nullptr || ids->csidl == kNoCsidl) {
    return Outcome::Failure(ERROR_FILE_NOT_FOUND);
  }
  char buffer[MAX_PATH] = {};
  constexpr DWORD kCurrentPath = 0;  // SHGFP_TYPE_CURRENT
  if (FAILED(folderPath(nullptr, ids->csidl, nullptr, kCurrentPath, buffer))) {
    return Outcome::Failure(ERROR_FILE_NOT_FOUND);
  }
  out = buffer;
  return out.empty() ? Outcome::Failure(ERROR_FILE_NOT_FOUND) : Outcome::Success();
}

}  // namespace win32
