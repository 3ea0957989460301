// File system: drives of case-insensitive, case-preserving trees with
// junctions, and the find/delete/attribute/open semantics of kernel32.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/win_constants.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

constexpr int kMaxJunctionDepth = 8;
using win::kErrorDirectory;
constexpr uint32_t kSettableFileAttributes = 0x01 | 0x02 | 0x04 | 0x20 | 0x100 | 0x1000 | 0x2000;
constexpr uint64_t kFileTimeBase = 132223104000000000ull;  // 2020-01-01
constexpr uint64_t kFileTimeTicksPerMs = 10000;

bool IsDriveSpec(const std::string& part) {
  return part.size() == 2 && part[1] == ':' && std::isalpha(static_cast<unsigned char>(part[0]));
}

uint32_t ReportedAttributes(const FileNode& node) {
  return node.attributes == 0 ? win::kFileAttributeNormal : node.attributes;
}

// FindFirstFileA's wildcard match: '*' any run, '?' one character, compared
// without regard to case; "name.*" also matches "name" (a name without a dot
// behaves as if it ended with one).
bool GlobMatch(const char* name, const char* glob) {
  while (*glob) {
    if (*glob == '*') {
      ++glob;
      if (!*glob) return true;
      for (const char* p = name; ; ++p) {
        if (GlobMatch(p, glob)) return true;
        if (!*p) return false;
      }
    }
    if (!*name) return false;
    if (*glob != '?' &&
        std::toupper(static_cast<unsigned char>(*glob)) !=
            std::toupper(static_cast<unsigned char>(*name))) {
      return false;
    }
    ++glob;
    ++name;
  }
  return *name == '\0';
}

bool NameMatches(const std::string& name, const std::string& glob) {
  if (GlobMatch(name.c_str(), glob.c_str())) return true;
  if (glob.size() >= 2 && glob.compare(glob.size() - 2, 2, ".*") == 0 &&
      name.find('.') == std::string::npos) {
    return GlobMatch(name.c_str(), glob.substr(0, glob.size() - 2).c_str());
  }
  return false;
}

// Whether deleting the entry fails with a sharing violation: another handle
// has it open (none is opened with delete sharing, a directory's neither),
// or an injected "in use" that counts down once per attempt.
bool InUse(FileNode& node) {
  if (node.inUseAttempts != 0) {
    if (node.inUseAttempts > 0) --node.inUseAttempts;
    return true;
  }
  return node.openCount > 0;
}

FindData ToFindData(const std::string& name, const FileNode& node) {
  FindData data;
  data.name = name;
  data.attributes = ReportedAttributes(node);
  data.creationTime = node.creationTime;
  data.lastWriteTime = node.lastWriteTime;
  data.size = node.isDir ? 0 : node.content.size();
  return data;
}

}  // namespace

FileStore::FileStore(std::function<std::string()> currentDir)
    : currentDir_(std::move(currentDir)) {}

std::string FileStore::Absolute(const std::string& path) const {
  std::vector<std::string> parts = SplitPath(path);
  if (!parts.empty() && IsDriveSpec(parts[0])) return path;
  std::string base = currentDir_();
  if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    return base.substr(0, 2) + path;
  }
  return base + "\\" + path;
}

namespace {

bool FindPath(const std::shared_ptr<FileNode>& dir, const FileNode* wanted, std::string& path) {
  for (const auto& [upper, child] : dir->children) {
    const size_t length = path.size();
    path += "\\" + child->name;
    if (child.get() == wanted) return true;
    if (child->isDir && child->junctionTarget.empty() && FindPath(child, wanted, path)) {
      return true;
    }
    path.resize(length);
  }
  return false;
}

}  // namespace

std::string FileStore::PathOf(const std::shared_ptr<FileNode>& node) const {
  for (const auto& [letter, drive] : drives_) {
    std::string path = drive->name;
    if (drive == node) return path + "\\";
    if (FindPath(drive, node.get(), path)) return path;
  }
  return {};
}

std::shared_ptr<FileNode> FileStore::Drive(char letter, bool create) const {
  const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  auto it = drives_.find(key);
  if (it != drives_.end()) return it->second;
  if (!create) return nullptr;
  auto node = std::make_shared<FileNode>();
  node->name = std::string(1, key) + ":";
  node->isDir = true;
  node->attributes = win::kFileAttributeDirectory;
  drives_[key] = node;
  return node;
}

