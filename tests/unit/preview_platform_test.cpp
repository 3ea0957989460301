// The preview's view of a simulated Windows: each write shows its effect to
// later reads through the view, and the simulated system itself is left as
// it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/preview/preview_platform.h"
#include "platform/win_constants.h"
#include "tests/common/found_names.h"
#include "tests/sim/outcome_code.h"
#include "tests/sim/sim_windows.h"

namespace {

constexpr RegRoot kHklm = RegRoot::LocalMachine;
using Strings = std::vector<std::string>;

class PreviewTest : public ::testing::Test {
 protected:
  // Seeds through `seed`, then takes the snapshot the test ends against.
  void Seeded() { before_ = sim.FullSnapshot(); }

  void TearDown() override {
    if (!before_.empty()) {
      EXPECT_EQ(sim.FullSnapshot(), before_) << "the preview changed the system";
    }
  }

  Strings SubkeysInView(const std::string& key) {
    RegistryKey opened;
    EXPECT_EQ(sim::CodeOf(view().registry.OpenKey(kHklm, key, win::kKeyRead, opened)), 0u);
    Strings names;
    if (!opened) return names;
    for (uint32_t index = 0;; ++index) {
      std::string name;
      const uint32_t status = sim::CodeOf(opened->EnumKey(index, name, 256));
      if (status != 0) {
        EXPECT_EQ(status, win::kErrorNoMoreItems);
        break;
      }
      names.push_back(name);
    }
    uint32_t count = 0;
    EXPECT_EQ(sim::CodeOf(opened->QuerySubkeyCount(count)), 0u);
    EXPECT_EQ(count, names.size());
    return names;
  }

  uint32_t OpenInView(const std::string& key) {
    RegistryKey opened;
    return sim::CodeOf(view().registry.OpenKey(kHklm, key, win::kKeyRead, opened));
  }

  Strings ListInView(const std::string& pattern) {
    return testfiles::FoundNames(view().files, pattern);
  }

  uint32_t AttributesInView(const std::string& path) {
    uint32_t attributes = 0;
    const Outcome read = view().files.GetAttributes(path, attributes);
    return read ? attributes : read.error;
  }

  Strings PrintersInView() {
    Strings names;
    uint32_t needed = 0;
    const Outcome sized = view().spooler.EnumPrinters2Size(needed);
    if (sized) {
      EXPECT_EQ(needed, 0u);
      return names;
    }
    std::vector<PrinterInfo2> printers;
    EXPECT_TRUE(view().spooler.EnumPrinters2(needed, printers).ok);
    for (const PrinterInfo2& printer : printers) names.push_back(printer.printerName);
    return names;
  }

  Platform& view() { return preview.Get(); }

  sim::SimWindows sim;
  PreviewPlatform preview{sim.platform()};

