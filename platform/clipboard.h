#pragma once
// The clipboard, for text the user asked to copy. The text goes on as
// Unicode so that a reader in another code page gets the same characters.
#include <string>

#include "platform/outcome.h"
#include "platform/ui.h"

class IClipboard {
 public:
  virtual ~IClipboard() = default;
  // Replaces the clipboard's contents with `utf8` as Unicode text, the
  // clipboard opened for the window that `owner` names. A failure carries
  // the system's error of the call that failed, and leaves nothing of this
  // text allocated.
  virtual Outcome SetText(BoxOwner owner, const std::string& utf8) = 0;
};
