#include "app/preview_list.h"

#include "platform/text.h"

namespace {

constexpr const char* kLineBreak = "\r\n";
constexpr char kFirstPrintable = 0x20;
constexpr char kDelete = 0x7F;
constexpr char kShownInstead = '?';

std::string OneLine(std::string value) {
  for (char& c : value) {
    if ((c >= 0 && c < kFirstPrintable) || c == kDelete) c = kShownInstead;
  }
  return value;
}

}  // namespace

std::vector<RunItem> AsPreview(std::vector<RunItem> items) {
  for (RunItem& item : items) {
    if (item.result == RunItemResult::Removed) item.result = RunItemResult::WouldRemove;
  }
  return items;
}

const char* RunItemKindText(RunItemKind kind) {
  switch (kind) {
    case RunItemKind::Printer: return "Printer";
    case RunItemKind::Form: return "Form";
    case RunItemKind::Driver: return "Driver";
    case RunItemKind::File: return "File";
    case RunItemKind::Directory: return "Directory";
    case RunItemKind::RegistryKey: return "Registry key";
    case RunItemKind::DriverPackage: return "Driver package";
    case RunItemKind::Service: return "Service";
    case RunItemKind::Device: return "Device entry";
  }
  return "Item";
}

const char* RunItemResultText(RunItemResult result) {
  switch (result) {
    case RunItemResult::Removed: return "Removed";
    case RunItemResult::Failed: return "Not removed";
    case RunItemResult::Kept: return "Kept";
    case RunItemResult::WouldRemove: return "Would remove";
  }
  return "Unknown";
}

std::string PreviewLine(const RunItem& item) {
  std::string line = std::string(RunItemResultText(item.result)) + ": " +
                     RunItemKindText(item.kind) + " [" + OneLine(item.name) + "]";
  if (!item.reason.empty()) line += " - " + OneLine(item.reason);
  if (item.errorCode != 0) {
    line += text::Format(" (error %d)", static_cast<int>(item.errorCode));
  }
  return line;
}

std::string PreviewText(const std::vector<RunItem>& items) {
  std::string out;
  for (const RunItem& item : items) {
    if (!out.empty()) out += kLineBreak;
    out += PreviewLine(item);
  }
  return out;
}

std::vector<RunItem> BuildPreview(const PreviewRunner& runner, const SequenceRequest& request) {
  if (!runner) return {};
  return AsPreview(runner(request));
}
