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
  bool Exists(int id) override;
  void SetCheck(int id, bool checked) override;
  bool IsChecked(int id) override;
  void Enable(int id, bool enabled) override;
  bool IsEnabled(int id) override;
  void Show(int id, int showCommand) override;
  bool IsVisible(int id) override;
  void SetText(int id, const std::string& text) override;
  std::string GetText(int id) override;
  void SetTooltip(int id, uint32_t stringId) override;
  void ResetContent(int id) override;
  void AddString(int id, const std::string& text) override;
  void SetCurSel(int id, int index) override;
  std::string GetSelectedText(int id) override;
  int GetCount(int id) override;
  void SetProgressRange(int id, int low, int high) override;
  void SetProgressPos(int id, int pos) override;
  void SetProgressStep(int id, int step) override;
  void StepProgress(int id) override;
  int GetProgressPos(int id) override;
  void SendToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void PostToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void RefreshFromMembers() override;

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

  mutable std::mutex mutex_;
  std::vector<Control> controls_;
  Handler handler_;
  std::vector<PageMessage> messages_;
  std::vector<PageMessage> posted_;
  std::vector<ControlChange> changes_;
  int refreshCount_ = 0;
};

}  // namespace sim