std::shared_ptr<FileNode> FileStore::Resolve(const std::shared_ptr<FileNode>& node,
                                             int depth) const {
  if (!node || node->junctionTarget.empty()) return node;
  if (depth >= kMaxJunctionDepth) return nullptr;
  FileLookup target = Lookup(node->junctionTarget, false);
  if (!target.node) return nullptr;
  return Resolve(target.node, depth + 1);
}

FileLookup FileStore::Lookup(const std::string& path, bool followFinal) const {
  FileLookup result;
  std::vector<std::string> parts = SplitPath(Absolute(path));
  if (parts.empty() || !IsDriveSpec(parts[0])) {
    result.error = win::kErrorPathNotFound;
    return result;
  }
  std::shared_ptr<FileNode> dir = Drive(parts[0][0], false);
  if (!dir) {
    result.error = win::kErrorPathNotFound;
    return result;
  }
  if (parts.size() == 1) {
    result.node = dir;
    result.isRoot = true;
    result.name = dir->name;
    return result;
  }
  for (size_t i = 1; i + 1 < parts.size(); ++i) {
    auto it = dir->children.find(Upper(parts[i]));
    if (it == dir->children.end()) {
      result.error = win::kErrorPathNotFound;
      return result;
    }
    std::shared_ptr<FileNode> next = Resolve(it->second, 0);
    if (!next || !next->isDir) {
      result.error = win::kErrorPathNotFound;
      return result;
    }
    dir = next;
  }
  result.parent = dir;
  result.name = parts.back();
  auto it = dir->children.find(Upper(parts.back()));
  if (it == dir->children.end()) {
    result.error = win::kErrorFileNotFound;
    return result;
  }
  result.node = followFinal ? Resolve(it->second, 0) : it->second;
  if (!result.node) result.error = win::kErrorPathNotFound;
  return result;
}

std::shared_ptr<FileNode> FileStore::MakeDirs(const std::string& path) {
  std::vector<std::string> parts = SplitPath(Absolute(path));
  if (parts.empty() || !IsDriveSpec(parts[0])) return nullptr;
  std::shared_ptr<FileNode> dir = Drive(parts[0][0], true);
  for (size_t i = 1; i < parts.size(); ++i) {
    std::shared_ptr<FileNode>& child = dir->children[Upper(parts[i])];
    if (!child) {
      child = std::make_shared<FileNode>();
      child->name = parts[i];
      child->isDir = true;
      child->attributes = win::kFileAttributeDirectory;
    }
    std::shared_ptr<FileNode> next = Resolve(child, 0);
    if (!next) return nullptr;
    if (!next->isDir) return nullptr;
    dir = next;
  }
  return dir;
}

std::string FileStore::Canonical(const std::string& path, bool followFinal, int depth) const {
  if (depth >= kMaxJunctionDepth) return std::string();
  std::vector<std::string> parts = SplitPath(Absolute(path));
  if (parts.empty() || !IsDriveSpec(parts[0])) return std::string();
  std::shared_ptr<FileNode> dir = Drive(parts[0][0], false);
  if (!dir) return std::string();
  std::string result = dir->name;
  for (size_t i = 1; i < parts.size(); ++i) {
    if (!dir || !dir->isDir) return std::string();
    auto it = dir->children.find(Upper(parts[i]));
    if (it == dir->children.end()) return std::string();
    const std::shared_ptr<FileNode>& child = it->second;
    const bool last = i + 1 == parts.size();
    if (!child->junctionTarget.empty() && (!last || followFinal)) {
      result = Canonical(child->junctionTarget, true, depth + 1);
      if (result.empty()) return result;
      dir = Resolve(child, 0);
    } else {
      result += "\\" + child->name;
      dir = child;
    }
  }
  return result;
}

std::string FileStore::FinalPath(const std::string& path, bool followFinal) const {
  const std::string canonical = Canonical(path, followFinal, 0);
  return canonical.empty() ? canonical : "\\\\?\\" + canonical;
}

