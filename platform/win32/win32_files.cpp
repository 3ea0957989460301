#include "platform/win32/win32_files.h"

#include <algorithm>
#include <vector>

#include "platform/win32/code_page.h"
#include "platform/win32/grown_text.h"
#include "platform/win32/last_error.h"
#include "platform/win32/system_library.h"

namespace win32 {
namespace {

constexpr int kHighPartShift = 32;

uint64_t Combine(DWORD high, DWORD low) {
  return (static_cast<uint64_t>(high) << kHighPartShift) | low;
}

FindData ToValue(const WIN32_FIND_DATAA& data) {
  FindData value;
  value.name = data.cFileName;
  value.attributes = data.dwFileAttributes;
  value.creationTime = Combine(data.ftCreationTime.dwHighDateTime,
                               data.ftCreationTime.dwLowDateTime);
  value.lastWriteTime = Combine(data.ftLastWriteTime.dwHighDateTime,
                                data.ftLastWriteTime.dwLowDateTime);
  value.size = Combine(data.nFileSizeHigh, data.nFileSizeLow);
  return value;
}

DWORD Disposition(FileCreation creation) {
  switch (creation) {
    case FileCreation::OpenAlways:
      return OPEN_ALWAYS;
    case FileCreation::CreateAlways:
      return CREATE_ALWAYS;
    case FileCreation::CreateNew:
      return CREATE_NEW;
    case FileCreation::OpenExisting:
      break;
  }
  return OPEN_EXISTING;
}

DWORD DesiredAccess(FileAccess access) {
  return access == FileAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE
                                         : GENERIC_READ;
}

constexpr char kNtLibrary[] = "ntdll.dll";
constexpr char kGetFinalPath[] = "GetFinalPathNameByHandleA";
constexpr char kQueryFile[] = "NtQueryInformationFile";
constexpr DWORD kFinalPathNormalizedDos = 0;  // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS
constexpr ULONG kFileNameInformation = 9;
constexpr size_t kNameInfoBytes = 4096;

using GetFinalPathFn = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);

struct IoStatus {
  union {
    LONG status;
    void* pointer;
  };
  ULONG_PTR information;
};
using QueryFileFn = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, ULONG);

// Windows before Vista has no GetFinalPathNameByHandleA: the file system's
// own name of the open file (links resolved, relative to its volume), after
// the volume's serial number. Only compared with another path made the same
// way.
Outcome VolumeRelativePath(HANDLE handle, std::string& out) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) {
    return Outcome::Failure(GetLastError());
  }
  auto query = ResolveExport<QueryFileFn>(GetModuleHandleA(kNtLibrary), kQueryFile);
  if (query == nullptr) return Outcome::Failure(ERROR_PROC_NOT_FOUND);
  std::vector<ULONG> buffer(kNameInfoBytes / sizeof(ULONG), 0);
  IoStatus status{};
  if (query(handle, &status, buffer.data(), kNameInfoBytes, kFileNameInformation) < 0) {
    return Outcome::Failure(ERROR_INVALID_FUNCTION);
  }
  const ULONG nameBytes = buffer[0];
  const auto* name = reinterpret_cast<const wchar_t*>(buffer.data() + 1);
  const int characters = static_cast<int>(
      std::min<size_t>(nameBytes, kNameInfoBytes - sizeof(ULONG)) / sizeof(wchar_t));
  const std::string text = AnsiFromWide(name, characters);
  char serial[16] = {};
  wsprintfA(serial, "%08lX:", static_cast<unsigned long>(info.dwVolumeSerialNumber));
  out = serial + text;
  return Outcome::Success();
}

Outcome FinalPathOf(HANDLE handle, std::string& out) {
  const Outcome result = FinalPathName(handle, out);
  if (!result && result.error == ERROR_PROC_NOT_FOUND) return VolumeRelativePath(handle, out);
  return result;
}

// The identity checks compare drive paths: a path of another form (UNC, or
// the volume-relative name of systems before Vista) names nothing they know.
std::string DrivePath(HANDLE handle) {
  std::string path;
  if (!FinalPathOf(handle, path)) return {};
  // "\\?\C:\..." names a drive path; "\\?\UNC\..." does not.
  constexpr char kLongPrefix[] = "\\\\?\\";
  constexpr size_t kLongPrefixLength = sizeof kLongPrefix - 1;
  if (path.compare(0, kLongPrefixLength, kLongPrefix) == 0) path.erase(0, kLongPrefixLength);
  if (path.size() < 2 || path[1] != ':') return {};
  return path;
}

}  // namespace

Outcome FinalPathName(HANDLE handle, std::string& out) {
  auto finalPath = ResolveKernelExport<GetFinalPathFn>(kGetFinalPath);
  if (finalPath == nullptr) return Outcome::Failure(ERROR_PROC_NOT_FOUND);
  return GrownText(
      [&](char* buffer, DWORD size) {
        return finalPath(handle, buffer, size, kFinalPathNormalizedDos);
      },
      out);
}

Outcome Win32FindHandle::Next(FindData& out) {
  WIN32_FIND_DATAA data{};
  const Outcome result =
      CallWithLastError([&] { return FindNextFileA(find_.get(), &data); });
  if (result) out = ToValue(data);
  return result;
}

Outcome Win32File::Read(void* buffer, uint32_t size, uint32_t& got) {
  DWORD read = 0;
  const Outcome result = CallWithLastError(
      [&] { return ReadFile(file_.get(), buffer, size, &read, nullptr); });
  got = read;
  return result;
}

