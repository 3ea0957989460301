// The items a run reports against what it really did: every removed item is
// gone, every failed or kept one is still there, and nothing changed that no
// removed item accounts for.
#include <functional>
#include <set>
#include <sstream>

#include "app/preview_list.h"
#include "engine/run_items.h"
#include "platform/text.h"
#include "platform/win_constants.h"
#include "tests/unit/installed_page_fixture.h"

namespace page_test {
namespace {

const UsbPrinter kP1{"Korvex KP-103", "Korvex KP-103 Driver", "0103", "1A2B3C4D"};
const UsbPrinter kP2{"Korvex KP-105", "Korvex KP-105 Driver", "0105", "5E6F7A8B"};
struct CollectedItems : IRunItemSink {
  void Add(const RunItem& item) override { items.push_back(item); }
  std::vector<RunItem> items;
};

bool StartsWithPath(const std::string& path, const std::string& prefix) {
  const std::string p = text::Upper(path);
  const std::string q = text::Upper(prefix);
  return p.size() >= q.size() && p.compare(0, q.size(), q) == 0 &&
         (p.size() == q.size() || p[q.size()] == '\\' || p[q.size()] == ' ');
}

// "HKEY_LOCAL_MACHINE\x" as the simulation's dump spells it.
std::string DumpKeyName(const std::string& itemName) {
  for (const auto& [full, dump] : {std::pair<std::string, std::string>{"HKEY_LOCAL_MACHINE\\", "HKLM\\"},
                                   {"HKEY_CURRENT_USER\\", "HKCU\\"}}) {
    if (itemName.compare(0, full.size(), full) == 0) return dump + itemName.substr(full.size());
  }
  return itemName;
}

// The dump as one entry per line, a value line named by its key.
std::set<std::string> StateLines(const sim::SimWindows& sim, const std::string& logPath) {
  std::set<std::string> lines;
  std::istringstream in(sim.Snapshot());
  std::string line;
  std::string key;
  while (std::getline(in, line)) {
    if (line.compare(0, 4, "KEY ") == 0) key = line.substr(4);
    if (line.compare(0, 2, "  ") == 0) line = "KEY " + key + " |" + line;
    if (line.compare(0, 8, "SERVICE ") == 0 && text::Contains(text::Upper(line), "SPOOLER")) {
      continue;  // stopped and started again around the DLLs
    }
    if (text::Contains(text::Upper(line), text::Upper(logPath))) continue;
    lines.insert(line);
  }
  return lines;
}

enum class Seq { Selected, Checked };

struct Case {
  const char* name;
  std::function<void(class RunItemsTest&)> seed;
  Seq sequence;
  bool printer, driver, port;  // the check boxes, for Checked
  // Items the run must report, as "kind|name|result" with names in any case.
  std::vector<std::string> expected;
};

class RunItemsTest : public InstalledPageFixture, public ::testing::WithParamInterface<Case> {
 public:
  // Whether the thing an item names is on the system now.
  bool Present(const RunItem& item) const {
    switch (item.kind) {
      case RunItemKind::Printer:
        return sim.PrinterExists(item.name);
      case RunItemKind::Driver:
        return sim.KeyExists(RegRoot::LocalMachine, sim.DriverKeyPath(item.name, 3));
      case RunItemKind::File:
        return sim.Exists(item.name);
      case RunItemKind::Directory:
        // A directory kept before its path was read is named by where the
        // path is kept; the directory stays whatever it is.
        return item.name.compare(0, 5, "HKEY_") == 0 || sim.Exists(item.name);
      case RunItemKind::RegistryKey: {
        const std::string key = DumpKeyName(item.name);
        return sim.KeyExists(key.compare(0, 5, "HKCU\\") == 0 ? RegRoot::CurrentUser
                                                               : RegRoot::LocalMachine,
                             key.substr(5));
      }
      case RunItemKind::Service:
        return sim.ServiceExists(item.name);
      case RunItemKind::Device:
        for (const std::string& id : sim.DeviceIds()) {
          if (StartsWithPath(id, item.name)) return true;
        }
        return false;
      case RunItemKind::DriverPackage:
        return text::Contains(text::Upper(sim.Snapshot()), "<- " + text::Upper(item.name));
      case RunItemKind::Form:
        for (const auto& removed : sim.RemovedForms()) {
          if (removed.form == item.name) return false;
        }
        return true;
    }
    return false;
  }

