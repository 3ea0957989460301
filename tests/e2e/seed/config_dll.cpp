// Stand-in for a printer driver's configuration DLL, used by the seeding
// program. The spooler calls DrvDocumentPropertySheets while a printer is
// added, to learn the size of the driver's DEVMODE and to fetch its defaults;
// without the export the adding process crashes under Wine. This one answers
// with a plain DEVMODEW and has no user interface.
#include <windows.h>

#include <cstring>

namespace {

constexpr LONG kPropertySheetOk = 1;
constexpr LONG kPropertySheetError = -1;
constexpr WORD kDevModeSpecVersion = 0x0401;

// The header the spooler passes when it asks without a property-sheet UI.
struct DocumentPropertyHeader {
  WORD cbSize;
  WORD Reserved;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
  PDEVMODEW pdmIn;
  PDEVMODEW pdmOut;
  DWORD cbOut;
  DWORD fMode;
};

}  // namespace

extern "C" LONG WINAPI DrvDocumentPropertySheets(void* sheetInfo, LPARAM lParam) {
  if (sheetInfo) return kPropertySheetError;
  auto* header = reinterpret_cast<DocumentPropertyHeader*>(lParam);
  if (!header) return kPropertySheetError;
  const LONG size = sizeof(DEVMODEW);
  if (header->fMode == 0 || !header->pdmOut) {
    header->cbOut = size;
    return size;
  }
  DEVMODEW* out = header->pdmOut;
  std::memset(out, 0, sizeof(DEVMODEW));
  if (header->pszPrinterName) {
    lstrcpynW(out->dmDeviceName, header->pszPrinterName, CCHDEVICENAME);
  }
  out->dmSpecVersion = kDevModeSpecVersion;
  out->dmSize = sizeof(DEVMODEW);
  return kPropertySheetOk;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