std::shared_ptr<FileNode>* FileStore::Place(const std::string& path, std::string& name) {
  std::vector<std::string> parts = SplitPath(Absolute(path));
  if (parts.size() < 2) return nullptr;
  std::shared_ptr<FileNode> dir = MakeDirs(JoinPath(parts, parts.size() - 1));
  if (!dir) return nullptr;
  name = parts.back();
  return &dir->children[Upper(name)];
}

std::shared_ptr<FileNode> FileStore::Put(const std::string& path, const Bytes& content,
                                         uint32_t attributes, uint64_t time) {
  std::string name;
  std::shared_ptr<FileNode>* place = Place(path, name);
  if (!place) return nullptr;
  std::shared_ptr<FileNode>& node = *place;
  if (!node) {
    node = std::make_shared<FileNode>();
    node->creationTime = time;
  }
  node->name = name;
  node->isDir = false;
  node->children.clear();
  node->junctionTarget.clear();
  node->content = content;
  node->attributes = attributes & ~(win::kFileAttributeDirectory | win::kFileAttributeNormal);
  node->lastWriteTime = time;
  return node;
}

bool FileStore::Erase(const std::string& path) {
  FileLookup found = Lookup(path, false);
  if (!found.node || !found.parent) return false;
  found.parent->children.erase(Upper(found.name));
  return true;
}

void FileStore::ListTree(const std::shared_ptr<FileNode>& dir, const std::string& prefix,
                         std::vector<std::string>& out) const {
  for (const auto& [upper, child] : dir->children) {
    const std::string path = prefix + "\\" + child->name;
    out.push_back(path);
    if (child->isDir && child->junctionTarget.empty()) ListTree(child, path, out);
  }
}

void FileStore::Dump(std::string& out, bool withSecurity) const {
  for (const auto& [letter, drive] : drives_) {
    std::vector<std::string> paths;
    ListTree(drive, drive->name, paths);
    for (const std::string& path : paths) {
      FileLookup found = Lookup(path, false);
      const FileNode& node = *found.node;
      char attributes[16];
      std::snprintf(attributes, sizeof attributes, "%08X", node.attributes);
      out += std::string(node.isDir ? "DIR " : "FILE ") + path + " attr=" + attributes;
      if (!node.junctionTarget.empty()) out += " -> " + node.junctionTarget;
      if (!node.isDir) {
        constexpr uint64_t kFnvOffset = 1469598103934665603ull;
        constexpr uint64_t kFnvPrime = 1099511628211ull;
        uint64_t hash = kFnvOffset;
        for (uint8_t byte : node.content) hash = (hash ^ byte) * kFnvPrime;
        out += " size=" + std::to_string(node.content.size()) + " hash=" + std::to_string(hash);
      }
      if (withSecurity) {
        out += " owner=";
        for (uint8_t byte : node.owner) {
          char hex[3];
          std::snprintf(hex, sizeof hex, "%02X", byte);
          out += hex;
        }
        out += " grants=" + std::to_string(node.fullControl.size());
      }
      out += "\n";
    }
  }
}

namespace {

class SimFindHandle : public IFindHandle, Facility {
 public:
  SimFindHandle(SimWindows::Impl& impl, std::vector<FindData> entries)
      : Facility(impl), entries_(std::move(entries)) {}

  Outcome Next(FindData& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("FindNext", next_ < entries_.size() ? entries_[next_].name : ""))
      return Fail(*code);
    if (next_ >= entries_.size()) return Fail(win::kErrorNoMoreFiles);
    out = entries_[next_++];
    return Outcome::Success();
  }

 private:
  std::vector<FindData> entries_;
  size_t next_ = 1;  // entry 0 went out with FindFirst
};

class SimFile : public IFile, Facility {
 public:
  SimFile(SimWindows::Impl& impl, std::shared_ptr<FileNode> node, std::string path,
          bool write, bool exclusive, std::string finalPath)
      : Facility(impl), node_(std::move(node)), path_(std::move(path)), write_(write),
        exclusive_(exclusive), finalPath_(std::move(finalPath)) {
    ++node_->openCount;
    if (exclusive_) node_->exclusiveOpen = true;
  }

  ~SimFile() override {
    auto lock = impl_.Lock();
    --node_->openCount;
    if (exclusive_) node_->exclusiveOpen = false;
  }