 private:
  std::string before_;
};

TEST_F(PreviewTest, DeletedRegistryTreesAndLinksAreGoneForLaterOpensEnumerationsAndCounts) {
  sim.SetString(kHklm, "SOFTWARE\\QD\\QdRk\\Model 80\\Sub", "v", "x");
  sim.CreateKey(kHklm, "SOFTWARE\\QD\\QdRk\\Model 90");
  sim.CreateKey(kHklm, "SOFTWARE\\QD\\QdRk\\Model 95");
  sim.CreateKey(kHklm, "SOFTWARE\\Target");
  sim.AddRegistryLink(kHklm, "SOFTWARE\\QD\\QdRk\\Link", kHklm, "SOFTWARE\\Target");
  Seeded();
  RegistryKey heldBefore;
  ASSERT_EQ(sim::CodeOf(view().registry.OpenKey(kHklm, "SOFTWARE\\QD\\QdRk\\Model 80\\Sub", win::kKeyRead,
                                    heldBefore)),
            0u);

  EXPECT_EQ(sim::CodeOf(view().registry.DeleteTree(kHklm, "software\\qd\\QDRK\\model 80")), 0u);
  EXPECT_EQ(OpenInView("SOFTWARE\\QD\\QdRk\\Model 80"), win::kErrorFileNotFound);
  EXPECT_EQ(OpenInView("SOFTWARE\\QD\\QdRk\\Model 80\\Sub"), win::kErrorFileNotFound);
  EXPECT_EQ(sim::CodeOf(view().registry.DeleteTree(kHklm, "SOFTWARE\\QD\\QdRk\\Model 80")),
            win::kErrorFileNotFound);
  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_NE(sim::CodeOf(heldBefore->QueryValue("v", type, nullptr, size)), 0u) << "a deleted key answers no more";

  EXPECT_EQ(sim::CodeOf(view().registry.DeleteLink(kHklm, "SOFTWARE\\QD\\QdRk\\Model 90")),
            win::kErrorInvalidParameter);
  EXPECT_EQ(sim::CodeOf(view().registry.DeleteLink(kHklm, "SOFTWARE\\QD\\QdRk\\Link")), 0u);
  RegistryKey link;
  EXPECT_EQ(sim::CodeOf(view().registry.OpenLink(kHklm, "SOFTWARE\\QD\\QdRk\\Link", win::kKeyRead, link)),
            win::kErrorFileNotFound);
  EXPECT_EQ(OpenInView("SOFTWARE\\Target"), 0u) << "the link's target stays";

  EXPECT_EQ(SubkeysInView("SOFTWARE\\QD\\QdRk"), (Strings{"Model 90", "Model 95"}));
  EXPECT_EQ(SubkeysInView("SOFTWARE\\QD"), Strings{"QdRk"});
  RegistryKey parent;
  ASSERT_EQ(sim::CodeOf(view().registry.OpenKey(kHklm, "SOFTWARE\\QD\\QdRk", win::kKeyRead, parent)), 0u);
  std::string name;
  EXPECT_EQ(sim::CodeOf(parent->EnumKey(1, name, 8)), win::kErrorMoreData) << "\"Model 95\" needs 9 characters";
}

TEST_F(PreviewTest, DeletedFilesAndDirectoriesVanishAndChangesShowInLaterReads) {
  sim.AddFile("C:\\Windows\\inf\\oem1.inf", "[Version]");
  sim.AddFile("C:\\Windows\\inf\\oem1.pnf");
  sim.AddFile("C:\\Windows\\inf\\oem2.inf", "", win::kFileAttributeReadOnly);
  sim.AddFile("C:\\Data\\Tree\\Sub\\a.dll");
  sim.AddFile("C:\\Data\\Report.json", "old");
  sim.AddFile("C:\\Data\\Report.new", "new");
  Seeded();

  EXPECT_TRUE(view().files.RemoveFile("c:\\windows\\INF\\oem1.inf").ok);
  EXPECT_EQ(AttributesInView("C:\\Windows\\inf\\oem1.inf"), win::kErrorFileNotFound);
  EXPECT_EQ(view().files.RemoveFile("C:\\Windows\\inf\\oem1.inf").error, win::kErrorFileNotFound);
  EXPECT_EQ(ListInView("C:\\Windows\\inf\\*.inf"), Strings{"oem2.inf"});
  EXPECT_EQ(ListInView("C:\\Windows\\inf\\oem1.*"), Strings{"oem1.pnf"});

  EXPECT_EQ(view().files.RemoveFile("C:\\Windows\\inf\\oem2.inf").error, win::kErrorAccessDenied)
      << "a read-only file is refused";
  EXPECT_TRUE(view().files.SetAttributes("C:\\Windows\\inf\\oem2.inf", win::kFileAttributeArchive).ok);
  EXPECT_EQ(AttributesInView("C:\\Windows\\inf\\oem2.inf"), win::kFileAttributeArchive);
  FindData entry;
  FindHandle listing;
  ASSERT_TRUE(view().files.FindFirst("C:\\Windows\\inf\\oem2.inf", entry, listing).ok);
  EXPECT_EQ(entry.attributes, win::kFileAttributeArchive);
  EXPECT_TRUE(view().files.RemoveFile("C:\\Windows\\inf\\oem2.inf").ok);

  EXPECT_EQ(view().files.RemoveDir("C:\\Data\\Tree").error, win::kErrorDirNotEmpty);
  EXPECT_EQ(view().files.RemoveDir("C:\\Data\\Report.json").error, win::kErrorDirectory);
  EXPECT_EQ(view().files.RemoveFile("C:\\Data\\Tree").error, win::kErrorAccessDenied);
  EXPECT_TRUE(view().files.RemoveFile("C:\\Data\\Tree\\Sub\\a.dll").ok);
  EXPECT_TRUE(view().files.RemoveDir("C:\\Data\\Tree\\Sub").ok);
  EXPECT_TRUE(view().files.RemoveDir("C:\\Data\\Tree").ok);
  EXPECT_EQ(AttributesInView("C:\\Data\\Tree\\Sub\\a.dll"), win::kErrorPathNotFound);
  EXPECT_EQ(view().files.FindFirst("C:\\Data\\Tree\\*", entry, listing).error,
            win::kErrorPathNotFound);

  EXPECT_TRUE(view().files.MakeDir("C:\\Data\\New").ok);
  EXPECT_EQ(view().files.MakeDir("C:\\Data\\New").error, win::kErrorAlreadyExists);
  EXPECT_EQ(view().files.MakeDir("C:\\Nowhere\\New").error, win::kErrorPathNotFound);
  EXPECT_EQ(AttributesInView("C:\\Data\\New"), win::kFileAttributeDirectory);
  EXPECT_EQ(ListInView("C:\\Data\\New\\*"), (Strings{".", ".."}));

  EXPECT_TRUE(view().files.MoveReplacing("C:\\Data\\Report.new", "C:\\Data\\Report.json").ok);
  EXPECT_EQ(AttributesInView("C:\\Data\\Report.new"), win::kErrorFileNotFound);
  Strings listed = ListInView("C:\\Data\\*");
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (Strings{".", "..", "New", "Report.json"}));
  File moved;
  ASSERT_TRUE(view().files.Open("C:\\Data\\Report.json", FileAccess::Read,
                                FileCreation::OpenExisting, true, moved)
                  .ok);
  char content[8] = {};
  uint32_t got = 0;
  ASSERT_TRUE(moved->Read(content, sizeof content, got).ok);
  EXPECT_EQ(std::string(content, got), "new");
  moved.reset();

