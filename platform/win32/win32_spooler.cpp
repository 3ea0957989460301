#include "platform/win32/win32_spooler.h"

#include <vector>

#include "platform/win32/last_error.h"
#include "platform/win32/system_library.h"

namespace win32 {
namespace {

constexpr DWORD kPrinterInfoLevel = 2;
constexpr DWORD kDriverInfoLevel = 6;

std::string Text(const char* s) { return s ? std::string(s) : std::string(); }

PrinterInfo2 ToValue(const PRINTER_INFO_2A& info) {
  PrinterInfo2 value;
  value.printerName = Text(info.pPrinterName);
  value.driverName = Text(info.pDriverName);
  value.portName = Text(info.pPortName);
  value.jobs = info.cJobs;
  return value;
}

// winspool fills the buffer with records followed by the strings they point
// to; operator new's alignment suits the records. One spare byte keeps a
// valid pointer for a zero size.
std::vector<BYTE> RecordBuffer(uint32_t size) {
  return std::vector<BYTE>(static_cast<size_t>(size) + 1, 0);
}

// The winspool prototypes take non-const strings they do not modify.
std::vector<char> Mutable(const std::string& s) {
  std::vector<char> copy(s.begin(), s.end());
  copy.push_back('\0');
  return copy;
}

Outcome InvalidHandle() { return Outcome::Failure(ERROR_INVALID_HANDLE); }

// winspool's two-call protocol: `fill(buffer, size, &needed)` asked with no
// buffer fails with 122 and says how much to give, then fills a buffer of
// at least that size.
template <typename Fill>
Outcome AskSize(Fill&& fill, uint32_t& needed) {
  DWORD size = 0;
  const Outcome result = CallWithLastError([&] { return fill(nullptr, 0, &size); });
  needed = size;
  return result;
}

template <typename Fill>
Outcome FillRecords(Fill&& fill, uint32_t bufferSize, std::vector<BYTE>& buffer) {
  buffer = RecordBuffer(bufferSize);
  DWORD needed = 0;
  return CallWithLastError([&] { return fill(buffer.data(), bufferSize, &needed); });
}

auto GetPrinterCall(HANDLE printer) {
  return [printer](BYTE* buffer, DWORD size, DWORD* needed) {
    return CallExport(Winspool().getPrinter, printer, kPrinterInfoLevel, buffer, size, needed);
  };
}

auto GetDriverCall(HANDLE printer) {
  return [printer](BYTE* buffer, DWORD size, DWORD* needed) {
    return CallExport(Winspool().getPrinterDriver, printer, nullptr, kDriverInfoLevel, buffer,
                      size, needed);
  };
}

auto EnumPrintersCall(DWORD& returned) {
  return [&returned](BYTE* buffer, DWORD size, DWORD* needed) {
    return CallExport(Winspool().enumPrinters, PRINTER_ENUM_LOCAL, nullptr, kPrinterInfoLevel,
                      buffer, size, needed, &returned);
  };
}

}  // namespace

Outcome Win32PrinterHandle::GetPrinter2Size(uint32_t& needed) {
  if (!printer_) return InvalidHandle();
  return AskSize(GetPrinterCall(printer_.get()), needed);
}

Outcome Win32PrinterHandle::GetPrinter2(uint32_t bufferSize,
                                        PrinterInfo2& out) {
  if (!printer_) return InvalidHandle();
  std::vector<BYTE> buffer;
  const Outcome result = FillRecords(GetPrinterCall(printer_.get()), bufferSize, buffer);
  if (result) {
    out = ToValue(*reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data()));
  }
  return result;
}

Outcome Win32PrinterHandle::GetDriver6Size(uint32_t& needed) {
  if (!printer_) return InvalidHandle();
  return AskSize(GetDriverCall(printer_.get()), needed);
}

Outcome Win32PrinterHandle::GetDriver6(uint32_t bufferSize,
                                       DriverInfo6& out) {
  if (!printer_) return InvalidHandle();
  std::vector<BYTE> buffer;
  const Outcome result = FillRecords(GetDriverCall(printer_.get()), bufferSize, buffer);
  if (result) {
    const auto& info = *reinterpret_cast<const DRIVER_INFO_6A*>(buffer.data());
    out = DriverInfo6{};
    out.name = Text(info.pName);
    out.manufacturer = Text(info.pszMfgName);
    out.hasHardwareId = info.pszHardwareID != nullptr;
    out.hardwareId = Text(info.pszHardwareID);
  }
  return result;
}

Outcome Win32PrinterHandle::RemoveForm(const std::string& form) {
  if (!printer_) return InvalidHandle();
  std::vector<char> name = Mutable(form);
  return CallWithLastError(
      [&] { return CallExport(Winspool().deleteForm, printer_.get(), name.data()); });
}

Outcome Win32PrinterHandle::RemovePrinter() {
  if (!printer_) return InvalidHandle();
  return CallWithLastError([&] { return CallExport(Winspool().deletePrinter, printer_.get()); });
}

Outcome Win32PrinterHandle::Close() {
  if (!printer_) return InvalidHandle();
  HANDLE printer = printer_.release();
  return CallWithLastError([&] { return CallExport(Winspool().closePrinter, printer); });
}

Outcome Win32Spooler::EnumPrinters2Size(uint32_t& needed) {
  DWORD returned = 0;
  return AskSize(EnumPrintersCall(returned), needed);
}

Outcome Win32Spooler::EnumPrinters2(uint32_t bufferSize,
                                    std::vector<PrinterInfo2>& out) {
  out.clear();
  DWORD returned = 0;
  std::vector<BYTE> buffer;
  const Outcome result = FillRecords(EnumPrintersCall(returned), bufferSize, buffer);
  if (result) {
    const auto* records =
        reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    out.reserve(returned);
    for (DWORD i = 0; i < returned; ++i) out.push_back(ToValue(records[i]));
  }
  return result;
}

Outcome Win32Spooler::Open(const std::string& name, uint32_t desiredAccess,
                           PrinterHandle& out) {
  out.reset();
  std::vector<char> printerName = Mutable(name);
  PRINTER_DEFAULTSA defaults{};
  defaults.DesiredAccess = desiredAccess;
  HANDLE printer = nullptr;
  const Outcome result = CallWithLastError([&] {
    return CallExport(Winspool().openPrinter, printerName.data(), &printer,
                        desiredAccess != 0 ? &defaults : nullptr);
  });
  if (result) out = std::make_unique<Win32PrinterHandle>(printer);
  return result;
}

}  // namespace win32
