#pragma once
// What a run did to each thing it looked at: removed it, failed to, or kept
// it on purpose (with the reason). The steps report items as they go; the
// report of an unattended run and the preview list are built from them.
#include <cstdint>
#include <string>

enum class RunItemKind {
  Printer, Form, Driver, File, Directory, RegistryKey, DriverPackage, Service, Device
};

enum class RunItemResult {
  Removed,
  Failed,
  Kept,         // left in place on purpose; the reason says why
  WouldRemove,  // a preview: the run would remove it
};

struct RunItem {
  RunItemKind kind = RunItemKind::File;
  std::string name;  // a name, a path or a registry key (ANSI)
  RunItemResult result = RunItemResult::Removed;
  std::string reason;         // ANSI; may be empty for a plain removal
  uint32_t errorCode = 0;     // the system's error for a failure, 0 when none
};

// Where the steps report their items. A run that keeps no list passes none.
class IRunItemSink {
 public:
  virtual void Add(const RunItem& item) = 0;

 protected:
  ~IRunItemSink() = default;
};