  Outcome Read(void* buffer, uint32_t size, uint32_t& got) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("ReadFile", path_)) return Fail(*code);
    const size_t available = position_ < node_->content.size() ? node_->content.size() - position_ : 0;
    got = static_cast<uint32_t>(std::min<size_t>(available, size));
    if (got > 0) std::memcpy(buffer, node_->content.data() + position_, got);
    position_ += got;
    return Outcome::Success();
  }

  Outcome Write(const void* data, uint32_t size) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("WriteFile", path_)) return Fail(*code);
    if (!write_) return Fail(win::kErrorAccessDenied);
    if (node_->content.size() < position_ + size) node_->content.resize(position_ + size);
    if (size > 0) std::memcpy(node_->content.data() + position_, data, size);
    position_ += size;
    node_->lastWriteTime = impl_.FileTimeNow();
    node_->attributes |= win::kFileAttributeArchive;
    return Outcome::Success();
  }

  Outcome SeekToEnd() override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("SeekToEnd", path_)) return Fail(*code);
    position_ = node_->content.size();
    return Outcome::Success();
  }

  Outcome GetSize(uint64_t& size) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("GetFileSize", path_)) return Fail(*code);
    size = node_->content.size();
    return Outcome::Success();
  }

  Outcome GetInformation(FileInformation& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("GetFileInformation", path_)) return Fail(*code);
    out.attributes = ReportedAttributes(*node_);
    out.linkCount = node_->links;
    return Outcome::Success();
  }

  Outcome GetFinalPath(std::string& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("GetFinalPath", path_)) return Fail(*code);
    out = finalPath_;
    return Outcome::Success();
  }

  Outcome Truncate() override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("Truncate", path_)) return Fail(*code);
    if (!write_) return Fail(win::kErrorAccessDenied);
    node_->content.clear();
    position_ = 0;
    node_->lastWriteTime = impl_.FileTimeNow();
    return Outcome::Success();
  }

 private:
  std::shared_ptr<FileNode> node_;
  std::string path_;
  bool write_;
  bool exclusive_;
  std::string finalPath_;
  size_t position_ = 0;
};

class SimFileSystem : public IFileSystem, Facility {
 public:
  using Facility::Facility;

