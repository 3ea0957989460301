// The configuration library of the printer drivers that the contract tests
// install. The spooler asks it for the driver's DEVMODE while a printer is
// added (Wine ends the adding process when the export is missing); this one
// answers with a plain DEVMODEW and shows no user interface.
#include <windows.h>

#include <cstring>

namespace {

constexpr LONG kSheetOk = 1;
constexpr LONG kSheetError = -1;
constexpr WORD kDevModeSpecVersion = 0x0401;

// DOCUMENTPROPERTYHEADER of the printer-interface DDK, which MinGW lacks.
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

extern "C" LONG WINAPI DrvDocumentPropertySheets(void* sheetInfo,
                                                 LPARAM lParam) {
  auto* header = reinterpret_cast<DocumentPropertyHeader*>(lParam);
  if (sheetInfo != nullptr || header == nullptr) return kSheetError;
  const LONG size = sizeof(DEVMODEW);
  if (header->fMode == 0 || header->pdmOut == nullptr) {
    header->cbOut = size;
    return size;
  }
  DEVMODEW* out = header->pdmOut;
  std::memset(out, 0, sizeof(*out));
  if (header->pszPrinterName != nullptr) {
    lstrcpynW(out->dmDeviceName, header->pszPrinterName, CCHDEVICENAME);
  }
  out->dmSpecVersion = kDevModeSpecVersion;
  out->dmSize = sizeof(*out);
  return kSheetOk;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
