#pragma once
// The overlay that the preview's facilities share: what the run would have
// removed or changed so far. One facility's write can change what another
// reads (a deleted printer takes its spooler key with it, a removed device
// its Enum key), so all of it lives in one place behind one lock.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/platform.h"

namespace preview {

// Names compare as Windows compares them: paths and keys without regard to
// letter case, "\\" as the only separator, no trailing separator.
std::string NameKey(const std::string& name);
// "HKLM\\<KEY>" / "HKCU\\<KEY>".
std::string RegistryName(RegRoot root, const std::string& subkey);
// The part before the last separator ("" for a name without one).
std::string ParentOf(const std::string& key);

// Names taken away. Taking one away hides everything below it, as deleting a
// key or a directory does.
class NameOverlay {
 public:
  void Remove(const std::string& key);
  bool Empty() const { return removed_.empty(); }
  bool RemovedExactly(const std::string& key) const { return removed_.count(key) != 0; }
  // The name or one of the names above it was taken away.
  bool Hides(const std::string& key) const;
  // One of the names above it was taken away.
  bool HidesAbove(const std::string& key) const;
  // Some name directly below `parent` was taken away.
  bool TouchesChildrenOf(const std::string& parent) const {
    return parentsOfRemoved_.count(parent) != 0;
  }

 private:
  std::unordered_set<std::string> removed_;
  std::unordered_set<std::string> parentsOfRemoved_;
};

// A directory made, or a file moved into a new name, through the view.
struct AddedEntry {
  FindData data;       // name as given, attributes, times and size
  std::string source;  // the real file a moved name shows; empty for a made directory
};

struct ServiceView {
  std::optional<uint32_t> state;  // set once stopped or started in the view
  bool markedForDelete = false;
  bool gone = false;
  int handles = 0;
};

struct State {
  explicit State(const Platform& realPlatform) : real(realPlatform) {}

  std::recursive_mutex mutex;
  std::unique_lock<std::recursive_mutex> Lock() {
    return std::unique_lock<std::recursive_mutex>(mutex);
  }

  Platform real;

  NameOverlay keys;  // registry, by RegistryName
  uint64_t keysRemoved = 0;  // how many times a key went, for cached listings

  NameOverlay files;                                   // by NameKey of the path
  std::unordered_map<std::string, AddedEntry> added;   // by NameKey of the path
  std::unordered_map<std::string, std::vector<std::string>> addedByParent;
  std::unordered_map<std::string, uint32_t> attributes;  // changed attributes
  std::unordered_set<std::string> changedDirectories;    // listings that differ
  std::vector<std::string> ownDirectories;              // written for real
  bool IsOwn(const std::string& key) const;

  std::unordered_set<std::string> printers;  // deleted, by NameKey
  std::unordered_set<std::string> forms;     // deleted, by NameKey
  std::unordered_map<std::string, ServiceView> services;  // by NameKey
  std::unordered_set<std::string> devices;   // removed instance ids, by NameKey
  std::unordered_set<std::string> packages;  // uninstalled store and INF paths
  std::unordered_map<std::string, std::string> oemInfOfStoreInf;

  // Shared effects.
  void RemoveKey(RegRoot root, const std::string& subkey) {
    keys.Remove(RegistryName(root, subkey));
    ++keysRemoved;
  }
  void RemoveFileName(const std::string& path);
  void AddEntry(const std::string& path, AddedEntry entry);
  // Attributes of a path as the view shows it.
  Outcome ViewAttributes(const std::string& path, uint32_t& attributes);
  // Every printer the view lists (the spooler's, less the deleted ones).
  Outcome ViewPrinters(std::vector<PrinterInfo2>& out);
};

std::unique_ptr<IRegistry> MakeRegistry(State& state);
std::unique_ptr<IFileSystem> MakeFiles(State& state);
std::unique_ptr<ISpooler> MakeSpooler(State& state);
std::unique_ptr<IServices> MakeServices(State& state);
std::unique_ptr<IDevices> MakeDevices(State& state);
std::unique_ptr<IDriverStore> MakeDriverStore(State& state);
std::unique_ptr<IShell> MakeShell(State& state);
std::unique_ptr<IClock> MakeClock(State& state);
std::unique_ptr<ISecurity> MakeSecurity(State& state);

}  // namespace preview
