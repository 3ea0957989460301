#pragma once
// File-system boundary: find-first/next, delete, attributes, directories and
// plain byte files. Paths are ANSI, Windows style, case-insensitive.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/outcome.h"
#include "platform/win_constants.h"

struct FindData {
  std::string name;  // cFileName
  uint32_t attributes = 0;
  uint64_t creationTime = 0;
  uint64_t lastWriteTime = 0;
  uint64_t size = 0;
};

class IFindHandle {
 public:
  virtual ~IFindHandle() = default;  // FindClose
  // FindNextFileA: error 18 at the end.
  virtual Outcome Next(FindData& out) = 0;
};

using FindHandle = std::unique_ptr<IFindHandle>;

enum class FileAccess { Read, ReadWrite };
// CreateNew fails with 80 when the name exists, a link of that name included.
enum class FileCreation { OpenExisting, OpenAlways, CreateAlways, CreateNew };

// GetFileInformationByHandle: what the handle reaches.
struct FileInformation {
  uint32_t attributes = 0;
  uint32_t linkCount = 0;  // names (hard links) the file has
};

// Neither a directory nor a link, and this one name: what is written to it
// changes no file reached by another path.
inline bool IsPlainSingleFile(const FileInformation& info) {
  return (info.attributes & (win::kFileAttributeDirectory | win::kFileAttributeReparsePoint)) ==
             0 &&
         info.linkCount == 1;
}

class IFile {
 public:
  virtual ~IFile() = default;  // CloseHandle
  virtual Outcome Read(void* buffer, uint32_t size, uint32_t& got) = 0;
  virtual Outcome Write(const void* data, uint32_t size) = 0;
  virtual Outcome SeekToEnd() = 0;
  virtual Outcome GetSize(uint64_t& size) = 0;
  virtual Outcome GetInformation(FileInformation& out) = 0;
  // GetFinalPathNameByHandleA: the full path the handle really reaches, every
  // link and junction on the way resolved.
  virtual Outcome GetFinalPath(std::string& out) = 0;
  // Empties the file through this handle (SetEndOfFile at offset 0).
  virtual Outcome Truncate() = 0;
};

using File = std::unique_ptr<IFile>;

// Who a directory is, whatever it was called: the same volume and file
// index is the same directory under a short name, another letter case or a
// junction's name.
struct DirectoryIdentity {
  uint32_t volume = 0;
  uint64_t fileIndex = 0;
  uint32_t attributes = 0;
  std::string finalPath;  // "C:\...", or empty where the system cannot tell

  bool SameAs(const DirectoryIdentity& other) const {
    return volume == other.volume && fileIndex == other.fileIndex;
  }
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // FindFirstFileA(pattern): the first entry in `first`.
  virtual Outcome FindFirst(const std::string& pattern, FindData& first,
                            FindHandle& out) = 0;
  virtual Outcome RemoveFile(const std::string& path) = 0;
  virtual Outcome RemoveDir(const std::string& path) = 0;
  virtual Outcome MakeDir(const std::string& path) = 0;
  // GetFileAttributesA: kInvalidFileAttributes with the error on failure.
  virtual Outcome GetAttributes(const std::string& path,
                                uint32_t& attributes) = 0;
  virtual Outcome SetAttributes(const std::string& path,
                                uint32_t attributes) = 0;
  // CreateFileA without sharing when share is false.
  virtual Outcome Open(const std::string& path, FileAccess access,
                       FileCreation creation, bool share, File& out) = 0;
  // CreateFileA without sharing and with FILE_FLAG_OPEN_REPARSE_POINT: a link
  // in the last place of the path is opened itself rather than what it names.
  virtual Outcome OpenNoFollow(const std::string& path, FileAccess access,
                               FileCreation creation, File& out) = 0;
  // CreateFileA(FILE_FLAG_BACKUP_SEMANTICS, plus FILE_FLAG_OPEN_REPARSE_POINT
  // unless followLinks) and GetFileInformationByHandle; error 267 when it is
  // no directory. Shared for reading and writing but not for deletion:
  // `held`, when given, keeps it open, so that it can be neither renamed nor
  // removed meanwhile, and asks it through the handle.
  virtual Outcome OpenDirectory(const std::string& path, bool followLinks,
                                DirectoryIdentity& out, File* held) = 0;

  // MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH):
  // `to` takes the place of what had that name in one step, so a reader sees
  // the old file or the new one, never a part. A link at `to` is replaced
  // itself, not what it names; a directory or a read-only file there is not
  // replaced (5).
  virtual Outcome MoveReplacing(const std::string& from, const std::string& to) = 0;
};
