#pragma once
#include <windows.h>

#include "platform/files.h"
#include "platform/win32/handles.h"

namespace win32 {

// GetFinalPathNameByHandleA, links resolved ("\\?\C:\..."); error 127 on
// systems before Vista, which do not have it.
Outcome FinalPathName(HANDLE handle, std::string& out);

class Win32FindHandle : public IFindHandle {
 public:
  explicit Win32FindHandle(HANDLE find) : find_(find) {}
  Outcome Next(FindData& out) override;

 private:
  UniqueFindHandle find_;
};

class Win32File : public IFile {
 public:
  explicit Win32File(HANDLE file) : file_(file) {}

  Outcome Read(void* buffer, uint32_t size, uint32_t& got) override;
  Outcome Write(const void* data, uint32_t size) override;
  Outcome SeekToEnd() override;
  Outcome GetSize(uint64_t& size) override;
  Outcome GetInformation(FileInformation& out) override;
  Outcome GetFinalPath(std::string& out) override;
  Outcome Truncate() override;

 private:
  UniqueKernelHandle file_;
};

class Win32FileSystem : public IFileSystem {
 public:
  Outcome FindFirst(const std::string& pattern, FindData& first,
                    FindHandle& out) override;
  Outcome RemoveFile(const std::string& path) override;
  Outcome RemoveDir(const std::string& path) override;
  Outcome MakeDir(const std::string& path) override;
  Outcome GetAttributes(const std::string& path,
                        uint32_t& attributes) override;
  Outcome SetAttributes(const std::string& path,
                        uint32_t attributes) override;
  Outcome Open(const std::string& path, FileAccess access,
               FileCreation creation, bool share, File& out) override;
  Outcome OpenNoFollow(const std::string& path, FileAccess access,
                       FileCreation creation, File& out) override;
  Outcome OpenDirectory(const std::string& path, bool followLinks,
                        DirectoryIdentity& out, File* held) override;

  Outcome MoveReplacing(const std::string& from, const std::string& to) override;
};

}  // namespace win32
