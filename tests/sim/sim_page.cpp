#include "tests/sim/sim_page.h"

#include <algorithm>
#include <cctype>

#include "platform/win_constants.h"
#include "resources/resource_ids.h"

namespace sim {
namespace {

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;
  bool visible;
  bool enabled;
};

// The controls of dialog template 104 with their template states.
constexpr ControlTemplate kPageControls[] = {
    {IDC_PAGE_CLOSE, ControlKind::Button, "Close", false, false},
    {IDC_PAGE_PROMPT, ControlKind::Static,
     "Select the printer you want to uninstall and click on button", true, true},
    {IDC_ADVANCED_GROUP, ControlKind::GroupBox, "", true, true},
    {IDC_INF_LIST, ControlKind::ListBox, "", false, false},
    {IDC_PRINTER_COMBO, ControlKind::ComboBox, "", true, true},
    {IDC_UNINSTALL_SELECTED, ControlKind::Button, "Uninstall selected printer", true, true},
    {IDC_PROVA, ControlKind::Button, "&Prova", false, false},
    {IDC_ADVANCED_TOGGLE, ControlKind::Button, "Show advanced settings", true, true},
    {IDC_ADVANCED_PROMPT, ControlKind::Static,
     "Select what you want to uninstall from your system", true, true},
    {IDC_CHECK_PRINTER, ControlKind::CheckBox, "Selected printer", true, true},
    {IDC_CHECK_DRIVER, ControlKind::CheckBox, "Driver of selected printer", true, true},
    {IDC_CHECK_PORT_SERVICE, ControlKind::CheckBox, "Force VOMUUSB uninstall", true, true},
    {IDC_UNINSTALL_CHECKED, ControlKind::Button, "Uninstall", true, true},
    {IDC_BITMAP_SMALL, ControlKind::Static, "", false, true},
    {IDC_PROGRESS, ControlKind::Progress, "", false, true},
    {IDC_STATUS_LINE, ControlKind::Static, "Operation in progress", true, true},
    {IDC_BITMAP_SIDE, ControlKind::Static, "", true, true},
    {IDC_CLEAN_SYSTEM, ControlKind::Button, "Clean system", true, true},
    {IDC_CLEAN_GROUP, ControlKind::GroupBox, "", true, true},
    {IDC_RELOAD_LIST, ControlKind::Button, "Reload list", true, true},
    {IDC_PREVIEW, ControlKind::Button, "Preview...", true, true},
};

// CBS_SORT order: case-insensitive.
bool SortsBefore(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) <
               std::toupper(static_cast<unsigned char>(y));
      });
}

}  // namespace

SimPage::SimPage() {
  for (const ControlTemplate& entry : kPageControls) {
    Control control;
    control.id = entry.id;
    control.kind = entry.kind;
    control.text = entry.text;
    control.visible = entry.visible;
    control.enabled = entry.enabled;
    control.sorted = entry.kind == ControlKind::ComboBox;
    controls_.push_back(control);
  }
}

void SimPage::SetHandler(Handler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = std::move(handler);
}

SimPage::Control* SimPage::Find(int id) {
  for (Control& control : controls_) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

const SimPage::Control* SimPage::Find(int id) const {
  for (const Control& control : controls_) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

void SimPage::Record(int id, const std::string& op, const std::string& value) {
  changes_.push_back({id, op, value});
}

template <typename Apply>
void SimPage::Change(int id, const char* op, Apply&& apply) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  // A missing control ignores the message, as a missing window does.
  if (!control) return;
  Record(id, op, apply(*control));
}

template <typename T, typename Read>
T SimPage::Query(int id, T missing, Read&& read) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control ? read(*control) : missing;
}

namespace {

std::string Flag(bool value) { return value ? "1" : "0"; }

std::string Selected(const std::vector<std::string>& items, int index) {
  const bool valid = index >= 0 && index < static_cast<int>(items.size());
  return valid ? items[index] : std::string();
}

}  // namespace

bool SimPage::Exists(int id) {
  return Query(id, false, [](const Control&) { return true; });
}

void SimPage::SetFlag(int id, const char* op, bool Control::*flag, bool value) {
  Change(id, op, [&](Control& control) {
    control.*flag = value;
    return Flag(value);
  });
}

bool SimPage::ReadFlag(int id, bool Control::*flag) const {
  return Query(id, false, [flag](const Control& control) { return control.*flag; });
}

void SimPage::SetCheck(int id, bool checked) { SetFlag(id, "check", &Control::checked, checked); }

bool SimPage::IsChecked(int id) { return ReadFlag(id, &Control::checked); }

void SimPage::Enable(int id, bool enabled) { SetFlag(id, "enable", &Control::enabled, enabled); }

bool SimPage::IsEnabled(int id) { return ReadFlag(id, &Control::enabled); }

void SimPage::Show(int id, int showCommand) {
  Change(id, "show", [&](Control& control) {
    control.visible = showCommand != win::kSwHide;
    return std::to_string(showCommand);
  });
}

bool SimPage::IsVisible(int id) { return ReadFlag(id, &Control::visible); }

void SimPage::SetText(int id, const std::string& text) {
  Change(id, "text", [&](Control& control) {
    control.text = text;
    return text;
  });
}

std::string SimPage::GetText(int id) {
  return Query(id, std::string(), [](const Control& control) {
    return control.kind == ControlKind::ComboBox ? Selected(control.items, control.curSel)
                                                 : control.text;
  });
}

