#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"
#include "platform/win_constants.h"
#include "removal/removal_steps.h"
#include "resources/resource_ids.h"

namespace {

constexpr const char* kDriverDlls[] = {"QdRk.dll", "QdVuRk.dll", "QdRkTx.dll",
                                       "QdVuRkTx.dll", "QdNetVu.dll"};
constexpr const char* kDependentFilesValue = "Dependent Files";
constexpr int kDeleteAttempts = 5;
constexpr uint32_t kWaitBeforeStopMs = 1000;
constexpr uint32_t kWaitAfterFailedAttemptMs = 1000;

}  // namespace

ResultCode CRemovalSteps::DeleteDriverDlls() {
  bool allDone = true;
  for (const char* dll : kDriverDlls) {
    if (!DeleteDllIfNotUsed(dll)) allDone = false;
  }
  return allDone ? kResultOk : kResultDllFailed;
}

bool CRemovalSteps::DeleteDllIfNotUsed(const std::string& dllName) {
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
    const std::string windowsDir = WindowsDirectory(kWindowsDirCapacity);
    ReportItem(RunItemKind::File,
               windowsDir.empty() ? dllName
                                  : windowsDir + "\\" + kSystemSubdir + "\\" + dllName,
               RunItemResult::Kept,
               "another driver still uses it or its use cannot be read");
    return true;
  }

  // Without the Windows directory the path would name a file below the
  // current drive's root, which is not the system's DLL.
  const std::string windowsDir = WindowsDirectory(kWindowsDirCapacity);
  if (windowsDir.empty()) {
    Log(text::Format(
        "Windows directory unknown: Dll [%s] NOT deleted! Error %d.", dllName,
        static_cast<int>(platform.system.LastError())));
    ReportItem(RunItemKind::File, dllName, RunItemResult::Failed,
               "the Windows directory is unknown");
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
    RecordDeletion(path, true);
    ReportRemoval(RunItemKind::File, path, true);
    const std::string line = text::Format("File [%s] deleted!", path);
    Log(line);
    SetStatusLine(line);
  } else {
    const std::string line = text::Format("File [%s] NOT deleted! Error %d.",
                                          path, static_cast<int>(lastError));
    Log(line);
    SetStatusLine(line);
    RecordDeletion(path, false);
    ReportRemoval(RunItemKind::File, path, false, lastError);
  }
  StartSpooler();
  return deleted;
}

bool CRemovalSteps::IsDllOfSelDriver(const std::string& dllName) {
  std::vector<std::string> entries;
  Outcome read = Outcome::Success();
  (void)CQDRegistry::FindDriverKey(
      EnvDriversKey, CurrentPrinter.DriverName, [&](const std::string& key) {
        entries.clear();
        read = Registry.ReadMultiStringList(RegRoot::LocalMachine, key,
                                            kDependentFilesValue, entries);
        return read || read.error == win::kErrorMoreData;
      });
  if (!read) return false;

  const std::string wanted = text::Upper(dllName);
  for (const std::string& entry : entries) {
    if (text::Contains(text::Upper(entry), wanted)) return true;
  }
  return false;
}

bool CRemovalSteps::IsDllStillUsed(const std::string& dllName) {
  return CQDRegistry::FindDriverKey(EnvDriversKey, "", [&](const std::string& driversKey) {
           return IsDllStillUsedCheckReg(dllName, driversKey);
         }) != CQDRegistry::DriverKeyFound::None;
}

// A missing key or value lists nothing; every other failure to read another
// driver's list (access denied, a wrong type, an enumeration that breaks off)
// leaves it unknown whether the DLL is still needed, and it is kept.
bool CRemovalSteps::IsDllStillUsedCheckReg(const std::string& dllName,
                                           const std::string& driversKey) {
  const std::string wanted = text::Upper(dllName);
  bool used = false;
  const Outcome walked = Registry.ForEachCountedSubkey(
      RegRoot::LocalMachine, driversKey,
      [&](uint32_t index, const Outcome& listed, const std::string& driver) {
        if (!listed) {
          Log(text::Format(
              "Impossible to find HKEY_LOCAL_MACHINE\\%s key in "
              "IsDllStillUsedCheckReg!",
              driversKey));
          Log(text::Format(
              "The list of drivers under HKEY_LOCAL_MACHINE\\%s broke off at index %d "
              "(error %d): a driver that lists it may be unread. Dll [%s] is kept.",
              driversKey, static_cast<int>(index), static_cast<int>(listed.error), dllName));
          used = true;
          return false;
        }
        // Exact on purpose: a driver that differs only in letter case is
        // another driver and may still need the file.
        if (driver == CurrentPrinter.DriverName) return true;
        const std::string driverKey = driversKey + "\\" + driver;
        uint32_t size = 0;
        uint32_t type = win::kRegNone;
        Outcome read = Registry.QueryValue(RegRoot::LocalMachine, driverKey,
                                           kDependentFilesValue, nullptr, nullptr, 0,
                                           &size, type);
        if (!read && read.error == win::kErrorFileNotFound) return true;
        std::vector<std::string> entries;
        if (read && type == win::kRegMultiSz) {
          read = Registry.ReadMultiStringList(RegRoot::LocalMachine, driverKey,
                                              kDependentFilesValue, entries);
          if (!read && read.error == win::kErrorFileNotFound) return true;
        }
        if (!read) {
          Log(text::Format(
              "Impossible to read \"%s\" of HKEY_LOCAL_MACHINE\\%s! Error %d. Dll [%s] "
              "is kept.",
              kDependentFilesValue, driverKey, static_cast<int>(read.error), dllName));
          used = true;
          return false;
        }
        if (type != win::kRegMultiSz) {
          Log(text::Format(
              "\"%s\" of HKEY_LOCAL_MACHINE\\%s is not a multi-string (type %d). Dll "
              "[%s] is kept.",
              kDependentFilesValue, driverKey, static_cast<int>(type), dllName));
          used = true;
          return false;
        }
        for (const std::string& entry : entries) {
          if (text::Upper(entry) == wanted) {
            used = true;
            return false;
          }
        }
        return true;
      });
  if (!walked && walked.error == win::kErrorFileNotFound) return false;
  if (!walked) {
    Log(text::Format(
        "Impossible to read HKEY_LOCAL_MACHINE\\%s key in IsDllStillUsedCheckReg! "
        "Error %d. Dll [%s] is kept.",
        driversKey, static_cast<int>(walked.error), dllName));
    return true;
  }
  return used;
}