  File written;
  EXPECT_EQ(view().files.Open("C:\\Data\\Report.json", FileAccess::ReadWrite,
                              FileCreation::OpenExisting, false, written)
                .error,
            win::kErrorAccessDenied)
      << "the view writes no file contents";
  EXPECT_EQ(view().files.OpenNoFollow("C:\\Data\\Other.txt", FileAccess::ReadWrite,
                                      FileCreation::CreateNew, written)
                .error,
            win::kErrorAccessDenied);
}

TEST_F(PreviewTest, OnlyTheProgramsOwnDirectoryIsWrittenAndNothingIsDeletedThere) {
  sim.AddFile("C:\\Work\\log\\old.log", "kept");
  preview.WriteOwnFilesIn("c:\\work\\LOG\\");
  EXPECT_EQ(view().files.MakeDir("C:\\Work\\log").error, win::kErrorAlreadyExists);
  File log;
  ASSERT_TRUE(view().files.OpenNoFollow("C:\\Work\\log\\purvex.log", FileAccess::ReadWrite,
                                        FileCreation::CreateNew, log)
                  .ok);
  ASSERT_TRUE(log->Write("line", 4).ok);
  log.reset();
  EXPECT_EQ(sim.ReadFile("C:\\Work\\log\\purvex.log"), std::string("line"));
  File elsewhere;
  EXPECT_EQ(view().files.OpenNoFollow("C:\\Work\\logs.txt", FileAccess::ReadWrite,
                                      FileCreation::CreateNew, elsewhere)
                .error,
            win::kErrorAccessDenied)
      << "a name that only begins like the directory is not in it";
  Seeded();
  EXPECT_TRUE(view().files.RemoveFile("C:\\Work\\log\\old.log").ok);
  EXPECT_EQ(AttributesInView("C:\\Work\\log\\old.log"), win::kErrorFileNotFound);
  EXPECT_EQ(view().files.OpenNoFollow("C:\\Work\\log\\old.log", FileAccess::ReadWrite,
                                      FileCreation::OpenExisting, log)
                .error,
            win::kErrorFileNotFound)
      << "a file removed in the view is not reached again for real";
}

