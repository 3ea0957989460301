// The contract environment over the simulation: every test gets a fresh
// simulated Windows, seeded through the simulation's own API.
#include <algorithm>
#include <memory>

#include "platform/win_constants.h"
#include "tests/contract/contract_environment.h"
#include "tests/sim/sim_windows.h"

namespace {

constexpr const char* kScratchKeyBase = "Software\\PurvexContract";
constexpr const char* kScratchDirBase = "C:\\Temp\\PurvexContract";
constexpr const char* kContractDeviceEnumerator = "ROOT\\PURVEXCONTRACT";
constexpr const char* kContractStoreDir =
    "C:\\Windows\\System32\\DriverStore\\FileRepository";
constexpr const char* kContractInfDir = "C:\\Windows\\inf";

class FileHold : public ContractToken {
 public:
  explicit FileHold(File file) : file_(std::move(file)) {}

 private:
  File file_;
};

class HostEnvironment : public ContractEnvironment {
 public:
  Platform& platform() override { return sim_->platform(); }

  void BeginTest(const std::string& testName) override {
    sim_ = std::make_unique<sim::SimWindows>();
    scratchKey_ = std::string(kScratchKeyBase) + "\\" + testName;
    scratchDir_ = std::string(kScratchDirBase) + "\\" + testName;
    sim_->CreateKey(RegRoot::CurrentUser, scratchKey_);
    sim_->AddDir(scratchDir_);
    devices_ = 0;
  }

  void EndTest() override { sim_.reset(); }

  std::string ScratchKey() override { return scratchKey_; }

  bool CreateKey(const std::string& path) override {
    sim_->CreateKey(RegRoot::CurrentUser, path);
    return true;
  }

  bool SetString(const std::string& path, const std::string& name,
                 const std::string& value) override {
    sim_->SetString(RegRoot::CurrentUser, path, name, value);
    return true;
  }

  bool SetRaw(const std::string& path, const std::string& name, uint32_t type,
              const std::vector<uint8_t>& data) override {
    sim_->SetRawValue(RegRoot::CurrentUser, path, name, type, data);
    return true;
  }

  bool SetMultiString(const std::string& path, const std::string& name,
                      const std::vector<std::string>& values) override {
    sim_->SetMultiString(RegRoot::CurrentUser, path, name, values);
    return true;
  }

  bool KeyExists(const std::string& path) override {
    return sim_->KeyExists(RegRoot::CurrentUser, path);
  }

  std::string ScratchDir() override { return scratchDir_; }

  bool CreateDir(const std::string& path) override {
    sim_->AddDir(path);
    return true;
  }

  bool PutFile(const std::string& path, const std::string& content,
                  uint32_t attributes) override {
    sim_->AddFile(path, content, attributes & ~win::kFileAttributeNormal);
    return true;
  }

  bool PathExists(const std::string& path) override { return sim_->Exists(path); }

  ContractHold HoldOpen(const std::string& path) override {
    File file;
    if (!sim_->platform().files.Open(path, FileAccess::Read, FileCreation::OpenExisting,
                                     false, file)) {
      return nullptr;
    }
    return std::make_unique<FileHold>(std::move(file));
  }

  bool CreateRegistryLink(const std::string& path, const std::string& target) override {
    sim_->AddRegistryLink(RegRoot::CurrentUser, path, RegRoot::CurrentUser, target);
    return true;
  }

  bool CreateJunction(const std::string& path, const std::string& target) override {
    sim_->AddJunction(path, target);
    return true;
  }

  bool MakeHardLink(const std::string& path, const std::string& existing) override {
    sim_->AddHardLink(path, existing);
    return true;
  }

  bool CreateStoppedService(const std::string& name) override {
    sim_->AddService(name, false, false);
    return true;
  }

  bool ServiceExists(const std::string& name) override { return sim_->ServiceExists(name); }

  bool InstallPrinter(const std::string& printer, const std::string& driver,
                  const std::string& manufacturer, const std::string& hardwareId) override {
    sim::DriverSpec driverSpec;
    driverSpec.name = driver;
    driverSpec.manufacturer = manufacturer;
    driverSpec.hardwareId = hardwareId;
    sim_->AddDriver(driverSpec);
    sim::PrinterSpec printerSpec;
    printerSpec.name = printer;
    printerSpec.driver = driver;
    printerSpec.port = "FILE:";
    sim_->AddPrinter(printerSpec);
    return true;
  }

  std::optional<ContractDevice> CreateDevice(
      const std::vector<std::string>& hardwareIds, const std::string& service,
      const std::optional<std::string>& symbolicName) override {
    constexpr int kInstanceDigits = 4;
    std::string number = std::to_string(devices_++);
    number.insert(0, kInstanceDigits - std::min<size_t>(number.size(), kInstanceDigits), '0');
    sim::DeviceSpec deviceSpec;
    deviceSpec.instanceId = std::string(kContractDeviceEnumerator) + "\\" + number;
    deviceSpec.hardwareIds = hardwareIds;
    if (!service.empty()) deviceSpec.service = service;
    deviceSpec.symbolicName = symbolicName;
    sim_->AddDevice(deviceSpec);
    return ContractDevice{deviceSpec.instanceId};
  }

  bool DeviceExists(const std::string& instanceId) override {
    return sim_->DeviceExists(instanceId);
  }

  std::optional<ContractPackage> AddDriverPackage(const std::string& infName) override {
    const std::string oemInf = std::string(kContractInfDir) + "\\" + infName;
    const std::string storeInf =
        std::string(kContractStoreDir) + "\\" + infName + "_amd64_neutral_0123456789abcdef\\" + infName;
    sim_->AddPackage(oemInf, storeInf);
    return ContractPackage{oemInf, storeInf};
  }

  std::optional<std::string> ClipboardText() override { return sim_->ClipboardText(); }

 private:
  std::unique_ptr<sim::SimWindows> sim_ = std::make_unique<sim::SimWindows>();
  std::string scratchKey_;
  std::string scratchDir_;
  int devices_ = 0;
};

}  // namespace

ContractEnvironment& Env() {
  static HostEnvironment environment;
  return environment;
}
