#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/device_service.h"
#include "engine/inf_match.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "support/dir_read.h"

namespace {

constexpr const char* kInfPattern = "*.inf";

// Reads one file into the matcher until a line matches or the file ends.
// False also when a read fails; the error is then in readError.
bool FileMatches(IFile& file, InfContentMatcher& matcher, uint32_t& readError) {
  matcher.Reset();
  readError = 0;
  for (;;) {
    uint32_t got = 0;
    const Outcome read =
        file.Read(matcher.Space(), static_cast<uint32_t>(matcher.SpaceSize()), got);
    if (!read) {
      readError = read.error;
      return false;
    }
    if (got == 0) return matcher.Finish();
    if (matcher.Commit(got)) return true;
  }
}

}  // namespace

bool CDeviceService::FindInfFiles(const std::string& directory,
                                  FileList* result, std::string& firstText,
                                  std::string& secondText, bool append,
                                  InfTextKind firstKind, InfTextKind secondKind) {
  if (firstText.empty() && secondText.empty()) return false;
  if (directory.empty()) return false;
  if (result == nullptr) return false;
  if (!append) result->clear();
  text::UpperInPlace(firstText);
  text::UpperInPlace(secondText);

  CSADirRead reader(platform_.files);
  std::vector<const DirEntry*> infFiles;
  reader.ScanFiles(directory, kInfPattern, infFiles, CSADirRead::kSortByPath,
                   false);
  Log("Try to Find Inf Files...");
  // A file that is not seen, opened or read is not found either: that the
  // search missed it must show, or its driver's leftovers go unnoticed.
  if (reader.ListingError() != 0) {
    Log(text::Format("Impossible to list the .inf files of [%s]. Error %d.",
                     directory, static_cast<int>(reader.ListingError())));
  }

  const InfPattern pattern({firstText, firstKind}, {secondText, secondKind},
                           text::ActiveCodePageFacts());
  InfContentMatcher matcher(pattern);
  // Loaded once: the system's string loader costs as much per file as the
  // matching does.
  const std::string verifying = platform_.strings.Load(IDS_VERIFYING_FILE);
  for (const DirEntry* inf : infFiles) {
    File file;
    const Outcome opened = platform_.files.Open(
        inf->path, FileAccess::Read, FileCreation::OpenExisting, true, file);
    SetStatusText(text::Format(verifying, inf->path));
    if (!opened) {
      Log(text::Format("Impossible to open file [%s]. Error %d.", inf->path,
                       static_cast<int>(opened.error)));
      continue;
    }
    uint32_t readError = 0;
    if (!FileMatches(*file, matcher, readError)) {
      if (readError != 0) {
        Log(text::Format("Impossible to read file [%s]. Error %d.", inf->path,
                         static_cast<int>(readError)));
      }
      continue;
    }
    result->push_back(inf->path);
    Log(text::Format("Found The File: [%s]", inf->path));
  }
  return true;
}
