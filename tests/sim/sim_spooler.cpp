// Print spooler over the simulated registry: drivers under the environment's
// driver keys, printers under Control\Print\Printers, as Windows keeps them.
#include <algorithm>

#include "platform/win_constants.h"
#include "tests/sim/sim_internal.h"

namespace sim {
namespace detail {
namespace {

constexpr uint32_t kErrorUnknownPrinterDriver = 1797;
// Sizes of the 64-bit PRINTER_INFO_2A and DRIVER_INFO_6A records; the
// strings follow them in the caller's buffer.
constexpr uint32_t kPrinterInfo2Size = 136;
constexpr uint32_t kDriverInfo6Size = 152;
constexpr const char* kVersion2Key =
    "SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-2";

uint32_t StringBytes(const std::string& s) { return static_cast<uint32_t>(s.size() + 1); }

// What the spooler reports of the printer whose key under Printers is
// `keyName`; the caller knows the key exists.
PrinterInfo2 PrinterOfKey(const SimWindows::Impl& impl, const std::string& keyName) {
  const std::string key = std::string(kPrintersKey) + "\\" + keyName;
  PrinterInfo2 info;
  info.printerName =
      impl.registry.String(RegRoot::LocalMachine, key, kNameValue).value_or(keyName);
  info.driverName =
      impl.registry.String(RegRoot::LocalMachine, key, kPrinterDriverValue).value_or("");
  info.portName = impl.registry.String(RegRoot::LocalMachine, key, kPortValue).value_or("");
  auto jobs = impl.jobs.find(Upper(keyName));
  info.jobs = jobs == impl.jobs.end() ? 0 : jobs->second;
  return info;
}

class SimPrinterHandle : public IPrinterHandle, Facility {
 public:
  SimPrinterHandle(SimWindows::Impl& impl, std::string keyName)
      : Facility(impl), keyName_(std::move(keyName)) {
    ++impl_.printerHandles;
  }

  ~SimPrinterHandle() override {
    auto lock = impl_.Lock();
    if (!closed_) --impl_.printerHandles;
  }

  Outcome GetPrinter2Size(uint32_t& needed) override {
    return RecordSize<PrinterInfo2>("GetPrinter2Size", needed);
  }

  Outcome GetPrinter2(uint32_t bufferSize, PrinterInfo2& out) override {
    return Record("GetPrinter2", bufferSize, out);
  }

  Outcome GetDriver6Size(uint32_t& needed) override {
    return RecordSize<DriverInfo6>("GetDriver6Size", needed);
  }

  Outcome GetDriver6(uint32_t bufferSize, DriverInfo6& out) override {
    return Record("GetDriver6", bufferSize, out);
  }

  Outcome RemoveForm(const std::string& form) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("RemoveForm", form)) return Fail(*code);
    if (closed_) return Fail(win::kErrorInvalidHandle);
    auto fault = impl_.formFaults.find(Upper(form));
    if (fault != impl_.formFaults.end() && fault->second.Fire()) {
      return Fail(fault->second.code);
    }
    impl_.removedForms.push_back({keyName_, form});
    return Outcome::Success();
  }

