#include "app/preview_dialog.h"

#include "platform/text.h"

namespace {

constexpr const char* kNotConvertedLine =
    "The preview list could not be copied to the clipboard: its text could not be "
    "converted (error %d).";
constexpr const char* kNotCopiedLine =
    "The preview list could not be copied to the clipboard (error %d).";

}  // namespace

bool CPreviewDialogModel::Copy() {
  std::string utf8;
  const Outcome converted = platform_.textConversion.AnsiToUtf8(text_, utf8);
  if (!converted) {
    log_.WriteLine(text::Format(kNotConvertedLine, static_cast<int>(converted.error)));
    return false;
  }
  const Outcome copied = platform_.clipboard.SetText(BoxOwner::PreviewDialog, utf8);
  if (!copied) {
    log_.WriteLine(text::Format(kNotCopiedLine, static_cast<int>(copied.error)));
    return false;
  }
  return true;
}
