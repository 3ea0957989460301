#pragma once
#include <windows.h>

#include "platform/spooler.h"
#include "platform/win32/handles.h"

namespace win32 {

class Win32PrinterHandle : public IPrinterHandle {
 public:
  explicit Win32PrinterHandle(HANDLE printer) : printer_(printer) {}

  Outcome GetPrinter2Size(uint32_t& needed) override;
  Outcome GetPrinter2(uint32_t bufferSize, PrinterInfo2& out) override;
  Outcome GetDriver6Size(uint32_t& needed) override;
  Outcome GetDriver6(uint32_t bufferSize, DriverInfo6& out) override;
  Outcome RemoveForm(const std::string& form) override;
  Outcome RemovePrinter() override;
  Outcome Close() override;

 private:
  UniquePrinter printer_;
};

class Win32Spooler : public ISpooler {
 public:
  Outcome EnumPrinters2Size(uint32_t& needed) override;
  Outcome EnumPrinters2(uint32_t bufferSize,
                        std::vector<PrinterInfo2>& out) override;
  Outcome Open(const std::string& name, uint32_t desiredAccess,
               PrinterHandle& out) override;
};

}  // namespace win32
