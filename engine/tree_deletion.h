#pragma once
// The one recursive deletion of a directory tree, and the one removal of a
// driver package's Temp copy and cabinet file, for every caller. Callers
// differ only in the lines they write and in where they record outcomes;
// what is deleted, and that links are never followed, is the same for all.
#include <cstdint>
#include <string>

#include "platform/files.h"

class CDeviceService;

// What a tree deletion met, for its caller to record.
enum class TreeEntryKind {
  File,                // a file or a file link, deleted as itself
  DirectoryLink,       // a junction or directory link inside the tree
  LinkInPlace,         // the directory to delete turned out to be a link
};

// Lines a caller writes on the way; a null text is not written.
struct TreeDeletionTexts {
  const char* cannotList = nullptr;    // %s: the path with a trailing backslash
  const char* linkInPlace = nullptr;   // %s: the path
  const char* listingError = nullptr;  // %d: the error that ended the listing
  // Trace lines: after each further entry is read, after the dot test, and
  // after the entry's full path is built.
  const char* entryRead = nullptr;
  const char* entryNotDot = nullptr;
  const char* entryPathBuilt = nullptr;
};

struct TreeDeletionStyle {
  TreeDeletionTexts texts;
  // A path that is a file link is taken for a link in place of the
  // directory too, not only a directory link.
  bool fileLinkInPlace = false;
};

class ITreeDeletionSink {
 public:
  virtual void Log(const std::string& line) = 0;
  // `error`: the code of a failed attempt, 0 after a success.
  virtual void Removed(TreeEntryKind kind, const std::string& path, bool removed,
                       uint32_t error) = 0;

 protected:
  ~ITreeDeletionSink() = default;
};

// Deletes everything below `path` and then `path` itself; true when the
// directory is gone. The first entry that cannot be deleted ends it all. A
// link is removed as itself and never entered. `expected`, when given: the
// directory checked before, which the one found at `path` must still be.
bool DeleteTree(IFileSystem& files, const std::string& path, const TreeDeletionStyle& style,
                ITreeDeletionSink& sink, const DirectoryIdentity* expected = nullptr);

// "[%s] directory and all sub-directory deleted!" or its failure line.
std::string TreeOutcomeLine(const std::string& path, bool deleted);

// What one caller of the Temp-copy and cabinet removal does its own way.
class IStoreCopySink {
 public:
  virtual void Log(const std::string& line) = 0;
  virtual bool DeleteTempTree(const std::string& directory) = 0;
  // Right after the tree deletion, before its outcome line.
  virtual void TempTreeDone(const std::string& directory, bool deleted) {
    (void)directory;
    (void)deleted;
  }
  // A Temp copy that stayed, or a cabinet file deleted or not.
  virtual void Record(const std::string& path, bool deleted) = 0;

 protected:
  ~IStoreCopySink() = default;
};

// Takes ownership of the package's Temp copy, then deletes its tree when it
// is there.
void RemoveTempCopy(CDeviceService& engine, const std::string& directory, IStoreCopySink& sink);

// Deletes the package's cabinet file. `evenUnseen`: tried also when it was
// not found; a failure is recorded only for a cabinet that was found.
void RemoveCabinet(CDeviceService& engine, IFileSystem& files, const std::string& cabinet,
                   bool evenUnseen, IStoreCopySink& sink);
