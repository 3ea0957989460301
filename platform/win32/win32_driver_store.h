#pragma once
#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/driver_store.h"
#include "platform/win32/handles.h"

namespace win32 {

// DIFxAPI is a redistributable that installers ship next to themselves; it is
// not part of Windows 10/11 and may be missing anywhere. Only the system
// directory's copy is used: one next to this elevated program could have
// been put there by anybody who can write to that folder. SetupAPI has the
// same two operations on every system from Vista on, so it stands in when the
// library (or one of its two entry points) cannot be found.
class Win32DriverStore : public IDriverStore {
 public:
  Win32DriverStore();

  uint32_t GetPath(const std::string& infPath, char* buffer,
                   uint32_t& length) override;
  uint32_t Uninstall(const std::string& storeInfPath,
                     uint32_t flags) override;

 private:
  using GetPathFn = DWORD(WINAPI*)(PCSTR, PSTR, DWORD*);
  using UninstallFn = DWORD(WINAPI*)(PCSTR, DWORD, const void*, BOOL*);
  using StoreLocationFn = BOOL(WINAPI*)(PCSTR, void*, PCSTR, PSTR, DWORD,
                                        DWORD*);

  uint32_t SetupApiGetPath(const std::string& infPath, char* buffer,
                           uint32_t& length);
  uint32_t SetupApiUninstall(const std::string& storeInfPath, uint32_t flags);

  UniqueModule difx_;
  GetPathFn difxGetPath_ = nullptr;
  UninstallFn difxUninstall_ = nullptr;
  StoreLocationFn storeLocation_ = nullptr;

  // SetupUninstallOEMInfA names a package by its INF in the Windows INF
  // directory (oemNN.inf), not by its store path: the store paths that
  // GetPath reported are remembered with the INF they came from.
  std::mutex mutex_;
  std::map<std::string, std::string> oemInfByStorePath_;
};

}  // namespace win32
