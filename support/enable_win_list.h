#pragma once
#include <vector>

#include "platform/ui.h"

// The page's controls that an operation disables and re-enables.
class CMyEnableWinList {
 public:
  virtual ~CMyEnableWinList();

  bool AddControl(IWindowControls* parent, int id);
  void SaveStates();
  void DisableAll();
  // Sets `state` on exactly the controls whose saved state equals it.
  void RestoreEnabled(bool state);
  size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    IWindowControls* parent;
    int id;
    bool wasEnabled;
  };
  std::vector<Entry> entries_;
};
