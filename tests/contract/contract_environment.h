#pragma once
// What a contract suite needs from the side it runs on: the Platform under
// test plus seeding and inspection primitives with real effects. The host
// side implements it over the simulation (host_environment.cpp), the Windows
// side over Win32 (win32_environment.cpp). Each side defines Env().
//
// Paths: registry paths are full paths below HKEY_CURRENT_USER, normally
// inside ScratchKey(); file paths are full paths, normally inside
// ScratchDir(). Both scratch areas are fresh (empty, existing) after
// BeginTest and are removed by EndTest.
//
// Optional facilities report "unsupported" (false / empty result); suites
// then skip the test.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

// Keeps a resource alive (an open file handle...) until destroyed.
class ContractToken {
 public:
  virtual ~ContractToken() = default;
};
using ContractHold = std::unique_ptr<ContractToken>;

struct ContractDevice {
  std::string instanceId;  // as SetupAPI reports it
};

struct ContractPackage {
  std::string oemInfPath;    // the package's INF in the INF directory
  std::string storeInfPath;  // its copy in the driver store
};

class ContractEnvironment {
 public:
  virtual ~ContractEnvironment() = default;

  virtual Platform& platform() = 0;

  // testName is unique per test and made of letters, digits and '_'.
  virtual void BeginTest(const std::string& testName) = 0;
  virtual void EndTest() = 0;

  // ---- registry (HKEY_CURRENT_USER) ----
  virtual std::string ScratchKey() = 0;  // "Software\PurvexContract\<test>"
  virtual bool CreateKey(const std::string& path) = 0;
  // REG_SZ including its terminator.
  virtual bool SetString(const std::string& path, const std::string& name,
                         const std::string& value) = 0;
  // Exactly these bytes with this type (e.g. a REG_SZ without terminator).
  virtual bool SetRaw(const std::string& path, const std::string& name, uint32_t type,
                      const std::vector<uint8_t>& data) = 0;
  virtual bool SetMultiString(const std::string& path, const std::string& name,
                              const std::vector<std::string>& values) = 0;
  virtual bool KeyExists(const std::string& path) = 0;
  // A registry link at path pointing at target (both below
  // HKEY_CURRENT_USER); false when unsupported.
  virtual bool CreateRegistryLink(const std::string& path, const std::string& target) = 0;

  // ---- files ----
  virtual std::string ScratchDir() = 0;  // no trailing backslash
  // Both create missing parent directories. PutFile writes content and then
  // sets exactly `attributes` (FILE_ATTRIBUTE_* bits, archive included).
  virtual bool CreateDir(const std::string& path) = 0;
  virtual bool PutFile(const std::string& path, const std::string& content,
                       uint32_t attributes) = 0;
  virtual bool PathExists(const std::string& path) = 0;
  // Opens the file without any sharing until the token is destroyed; null
  // when that failed.
  virtual ContractHold HoldOpen(const std::string& path) = 0;
  // A directory junction at path pointing at target; false when unsupported.
  virtual bool CreateJunction(const std::string& path, const std::string& target) = 0;
  // A second name of an existing file; false when unsupported.
  virtual bool MakeHardLink(const std::string& path, const std::string& existing) = 0;

  // ---- services ----
  // Creates a stopped, demand-start service of that name; false when
  // unsupported. EndTest removes it when still there.
  virtual bool CreateStoppedService(const std::string& name) = 0;
  virtual bool ServiceExists(const std::string& name) = 0;

  // ---- spooler ----
  // Installs a driver (Manufacturer, HardwareID written to its key) and a
  // printer using it on a local port; false when unsupported. EndTest removes
  // what is left.
  virtual bool InstallPrinter(const std::string& printer, const std::string& driver,
                          const std::string& manufacturer,
                          const std::string& hardwareId) = 0;

  // ---- devices ----
  // Registers a persistent device entry with these hardware ids and, when
  // not empty, this service; with symbolicName it also creates the hardware
  // key ("Device Parameters") holding "SymbolicName". nullopt when
  // unsupported. EndTest removes what is left.
  virtual std::optional<ContractDevice> CreateDevice(
      const std::vector<std::string>& hardwareIds, const std::string& service,
      const std::optional<std::string>& symbolicName) = 0;
  virtual bool DeviceExists(const std::string& instanceId) = 0;

  // ---- driver store ----
  // Adds a driver package built from an INF named infName; nullopt when
  // unsupported. EndTest removes what is left.
  virtual std::optional<ContractPackage> AddDriverPackage(const std::string& infName) = 0;

  // ---- clipboard ----
  // The clipboard's Unicode text (CF_UNICODETEXT) as UTF-8; none when it
  // holds no text or cannot be read.
  virtual std::optional<std::string> ClipboardText() = 0;
};

ContractEnvironment& Env();