  // Whether a removed item accounts for a line that left the state.
  bool Covered(const std::string& line, const std::vector<RunItem>& removed,
               const std::set<std::string>& before) const {
    for (const RunItem& item : removed) {
      std::string prefix;
      switch (item.kind) {
        case RunItemKind::Printer:
          if (StartsWithPath(line, std::string("KEY HKLM\\") + sim::kPrintersSoftwareKeyPath +
                                       "\\" + item.name)) {
            return true;
          }
          prefix = std::string("KEY HKLM\\") + sim::kPrintersKey + "\\" + item.name;
          break;
        case RunItemKind::Driver:
          prefix = "KEY HKLM\\" + sim.DriverKeyPath(item.name, 3);
          break;
        case RunItemKind::File:
          prefix = "FILE " + item.name;
          break;
        case RunItemKind::Directory:
          if (StartsWithPath(line, "DIR " + item.name) || StartsWithPath(line, "FILE " + item.name)) {
            return true;
          }
          continue;
        case RunItemKind::RegistryKey:
          prefix = "KEY " + DumpKeyName(item.name);
          break;
        case RunItemKind::Service:
          if (StartsWithPath(line, std::string("KEY HKLM\\") + sim::kServicesKey + "\\" +
                                       item.name)) {
            return true;
          }
          prefix = "SERVICE " + item.name;
          break;
        case RunItemKind::Device:
          prefix = std::string("KEY HKLM\\") + sim::kEnumKey + "\\" + item.name;
          break;
        case RunItemKind::DriverPackage: {
          // The store's uninstall takes the package's folder, its INF and PNF.
          const std::string pnf = item.name.substr(0, item.name.size() - 4) + ".pnf";
          if (StartsWithPath(line, "FILE " + item.name) || StartsWithPath(line, "FILE " + pnf)) {
            return true;
          }
          for (const std::string& package : before) {
            if (package.compare(0, 8, "PACKAGE ") != 0 ||
                !text::Contains(text::Upper(package), "<- " + text::Upper(item.name))) {
              continue;
            }
            if (package == line) return true;
            const std::string storeInf = package.substr(8, package.find(" <- ") - 8);
            const std::string folder = storeInf.substr(0, storeInf.rfind('\\'));
            if (StartsWithPath(line, "DIR " + folder) || StartsWithPath(line, "FILE " + folder)) {
              return true;
            }
          }
          continue;
        }
        case RunItemKind::Form:
          continue;
      }
      if (StartsWithPath(line, prefix)) return true;
    }
    return false;
  }
};

const char* ResultName(RunItemResult result) {
  switch (result) {
    case RunItemResult::Removed: return "Removed";
    case RunItemResult::Failed: return "Failed";
    case RunItemResult::Kept: return "Kept";
    case RunItemResult::WouldRemove: return "WouldRemove";
  }
  return "?";
}

std::string Describe(const RunItem& item) {
  return text::Upper(std::string(RunItemKindText(item.kind)) + "|" + item.name + "|" +
                     ResultName(item.result));
}

TEST_P(RunItemsTest, ReportedItemsMatchTheStateChange) {
  const Case& c = GetParam();
  c.seed(*this);
  Start();
  CollectedItems sink;
  Page().ItemSink = &sink;
  const std::set<std::string> before = StateLines(sim, dlg->Log.LogFilePath());

  if (c.sequence == Seq::Selected) {
    Page().UninstallSelectedPrinter();
  } else {
    simPage.SetCheck(IDC_CHECK_PRINTER, c.printer);
    simPage.SetCheck(IDC_CHECK_DRIVER, c.driver);
    simPage.SetCheck(IDC_CHECK_PORT_SERVICE, c.port);
    Page().UninstallCheckedComponents();
  }
  const std::set<std::string> after = StateLines(sim, dlg->Log.LogFilePath());

  std::string all;
  for (const RunItem& item : sink.items) all += Describe(item) + " (" + item.reason + ")\n";
  SCOPED_TRACE(all);
  std::vector<RunItem> removed;
  std::set<std::string> described;
  for (const RunItem& item : sink.items) {
    described.insert(Describe(item));
    if (item.result == RunItemResult::Removed) {
      EXPECT_FALSE(Present(item)) << "reported removed but still there: " << Describe(item);
      removed.push_back(item);
    } else {
      EXPECT_TRUE(Present(item)) << "reported " << ResultName(item.result)
                                 << " but gone: " << Describe(item);
      if (item.result == RunItemResult::Kept) {
        EXPECT_FALSE(item.reason.empty()) << Describe(item);
      }
    }
  }
  for (const std::string& line : before) {
    if (after.count(line) != 0) continue;
    EXPECT_TRUE(Covered(line, removed, before)) << "changed with no removed item for it: " << line;
  }
  for (const std::string& line : after) {
    EXPECT_NE(before.count(line), 0u) << "appeared: " << line;
  }
  for (const std::string& want : c.expected) {
    EXPECT_EQ(described.count(text::Upper(want)), 1u) << "not reported: " << want;
  }
}

const std::string kBackupP1 =
    std::string(kSpoolDir) + CRemoveDrvPrn::BackupDirectoryName(kP1.HardwareId());

INSTANTIATE_TEST_SUITE_P(
    Installations, RunItemsTest,
    ::testing::Values(
        Case{"OnlyPrinterTakesEverything",
             [](RunItemsTest& t) { t.Install(kP1); },
             Seq::Selected, true, true, true,
             {"Printer|" + kP1.name + "|Removed", "Driver|" + kP1.driver + "|Removed",
              std::string("File|") + kDllPath + "|Removed",
              "File|" + Inf(kP1) + "|Removed",
              std::string("Service|VOMUUSB|Removed"),
              std::string("File|") + kPortDriverFile + "|Removed",
              std::string("Directory|") + kConsoleDir + "|Removed",
              "Registry key|HKEY_CURRENT_USER\\SOFTWARE\\QD\\QdRk\\" + kP1.name + "|Removed",
              "Registry key|HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRkTx\\" + kP1.name + "|Removed"}},
        Case{"SharedDriverAndPortServiceStay",
             [](RunItemsTest& t) {
               t.Install(kP1);
               UsbPrinter other = kP2;
               other.driver = kP1.driver;
               t.Install(other, /*ownDriver=*/false);
             },
             Seq::Selected, true, true, true,
             {"Printer|" + kP1.name + "|Removed", "Driver|" + kP1.driver + "|Kept"}},
        Case{"DllOfAnotherDriverStays",
             [](RunItemsTest& t) {
               t.Install(kP1);
               t.Install(kP2);
             },
             Seq::Checked, true, true, false,
             {"Printer|" + kP1.name + "|Removed", "Driver|" + kP1.driver + "|Removed",
              std::string("File|") + kDllPath + "|Kept"}},
        Case{"ControlPanelPathOutsideProgramFilesStays",
             [](RunItemsTest& t) {
               t.Install(kP1);
               t.sim.SetString(RegRoot::CurrentUser, kConsoleSettings, "Path", "C:\\Windows");
             },
             Seq::Selected, true, true, true,
             {"Directory|C:\\Windows|Kept"}},
        Case{"ControlPanelKeyLinkIsNotFollowed",
             [](RunItemsTest& t) {
               t.Install(kP1);
               t.sim.DeleteKey(RegRoot::CurrentUser, "Software\\Korvex\\QdConsole");
               t.sim.SetString(RegRoot::CurrentUser, "Software\\Other\\App. settings", "Path",
                               kConsoleDir);
               t.sim.AddRegistryLink(RegRoot::CurrentUser, "Software\\Korvex\\QdConsole",
                                     RegRoot::CurrentUser, "Software\\Other");
             },
             Seq::Selected, true, true, true,
             {"Registry key|HKEY_CURRENT_USER\\Software\\Korvex\\QdConsole|Removed",
              std::string("Directory|HKEY_CURRENT_USER\\") + kConsoleSettings + "\\Path|Kept"}},
        Case{"UndeletableDllFails",
             [](RunItemsTest& t) {
               t.Install(kP1);
               t.sim.FailWhere("RemoveFile", kDllPath, win::kErrorAccessDenied, 5);
             },
             Seq::Checked, true, true, false,
             {std::string("File|") + kDllPath + "|Failed"}},
        Case{"PackageThatCannotBeLookedUpKeepsItsInf",
             [](RunItemsTest& t) {
               t.Install(kP1);
               t.sim.AddPackage(Inf(kP1), kP1.InfPath());
               t.sim.FailWhere("DriverPackageGetPath", Inf(kP1),
                               win::kErrorUnsupportedType, 2);
             },
             Seq::Selected, true, true, true,
             {"File|" + Inf(kP1) + "|Kept"}},
        Case{"PortServiceAlone",
             [](RunItemsTest& t) { t.Install(kP1); },
             Seq::Checked, false, false, true,
             {std::string("Service|VOMUUSB|Removed"),
              "Device entry|USB\\" + kP1.VidPid() + "&MI_01|Removed"}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Clean system tells of each leftover device entry it takes and of none it
// leaves: the entry of a listed printer stays unreported.
TEST_F(PageFixture, CleanSystemReportsTheEntriesItRemoves) {
  sim::DeviceSpec lone;
  lone.instanceId = "USB\\VID_0E7B&PID_0107\\SN9";
  lone.hardwareIds = {"USB\\VID_0E7B&PID_0107"};
  sim.AddDevice(lone);
  sim.AddService("spooler", true);
  AddUsbPrinter(kP1);
  Start();
  CollectedItems sink;
  Page().ItemSink = &sink;
  Page().OnCleanSystemClicked();
  ASSERT_EQ(sink.items.size(), 1u);
  EXPECT_EQ(sink.items[0].kind, RunItemKind::Device);
  EXPECT_EQ(sink.items[0].name, "USB\\VID_0E7B&PID_0107");
  EXPECT_EQ(sink.items[0].result, RunItemResult::Removed);
  EXPECT_FALSE(sim.DeviceExists(lone.instanceId));
  EXPECT_TRUE(sim.DeviceExists(kP1.Interface0()));
}

// The port service kept for another printer says which one.
TEST_F(PageFixture, KeptPortServiceNamesThePrinterThatUsesIt) {
  // Two printers on the one port service, the driver of neither shared: the
  // selected printer's driver goes, the service stays for the other.
  sim.AddService("spooler", true);
  sim.AddService(kPortService, true);
  AddUsbPrinter(kP1);
  AddUsbPrinter(kP2);
  Start();
  CollectedItems sink;
  Page().ItemSink = &sink;
  (void)Page().IsVomuStillUsed();
  ASSERT_EQ(sink.items.size(), 1u);
  EXPECT_EQ(sink.items[0].kind, RunItemKind::Service);
  EXPECT_EQ(sink.items[0].result, RunItemResult::Kept);
  EXPECT_TRUE(text::Contains(sink.items[0].reason, kP2.name) ||
              text::Contains(sink.items[0].reason, kP1.name))
      << sink.items[0].reason;
}

}  // namespace
}  // namespace page_test
