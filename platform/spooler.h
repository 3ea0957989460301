#pragma once
// Print spooler boundary. The size-query/real-call protocol of winspool is
// kept as two calls so that each can fail on its own; buffers themselves
// stay inside the implementation and results come back as values.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/outcome.h"

struct PrinterInfo2 {
  std::string printerName;
  std::string driverName;
  std::string portName;
  uint32_t jobs = 0;  // cJobs
};

struct DriverInfo6 {
  std::string name;
  std::string manufacturer;
  bool hasHardwareId = false;  // pszHardwareID was non-null
  std::string hardwareId;
};

class IPrinterHandle {
 public:
  virtual ~IPrinterHandle() = default;  // ClosePrinter when still open
  // GetPrinterA level 2: size query (fails with 122 and needed > 0 normally).
  virtual Outcome GetPrinter2Size(uint32_t& needed) = 0;
  virtual Outcome GetPrinter2(uint32_t bufferSize, PrinterInfo2& out) = 0;
  // GetPrinterDriverA, default environment, level 6.
  virtual Outcome GetDriver6Size(uint32_t& needed) = 0;
  virtual Outcome GetDriver6(uint32_t bufferSize, DriverInfo6& out) = 0;
  virtual Outcome RemoveForm(const std::string& form) = 0;
  virtual Outcome RemovePrinter() = 0;
  // ClosePrinter now; the destructor then does nothing.
  virtual Outcome Close() = 0;
};

using PrinterHandle = std::unique_ptr<IPrinterHandle>;

class ISpooler {
 public:
  virtual ~ISpooler() = default;
  // EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, NULL, 0, &needed).
  // With printers installed it fails with 122 and reports the size; with
  // none it may succeed with needed 0.
  virtual Outcome EnumPrinters2Size(uint32_t& needed) = 0;
  // The real call with a buffer of bufferSize bytes.
  virtual Outcome EnumPrinters2(uint32_t bufferSize,
                                std::vector<PrinterInfo2>& out) = 0;
  // OpenPrinterA(name, &h, defaults) with the given desired access (0 = no
  // defaults record).
  virtual Outcome Open(const std::string& name, uint32_t desiredAccess,
                              PrinterHandle& out) = 0;
};
