#include "platform/preview/preview_state.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/win_constants.h"

namespace preview {

std::string NameKey(const std::string& name) {
  std::string key;
  key.reserve(name.size());
  for (char c : name) {
    if (c == '/') c = '\\';
    // "C:\\\\A" and "C:\\A" are the same name to the system.
    if (c == '\\' && !key.empty() && key.back() == '\\') continue;
    key += c;
  }
  while (!key.empty() && key.back() == '\\') key.pop_back();
  text::UpperInPlace(key);
  return key;
}

std::string RegistryName(RegRoot root, const std::string& subkey) {
  return (root == RegRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + NameKey(subkey);
}

std::string ParentOf(const std::string& key) {
  const size_t slash = key.find_last_of('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

void NameOverlay::Remove(const std::string& key) {
  if (removed_.insert(key).second) parentsOfRemoved_.insert(ParentOf(key));
}

bool NameOverlay::Hides(const std::string& key) const {
  if (removed_.empty()) return false;
  return removed_.count(key) != 0 || HidesAbove(key);
}

bool NameOverlay::HidesAbove(const std::string& key) const {
  if (removed_.empty()) return false;
  for (size_t slash = key.find('\\'); slash != std::string::npos;
       slash = key.find('\\', slash + 1)) {
    if (removed_.count(key.substr(0, slash)) != 0) return true;
  }
  return false;
}

bool State::IsOwn(const std::string& key) const {
  for (const std::string& own : ownDirectories) {
    if (key.compare(0, own.size(), own) == 0 && (key.size() == own.size() || key[own.size()] == '\\')) {
      return true;
    }
  }
  return false;
}

void State::RemoveFileName(const std::string& path) {
  const std::string key = NameKey(path);
  const std::string parent = ParentOf(key);
  if (added.erase(key) != 0) {
    auto& siblings = addedByParent[parent];
    siblings.erase(std::remove(siblings.begin(), siblings.end(), key), siblings.end());
  }
  attributes.erase(key);
  files.Remove(key);
  changedDirectories.insert(parent);
}

void State::AddEntry(const std::string& path, AddedEntry entry) {
  const std::string key = NameKey(path);
  const std::string parent = ParentOf(key);
  if (added.count(key) == 0) addedByParent[parent].push_back(key);
  added[key] = std::move(entry);
  attributes.erase(key);
  changedDirectories.insert(parent);
}

Outcome State::ViewAttributes(const std::string& path, uint32_t& value) {
  value = win::kInvalidFileAttributes;
  const std::string key = NameKey(path);
  const auto made = added.find(key);
  if (made != added.end()) {
    value = made->second.data.attributes;
    return Outcome::Success();
  }
  if (files.Hides(key)) {
    return Outcome::Failure(files.HidesAbove(key) ? win::kErrorPathNotFound
                                                  : win::kErrorFileNotFound);
  }
  const Outcome read = real.files.GetAttributes(path, value);
  if (!read) return read;
  const auto changed = attributes.find(key);
  if (changed != attributes.end()) value = changed->second;
  return Outcome::Success();
}

Outcome State::ViewPrinters(std::vector<PrinterInfo2>& out) {
  out.clear();
  uint32_t needed = 0;
  const Outcome sized = real.spooler.EnumPrinters2Size(needed);
  if (sized) return Outcome::Success();  // none installed
  if (sized.error != win::kErrorInsufficientBuffer) return sized;
  const Outcome listed = real.spooler.EnumPrinters2(needed, out);
  if (!listed) return listed;
  out.erase(std::remove_if(out.begin(), out.end(),
                           [this](const PrinterInfo2& printer) {
                             return printers.count(NameKey(printer.printerName)) != 0;
                           }),
            out.end());
  return Outcome::Success();
}

}  // namespace preview
