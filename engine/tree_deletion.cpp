#include "engine/tree_deletion.h"

#include "engine/device_service.h"
#include "platform/text.h"
#include "platform/win_constants.h"
#include "support/dir_read.h"

namespace {

constexpr char kBackslash = '\\';
constexpr const char* kAllEntries = "*";

bool IsLink(uint32_t attributes) { return (attributes & win::kFileAttributeReparsePoint) != 0; }
bool IsDirectory(uint32_t attributes) { return (attributes & win::kFileAttributeDirectory) != 0; }

void LogIf(ITreeDeletionSink& sink, const char* line) {
  if (line != nullptr) sink.Log(line);
}

// A link where a directory was expected goes as the link itself.
bool RemoveLinkInPlace(IFileSystem& files, const std::string& path,
                       const TreeDeletionStyle& style, ITreeDeletionSink& sink) {
  if (style.texts.linkInPlace != nullptr) {
    sink.Log(text::Format(style.texts.linkInPlace, path));
  }
  const Outcome removed = files.RemoveDir(path);
  sink.Removed(TreeEntryKind::LinkInPlace, path, removed.ok, removed.error);
  return removed.ok;
}

void LogCannotList(const std::string& prefix, const TreeDeletionStyle& style,
                   ITreeDeletionSink& sink) {
  if (style.texts.cannotList != nullptr) sink.Log(text::Format(style.texts.cannotList, prefix));
}

// One entry of a listing; false when it stays.
bool DeleteEntry(IFileSystem& files, const std::string& full, const FindData& entry,
                 const TreeDeletionStyle& style, ITreeDeletionSink& sink, FindHandle& search) {
  if (IsLink(entry.attributes) && IsDirectory(entry.attributes)) {
    const Outcome removed = files.RemoveDir(full);
    if (!removed) search.reset();
    sink.Removed(TreeEntryKind::DirectoryLink, full, removed.ok, removed.error);
    return removed.ok;
  }
  if (IsDirectory(entry.attributes)) return DeleteTree(files, full, style, sink);
  // A file link keeps its attributes: changing them could reach its target.
  if (!IsLink(entry.attributes) && (entry.attributes & win::kFileAttributeReadOnly) != 0) {
    uint32_t writable = entry.attributes & ~win::kFileAttributeReadOnly;
    if (writable == 0) writable = win::kFileAttributeNormal;
    // A failure shows up as the error of the deletion that follows.
    (void)files.SetAttributes(full, writable);
  }
  const Outcome removed = files.RemoveFile(full);
  if (!removed) search.reset();
  sink.Removed(TreeEntryKind::File, full, removed.ok, removed.error);
  return removed.ok;
}

}  // namespace

bool DeleteTree(IFileSystem& files, const std::string& path, const TreeDeletionStyle& style,
                ITreeDeletionSink& sink, const DirectoryIdentity* expected) {
  if (path.empty()) {
    sink.Log("File name or path not valid. Impossible to delete file");
    return false;
  }
  uint32_t attributes = 0;
  if (files.GetAttributes(path, attributes) && IsLink(attributes) &&
      (style.fileLinkInPlace || IsDirectory(attributes))) {
    return RemoveLinkInPlace(files, path, style, sink);
  }

  const std::string prefix = path + kBackslash;
  // Opened without following a link and held (no delete sharing) while its
  // entries go: a directory swapped for a link after the test above is seen
  // here, and it cannot be swapped while it is listed.
  DirectoryIdentity identity;
  File hold;
  if (!files.OpenDirectory(path, false, identity, &hold)) {
    LogCannotList(prefix, style, sink);
    return false;
  }
  if (IsLink(identity.attributes)) {
    hold.reset();
    return RemoveLinkInPlace(files, path, style, sink);
  }
  if (expected != nullptr && !identity.SameAs(*expected)) {
    sink.Log(text::Format("[%s] is no longer the directory that was checked: NOT deleted.",
                          path));
    return false;
  }

  FindData entry;
  FindHandle search;
  if (!files.FindFirst(prefix + kAllEntries, entry, search)) {
    LogCannotList(prefix, style, sink);
    return false;
  }
  // The first entry is examined like every other one: a drive root or a
  // file system without dot entries returns a real entry first. It has no
  // entry-read line of its own, so a directory's log is the same whether or
  // not its first entry is ".".
  for (bool firstEntry = true;; firstEntry = false) {
    if (!firstEntry) {
      const Outcome next = search->Next(entry);
      if (!next) {
        search.reset();
        if (next.error != win::kErrorNoMoreFiles) {
          if (style.texts.listingError != nullptr) {
            sink.Log(text::Format(style.texts.listingError, static_cast<int>(next.error)));
          }
          return false;
        }
        hold.reset();
        return files.RemoveDir(path).ok;
      }
      LogIf(sink, style.texts.entryRead);
    }
    // An empty name would make the full path the directory itself.
    if (entry.name.empty() || IsDotOrDotDot(entry.name)) continue;
    LogIf(sink, style.texts.entryNotDot);
    const std::string full = prefix + entry.name;
    LogIf(sink, style.texts.entryPathBuilt);
    if (!DeleteEntry(files, full, entry, style, sink, search)) return false;
  }
}

std::string TreeOutcomeLine(const std::string& path, bool deleted) {
  return text::Format(deleted ? "[%s] directory and all sub-directory deleted!"
                              : "Impossible to delete [%s] directory or sub-directory.",
                      path);
}

void RemoveTempCopy(CDeviceService& engine, const std::string& directory,
                    IStoreCopySink& sink) {
  // Its result does not matter: the deletion below reports what is left.
  (void)engine.SetRightToDelDir(directory);
  if (!engine.FileExists(directory)) return;
  sink.Log(text::Format("[%s] file exists!", directory));
  const bool deleted = sink.DeleteTempTree(directory);
  sink.TempTreeDone(directory, deleted);
  sink.Log(TreeOutcomeLine(directory, deleted));
  if (!deleted) sink.Record(directory, false);
}

void RemoveCabinet(CDeviceService& engine, IFileSystem& files, const std::string& cabinet,
                   bool evenUnseen, IStoreCopySink& sink) {
  const bool seen = engine.FileExists(cabinet);
  if (seen) sink.Log(text::Format("[%s] file exists!", cabinet));
  if (!seen && !evenUnseen) return;
  if (files.RemoveFile(cabinet)) {
    sink.Log(text::Format("[%s] file deleted!", cabinet));
    sink.Record(cabinet, true);
    return;
  }
  sink.Log(text::Format("Impossible to delete [%s] file.", cabinet));
  if (seen) sink.Record(cabinet, false);
}