  Outcome FindFirst(const std::string& pattern, FindData& first, FindHandle& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("FindFirst", pattern)) return Fail(*code);
    const size_t slash = pattern.find_last_of("\\/");
    const std::string dirPath =
        slash == std::string::npos ? impl_.currentDir : pattern.substr(0, slash + 1);
    const std::string glob = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    FileLookup dir = impl_.files.Lookup(dirPath, true);
    if (!dir.node || !dir.node->isDir) return Fail(win::kErrorPathNotFound);
    if (impl_.Locked(*dir.node)) return Fail(win::kErrorAccessDenied);
    if (glob.empty()) return Fail(win::kErrorFileNotFound);
    std::vector<FindData> entries;
    if (!dir.isRoot) {
      for (const char* dots : {".", ".."}) {
        if (NameMatches(dots, glob)) {
          FindData data = ToFindData(dots, *dir.node);
          data.attributes = win::kFileAttributeDirectory;
          entries.push_back(data);
        }
      }
    }
    for (const auto& [upper, child] : dir.node->children) {
      if (NameMatches(child->name, glob)) entries.push_back(ToFindData(child->name, *child));
    }
    if (entries.empty()) return Fail(win::kErrorFileNotFound);
    first = entries.front();
    out = std::make_unique<SimFindHandle>(impl_, std::move(entries));
    return Outcome::Success();
  }

  Outcome RemoveFile(const std::string& path) override {
    auto lock = impl_.Lock();
    FileLookup found;
    if (auto error = EnterExisting("RemoveFile", path, false, found)) return Fail(*error);
    FileNode& node = *found.node;
    if (node.isDir || node.denied || impl_.Locked(node) ||
        (node.attributes & win::kFileAttributeReadOnly)) {
      return Fail(win::kErrorAccessDenied);
    }
    if (InUse(node)) return Fail(win::kErrorSharingViolation);
    if (node.links > 1) --node.links;
    found.parent->children.erase(Upper(found.name));
    return Outcome::Success();
  }

  Outcome RemoveDir(const std::string& path) override {
    auto lock = impl_.Lock();
    FileLookup found;
    if (auto error = EnterExisting("RemoveDir", path, false, found)) return Fail(*error);
    if (found.isRoot) return Fail(win::kErrorAccessDenied);
    FileNode& node = *found.node;
    if (!node.isDir) return Fail(kErrorDirectory);
    if (node.denied || impl_.Locked(node)) return Fail(win::kErrorAccessDenied);
    if (InUse(node)) return Fail(win::kErrorSharingViolation);
    if (node.junctionTarget.empty()) {
      if (!node.children.empty()) return Fail(win::kErrorDirNotEmpty);
      // Windows keeps a read-only directory (Wine removes it).
      if (node.attributes & win::kFileAttributeReadOnly) return Fail(win::kErrorAccessDenied);
    }
    found.parent->children.erase(Upper(found.name));
    return Outcome::Success();
  }

  Outcome MakeDir(const std::string& path) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("MakeDir", path)) return Fail(*code);
    FileLookup found = impl_.files.Lookup(path, false);
    if (found.node) return Fail(win::kErrorAlreadyExists);
    if (!found.parent) return Fail(win::kErrorPathNotFound);
    auto node = std::make_shared<FileNode>();
    node->name = found.name;
    node->isDir = true;
    node->attributes = win::kFileAttributeDirectory;
    node->creationTime = node->lastWriteTime = impl_.FileTimeNow();
    found.parent->children[Upper(found.name)] = node;
    return Outcome::Success();
  }

  Outcome GetAttributes(const std::string& path, uint32_t& attributes) override {
    auto lock = impl_.Lock();
    attributes = win::kInvalidFileAttributes;
    FileLookup found;
    if (auto error = EnterExisting("GetAttributes", path, false, found)) return Fail(*error);
    attributes = ReportedAttributes(*found.node);
    return Outcome::Success();
  }

  Outcome SetAttributes(const std::string& path, uint32_t attributes) override {
    auto lock = impl_.Lock();
    FileLookup found;
    if (auto error = EnterExisting("SetAttributes", path, false, found)) return Fail(*error);
    if (found.node->denied) return Fail(win::kErrorAccessDenied);
    FileNode& node = *found.node;
    const uint32_t kept =
        node.attributes & (win::kFileAttributeDirectory | win::kFileAttributeReparsePoint);
    node.attributes = kept | (attributes & kSettableFileAttributes);
    return Outcome::Success();
  }

  Outcome OpenDirectory(const std::string& path, bool followLinks, DirectoryIdentity& out,
                        File* held) override {
    auto lock = impl_.Lock();
    if (held != nullptr) held->reset();
    FileLookup found;
    if (auto error = EnterExisting("OpenDirectory", path, followLinks, found)) return Fail(*error);
    if (!found.node->isDir) return Fail(kErrorDirectory);
    if (found.node->denied) return Fail(win::kErrorAccessDenied);
    out = DirectoryIdentity{};
    out.volume = static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(
        impl_.files.Absolute(path).front())));
    out.fileIndex = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(found.node.get()));
    out.attributes = found.node->attributes;
    out.finalPath = impl_.files.PathOf(found.node);
    if (!out.finalPath.empty()) {
      out.volume = static_cast<uint32_t>(out.finalPath.front());
    }
    if (held != nullptr) {
      *held = std::make_unique<SimFile>(impl_, found.node, path, false, false,
                                        impl_.files.FinalPath(path, followLinks));
    }
    return Outcome::Success();
  }

  Outcome Open(const std::string& path, FileAccess access, FileCreation creation, bool share,
               File& out) override {
    return OpenFile(path, access, creation, share, true, out);
  }

  Outcome OpenNoFollow(const std::string& path, FileAccess access, FileCreation creation,
                       File& out) override {
    return OpenFile(path, access, creation, false, false, out);
  }

 private:
  // A call on an entry that must exist: the injected fault, else the
  // lookup's error when the entry is missing.
  std::optional<uint32_t> EnterExisting(const char* op, const std::string& path,
                                        bool followFinal, FileLookup& found) {
    if (auto code = impl_.Enter(op, path)) return code;
    found = impl_.files.Lookup(path, followFinal);
    if (!found.node) return found.error;
    return std::nullopt;
  }

  // CreateFileA of a file; with followFinal false (FILE_FLAG_OPEN_REPARSE_POINT)
  // a link in the last place is opened itself, a directory link included.
  Outcome OpenFile(const std::string& path, FileAccess access, FileCreation creation,
                   bool share, bool followFinal, File& out) {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("OpenFile", path)) return Fail(*code);
    FileLookup found = impl_.files.Lookup(path, followFinal);
    const bool write = access == FileAccess::ReadWrite;
    if (!found.node) {
      if (const uint32_t error = CreateMissing(found, creation)) return Fail(error);
    } else {
      FileNode& node = *found.node;
      if (creation == FileCreation::CreateNew) return Fail(win::kErrorFileExists);
      // A followed link stands for its target: only a link opened itself
      // is a directory that opens.
      if (node.denied || (node.isDir && node.junctionTarget.empty())) {
        return Fail(win::kErrorAccessDenied);
      }
      if (write && (node.attributes & win::kFileAttributeReadOnly)) {
        return Fail(win::kErrorAccessDenied);
      }
      if (node.exclusiveOpen || (!share && (node.openCount > 0 || node.inUseAttempts != 0))) {
        return Fail(win::kErrorSharingViolation);
      }
      if (creation == FileCreation::CreateAlways) {
        node.content.clear();
        node.attributes |= win::kFileAttributeArchive;
        node.lastWriteTime = impl_.FileTimeNow();
      }
    }
    out = std::make_unique<SimFile>(impl_, found.node, path, write, !share,
                                    impl_.files.FinalPath(path, followFinal));
    return Outcome::Success();
  }

  // CreateFileA's creation of a name that is not there yet; the error when
  // only an existing file may be opened or its directory is missing.
  uint32_t CreateMissing(FileLookup& found, FileCreation creation) {
    if (!found.parent) return win::kErrorPathNotFound;
    if (creation == FileCreation::OpenExisting) return win::kErrorFileNotFound;
    auto node = std::make_shared<FileNode>();
    node->name = found.name;
    node->attributes = win::kFileAttributeArchive;
    node->creationTime = node->lastWriteTime = impl_.FileTimeNow();
    found.parent->children[Upper(found.name)] = node;
    found.node = node;
    return win::kErrorSuccess;
  }

  Outcome MoveReplacing(const std::string& from, const std::string& to) override {
    constexpr uint32_t kErrorNotSameDevice = 17;
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("MoveReplacing", to)) return Fail(*code);
    FileLookup source = impl_.files.Lookup(from, false);
    if (!source.node) return Fail(source.error);
    if (source.isRoot || source.node->denied || impl_.Locked(*source.node)) {
      return Fail(win::kErrorAccessDenied);
    }
    if (source.node->openCount > 0) {
      return Fail(win::kErrorSharingViolation);
    }
    FileLookup target = impl_.files.Lookup(to, false);
    if (!target.parent) return Fail(win::kErrorPathNotFound);
    if (std::toupper(static_cast<unsigned char>(impl_.files.Absolute(from).front())) !=
        std::toupper(static_cast<unsigned char>(impl_.files.Absolute(to).front()))) {
      return Fail(kErrorNotSameDevice);
    }
    if (target.node == source.node) return Outcome::Success();
    if (target.node) {
      const FileNode& old = *target.node;
      if (old.isDir || old.denied || impl_.Locked(old) ||
          (old.attributes & win::kFileAttributeReadOnly) || old.openCount > 0 ||
          old.inUseAttempts != 0) {
        return Fail(win::kErrorAccessDenied);
      }
      if (target.node->links > 1) --target.node->links;
      target.parent->children.erase(Upper(target.name));
    }
    std::shared_ptr<FileNode> moved = source.node;
    source.parent->children.erase(Upper(source.name));
    moved->name = target.name;
    target.parent->children[Upper(target.name)] = moved;
    return Outcome::Success();
  }
};

}  // namespace