void SimPage::SetTooltip(int id, uint32_t stringId) {
  Change(id, "tooltip", [&](Control& control) {
    control.tooltip = stringId;
    return std::to_string(stringId);
  });
}

void SimPage::ResetContent(int id) {
  Change(id, "reset", [](Control& control) {
    control.items.clear();
    control.curSel = -1;
    return std::string();
  });
}

void SimPage::AddString(int id, const std::string& text) {
  Change(id, "add", [&](Control& control) {
    auto at = control.sorted ? std::upper_bound(control.items.begin(), control.items.end(),
                                                text, SortsBefore)
                             : control.items.end();
    control.items.insert(at, text);
    return text;
  });
}

void SimPage::SetCurSel(int id, int index) {
  Change(id, "cursel", [&](Control& control) {
    const bool valid = index >= 0 && index < static_cast<int>(control.items.size());
    control.curSel = valid ? index : -1;
    return std::to_string(control.curSel);
  });
}

std::string SimPage::GetSelectedText(int id) {
  return Query(id, std::string(),
               [](const Control& control) { return Selected(control.items, control.curSel); });
}

int SimPage::GetCount(int id) {
  return Query(id, 0,
               [](const Control& control) { return static_cast<int>(control.items.size()); });
}

void SimPage::SetProgressRange(int id, int low, int high) {
  Change(id, "range", [&](Control& control) {
    ProgressState& progress = control.progress;
    progress.low = low;
    progress.high = high;
    progress.pos = std::clamp(progress.pos, std::min(low, high), std::max(low, high));
    return std::to_string(low) + "-" + std::to_string(high);
  });
}

void SimPage::SetProgressPos(int id, int pos) {
  Change(id, "pos", [&](Control& control) {
    ProgressState& progress = control.progress;
    progress.pos = std::clamp(pos, std::min(progress.low, progress.high),
                              std::max(progress.low, progress.high));
    return std::to_string(progress.pos);
  });
}

void SimPage::SetProgressStep(int id, int step) {
  Change(id, "step", [&](Control& control) {
    control.progress.step = step;
    return std::to_string(step);
  });
}

void SimPage::StepProgress(int id) {
  Change(id, "stepit", [](Control& control) {
    // PBM_STEPIT wraps around instead of stopping at either end.
    ProgressState& progress = control.progress;
    progress.pos += progress.step;
    if (progress.pos > progress.high) {
      progress.pos = progress.low + (progress.pos - progress.high);
    } else if (progress.pos < progress.low) {
      progress.pos = progress.high - (progress.low - progress.pos);
    }
    return std::to_string(progress.pos);
  });
}

int SimPage::GetProgressPos(int id) {
  return Query(id, 0, [](const Control& control) { return control.progress.pos; });
}

void SimPage::SendToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  Handler handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back({message, wParam, lParam, false});
    handler = handler_;
  }
  if (handler) handler(message, wParam, lParam);
}

void SimPage::PostToPage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  std::lock_guard<std::mutex> lock(mutex_);
  posted_.push_back({message, wParam, lParam, true});
}

void SimPage::RefreshFromMembers() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++refreshCount_;
}

int SimPage::PumpPosted() {
  int delivered = 0;
  for (;;) {
    PageMessage next;
    Handler handler;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (posted_.empty()) break;
      next = posted_.front();
      posted_.erase(posted_.begin());
      messages_.push_back(next);
      handler = handler_;
    }
    if (handler) handler(next.message, next.wParam, next.lParam);
    ++delivered;
  }
  return delivered;
}

size_t SimPage::PendingPosts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return posted_.size();
}

std::vector<PageMessage> SimPage::Messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_;
}

std::vector<intptr_t> SimPage::MessageParams(uint32_t message) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<intptr_t> params;
  for (const PageMessage& m : messages_) {
    if (m.message == message) params.push_back(m.lParam);
  }
  return params;
}

std::vector<ControlChange> SimPage::Changes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return changes_;
}

std::vector<ControlChange> SimPage::ChangesOf(int id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<ControlChange> out;
  for (const ControlChange& change : changes_) {
    if (change.id == id) out.push_back(change);
  }
  return out;
}

void SimPage::ClearRecords() {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.clear();
  changes_.clear();
  refreshCount_ = 0;
}

int SimPage::RefreshCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return refreshCount_;
}

uint32_t SimPage::Tooltip(int id) const {
  return Query(id, 0u, [](const Control& control) { return control.tooltip; });
}

std::vector<std::string> SimPage::Items(int id) const {
  return Query(id, std::vector<std::string>{}, [](const Control& control) { return control.items; });
}

int SimPage::CurSel(int id) const {
  return Query(id, -1, [](const Control& control) { return control.curSel; });
}

ProgressState SimPage::Progress(int id) const {
  return Query(id, ProgressState{}, [](const Control& control) { return control.progress; });
}

std::vector<std::string> SimPage::TextHistory(int id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> texts;
  for (const ControlChange& change : changes_) {
    if (change.id == id && change.op == "text") texts.push_back(change.value);
  }
  return texts;
}

ControlKind SimPage::Kind(int id) const {
  return Query(id, ControlKind::Static, [](const Control& control) { return control.kind; });
}

void SimPage::UserToggle(int id) {
  Change(id, "check", [](Control& control) {
    control.checked = !control.checked;
    return Flag(control.checked);
  });
}

}  // namespace sim
