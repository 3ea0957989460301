#include "platform/win32/system_library.h"

#include <string>

#include "platform/win32/grown_text.h"

namespace win32 {
namespace {

constexpr char kSetDefaultDllDirectories[] = "SetDefaultDllDirectories";
constexpr char kSetDllDirectory[] = "SetDllDirectoryA";
constexpr char kWinspoolLibrary[] = "winspool.drv";
constexpr char kVersionLibrary[] = "version.dll";
// Not in older SDK headers: the flag of SetDefaultDllDirectories (Windows 8,
// Windows 7 and Vista with the update that added it).
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);

std::string SystemDirectory() {
  std::string directory = GrownText(GetSystemDirectoryA);
  if (!directory.empty() && directory.back() == '\\') directory.pop_back();
  return directory;
}

}  // namespace

void RestrictLibrarySearch() {
  auto restrict = ResolveKernelExport<SetDefaultDllDirectoriesFn>(kSetDefaultDllDirectories);
  if (restrict != nullptr && restrict(kSearchSystem32)) return;
  // Without it (XP SP1 to Vista, 7 without the update) the current directory
  // at least leaves the search; Windows 2000 has neither.
  auto setDirectory = ResolveKernelExport<SetDllDirectoryFn>(kSetDllDirectory);
  if (setDirectory != nullptr) (void)setDirectory("");
}

UniqueModule LoadSystemLibrary(const char* fileName) {
  const std::string directory = SystemDirectory();
  if (directory.empty()) return UniqueModule();
  const std::string path = directory + "\\" + fileName;
  // With a full path, the altered search takes the library's own
  // dependencies from its folder, the system directory, too.
  return UniqueModule(
      LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

const WinspoolFunctions& Winspool() {
  static const WinspoolFunctions functions = [] {
    WinspoolFunctions bound;
    // Kept loaded: printer handles may outlive any one user of the library.
    HMODULE module = LoadSystemLibrary(kWinspoolLibrary).release();
    BindExport(module, "EnumPrintersA", bound.enumPrinters);
    BindExport(module, "OpenPrinterA", bound.openPrinter);
    BindExport(module, "GetPrinterA", bound.getPrinter);
    BindExport(module, "GetPrinterDriverA", bound.getPrinterDriver);
    BindExport(module, "DeleteFormA", bound.deleteForm);
    BindExport(module, "DeletePrinter", bound.deletePrinter);
    BindExport(module, "ClosePrinter", bound.closePrinter);
    return bound;
  }();
  return functions;
}

const VersionFunctions& VersionInfo() {
  static const VersionFunctions functions = [] {
    VersionFunctions bound;
    HMODULE module = LoadSystemLibrary(kVersionLibrary).release();
    BindExport(module, "GetFileVersionInfoSizeA", bound.getFileVersionInfoSize);
    BindExport(module, "GetFileVersionInfoA", bound.getFileVersionInfo);
    BindExport(module, "VerQueryValueA", bound.verQueryValue);
    return bound;
  }();
  return functions;
}

void ClosePrinterHandle(HANDLE printer) {
  (void)CallExport(Winspool().closePrinter, printer);
}

}  // namespace win32
