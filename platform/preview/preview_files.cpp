// The file system seen through the preview: deleted files and directories
// vanish from attribute reads, opens and listings; changed attributes, made
// directories and moved files show as they would after the real call.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/preview/preview_state.h"
#include "platform/text.h"
#include "platform/win_constants.h"

namespace preview {
namespace {

constexpr const char* kCurrentEntry = ".";
constexpr const char* kParentEntry = "..";
constexpr const char* kAllEntries = "\\*";
// What SetFileAttributes cannot change: it neither makes nor unmakes a
// directory or a link.
constexpr uint32_t kFixedAttributes =
    win::kFileAttributeDirectory | win::kFileAttributeReparsePoint;

// FindFirstFile's wildcards on upper-cased names: "*" any run, "?" one
// character; "*.*" matches every name, as it does on Windows.
bool Matches(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*") return true;
  size_t n = 0;
  size_t p = 0;
  size_t starP = std::string::npos;
  size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool IsDotEntry(const std::string& name) { return name == kCurrentEntry || name == kParentEntry; }

class ListedEntries : public IFindHandle {
 public:
  explicit ListedEntries(std::vector<FindData> entries) : entries_(std::move(entries)) {}

  Outcome Next(FindData& out) override {
    if (next_ >= entries_.size()) return Outcome::Failure(win::kErrorNoMoreFiles);
    out = entries_[next_++];
    return Outcome::Success();
  }

 private:
  std::vector<FindData> entries_;
  size_t next_ = 1;  // the first went out with FindFirst
};

class PreviewFiles : public IFileSystem {
 public:
  explicit PreviewFiles(State& state) : state_(state) {}

  Outcome FindFirst(const std::string& pattern, FindData& first, FindHandle& out) override {
    auto lock = state_.Lock();
    const size_t slash = pattern.find_last_of("\\/");
    const std::string directory = slash == std::string::npos ? "" : pattern.substr(0, slash);
    const std::string wanted = text::Upper(pattern.substr(slash == std::string::npos ? 0 : slash + 1));
    const std::string directoryKey = NameKey(directory);
    const auto madeHere = state_.added.find(directoryKey);
    const bool made = madeHere != state_.added.end();
    if (!made && state_.files.Hides(directoryKey)) return Outcome::Failure(win::kErrorPathNotFound);
    if (!made && state_.changedDirectories.count(directoryKey) == 0) {
      return state_.real.files.FindFirst(pattern, first, out);
    }

    std::vector<FindData> entries;
    if (made) {
      if (!madeHere->second.source.empty()) return Outcome::Failure(win::kErrorDirectory);
      for (const char* dot : {kCurrentEntry, kParentEntry}) {
        if (!Matches(dot, wanted)) continue;
        FindData entry = madeHere->second.data;
        entry.name = dot;
        entries.push_back(entry);
      }
    } else {
      FindData entry;
      FindHandle real;
      Outcome found = state_.real.files.FindFirst(pattern, entry, real);
      if (!found && found.error != win::kErrorFileNotFound && found.error != win::kErrorNoMoreFiles) {
        return found;
      }
      while (found) {
        const std::string key = directoryKey + "\\" + NameKey(entry.name);
        if (IsDotEntry(entry.name)) {
          entries.push_back(entry);
        } else if (!state_.files.RemovedExactly(key) && state_.added.count(key) == 0) {
          const auto changed = state_.attributes.find(key);
          if (changed != state_.attributes.end()) entry.attributes = changed->second;
          entries.push_back(entry);
        }
        found = real->Next(entry);
      }
    }
    const auto children = state_.addedByParent.find(directoryKey);
    if (children != state_.addedByParent.end()) {
      for (const std::string& key : children->second) {
        const AddedEntry& child = state_.added.at(key);
        if (Matches(text::Upper(child.data.name), wanted)) entries.push_back(child.data);
      }
    }
    if (entries.empty()) return Outcome::Failure(win::kErrorFileNotFound);
    first = entries.front();
    out = std::make_unique<ListedEntries>(std::move(entries));
    return Outcome::Success();
  }

  Outcome RemoveFile(const std::string& path) override {
    return RemoveName(path, [](uint32_t attributes) {
      if ((attributes & win::kFileAttributeDirectory) != 0 ||
          (attributes & win::kFileAttributeReadOnly) != 0) {
        return Outcome::Failure(win::kErrorAccessDenied);
      }
      return Outcome::Success();
    });
  }

  Outcome RemoveDir(const std::string& path) override {
    return RemoveName(path, [&](uint32_t attributes) {
      if ((attributes & win::kFileAttributeDirectory) == 0) {
        return Outcome::Failure(win::kErrorDirectory);
      }
      if ((attributes & win::kFileAttributeReadOnly) != 0) {
        return Outcome::Failure(win::kErrorAccessDenied);
      }
      // A link to a directory goes by itself, whatever its target holds.
      if ((attributes & win::kFileAttributeReparsePoint) == 0 && !IsEmptyDirectory(path)) {
        return Outcome::Failure(win::kErrorDirNotEmpty);
      }
      return Outcome::Success();
    });
  }

  // Removes `path` from the view unless `refusal` answers a failure for the
  // attributes it has there.
  template <typename Refusal>
  Outcome RemoveName(const std::string& path, Refusal refusal) {
    auto lock = state_.Lock();
    uint32_t attributes = 0;
    const Outcome seen = state_.ViewAttributes(path, attributes);
    if (!seen) return seen;
    const Outcome allowed = refusal(attributes);
    if (!allowed) return allowed;
    state_.RemoveFileName(path);
    return Outcome::Success();
  }

  Outcome MakeDir(const std::string& path) override {
    auto lock = state_.Lock();
    if (Own(path)) return state_.real.files.MakeDir(path);
    uint32_t attributes = 0;
    if (state_.ViewAttributes(path, attributes)) return Outcome::Failure(win::kErrorAlreadyExists);
    const Outcome parent = ParentDirectory(path);
    if (!parent) return parent;
    AddedEntry entry;
    entry.data.name = LastName(path);
    entry.data.attributes = win::kFileAttributeDirectory;
    state_.AddEntry(path, entry);
    return Outcome::Success();
  }

  Outcome GetAttributes(const std::string& path, uint32_t& attributes) override {
    auto lock = state_.Lock();
    return state_.ViewAttributes(path, attributes);
  }

  Outcome SetAttributes(const std::string& path, uint32_t attributes) override {
    auto lock = state_.Lock();
    uint32_t current = 0;
    const Outcome seen = state_.ViewAttributes(path, current);
    if (!seen) return seen;
    uint32_t changed = (attributes & ~kFixedAttributes) | (current & kFixedAttributes);
    if ((changed & ~win::kFileAttributeNormal) != 0) changed &= ~win::kFileAttributeNormal;
    if (changed == 0) changed = win::kFileAttributeNormal;
    const std::string key = NameKey(path);
    const auto made = state_.added.find(key);
    if (made != state_.added.end()) {
      made->second.data.attributes = changed;
    } else {
      state_.attributes[key] = changed;
      state_.changedDirectories.insert(ParentOf(key));
    }
    return Outcome::Success();
  }

  Outcome Open(const std::string& path, FileAccess access, FileCreation creation, bool share,
               File& out) override {
    auto lock = state_.Lock();
    std::string real;
    const Outcome readable = RealPath(path, access, creation, real);
    if (!readable) return readable;
    return state_.real.files.Open(real, access, creation, share, out);
  }

  Outcome OpenNoFollow(const std::string& path, FileAccess access, FileCreation creation,
                       File& out) override {
    auto lock = state_.Lock();
    std::string real;
    const Outcome readable = RealPath(path, access, creation, real);
    if (!readable) return readable;
    return state_.real.files.OpenNoFollow(real, access, creation, out);
  }

  Outcome OpenDirectory(const std::string& path, bool followLinks, DirectoryIdentity& out,
                        File* held) override {
    auto lock = state_.Lock();
    uint32_t attributes = 0;
    const Outcome seen = state_.ViewAttributes(path, attributes);
    if (!seen) return seen;
    if ((attributes & win::kFileAttributeDirectory) == 0) {
      return Outcome::Failure(win::kErrorDirectory);
    }
    // A directory made in the view has no identity the system could give.
    if (state_.added.count(NameKey(path)) != 0) return Outcome::Failure(win::kErrorAccessDenied);
    return state_.real.files.OpenDirectory(path, followLinks, out, held);
  }

  Outcome MoveReplacing(const std::string& from, const std::string& to) override {
    auto lock = state_.Lock();
    uint32_t attributes = 0;
    const Outcome seen = state_.ViewAttributes(from, attributes);
    if (!seen) return seen;
    // Only files move in the view; a directory's contents would have to
    // follow it.
    if ((attributes & win::kFileAttributeDirectory) != 0) {
      return Outcome::Failure(win::kErrorAccessDenied);
    }
    uint32_t replaced = 0;
    if (state_.ViewAttributes(to, replaced) &&
        (replaced & (win::kFileAttributeDirectory | win::kFileAttributeReadOnly)) != 0) {
      return Outcome::Failure(win::kErrorAccessDenied);
    }
    const Outcome parent = ParentDirectory(to);
    if (!parent) return parent;

    AddedEntry entry;
    const auto moved = state_.added.find(NameKey(from));
    if (moved != state_.added.end()) {
      entry = moved->second;
    } else {
      entry.source = from;
      FindHandle listing;
      if (!state_.real.files.FindFirst(from, entry.data, listing)) entry.data = FindData{};
    }
    entry.data.name = LastName(to);
    entry.data.attributes = attributes;
    state_.RemoveFileName(from);
    state_.AddEntry(to, entry);
    return Outcome::Success();
  }

 private:
  static std::string LastName(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
    const size_t slash = trimmed.find_last_of("\\/");
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
  }

  Outcome ParentDirectory(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
    const size_t slash = trimmed.find_last_of("\\/");
    if (slash == std::string::npos) return Outcome::Failure(win::kErrorPathNotFound);
    std::string parent = trimmed.substr(0, slash);
    // "C:" names the current directory of the drive; its root is meant.
    if (!parent.empty() && parent.back() == ':') parent += '\\';
    uint32_t attributes = 0;
    if (!state_.ViewAttributes(parent, attributes) ||
        (attributes & win::kFileAttributeDirectory) == 0) {
      return Outcome::Failure(win::kErrorPathNotFound);
    }
    return Outcome::Success();
  }

  // The program's own file, in a directory nothing was removed from.
  bool Own(const std::string& path) const {
    const std::string key = NameKey(path);
    return state_.IsOwn(key) && !state_.files.Hides(key) && state_.added.count(key) == 0;
  }

  bool IsEmptyDirectory(const std::string& path) {
    FindData entry;
    FindHandle listing;
    Outcome found = FindFirst(path + kAllEntries, entry, listing);
    while (found) {
      if (!IsDotEntry(entry.name)) return false;
      found = listing->Next(entry);
    }
    return true;
  }

  // The view writes no file contents but the program's own; a moved name
  // reads its source.
  Outcome RealPath(const std::string& path, FileAccess access, FileCreation creation,
                       std::string& real) {
    if (Own(path)) {
      real = path;
      return Outcome::Success();
    }
    uint32_t attributes = 0;
    const Outcome seen = state_.ViewAttributes(path, attributes);
    if (!seen && state_.files.Hides(NameKey(path))) return seen;
    if (access != FileAccess::Read || creation != FileCreation::OpenExisting) {
      return Outcome::Failure(win::kErrorAccessDenied);
    }
    if (!seen) return seen;
    const auto made = state_.added.find(NameKey(path));
    if (made == state_.added.end()) {
      real = path;
    } else if (made->second.source.empty()) {
      return Outcome::Failure(win::kErrorAccessDenied);
    } else {
      real = made->second.source;
    }
    return Outcome::Success();
  }

  State& state_;
};

}  // namespace

std::unique_ptr<IFileSystem> MakeFiles(State& state) {
  return std::make_unique<PreviewFiles>(state);
}

}  // namespace preview
