#include "platform/win32/system_library.h"

#include <string>
#include <vector>

namespace win32 {
namespace {

constexpr char kKernelLibrary[] = "kernel32.dll";
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
  std::vector<char> buffer(MAX_PATH, '\0');
  UINT length = GetSystemDirectoryA(buffer.data(), MAX_PATH);
  if (length >= MAX_PATH) {
    buffer.assign(length, '\0');
    length = GetSystemDirectoryA(buffer.data(), length);
  }
  if (length == 0 || length >= buffer.size()) return std::string();
  std::string directory(buffer.data(), length);
  if (directory.back() == '\\') directory.pop_back();
  return directory;
}

}  // namespace

void RestrictLibrarySearch() {
  // kernel32 is mapped into every process: asking for its handle loads nothing.
  HMODULE kernel = GetModuleHandleA(kKernelLibrary);
  auto restrict = ResolveExport<SetDefaultDllDirectoriesFn>(
      kernel, kSetDefaultDllDirectories);
  if (restrict != nullptr && restrict(kSearchSystem32)) return;
  // Without it (XP SP1 to Vista, 7 without the update) the current directory
  // at least leaves the search; Windows 2000 has neither.
  auto setDirectory = ResolveExport<SetDllDirectoryFn>(kernel, kSetDllDirectory);
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
    bound.enumPrinters =
        ResolveExport<decltype(bound.enumPrinters)>(module, "EnumPrintersA");
    bound.openPrinter =
        ResolveExport<decltype(bound.openPrinter)>(module, "OpenPrinterA");
    bound.getPrinter =
        ResolveExport<decltype(bound.getPrinter)>(module, "GetPrinterA");
    bound.getPrinterDriver = ResolveExport<decltype(bound.getPrinterDriver)>(
        module, "GetPrinterDriverA");
    bound.deleteForm =
        ResolveExport<decltype(bound.deleteForm)>(module, "DeleteFormA");
    bound.deletePrinter =
        ResolveExport<decltype(bound.deletePrinter)>(module, "DeletePrinter");
    bound.closePrinter =
        ResolveExport<decltype(bound.closePrinter)>(module, "ClosePrinter");
    return bound;
  }();
  return functions;
}

const VersionFunctions& VersionInfo() {
  static const VersionFunctions functions = [] {
    VersionFunctions bound;
    HMODULE module = LoadSystemLibrary(kVersionLibrary).release();
    bound.getFileVersionInfoSize =
        ResolveExport<decltype(bound.getFileVersionInfoSize)>(
            module, "GetFileVersionInfoSizeA");
    bound.getFileVersionInfo =
        ResolveExport<decltype(bound.getFileVersionInfo)>(
            module, "GetFileVersionInfoA");
    bound.verQueryValue =
        ResolveExport<decltype(bound.verQueryValue)>(module, "VerQueryValueA");
    return bound;
  }();
  return functions;
}

void ClosePrinterHandle(HANDLE printer) {
  (void)CallExport(Winspool().closePrinter, printer);
}

}  // namespace win32