TEST_F(PreviewTest, DeletedPrintersAndFormsAreGoneForLaterEnumerationsAndOpens) {
  sim.AddDriver({"Korvex 80 Driver", "Korvex", std::nullopt, "", {}, 3});
  sim.AddPrinter({"Korvex 80", "Korvex 80 Driver", "USB001", 0, std::nullopt, std::nullopt});
  sim.AddPrinter({"Korvex 80 (Copy 1)", "Korvex 80 Driver", "USB002", 0, std::nullopt,
                  std::nullopt});
  Seeded();

  PrinterHandle printer;
  ASSERT_TRUE(view().spooler.Open("Korvex 80", win::kPrinterAllAccess, printer).ok);
  EXPECT_TRUE(printer->RemoveForm("Model 80x200mm").ok);
  EXPECT_FALSE(printer->RemoveForm("MODEL 80X200MM").ok) << "a form goes once";
  EXPECT_TRUE(printer->RemovePrinter().ok);
  EXPECT_TRUE(printer->Close().ok);
  EXPECT_EQ(PrintersInView(), Strings{"Korvex 80 (Copy 1)"});
  EXPECT_EQ(view().spooler.Open("KORVEX 80", 0, printer).error, win::kErrorInvalidPrinterName);
  EXPECT_EQ(OpenInView(std::string(sim::kPrintersKey) + "\\Korvex 80"), win::kErrorFileNotFound);

  ASSERT_TRUE(view().spooler.Open("Korvex 80 (Copy 1)", win::kPrinterAllAccess, printer).ok);
  EXPECT_TRUE(printer->RemovePrinter().ok);
  EXPECT_TRUE(printer->Close().ok);
  EXPECT_EQ(PrintersInView(), Strings{}) << "with none left the spooler answers as with none";
}

TEST_F(PreviewTest, ServicesStopStartAndGoAsStateOnly) {
  sim.AddService("VomuUsb", /*running=*/true);
  Seeded();
  ServiceManager manager;
  ASSERT_TRUE(view().services.OpenManager(win::kScManagerConnect, manager).ok);
  {
    ServiceHandle spooler;
    ASSERT_TRUE(manager->Open("spooler", win::kServiceAllAccess, spooler).ok);
    uint32_t state = 0;
    EXPECT_TRUE(spooler->Control(win::kServiceControlStop).ok);
    ASSERT_TRUE(spooler->QueryState(state).ok);
    EXPECT_EQ(state, win::kServiceStopped);
    EXPECT_EQ(spooler->Control(win::kServiceControlStop).error, win::kErrorServiceNotActive);
    EXPECT_TRUE(spooler->Start().ok);
    ASSERT_TRUE(spooler->QueryState(state).ok);
    EXPECT_EQ(state, win::kServiceRunning);
    EXPECT_EQ(spooler->Start().error, win::kErrorServiceAlreadyRunning);
  }
  {
    ServiceHandle port;
    ASSERT_TRUE(manager->Open("vomuusb", win::kDelete | win::kServiceStop, port).ok);
    EXPECT_TRUE(port->Control(win::kServiceControlStop).ok);
    EXPECT_TRUE(port->Delete().ok);
    EXPECT_FALSE(port->Delete().ok);
    ServiceHandle again;
    EXPECT_FALSE(manager->Open("VomuUsb", win::kServiceAllAccess, again).ok)
        << "marked for deletion while a handle is open";
    EXPECT_EQ(OpenInView(std::string(sim::kServicesKey) + "\\VomuUsb"), 0u);
  }
  ServiceHandle gone;
  EXPECT_EQ(manager->Open("VomuUsb", win::kServiceAllAccess, gone).error,
            win::kErrorServiceDoesNotExist);
  EXPECT_EQ(OpenInView(std::string(sim::kServicesKey) + "\\VomuUsb"), win::kErrorFileNotFound);
}