  Outcome RemovePrinter() override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("RemovePrinter", keyName_)) return Fail(*code);
    if (closed_) return Fail(win::kErrorInvalidHandle);
    const std::string key = std::string(kPrintersKey) + "\\" + keyName_;
    if (!impl_.registry.Delete(RegRoot::LocalMachine, key)) {
      return Fail(win::kErrorInvalidPrinterName);
    }
    impl_.jobs.erase(Upper(keyName_));
    auto& order = impl_.printerOrder;
    order.erase(std::remove_if(order.begin(), order.end(),
                               [&](const std::string& n) { return IEquals(n, keyName_); }),
                order.end());
    return Outcome::Success();
  }

  Outcome Close() override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("ClosePrinter", keyName_)) return Fail(*code);
    if (closed_) return Fail(win::kErrorInvalidHandle);
    closed_ = true;
    --impl_.printerHandles;
    return Outcome::Success();
  }

 private:
  // The two-call size protocol: asked for the size alone the call fails
  // with 122 and says how much to give; the contents need at least that.
  template <typename Info>
  Outcome RecordSize(const char* op, uint32_t& needed) {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter(op, keyName_)) return Fail(*code);
    Info info;
    if (Outcome read = Read(info); !read) return read;
    needed = Size(info);
    return Fail(win::kErrorInsufficientBuffer);
  }

  template <typename Info>
  Outcome Record(const char* op, uint32_t bufferSize, Info& out) {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter(op, keyName_)) return Fail(*code);
    Info info;
    if (Outcome read = Read(info); !read) return read;
    if (bufferSize < Size(info)) return Fail(win::kErrorInsufficientBuffer);
    out = info;
    return Outcome::Success();
  }

  Outcome Read(PrinterInfo2& info) const {
    if (closed_) return Fail(win::kErrorInvalidHandle);
    const std::string key = std::string(kPrintersKey) + "\\" + keyName_;
    if (!impl_.registry.Find(RegRoot::LocalMachine, key)) {
      return Fail(win::kErrorInvalidPrinterName);
    }
    info = PrinterOfKey(impl_, keyName_);
    return Outcome::Success();
  }

  Outcome Read(DriverInfo6& info) const {
    PrinterInfo2 printer;
    if (Outcome read = Read(printer); !read) return read;
    const std::string key = impl_.FindDriverKey(printer.driverName);
    if (key.empty()) return Fail(kErrorUnknownPrinterDriver);
    std::shared_ptr<RegNode> node = impl_.registry.Find(RegRoot::LocalMachine, key);
    info.name = node->name;
    info.manufacturer =
        impl_.registry.String(RegRoot::LocalMachine, key, kManufacturerValue).value_or("");
    std::optional<std::string> hardwareId =
        impl_.registry.String(RegRoot::LocalMachine, key, kHardwareIdValue);
    info.hasHardwareId = hardwareId.has_value();
    info.hardwareId = hardwareId.value_or("");
    return Outcome::Success();
  }

  static uint32_t Size(const PrinterInfo2& info) {
    return kPrinterInfo2Size + StringBytes(info.printerName) + StringBytes(info.driverName) +
           StringBytes(info.portName);
  }

  static uint32_t Size(const DriverInfo6& info) {
    return kDriverInfo6Size + StringBytes(info.name) + StringBytes(info.manufacturer) +
           (info.hasHardwareId ? StringBytes(info.hardwareId) : 0);
  }

  std::string keyName_;
  bool closed_ = false;
};

class SimSpooler : public ISpooler, Facility {
 public:
  using Facility::Facility;

  Outcome EnumPrinters2Size(uint32_t& needed) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("EnumPrinters2Size", "")) return Fail(*code);
    needed = Needed();
    if (needed == 0) return Outcome::Success();
    return Fail(win::kErrorInsufficientBuffer);
  }

  Outcome EnumPrinters2(uint32_t bufferSize, std::vector<PrinterInfo2>& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("EnumPrinters2", "")) return Fail(*code);
    if (bufferSize < Needed()) return Fail(win::kErrorInsufficientBuffer);
    out = List();
    return Outcome::Success();
  }

  Outcome Open(const std::string& name, uint32_t desiredAccess, PrinterHandle& out) override {
    auto lock = impl_.Lock();
    if (auto code = impl_.Enter("OpenPrinter", name)) return Fail(*code);
    (void)desiredAccess;
    auto fault = impl_.printerFaults.find(Upper(name));
    if (fault != impl_.printerFaults.end() && fault->second.Fire()) {
      return Fail(fault->second.code);
    }
    const std::string keyName = impl_.PrinterKeyName(name);
    if (keyName.empty()) return Fail(win::kErrorInvalidPrinterName);
    out = std::make_unique<SimPrinterHandle>(impl_, keyName);
    return Outcome::Success();
  }

 private:
  std::vector<PrinterInfo2> List() const {
    std::vector<PrinterInfo2> printers;
    for (const std::string& keyName : impl_.PrinterKeyNames()) {
      printers.push_back(PrinterOfKey(impl_, keyName));
    }
    return printers;
  }

  uint32_t Needed() const {
    uint32_t needed = 0;
    for (const PrinterInfo2& info : List()) {
      needed += kPrinterInfo2Size + StringBytes(info.printerName) + StringBytes(info.driverName) +
                StringBytes(info.portName);
    }
    return needed;
  }
};

}  // namespace

std::unique_ptr<ISpooler> MakeSpooler(SimWindows::Impl& impl) {
  return std::make_unique<SimSpooler>(impl);
}

}  // namespace detail

std::string SimWindows::Impl::EnvName() const {
  switch (arch) {
    case win::kProcessorArchitectureAmd64: return "Windows x64";
    case win::kProcessorArchitectureIa64: return "Windows IA64";
    default: return "Windows NT x86";
  }
}

std::string SimWindows::Impl::DriverKey(const std::string& driver, int version) const {
  constexpr int kOldVersion = 2;
  std::string base = version == kOldVersion
                         ? std::string(detail::kVersion2Key)
                         : std::string(kPrintRootKey) + "\\Environments\\" + EnvName() +
                               "\\Drivers\\Version-3";
  return driver.empty() ? base : base + "\\" + driver;
}

std::string SimWindows::Impl::FindDriverKey(const std::string& driver) const {
  constexpr int kCurrentVersion = 3;
  constexpr int kOldVersion = 2;
  if (driver.empty()) return {};
  for (int version : {kCurrentVersion, kOldVersion}) {
    const std::string key = DriverKey(driver, version);
    if (registry.Find(RegRoot::LocalMachine, key)) return key;
  }
  return {};
}

