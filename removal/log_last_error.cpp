#include "platform/text.h"
#include "removal/removal_steps.h"

int CRemovalSteps::LogLastError(const std::string& failedStep) {
  const uint32_t code = platform.system.LastError();
  std::string message;
  if (platform.system.FormatSystemMessage(code, message)) {
    Log(text::Format("%s FAILURE: %s", failedStep, message));
  } else {
    Log(text::Format("%s FAILURE: (0x%08x)", failedStep, code));
  }
  // Writing the log line may have changed it.
  platform.system.SetLastErrorCode(code);
  return 0;
}
