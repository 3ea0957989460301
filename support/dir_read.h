#pragma once
// Sorted listings of one directory (optionally its whole sub-tree).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

// The two entries of a listing that name the directory itself and its parent.
bool IsDotOrDotDot(const std::string& name);

struct DirEntry {
  std::string path;  // directory + "\" + found name
  bool isDirectory = false;
  uint32_t attributes = 0;
  uint64_t created = 0;
  uint64_t lastWritten = 0;
  uint64_t size = 0;
};

class CSADirRead {
 public:
  enum SortKey { kSortNone = 0, kSortByPath = 1, kSortByTime = 2, kSortBySize = 3 };

  explicit CSADirRead(IFileSystem& files);
  virtual ~CSADirRead();

  // The pointers stay valid until the next scan or the scanner's end.
  size_t ScanFiles(const std::string& directory, const std::string& pattern,
                   std::vector<const DirEntry*>& out, int sortKey, bool recurse);
  size_t ScanDirs(const std::string& directory,
                  std::vector<const DirEntry*>& out, int sortKey, bool recurse);

  static std::string NormalizeDir(const std::string& path);

  // The error that cut the last scan's listing short: FindFirstFileA failing
  // for another reason than no match (2), or FindNextFileA before the end
  // (18). 0 when the listing is complete.
  uint32_t ListingError() const { return listingError_; }

 private:
  size_t Scan(const std::string& directory, const std::string& pattern,
              bool files, bool dirs, std::vector<const DirEntry*>& out,
              int sortKey, bool recurse);
  bool GetFilesInDir(const std::string& directory, const std::string& pattern,
                     bool includeFiles, bool includeDirs);
  void GetSubDirs(const std::string& directory);

  IFileSystem& files_;
  std::string baseDirectory_;
  std::vector<std::string> directories_;
  std::vector<DirEntry> entries_;
  uint32_t listingError_ = 0;
};
