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

bool SimPage::Exists(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  return Find(id) != nullptr;
}

void SimPage::SetCheck(int id, bool checked) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  control->checked = checked;
  Record(id, "check", checked ? "1" : "0");
}

bool SimPage::IsChecked(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control && control->checked;
}

void SimPage::Enable(int id, bool enabled) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  control->enabled = enabled;
  Record(id, "enable", enabled ? "1" : "0");
}

bool SimPage::IsEnabled(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control && control->enabled;
}

void SimPage::Show(int id, int showCommand) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  control->visible = showCommand != win::kSwHide;
  Record(id, "show", std::to_string(showCommand));
}

bool SimPage::IsVisible(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control && control->visible;
}

void SimPage::SetText(int id, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  control->text = text;
  Record(id, "text", text);
}

std::string SimPage::GetText(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  if (!control) return {};
  if (control->kind == ControlKind::ComboBox) {
    const bool selected = control->curSel >= 0 &&
                          control->curSel < static_cast<int>(control->items.size());
    return selected ? control->items[control->curSel] : std::string();
  }
  return control->text;
}

void SimPage::SetTooltip(int id, uint32_t stringId) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  control->tooltip = stringId;
  Record(id, "tooltip", std::to_string(stringId));
}

void SimPage::ResetContent(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  control->items.clear();
  control->curSel = -1;
  Record(id, "reset", "");
}

void SimPage::AddString(int id, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  if (control->sorted) {
    auto at = std::upper_bound(control->items.begin(), control->items.end(), text, SortsBefore);
    control->items.insert(at, text);
  } else {
    control->items.push_back(text);
  }
  Record(id, "add", text);
}

void SimPage::SetCurSel(int id, int index) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  const bool valid = index >= 0 && index < static_cast<int>(control->items.size());
  control->curSel = valid ? index : -1;
  Record(id, "cursel", std::to_string(control->curSel));
}

std::string SimPage::GetSelectedText(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  if (!control || control->curSel < 0 ||
      control->curSel >= static_cast<int>(control->items.size())) {
    return {};
  }
  return control->items[control->curSel];
}

int SimPage::GetCount(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control ? static_cast<int>(control->items.size()) : 0;
}

void SimPage::SetProgressRange(int id, int low, int high) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  ProgressState& progress = control->progress;
  progress.low = low;
  progress.high = high;
  progress.pos = std::clamp(progress.pos, std::min(low, high), std::max(low, high));
  Record(id, "range", std::to_string(low) + "-" + std::to_string(high));
}

void SimPage::SetProgressPos(int id, int pos) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  ProgressState& progress = control->progress;
  progress.pos = std::clamp(pos, std::min(progress.low, progress.high),
                            std::max(progress.low, progress.high));
  Record(id, "pos", std::to_string(progress.pos));
}

void SimPage::SetProgressStep(int id, int step) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  control->progress.step = step;
  Record(id, "step", std::to_string(step));
}

void SimPage::StepProgress(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  // PBM_STEPIT wraps around instead of stopping at either end.
  ProgressState& progress = control->progress;
  progress.pos += progress.step;
  if (progress.pos > progress.high) {
    progress.pos = progress.low + (progress.pos - progress.high);
  } else if (progress.pos < progress.low) {
    progress.pos = progress.high - (progress.low - progress.pos);
  }
  Record(id, "stepit", std::to_string(progress.pos));
}

int SimPage::GetProgressPos(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control ? control->progress.pos : 0;
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
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control ? control->tooltip : 0;
}

std::vector<std::string> SimPage::Items(int id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control ? control->items : std::vector<std::string>{};
}

int SimPage::CurSel(int id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control ? control->curSel : -1;
}

ProgressState SimPage::Progress(int id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control ? control->progress : ProgressState{};
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
  std::lock_guard<std::mutex> lock(mutex_);
  const Control* control = Find(id);
  return control ? control->kind : ControlKind::Static;
}

void SimPage::UserToggle(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  Control* control = Find(id);
  if (!control) return;
  control->checked = !control->checked;
  Record(id, "check", control->checked ? "1" : "0");
}

}  // namespace sim
