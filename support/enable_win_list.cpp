#include "support/enable_win_list.h"

CMyEnableWinList::~CMyEnableWinList() = default;

bool CMyEnableWinList::AddControl(IWindowControls* parent, int id) {
  if (parent == nullptr || !parent->Exists(id)) return false;
  entries_.push_back(Entry{parent, id, parent->IsEnabled(id)});
  return true;
}

void CMyEnableWinList::SaveStates() {
  for (Entry& entry : entries_) {
    if (entry.parent->Exists(entry.id)) {
      entry.wasEnabled = entry.parent->IsEnabled(entry.id);
    }
  }
}

void CMyEnableWinList::DisableAll() {
  SaveStates();
  for (const Entry& entry : entries_) {
    if (entry.parent->Exists(entry.id)) entry.parent->Enable(entry.id, false);
  }
}

void CMyEnableWinList::RestoreEnabled(bool state) {
  for (const Entry& entry : entries_) {
    if (entry.wasEnabled == state && entry.parent->Exists(entry.id)) {
      entry.parent->Enable(entry.id, state);
    }
  }
}
