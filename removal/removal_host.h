#pragma once
// What the removal steps and their sequences show while they run. The
// printer page implements it with its controls; a run without a window
// implements it with whatever stands in for them.
#include <string>
#include <vector>

#include "removal/removal_types.h"

class IRemovalHost {
 public:
  virtual void SetStatusLine(const std::string& text) = 0;
  // One step of the progress bar.
  virtual void ProgressStep() = 0;
  // The progress bar and the status line become visible.
  virtual void ShowProgress() = 0;
  // A sequence that ends by an unexpected error: the progress is closed.
  virtual void EndProgress() = 0;
  virtual void ShowInfFiles(const std::vector<std::string>& infFiles) = 0;
  virtual void ShowResultMessage(ResultCode code) = 0;
  // The final report: success, or what was left behind.
  virtual void ShowDeletionReport(ResultCode code) = 0;
  // A sequence's last step before its report: the printers are listed again.
  virtual void SequenceEnded(bool ok, bool portServiceRemoved) = 0;

 protected:
  ~IRemovalHost() = default;
};