std::vector<std::string> SimWindows::Impl::PrinterKeyNames() const {
  std::vector<std::string> names;
  std::shared_ptr<detail::RegNode> printers = registry.Find(RegRoot::LocalMachine, kPrintersKey);
  if (!printers) return names;
  for (const std::string& name : printerOrder) {
    auto it = printers->subkeys.find(detail::Upper(name));
    if (it != printers->subkeys.end()) names.push_back(it->second->name);
  }
  for (const auto& [upper, child] : printers->subkeys) {
    // A named copy: clang before 16 cannot capture a structured binding.
    const std::string& upperName = upper;
    const bool listed = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
      return detail::Upper(n) == upperName;
    });
    if (!listed) names.push_back(child->name);
  }
  return names;
}

std::string SimWindows::Impl::PrinterKeyName(const std::string& name) const {
  std::shared_ptr<detail::RegNode> node =
      registry.Find(RegRoot::LocalMachine, std::string(kPrintersKey) + "\\" + name);
  if (name.empty() || !node || detail::SplitPath(name).size() != 1) return {};
  return node->name;
}

std::string SimWindows::DriverKeyPath(const std::string& driver, int version) const {
  auto lock = impl_->Lock();
  return impl_->DriverKey(driver, version);
}

std::string SimWindows::EnvDriversKey() const {
  auto lock = impl_->Lock();
  return impl_->DriverKey("", 3);
}

void SimWindows::AddDriver(const DriverSpec& setup) {
  auto lock = impl_->Lock();
  const std::string key = impl_->DriverKey(setup.name, setup.version);
  impl_->registry.Create(RegRoot::LocalMachine, key);
  SetString(RegRoot::LocalMachine, key, kManufacturerValue, setup.manufacturer);
  if (setup.hardwareId) {
    SetString(RegRoot::LocalMachine, key, kHardwareIdValue, *setup.hardwareId);
  }
  SetString(RegRoot::LocalMachine, key, kInfPathValue, setup.infPath);
  SetMultiString(RegRoot::LocalMachine, key, kDependentFilesValue, setup.dependentFiles);
}

void SimWindows::AddPrinter(const PrinterSpec& setup) {
  auto lock = impl_->Lock();
  const std::string key = std::string(kPrintersKey) + "\\" + setup.name;
  SetString(RegRoot::LocalMachine, key, kNameValue, setup.name);
  SetString(RegRoot::LocalMachine, key, kPrinterDriverValue, setup.driver);
  SetString(RegRoot::LocalMachine, key, kPortValue, setup.port);
  impl_->jobs[detail::Upper(setup.name)] = setup.jobs;
  auto& order = impl_->printerOrder;
  order.erase(std::remove_if(order.begin(), order.end(),
                             [&](const std::string& n) { return detail::IEquals(n, setup.name); }),
              order.end());
  order.push_back(setup.name);
  const std::string soft = std::string(kPrintersSoftwareKeyPath) + "\\" + setup.name;
  if (setup.pnpDeviceInstanceId) {
    SetString(RegRoot::LocalMachine, soft + "\\PnPData", "DeviceInstanceId",
              *setup.pnpDeviceInstanceId);
  }
  if (setup.forms) {
    SetMultiString(RegRoot::LocalMachine, soft + "\\DsDriver", "printMediaSupported", *setup.forms);
  }
}

void SimWindows::SetJobs(const std::string& printer, uint32_t jobs) {
  auto lock = impl_->Lock();
  impl_->jobs[detail::Upper(printer)] = jobs;
}

bool SimWindows::PrinterExists(const std::string& name) const {
  auto lock = impl_->Lock();
  return !impl_->PrinterKeyName(name).empty();
}

bool SimWindows::DriverExists(const std::string& name) const {
  auto lock = impl_->Lock();
  return !impl_->FindDriverKey(name).empty();
}

std::vector<std::string> SimWindows::PrinterNames() const {
  auto lock = impl_->Lock();
  return impl_->PrinterKeyNames();
}

std::vector<FormRemoval> SimWindows::RemovedForms() const {
  return impl_->Load(&Impl::removedForms);
}

void SimWindows::FailRemoveForm(const std::string& form, uint32_t code, int count) {
  auto lock = impl_->Lock();
  impl_->formFaults[detail::Upper(form)] = {code, count};
}

void SimWindows::FailOpenPrinter(const std::string& printer, uint32_t code, int count) {
  auto lock = impl_->Lock();
  impl_->printerFaults[detail::Upper(printer)] = {code, count};
}

int SimWindows::OpenPrinterHandles() const { return impl_->Load(&Impl::printerHandles); }

}  // namespace sim
