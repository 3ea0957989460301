#include "app/window_run_lock.h"

#include "app/startup_guard.h"
#include "platform/win_constants.h"
#include "resources/resource_ids.h"

bool TakeWindowRunLock(Platform& platform, RunLockHold& hold) {
  uint32_t error = 0;
  if (platform.runLock.TryAcquire(hold, error) != RunLockResult::InUse) return true;
  (void)platform.messageBoxes.Show(
      BoxOwner::None, platform.strings.Load(IDS_RUN_IN_PROGRESS),
      ApplicationNameFromModulePath(platform.system.ModuleFileName()),
      win::kMbOk | win::kMbIconExclamation);
  return false;
}
