#pragma once
// The controls of the printer page (dialog template 104) in memory. The
// handler stands in for the page window's procedure: SendToPage calls it on
// the calling thread and PostToPage queues until PumpPosted. Safe to use from
// a worker thread; the handler is never called with the lock held.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace sim {

enum class ControlKind { Button, CheckBox, Static, GroupBox, ComboBox, ListBox, Progress };

struct PageMessage {
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  bool posted = false;
};

// One change made to a control, in order: op is "check", "enable", "show",
// "text", "tooltip", "reset", "add", "cursel", "range", "pos", "step",
// "stepit"; value is the new value in text ("1"/"0", the text, "0-50"...).
struct ControlChange {
  int id = 0;
  std::string op;
  std::string value;
};

struct ProgressState {
  int low = 0;
  int high = 100;  // common-control default range
  int pos = 0;
  int step = 10;   // common-control default step
};

class SimPage : public IWindowControls {
 public:
  using Handler = std::function<void(uint32_t, uintptr_t, intptr_t)>;

  SimPage();

  void SetHandler(Handler handler);

  // IWindowControls
  PURVEX_WINDOW_CONTROLS_OVERRIDES;

  // ---- inspection ----
  // Delivers queued posts in order (also those posted while delivering);
  // returns how many were delivered.
  int PumpPosted();
  size_t PendingPosts() const;
  std::vector<PageMessage> Messages() const;  // sent and delivered, in order
  // lParams of every message `message` handled (sent or delivered).
  std::vector<intptr_t> MessageParams(uint32_t message) const;
  std::vector<ControlChange> Changes() const;
  std::vector<ControlChange> ChangesOf(int id) const;
  void ClearRecords();
  int RefreshCount() const;
  uint32_t Tooltip(int id) const;  // 0 when none
  std::vector<std::string> Items(int id) const;  // combo/list entries in order
  int CurSel(int id) const;                      // -1 when none
  ProgressState Progress(int id) const;
  // Every text the control showed, in order (e.g. the status line's texts).
  std::vector<std::string> TextHistory(int id) const;
  ControlKind Kind(int id) const;
  // A user selecting entry `index` of the combo box (no notification sent).
  void UserSelect(int id, int index) { SetCurSel(id, index); }
  // A user clicking a check box: toggles it (no notification sent).
  void UserToggle(int id);

 private:
  struct Control {
    int id = 0;
    ControlKind kind = ControlKind::Static;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    bool sorted = false;
    std::string text;
    uint32_t tooltip = 0;
    std::vector<std::string> items;
    int curSel = -1;
    ProgressState progress;
  };

  Control* Find(int id);
  const Control* Find(int id) const;
  void Record(int id, const std::string& op, const std::string& value);
  // Under the lock: `apply` changes the control and gives the value recorded.
  template <typename Apply>
  void Change(int id, const char* op, Apply&& apply);
  template <typename T, typename Read>
  T Query(int id, T missing, Read&& read) const;
  // The check, enable and show states: a flag of the control, recorded as
  // "1" or "0" when set.
  void SetFlag(int id, const char* op, bool Control::*flag, bool value);
  bool ReadFlag(int id, bool Control::*flag) const;

  mutable std::mutex mutex_;
  std::vector<Control> controls_;
  Handler handler_;
  std::vector<PageMessage> messages_;
  std::vector<PageMessage> posted_;
  std::vector<ControlChange> changes_;
  int refreshCount_ = 0;
};

}  // namespace sim