std::unique_ptr<IFileSystem> MakeFiles(SimWindows::Impl& impl) {
  return std::make_unique<SimFileSystem>(impl);
}

}  // namespace detail

uint64_t SimWindows::Impl::FileTimeNow() const {
  return detail::kFileTimeBase + nowMs * detail::kFileTimeTicksPerMs;
}

void SimWindows::AddFile(const std::string& path, const std::string& content,
                         uint32_t attributes) {
  AddFileBytes(path, Bytes(content.begin(), content.end()), attributes);
}

void SimWindows::AddFileBytes(const std::string& path, const Bytes& content,
                              uint32_t attributes) {
  auto lock = impl_->Lock();
  impl_->files.Put(path, content, attributes, impl_->FileTimeNow());
}

void SimWindows::AddDir(const std::string& path, uint32_t attributes) {
  auto lock = impl_->Lock();
  std::shared_ptr<detail::FileNode> dir = impl_->files.MakeDirs(path);
  if (dir && dir->junctionTarget.empty()) {
    dir->attributes = attributes | win::kFileAttributeDirectory;
    if (dir->creationTime == 0) dir->creationTime = dir->lastWriteTime = impl_->FileTimeNow();
  }
}

void SimWindows::AddJunction(const std::string& path, const std::string& targetDir) {
  AddLink(path, targetDir, true);
}