TEST_F(PreviewTest, RemovedDevicesKeepTheirPlaceInTheirSetAndAreGoneFromLaterOnes) {
  const std::string first = "USB\\VID_0E7B&PID_0103&MI_01\\6&1A2B3C4D&0&0001";
  const std::string second = "USB\\VID_0E7B&PID_0105&MI_01\\6&5E6F7A8B&0&0001";
  sim.AddDevice({first, {"USB\\VID_0E7B&PID_0103&MI_01"}, "VomuUsb", std::nullopt, std::nullopt});
  sim.AddDevice({second, {"USB\\VID_0E7B&PID_0105&MI_01"}, "VomuUsb", std::nullopt, std::nullopt});
  Seeded();
  auto ids = [&](IDeviceInfoSet& set) {
    Strings out;
    for (uint32_t index = 0; set.EnumDevice(index); ++index) {
      std::string id;
      EXPECT_TRUE(set.GetInstanceId(index, id).ok);
      out.push_back(id);
    }
    return out;
  };

  DeviceInfoSet all;
  ASSERT_TRUE(view().devices.GetClassDevs(win::kDigcfAllClasses, all).ok);
  ASSERT_EQ(ids(*all), (Strings{first, second}));
  EXPECT_TRUE(all->CallClassInstaller(win::kDifRemove, 0).ok);
  EXPECT_EQ(all->CallClassInstaller(win::kDifRemove, 0).error, win::kErrorNoSuchDevinst);
  EXPECT_EQ(ids(*all), (Strings{first, second})) << "indices stay while walking";

  DeviceInfoSet later;
  ASSERT_TRUE(view().devices.GetClassDevs(win::kDigcfAllClasses, later).ok);
  EXPECT_EQ(ids(*later), Strings{second});
  uint32_t type = 0;
  uint32_t required = 0;
  EXPECT_EQ(later->GetRegistryProperty(0, win::kSpdrpHardwareId, type, nullptr, 0, required).error,
            win::kErrorInsufficientBuffer)
      << "element 0 of the later set is the second device";
  EXPECT_GT(required, 0u);
  DeviceInfoSet one;
  EXPECT_EQ(view().devices.OpenDevice(first, one).error, win::kErrorNoSuchDevinst);
  EXPECT_EQ(OpenInView(std::string(sim::kEnumKey) + "\\" + first), win::kErrorFileNotFound);
  ASSERT_TRUE(view().devices.OpenDevice(second, one).ok);
  EXPECT_TRUE(one->CallClassInstaller(win::kDifRemove, 0).ok);
  ASSERT_TRUE(view().devices.GetClassDevs(win::kDigcfAllClasses, later).ok);
  EXPECT_EQ(ids(*later), Strings{});
}

TEST_F(PreviewTest, AnUninstalledPackageIsNoLongerInTheStoreAndItsFilesAreGone) {
  const std::string oem = "C:\\Windows\\inf\\oem12.inf";
  const std::string store = std::string(sim::kDriverStoreRepository) + "\\kx.inf_amd64_1\\kx.inf";
  sim.AddPackage(oem, store);
  sim.AddFile("C:\\Windows\\inf\\oem12.pnf");
  sim.AddFile(std::string(sim::kDriverStoreRepository) + "\\kx.inf_amd64_1\\kx.cat");
  Seeded();
  auto path = [&](const std::string& inf, uint32_t& status) {
    uint32_t length = 0;
    status = view().driverStore.GetPath(inf, nullptr, length);
    if (status != win::kErrorInsufficientBuffer) return std::string();
    std::string buffer(length, '\0');
    status = view().driverStore.GetPath(inf, buffer.data(), length);
    return std::string(buffer.c_str());
  };
  uint32_t status = 0;
  EXPECT_EQ(path(oem, status), store);
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(view().driverStore.Uninstall(store, 0), 0u);
  EXPECT_EQ(view().driverStore.Uninstall(store, 0), win::kErrorDriverPackageNotInStore);
  (void)path(oem, status);
  EXPECT_EQ(status, win::kErrorDriverPackageNotInStore);
  for (const std::string& gone : {oem, std::string("C:\\Windows\\inf\\oem12.pnf"), store}) {
    EXPECT_EQ(AttributesInView(gone), win::kErrorFileNotFound + (gone == store ? 1u : 0u)) << gone;
  }
}

