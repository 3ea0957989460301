// The spooler seen through the preview: a deleted printer is gone from later
// enumerations and opens, with its spooler key; a deleted form cannot be
// deleted again.
#include <string>
#include <vector>

#include "platform/preview/preview_state.h"
#include "platform/win_constants.h"

namespace preview {
namespace {

constexpr uint32_t kErrorInvalidFormName = 1902;
constexpr const char* kPrintersKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";

class PreviewPrinter : public IPrinterHandle {
 public:
  PreviewPrinter(State& state, std::string name, PrinterHandle real)
      : state_(state), name_(std::move(name)), real_(std::move(real)) {}

  Outcome GetPrinter2Size(uint32_t& needed) override { return real_->GetPrinter2Size(needed); }
  Outcome GetPrinter2(uint32_t bufferSize, PrinterInfo2& out) override {
    return real_->GetPrinter2(bufferSize, out);
  }
  Outcome GetDriver6Size(uint32_t& needed) override { return real_->GetDriver6Size(needed); }
  Outcome GetDriver6(uint32_t bufferSize, DriverInfo6& out) override {
    return real_->GetDriver6(bufferSize, out);
  }

  Outcome RemoveForm(const std::string& form) override {
    auto lock = state_.Lock();
    if (!state_.forms.insert(NameKey(form)).second) {
      return Outcome::Failure(kErrorInvalidFormName);
    }
    return Outcome::Success();
  }

  Outcome RemovePrinter() override {
    auto lock = state_.Lock();
    if (!state_.printers.insert(NameKey(name_)).second) {
      return Outcome::Failure(win::kErrorInvalidPrinterName);
    }
    state_.RemoveKey(RegRoot::LocalMachine, std::string(kPrintersKey) + "\\" + name_);
    return Outcome::Success();
  }

  Outcome Close() override { return real_->Close(); }

 private:
  State& state_;
  std::string name_;
  PrinterHandle real_;
};

class PreviewSpooler : public ISpooler {
 public:
  explicit PreviewSpooler(State& state) : state_(state) {}

  Outcome EnumPrinters2Size(uint32_t& needed) override {
    auto lock = state_.Lock();
    const Outcome sized = state_.real.spooler.EnumPrinters2Size(needed);
    if (state_.printers.empty() || sized || sized.error != win::kErrorInsufficientBuffer) {
      return sized;
    }
    // With every printer deleted the spooler answers as it does with none.
    std::vector<PrinterInfo2> listed;
    if (state_.ViewPrinters(listed) && listed.empty()) {
      needed = 0;
      return Outcome::Success();
    }
    return sized;
  }

  Outcome EnumPrinters2(uint32_t bufferSize, std::vector<PrinterInfo2>& out) override {
    auto lock = state_.Lock();
    const Outcome listed = state_.real.spooler.EnumPrinters2(bufferSize, out);
    if (!listed) return listed;
    std::vector<PrinterInfo2> kept;
    for (PrinterInfo2& printer : out) {
      if (state_.printers.count(NameKey(printer.printerName)) == 0) {
        kept.push_back(std::move(printer));
      }
    }
    out = std::move(kept);
    return Outcome::Success();
  }

  Outcome Open(const std::string& name, uint32_t desiredAccess, PrinterHandle& out) override {
    auto lock = state_.Lock();
    if (state_.printers.count(NameKey(name)) != 0) {
      return Outcome::Failure(win::kErrorInvalidPrinterName);
    }
    PrinterHandle real;
    const Outcome opened = state_.real.spooler.Open(name, desiredAccess, real);
    if (!opened) return opened;
    out = std::make_unique<PreviewPrinter>(state_, name, std::move(real));
    return Outcome::Success();
  }

 private:
  State& state_;
};

}  // namespace

std::unique_ptr<ISpooler> MakeSpooler(State& state) {
  return std::make_unique<PreviewSpooler>(state);
}

}  // namespace preview