void SimWindows::AddFileLink(const std::string& path, const std::string& target) {
  AddLink(path, target, false);
}

void SimWindows::AddLink(const std::string& path, const std::string& target, bool directory) {
  auto lock = impl_->Lock();
  std::string name;
  std::shared_ptr<detail::FileNode>* place = impl_->files.Place(path, name);
  if (!place) return;
  auto node = std::make_shared<detail::FileNode>();
  node->name = name;
  node->isDir = directory;
  node->attributes = (directory ? win::kFileAttributeDirectory : win::kFileAttributeArchive) |
                     win::kFileAttributeReparsePoint;
  node->junctionTarget = impl_->files.Absolute(target);
  node->creationTime = node->lastWriteTime = impl_->FileTimeNow();
  *place = node;
}

void SimWindows::AddHardLink(const std::string& path, const std::string& existing) {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(existing, false);
  if (!found.node || found.node->isDir) return;
  std::string name;
  std::shared_ptr<detail::FileNode>* place = impl_->files.Place(path, name);
  if (!place) return;
  ++found.node->links;
  *place = found.node;
}

void SimWindows::SetFileTimes(const std::string& path, uint64_t creation, uint64_t lastWrite) {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(path, false);
  if (!found.node) return;
  found.node->creationTime = creation;
  found.node->lastWriteTime = lastWrite;
}

bool SimWindows::Exists(const std::string& path) const {
  auto lock = impl_->Lock();
  return impl_->files.Lookup(path, false).node != nullptr;
}

bool SimWindows::IsDirectory(const std::string& path) const {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(path, false);
  return found.node && found.node->isDir;
}

std::optional<std::string> SimWindows::ReadFile(const std::string& path) const {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(path, true);
  if (!found.node || found.node->isDir) return std::nullopt;
  return std::string(found.node->content.begin(), found.node->content.end());
}

std::optional<uint32_t> SimWindows::Attributes(const std::string& path) const {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(path, false);
  if (!found.node) return std::nullopt;
  return detail::ReportedAttributes(*found.node);
}

std::vector<std::string> SimWindows::ListTree(const std::string& dir) const {
  auto lock = impl_->Lock();
  std::vector<std::string> out;
  detail::FileLookup found = impl_->files.Lookup(dir, true);
  if (!found.node || !found.node->isDir) return out;
  std::string prefix = impl_->files.Absolute(dir);
  while (!prefix.empty() && (prefix.back() == '\\' || prefix.back() == '/')) prefix.pop_back();
  impl_->files.ListTree(found.node, prefix, out);
  std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
    return detail::Upper(a) < detail::Upper(b);
  });
  return out;
}

void SimWindows::SetInUse(const std::string& path, int failAttempts) {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(path, true);
  if (found.node) found.node->inUseAttempts = failAttempts;
}

void SimWindows::ClearInUse(const std::string& path) { SetInUse(path, 0); }

void SimWindows::SetDenied(const std::string& path, bool denied) {
  auto lock = impl_->Lock();
  detail::FileLookup found = impl_->files.Lookup(path, false);
  if (found.node) found.node->denied = denied;
}

}  // namespace sim
