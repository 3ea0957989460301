#include "support/dir_read.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"

bool IsDotOrDotDot(const std::string& name) { return name == "." || name == ".."; }

namespace {

constexpr const char* kAllEntriesPattern = "*.*";
constexpr const char* kWhiteSpace = " \t\r\n\v\f";

// Keeps the first error that is not the expected end of a listing.
void NoteListingError(uint32_t& slot, uint32_t error, uint32_t expectedEnd) {
  if (slot == 0 && error != expectedEnd) slot = error;
}

bool IsDirectory(const FindData& data) {
  return (data.attributes & win::kFileAttributeDirectory) != 0;
}

void SortEntries(std::vector<DirEntry>& entries, int sortKey) {
  switch (sortKey) {
    case CSADirRead::kSortByPath: {
      // Each path is upper-cased once, not once per comparison: the system's
      // upper-casing is slow enough that a directory of 1500 INF files spent
      // more time sorting than searching.
      std::vector<std::pair<std::string, size_t>> keys;
      keys.reserve(entries.size());
      for (size_t i = 0; i < entries.size(); ++i) {
        keys.emplace_back(text::Upper(entries[i].path), i);
      }
      std::sort(keys.begin(), keys.end());
      std::vector<DirEntry> sorted;
      sorted.reserve(entries.size());
      for (const auto& key : keys) sorted.push_back(std::move(entries[key.second]));
      entries = std::move(sorted);
      break;
    }
    case CSADirRead::kSortByTime:
      std::sort(entries.begin(), entries.end(),
                [](const DirEntry& a, const DirEntry& b) {
                  return a.lastWritten < b.lastWritten;
                });
      break;
    case CSADirRead::kSortBySize:
      std::sort(entries.begin(), entries.end(),
                [](const DirEntry& a, const DirEntry& b) { return a.size < b.size; });
      break;
    default:
      break;
  }
}

}  // namespace

CSADirRead::CSADirRead(IFileSystem& files) : files_(files) {}

CSADirRead::~CSADirRead() = default;

size_t CSADirRead::ScanFiles(const std::string& directory,
                             const std::string& pattern,
                             std::vector<const DirEntry*>& out, int sortKey,
                             bool recurse) {
  return Scan(directory, pattern, true, false, out, sortKey, recurse);
}

size_t CSADirRead::ScanDirs(const std::string& directory,
                            std::vector<const DirEntry*>& out, int sortKey,
                            bool recurse) {
  return Scan(directory, kAllEntriesPattern, false, true, out, sortKey, recurse);
}

std::string CSADirRead::NormalizeDir(const std::string& path) {
  std::string result = path;
  for (;;) {
    const size_t last = result.find_last_not_of(kWhiteSpace);
    if (last == std::string::npos) return result;
    size_t separator = result.rfind('\\', last);
    if (separator == std::string::npos) separator = result.rfind('/', last);
    if (separator != last) return result;
    result.erase(separator);
  }
}

size_t CSADirRead::Scan(const std::string& directory, const std::string& pattern,
                        bool files, bool dirs, std::vector<const DirEntry*>& out,
                        int sortKey, bool recurse) {
  directories_.clear();
  entries_.clear();
  listingError_ = 0;
  baseDirectory_ = NormalizeDir(directory);
  if (recurse) GetSubDirs(baseDirectory_);
  directories_.push_back(baseDirectory_);

  for (const std::string& each : directories_) {
    if (each.empty()) continue;
    if (!GetFilesInDir(each, pattern, files, dirs)) break;
  }
  SortEntries(entries_, sortKey);

  out.clear();
  out.reserve(entries_.size());
  for (const DirEntry& entry : entries_) out.push_back(&entry);
  return entries_.size();
}

bool CSADirRead::GetFilesInDir(const std::string& directory,
                               const std::string& pattern, bool includeFiles,
                               bool includeDirs) {
  FindData found;
  FindHandle search;
  const Outcome first = files_.FindFirst(directory + "\\" + pattern, found, search);
  if (!first) {
    NoteListingError(listingError_, first.error, win::kErrorFileNotFound);
    return true;
  }
  try {
    Outcome next = Outcome::Success();
    do {
      if (IsDotOrDotDot(found.name)) continue;
      const bool isDirectory = IsDirectory(found);
      if (isDirectory ? !includeDirs : !includeFiles) continue;
      DirEntry entry;
      entry.path = directory + "\\" + found.name;
      entry.isDirectory = isDirectory;
      entry.attributes = found.attributes;
      entry.created = found.creationTime;
      entry.lastWritten = found.lastWriteTime;
      entry.size = found.size;
      entries_.push_back(std::move(entry));
    } while ((next = search->Next(found)));
    NoteListingError(listingError_, next.error, win::kErrorNoMoreFiles);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void CSADirRead::GetSubDirs(const std::string& directory) {
  FindData found;
  FindHandle search;
  if (!files_.FindFirst(directory + "\\" + kAllEntriesPattern, found, search)) {
    return;
  }
  do {
    if (!IsDirectory(found) || IsDotOrDotDot(found.name)) continue;
    // A junction or link may lead back up the tree or off this volume.
    if ((found.attributes & win::kFileAttributeReparsePoint) != 0) continue;
    const std::string subDirectory = directory + "\\" + found.name;
    GetSubDirs(subDirectory);
    directories_.push_back(subDirectory);
  } while (search->Next(found));
}
