#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/device_service.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "support/dir_read.h"

namespace {

constexpr uint32_t kReadBufferSize = 4096;
constexpr const char* kInfPattern = "*.inf";
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';
constexpr char kStringEnd = '\0';

// One search text, found either in a whole line at once or in a line that
// arrives in pieces (Knuth-Morris-Pratt, so no piece needs to be kept).
class SearchText {
 public:
  explicit SearchText(std::string_view text)
      : text_(text), fallback_(text.size(), 0) {
    for (size_t i = 1, border = 0; i < text_.size(); ++i) {
      while (border > 0 && text_[i] != text_[border]) {
        border = fallback_[border - 1];
      }
      if (text_[i] == text_[border]) ++border;
      fallback_[i] = border;
    }
    Reset();
  }

  bool In(std::string_view line) const {
    return line.find(text_) != std::string_view::npos;
  }

  void Reset() {
    matched_ = 0;
    found_ = text_.empty();
  }
  void Feed(char c) {
    if (found_) return;
    while (matched_ > 0 && text_[matched_] != c) {
      matched_ = fallback_[matched_ - 1];
    }
    if (text_[matched_] == c) ++matched_;
    found_ = matched_ == text_.size();
  }
  bool Found() const { return found_; }

 private:
  std::string_view text_;
  std::vector<size_t> fallback_;
  size_t matched_ = 0;
  bool found_ = false;
};

// Reads a file as text through one fixed buffer and tells whether one of
// its lines holds both texts. Lines that fit the buffer are upper-cased and
// searched whole, exactly as a line-by-line read would see them; a longer
// line is searched as one line across reads rather than being cut into
// unrelated pieces, so a text straddling a buffer boundary is still found.
class InfLineMatcher {
 public:
  InfLineMatcher(const std::string& first, const std::string& second)
      : first_(first), second_(second) {
    upper_.reserve(kReadBufferSize);
  }

  // False also when a read fails; ReadFailed() then tells so.
  bool FileMatches(IFile& file) {
    inLongLine_ = false;
    readFailed_ = false;
    readError_ = 0;
    size_t carried = 0;  // start of a line whose end has not been read yet
    for (;;) {
      uint32_t got = 0;
      const Outcome read = file.Read(
          buffer_.data() + carried,
          static_cast<uint32_t>(kReadBufferSize - carried), got);
      if (!read) {
        readError_ = read.error;
        readFailed_ = true;
        return false;
      }
      if (got == 0) break;
      const size_t valid = carried + got;
      // The carried bytes hold no line end: only the new ones are searched.
      const size_t lastEnd =
          std::string_view(buffer_.data() + carried, got).rfind(kLineFeed);
      size_t regionEnd = valid;
      if (lastEnd != std::string_view::npos) {
        regionEnd = carried + lastEnd + 1;
      } else if (valid < kReadBufferSize) {
        carried = valid;
        continue;
      }
      if (RegionMatches(regionEnd)) return true;
      carried = valid - regionEnd;
      std::memmove(buffer_.data(), buffer_.data() + regionEnd, carried);
    }
    // A last line without a line end goes the way of a long line's rest.
    if (carried > 0 && RegionMatches(carried)) return true;
    return EndLongLine();
  }

  bool ReadFailed() const { return readFailed_; }
  uint32_t ReadError() const { return readError_; }

 private:
  bool RegionMatches(size_t regionEnd) {
    upper_.assign(buffer_.data(), regionEnd);
    text::UpperInPlace(upper_);
    std::string_view region(upper_);
    while (!region.empty()) {
      const size_t end = region.find(kLineFeed);
      const std::string_view piece = region.substr(0, end);
      if (end == std::string_view::npos) {
        // The buffer holds part of a line only; its rest comes with the next
        // read (or the line ends with the file).
        if (!inLongLine_) StartLongLine();
        FeedLongLine(piece);
        return false;
      }
      if (inLongLine_) {
        FeedLongLine(piece);
        if (EndLongLine()) return true;
      } else if (LineMatches(piece)) {
        return true;
      }
      region.remove_prefix(end + 1);
    }
    return false;
  }

  // A line as a text-mode read returns it: CR LF becomes the line end, and
  // the line as a string ends at its first NUL (a UTF-16 file shows one
  // character per line at most).
  bool LineMatches(std::string_view line) const {
    if (!line.empty() && line.back() == kCarriageReturn) line.remove_suffix(1);
    line = line.substr(0, line.find(kStringEnd));
    return first_.In(line) && second_.In(line);
  }

  void StartLongLine() {
    inLongLine_ = true;
    lineHidden_ = false;
    pendingReturn_ = false;
    first_.Reset();
    second_.Reset();
  }
  void FeedLongLine(std::string_view piece) {
    for (const char c : piece) {
      if (lineHidden_) return;
      // A CR counts only when no LF follows it, which may be in the next read.
      if (pendingReturn_) {
        pendingReturn_ = false;
        FeedBoth(kCarriageReturn);
      }
      if (c == kCarriageReturn) {
        pendingReturn_ = true;
      } else if (c == kStringEnd) {
        lineHidden_ = true;
      } else {
        FeedBoth(c);
      }
    }
  }
  void FeedBoth(char c) {
    first_.Feed(c);
    second_.Feed(c);
  }
  bool EndLongLine() {
    if (!inLongLine_) return false;
    inLongLine_ = false;
    return first_.Found() && second_.Found();
  }

  std::array<char, kReadBufferSize> buffer_{};
  uint32_t readError_ = 0;
  bool readFailed_ = false;
  std::string upper_;
  SearchText first_;
  SearchText second_;
  bool inLongLine_ = false;
  bool lineHidden_ = false;
  bool pendingReturn_ = false;
};

}  // namespace

bool CDeviceService::FindInfFiles(const std::string& directory,
                                  FileList* result, std::string& firstText,
                                  std::string& secondText, bool append) {
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

  InfLineMatcher matcher(firstText, secondText);
  for (const DirEntry* inf : infFiles) {
    File file;
    const Outcome opened = platform_.files.Open(
        inf->path, FileAccess::Read, FileCreation::OpenExisting, true, file);
    SetStatusText(
        text::Format(platform_.strings.Load(IDS_VERIFYING_FILE), inf->path));
    if (!opened) {
      Log(text::Format("Impossible to open file [%s]. Error %d.", inf->path,
                       static_cast<int>(opened.error)));
      continue;
    }
    if (!matcher.FileMatches(*file)) {
      if (matcher.ReadFailed()) {
        Log(text::Format("Impossible to read file [%s]. Error %d.", inf->path,
                         static_cast<int>(matcher.ReadError())));
      }
      continue;
    }
    result->push_back(inf->path);
    Log(text::Format("Found The File: [%s]", inf->path));
  }
  return true;
}