TEST_F(PreviewTest, TheDriverDeletionCommandDeletesOnlyADriverNoPrinterUses) {
  sim.AddDriver({"Korvex 80 Driver", "Korvex", std::nullopt, "", {}, 3});
  sim.AddDriver({"Korvex 90 Driver", "Korvex", std::nullopt, "", {}, 3});
  sim.AddDriver({"Korvex Old", "Korvex", std::nullopt, "", {}, 2});
  sim.AddPrinter({"Korvex 90", "Korvex 90 Driver", "USB001", 0, std::nullopt, std::nullopt});
  Seeded();
  const std::string rundll = "C:\\Windows\\system32\\rundll32.exe";
  auto run = [&](const std::string& parameters) {
    return view().shell.Execute("open", rundll, parameters, "C:\\Windows\\system32\\", win::kSwHide);
  };
  EXPECT_GT(run("printui.dll,PrintUIEntry /dd /m \"Korvex 80 Driver\" /h \"x64\""),
            win::kShellExecuteSuccessAbove);
  EXPECT_EQ(OpenInView(sim.DriverKeyPath("Korvex 80 Driver")), win::kErrorFileNotFound);
  EXPECT_GT(run("printui.dll,PrintUIEntry /dd /m \"Korvex 90 Driver\" /h \"x64\""),
            win::kShellExecuteSuccessAbove);
  EXPECT_EQ(OpenInView(sim.DriverKeyPath("Korvex 90 Driver")), 0u) << "a printer still uses it";
  (void)run("printui.dll,PrintUIEntry /dd /m \"Korvex Old\" /h \"Intel\" /v \"Windows NT 4.0 or 2000\"");
  EXPECT_EQ(OpenInView(sim.DriverKeyPath("Korvex Old", 2)), win::kErrorFileNotFound);

  uint32_t exitCode = 1;
  EXPECT_TRUE(view().shell.RunProcess("C:\\Windows\\system32\\takeown.exe", {"/f", "C:\\x"}, 1000,
                                      exitCode)
                  .ok);
  EXPECT_EQ(exitCode, 0u);
}

TEST_F(PreviewTest, WaitsReturnAtOnceAndOwnershipIsAnsweredWithoutChange) {
  sim.AddDir("C:\\Program Files\\Korvex\\QdConsole");
  sim.SetOwnedByOther("C:\\Program Files\\Korvex\\QdConsole");
  Seeded();
  view().clock.Sleep(60000);
  StopSignal stop;
  view().clock.SleepUnlessStopped(60000, stop);
  EXPECT_TRUE(sim.Sleeps().empty());
  EXPECT_EQ(sim.NowMs(), 0u);

  Sid user;
  ASSERT_TRUE(view().security.CurrentUserSid(user).ok);
  EXPECT_TRUE(view().security.TakeOwnership("C:\\Program Files\\Korvex\\QdConsole", user).ok);
  EXPECT_TRUE(view().security.GrantFullControl("C:\\Program Files\\Korvex\\QdConsole", user).ok);
  EXPECT_EQ(view().security.TakeOwnership("C:\\Program Files\\Korvex\\Gone", user).error,
            win::kErrorFileNotFound);
}

}  // namespace
