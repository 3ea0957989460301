// What printer enumeration and removal rely on from winspool: the two-call
// size protocol, the missing-printer error, level 2 and level 6 contents.
#include <algorithm>

#include "platform/win_constants.h"
#include "tests/contract/contract_fixture.h"

namespace {

constexpr const char* kPrinter = "Purvex Contract Printer";
constexpr const char* kDriver = "Purvex Contract Driver";
constexpr const char* kManufacturer = "KORVEX";
constexpr const char* kHardwareId = "USBPRINT\\KORVEXCONTRACT0001";

class ContractSpooler : public ContractTest {
 protected:
  static std::vector<PrinterInfo2> Enumerate() {
    uint32_t needed = 0;
    Outcome size = P().spooler.EnumPrinters2Size(needed);
    if (size) {
      EXPECT_EQ(needed, 0u);
      return {};
    }
    ExpectSizeAsked(size);
    EXPECT_GT(needed, 0u);
    std::vector<PrinterInfo2> printers;
    EXPECT_TRUE(P().spooler.EnumPrinters2(needed, printers).ok);
    return printers;
  }

  void AddPrinterOrSkip() {
    if (!Env().InstallPrinter(kPrinter, kDriver, kManufacturer, kHardwareId)) {
      GTEST_SKIP() << "cannot install printers here";
    }
  }

  // The size call of the two-call protocol fails with 122 and names the size.
  static void ExpectSizeAsked(const Outcome& size) {
    EXPECT_FALSE(size.ok);
    EXPECT_EQ(size.error, win::kErrorInsufficientBuffer);
  }

  static PrinterHandle OpenPrinter() {
    PrinterHandle printer;
    Outcome opened = P().spooler.Open(kPrinter, win::kPrinterAllAccess, printer);
    EXPECT_TRUE(opened.ok) << opened.error;
    return printer;
  }
};

TEST_F(ContractSpooler, OpenMissingPrinterIsInvalidPrinterName) {
  PrinterHandle printer;
  Outcome opened = P().spooler.Open("Purvex No Such Printer", 0, printer);
  EXPECT_FALSE(opened.ok);
  EXPECT_EQ(opened.error, win::kErrorInvalidPrinterName);
}

TEST_F(ContractSpooler, EnumerationSizeProtocolHolds) {
  (void)Enumerate();
}

TEST_F(ContractSpooler, InstalledPrinterIsEnumeratedWithItsDriver) {
  AddPrinterOrSkip();
  std::vector<PrinterInfo2> printers = Enumerate();
  auto found = std::find_if(printers.begin(), printers.end(),
                            [](const PrinterInfo2& p) { return p.printerName == kPrinter; });
  ASSERT_NE(found, printers.end());
  EXPECT_EQ(found->driverName, kDriver);
}

TEST_F(ContractSpooler, EnumerationBufferOneByteShortFails) {
  AddPrinterOrSkip();
  uint32_t needed = 0;
  ASSERT_FALSE(P().spooler.EnumPrinters2Size(needed).ok);
  std::vector<PrinterInfo2> printers;
  Outcome shortCall = P().spooler.EnumPrinters2(needed - 1, printers);
  EXPECT_FALSE(shortCall.ok);
  EXPECT_EQ(shortCall.error, win::kErrorInsufficientBuffer);
}

// The contract printer installed and open for all access.
class ContractOpenPrinter : public ContractSpooler {
 protected:
  void SetUp() override {
    ContractSpooler::SetUp();
    AddPrinterOrSkip();
    if (IsSkipped()) return;
    printer_ = OpenPrinter();
    ASSERT_NE(printer_, nullptr);
  }

  // Closed while the side it belongs to is still there.
  void TearDown() override {
    printer_.reset();
    ContractSpooler::TearDown();
  }

  PrinterHandle printer_;
};

TEST_F(ContractOpenPrinter, PrinterLevel2SizeThenContents) {
  uint32_t needed = 0;
  ExpectSizeAsked(printer_->GetPrinter2Size(needed));
  ASSERT_GT(needed, 0u);
  PrinterInfo2 info;
  EXPECT_EQ(printer_->GetPrinter2(needed - 1, info).error, win::kErrorInsufficientBuffer);
  ASSERT_TRUE(printer_->GetPrinter2(needed, info).ok);
  EXPECT_EQ(info.printerName, kPrinter);
  EXPECT_EQ(info.driverName, kDriver);
  EXPECT_EQ(info.jobs, 0u);
  EXPECT_TRUE(printer_->Close().ok);
}

TEST_F(ContractOpenPrinter, DriverLevel6CarriesManufacturerAndHardwareId) {
  uint32_t needed = 0;
  ExpectSizeAsked(printer_->GetDriver6Size(needed));
  ASSERT_GT(needed, 0u);
  DriverInfo6 info;
  ASSERT_TRUE(printer_->GetDriver6(needed, info).ok);
  EXPECT_EQ(info.name, kDriver);
  EXPECT_EQ(info.manufacturer, kManufacturer);
  EXPECT_TRUE(info.hasHardwareId);
  EXPECT_EQ(info.hardwareId, kHardwareId);
}

TEST_F(ContractOpenPrinter, RemovedPrinterCannotBeOpenedAgain) {
  ASSERT_TRUE(printer_->RemovePrinter().ok);
  EXPECT_TRUE(printer_->Close().ok);
  printer_.reset();
  PrinterHandle again;
  EXPECT_EQ(P().spooler.Open(kPrinter, 0, again).error, win::kErrorInvalidPrinterName);
}

}  // namespace
