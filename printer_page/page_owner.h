#pragma once
// What the printer page needs from the window that owns it: the log, the
// record of deleted files, the result boxes, the driver-package removal and
// the program's name for its captions. The main dialog implements it.
#include <string>

#include "engine/engine_links.h"
#include "removal/removal_types.h"

class IPageOwner : public ILogSink, public IDriverPackages {
 public:
  virtual DeletionRecord& Deletions() = 0;
  virtual void ShowResultMessage(ResultCode code) = 0;
  virtual void ShowDeletionReport(ResultCode code) = 0;
  // Executable file name without its extension.
  virtual std::string ApplicationName() = 0;

 protected:
  ~IPageOwner() = default;
};