Outcome Win32File::Write(const void* data, uint32_t size) {
  DWORD written = 0;
  const Outcome result = CallWithLastError(
      [&] { return WriteFile(file_.get(), data, size, &written, nullptr); });
  if (result && written != size) {
    return Outcome::Failure(ERROR_HANDLE_DISK_FULL);
  }
  return result;
}

Outcome Win32File::SeekToEnd() {
  const LARGE_INTEGER noMove{};
  return CallWithLastError([&] {
    return SetFilePointerEx(file_.get(), noMove, nullptr, FILE_END);
  });
}

Outcome Win32File::GetSize(uint64_t& size) {
  LARGE_INTEGER fileSize{};
  const Outcome result =
      CallWithLastError([&] { return GetFileSizeEx(file_.get(), &fileSize); });
  if (result) size = static_cast<uint64_t>(fileSize.QuadPart);
  return result;
}

Outcome Win32File::GetInformation(FileInformation& out) {
  BY_HANDLE_FILE_INFORMATION info{};
  const Outcome result = CallWithLastError(
      [&] { return GetFileInformationByHandle(file_.get(), &info); });
  if (result) {
    out.attributes = info.dwFileAttributes;
    out.linkCount = info.nNumberOfLinks;
  }
  return result;
}

Outcome Win32File::GetFinalPath(std::string& out) { return FinalPathOf(file_.get(), out); }

Outcome Win32File::Truncate() {
  const LARGE_INTEGER start{};
  return CallWithLastError([&] {
    return SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) &&
           SetEndOfFile(file_.get());
  });
}

Outcome Win32FileSystem::FindFirst(const std::string& pattern,
                                   FindData& first, FindHandle& out) {
  out.reset();
  WIN32_FIND_DATAA data{};
  HANDLE find = INVALID_HANDLE_VALUE;
  const Outcome result = CallWithLastError([&] {
    find = FindFirstFileA(pattern.c_str(), &data);
    return find != INVALID_HANDLE_VALUE;
  });
  if (result) {
    first = ToValue(data);
    out = std::make_unique<Win32FindHandle>(find);
  }
  return result;
}

Outcome Win32FileSystem::RemoveFile(const std::string& path) {
  return CallWithLastError([&] { return DeleteFileA(path.c_str()); });
}

Outcome Win32FileSystem::RemoveDir(const std::string& path) {
  return CallWithLastError([&] { return RemoveDirectoryA(path.c_str()); });
}

Outcome Win32FileSystem::MakeDir(const std::string& path) {
  return CallWithLastError(
      [&] { return CreateDirectoryA(path.c_str(), nullptr); });
}

Outcome Win32FileSystem::GetAttributes(const std::string& path,
                                       uint32_t& attributes) {
  DWORD value = INVALID_FILE_ATTRIBUTES;
  const Outcome result = CallWithLastError([&] {
    value = GetFileAttributesA(path.c_str());
    return value != INVALID_FILE_ATTRIBUTES;
  });
  attributes = value;
  return result;
}

Outcome Win32FileSystem::SetAttributes(const std::string& path,
                                       uint32_t attributes) {
  return CallWithLastError(
      [&] { return SetFileAttributesA(path.c_str(), attributes); });
}

Outcome Win32FileSystem::Open(const std::string& path, FileAccess access,
                              FileCreation creation, bool share, File& out) {
  out.reset();
  const DWORD shareMode = share ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
  HANDLE file = INVALID_HANDLE_VALUE;
  const Outcome result = CallWithLastError([&] {
    file = CreateFileA(path.c_str(), DesiredAccess(access), shareMode,
                       nullptr, Disposition(creation), FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    return file != INVALID_HANDLE_VALUE;
  });
  if (result) out = std::make_unique<Win32File>(file);
  return result;
}

Outcome Win32FileSystem::OpenNoFollow(const std::string& path, FileAccess access,
                                      FileCreation creation, File& out) {
  out.reset();
  HANDLE file = INVALID_HANDLE_VALUE;
  const Outcome result = CallWithLastError([&] {
    file = CreateFileA(path.c_str(), DesiredAccess(access), 0, nullptr,
                       Disposition(creation),
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    return file != INVALID_HANDLE_VALUE;
  });
  if (result) out = std::make_unique<Win32File>(file);
  return result;
}

Outcome Win32FileSystem::OpenDirectory(const std::string& path, bool followLinks,
                                       DirectoryIdentity& out, File* held) {
  if (held != nullptr) held->reset();
  HANDLE opened = INVALID_HANDLE_VALUE;
  Outcome result = CallWithLastError([&] {
    opened = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS |
                             (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                         nullptr);
    return opened != INVALID_HANDLE_VALUE;
  });
  if (!result) return result;
  UniqueKernelHandle directory(opened);
  BY_HANDLE_FILE_INFORMATION info{};
  result = CallWithLastError(
      [&] { return GetFileInformationByHandle(directory.get(), &info); });
  if (!result) return result;
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return Outcome::Failure(ERROR_DIRECTORY);
  }
  out = DirectoryIdentity{};
  out.volume = info.dwVolumeSerialNumber;
  out.fileIndex = Combine(info.nFileIndexHigh, info.nFileIndexLow);
  out.attributes = info.dwFileAttributes;
  out.finalPath = DrivePath(directory.get());
  if (held != nullptr) *held = std::make_unique<Win32File>(directory.release());
  return Outcome::Success();
}

Outcome Win32FileSystem::MoveReplacing(const std::string& from, const std::string& to) {
  return CallWithLastError([&] {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  });
}

}  // namespace win32
