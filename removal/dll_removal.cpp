#include <cstdint>
#include <string>
#include <vector>

#include "app/purvex_dlg.h"
#include "platform/text.h"
#include "platform/win_constants.h"
#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kDriverDlls[] = {"QdRk.dll", "QdVuRk.dll", "QdRkTx.dll",
                                       "QdVuRkTx.dll", "QdNetVu.dll"};
constexpr const char* kDependentFilesValue = "Dependent Files";
constexpr const char* kSystemSubdir = "system32";
constexpr uint32_t kWindowsDirCapacity = 255;
constexpr int kDeleteAttempts = 5;
constexpr uint32_t kWaitBeforeStopMs = 1000;
constexpr uint32_t kWaitAfterFailedAttemptMs = 1000;

}  // namespace

int CRemoveDrvPrn::DeleteDriverDlls() {
  bool allDone = true;
  for (const char* dll : kDriverDlls) {
    if (!DeleteDllIfNotUsed(dll)) allDone = false;
  }
  return allDone ? kResultOk : kResultDllFailed;
}

bool CRemoveDrvPrn::DeleteDllIfNotUsed(const std::string& dllName) {
  if (dllName.empty()) {
    Log("Dll name null! Impossible to delete a dll!");
    return false;
  }
  if (!IsDllOfSelDriver(dllName)) {
    Log(text::Format("Dll [%s] not used! We won't delete it!", dllName));
    return true;
  }
  if (IsDllStillUsed(dllName)) {
    Log(text::Format("Dll [%s] is still used. We won't delete it!", dllName));
    return true;
  }

  // Without the Windows directory the path would name a file below the
  // current drive's root, which is not the system's DLL.
  const std::string windowsDir = WindowsDirectory(kWindowsDirCapacity);
  if (windowsDir.empty()) {
    Log(text::Format(
        "Windows directory unknown: Dll [%s] NOT deleted! Error %d.", dllName,
        static_cast<int>(platform.system.LastError())));
    return false;
  }

  SetStatusLine(text::Format(LoadText(IDS_REMOVING_DLL), dllName));
  Wait(kWaitBeforeStopMs);
  StopSpooler();

  const std::string path = windowsDir + "\\" + kSystemSubdir + "\\" + dllName;
  bool deleted = false;
  uint32_t lastError = win::kErrorSuccess;
  for (int attempt = 0; attempt < kDeleteAttempts && !deleted; ++attempt) {
    const Outcome removed = platform.files.RemoveFile(path);
    if (removed) {
      deleted = true;
    } else {
      lastError = removed.error;
      Wait(kWaitAfterFailedAttemptMs);
    }
  }

  if (deleted) {
    if (MainDialog != nullptr) MainDialog->DeletedFiles.push_back(path);
    const std::string line = text::Format("File [%s] deleted!", path);
    Log(line);
    SetStatusLine(line);
  } else {
    const std::string line = text::Format("File [%s] NOT deleted! Error %d.",
                                          path, static_cast<int>(lastError));
    Log(line);
    SetStatusLine(line);
    if (MainDialog != nullptr) MainDialog->NotDeletedFiles.push_back(path);
  }
  StartSpooler();
  return deleted;
}

bool CRemoveDrvPrn::IsDllOfSelDriver(const std::string& dllName) {
  std::vector<std::string> entries;
  uint32_t status = Registry.ReadMultiStringList(
      RegRoot::LocalMachine, EnvDriversKey + "\\" + CurrentPrinter.DriverName,
      kDependentFilesValue, entries);
  if (status != win::kErrorSuccess && status != win::kErrorMoreData) {
    entries.clear();
    status = Registry.ReadMultiStringList(
        RegRoot::LocalMachine,
        std::string(kVersion2DriversKey) + "\\" + CurrentPrinter.DriverName,
        kDependentFilesValue, entries);
  }
  if (status != win::kErrorSuccess) return false;

  const std::string wanted = text::Upper(dllName);
  for (const std::string& entry : entries) {
    if (text::Contains(text::Upper(entry), wanted)) return true;
  }
  return false;
}

bool CRemoveDrvPrn::IsDllStillUsed(const std::string& dllName) {
  return IsDllStillUsedCheckReg(dllName, EnvDriversKey) ||
         IsDllStillUsedCheckReg(dllName, kVersion2DriversKey);
}

bool CRemoveDrvPrn::IsDllStillUsedCheckReg(const std::string& dllName,
                                           const std::string& driversKey) {
  uint32_t status = win::kErrorSuccess;
  const uint32_t count =
      Registry.CountSubkeys(RegRoot::LocalMachine, driversKey, status);
  const std::string wanted = text::Upper(dllName);
  for (uint32_t index = 0; index < count; ++index) {
    std::string driver;
    if (!Registry.EnumSubkey(RegRoot::LocalMachine, driversKey, index, driver)) {
      Log(text::Format(
          "Impossible to find HKEY_LOCAL_MACHINE\\%s key in "
          "IsDllStillUsedCheckReg!",
          driversKey));
      continue;
    }
    // Exact on purpose: a driver that differs only in letter case is
    // another driver and may still need the file.
    if (driver == CurrentPrinter.DriverName) continue;

    std::vector<std::string> entries;
    if (Registry.ReadMultiStringList(RegRoot::LocalMachine,
                                     driversKey + "\\" + driver,
                                     kDependentFilesValue,
                                     entries) != win::kErrorSuccess) {
      continue;
    }
    for (const std::string& entry : entries) {
      if (text::Upper(entry) == wanted) return true;
    }
  }
  return false;
}
