#pragma once
// What the engine needs from the program above it. The layers only point
// down: platform/ <- support/ <- engine/ <- removal/ <- printer_page/ <- app/.
// A lower layer declares the small interface it uses; a higher one
// implements it and the composition root (app/) connects them.
#include <cstdint>
#include <string>
#include <vector>

using FileList = std::vector<std::string>;

// Where the lines of the log go.
class ILogSink {
 public:
  virtual void WriteLine(const std::string& line) = 0;

 protected:
  ~ILogSink() = default;
};

// The one place where a deletion's outcome is written down: the path goes
// to the list of its outcome, when that list is kept.
inline void RecordDeletionOutcome(const std::string& path, bool deleted,
                                  FileList* deletedList, FileList* notDeletedList) {
  FileList* list = deleted ? deletedList : notDeletedList;
  if (list != nullptr) list->push_back(path);
}

// The two lists that the final report is made of: every file an operation
// deleted, and every one it could not.
struct DeletionRecord {
  FileList DeletedFiles;
  FileList NotDeletedFiles;

  void Add(const std::string& path, bool deleted) {
    RecordDeletionOutcome(path, deleted, &DeletedFiles, &NotDeletedFiles);
  }

  void Clear() {
    DeletedFiles.clear();
    NotDeletedFiles.clear();
  }
};

// An INF whose package may still be in the store: its uninstall was refused,
// or its store path could not be found for another reason than "not in the
// store". Deleting it would leave the package without its INF.
struct KeptInf {
  std::string inf;
  uint32_t code = 0;
  bool refused = false;
};

// Removal of driver packages from the store, by the INF files that name them.
class IDriverPackages {
 public:
  virtual bool RemoveDriverPackage(std::vector<std::string>* infList,
                                   std::vector<std::string>* storeList,
                                   std::vector<KeptInf>* keptList = nullptr) = 0;

 protected:
  ~IDriverPackages() = default;
};
