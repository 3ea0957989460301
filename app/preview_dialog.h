#pragma once
// What the preview dialog shows and does, apart from its window: the
// heading that names the button and the printer, the list, and Copy.
#include <string>
#include <utility>

#include "engine/engine_links.h"
#include "platform/platform.h"

class CPreviewDialogModel {
 public:
  CPreviewDialogModel(Platform& platform, ILogSink& log, std::string heading, std::string text)
      : platform_(platform), log_(log), heading_(std::move(heading)), text_(std::move(text)) {}

  const std::string& Heading() const { return heading_; }
  // The list as the edit control shows it: ANSI lines joined by CR LF.
  const std::string& Text() const { return text_; }

  // Puts the whole list on the clipboard as Unicode text. A list that
  // cannot be converted or a clipboard that refuses it leaves a log line
  // and nothing else: the user can try again.
  bool Copy();

 private:
  Platform& platform_;
  ILogSink& log_;
  std::string heading_;
  std::string text_;
};
