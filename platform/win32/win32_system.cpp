#include "platform/win32/win32_system.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/win32/handles.h"
#include "platform/win32/last_error.h"

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
  return GetFileVersionInfoSizeA(path.c_str(), &ignored);
}

Outcome Win32System::FileVersionInfo(const std::string& path, uint32_t size,
                                     std::vector<uint8_t>& block) {
  block.assign(size, 0);
  if (size == 0) return Outcome::Failure(ERROR_INSUFFICIENT_BUFFER);
  const Outcome result = CallWithLastError([&] {
    return GetFileVersionInfoA(path.c_str(), 0, size, block.data());
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
  if (!VerQueryValueA(block.data(), subBlock.c_str(), &data, &length) ||
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

bool Win32Clock::LocalTime(int& hour, int& minute, int& second) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  hour = now.wHour;
  minute = now.wMinute;
  second = now.wSecond;
  return true;
}

}  // namespace win32
