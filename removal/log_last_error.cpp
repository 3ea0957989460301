#include "platform/text.h"
#include "removal/removal_steps.h"

int CRemovalSteps::LogLastError(const std::string& failedStep) {
  return LogLastError(failedStep, platform.system.LastError());
}

int CRemovalSteps::LogLastError(const std::string& failedStep, uint32_t code) {
  std::string message;
  if (platform.system.FormatSystemMessage(code, message)) {
    Log(text::Format("%s FAILURE: %s", failedStep, message));
  } else {
    Log(text::Format("%s FAILURE: (0x%08x)", failedStep, code));
  }
  // Left as the thread's last error, as the failed call would have left it;
  // writing the log line may have changed it.
  platform.system.SetLastErrorCode(code);
  return 0;
}
