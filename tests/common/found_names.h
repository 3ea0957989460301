#pragma once
// What a file search finds, as the tests look at a listing.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace testfiles {

// Every name FindFirst and Next give for `pattern`, in their order ("." and
// ".." included); the error that ended the walk (or FindFirst's own) in
// `endError`.
inline std::vector<std::string> FoundNames(IFileSystem& files, const std::string& pattern,
                                           uint32_t* endError = nullptr) {
  std::vector<std::string> names;
  FindData entry;
  FindHandle listing;
  Outcome found = files.FindFirst(pattern, entry, listing);
  while (found) {
    names.push_back(entry.name);
    found = listing->Next(entry);
  }
  if (endError != nullptr) *endError = found.error;
  return names;
}

}  // namespace testfiles
