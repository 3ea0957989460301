// Installations for the sequence scenarios.
#include "profile.h"

namespace seed {

namespace {

// The queue that "shared" adds next to the maker installation: the same
// model installed a second time on the same port, so both queues use the one
// driver.
const char* const kModel80 = "Korvex Model 80";
const char* const kModel80Second = "Korvex Model 80 Office";

// What the maker's installer leaves on the NT 5 generation instead of the
// driver store: a backup directory named after the hardware id in the
// spooler's driver directory, and a backup below DRVSTORE whose INF names the
// hardware id. The other DRVSTORE directory belongs to somebody else.
Profile BackupProfile() {
  Profile p = NewProfile("backup", "the NT 5 driver backup directories of Korvex Model 80 next to another vendor's DRVSTORE backup");
  p.files = {
      {"C:\\windows\\system32\\spool\\drivers\\x64\\vid_0e7b_pid_0105_mi_00\\korvexmodel80.gpd", "backup copy"},
      {"C:\\windows\\system32\\spool\\drivers\\x64\\vid_0e7b_pid_0105_mi_00\\sub\\korvex80.dll", "backup copy"},
      {"C:\\windows\\system32\\DRVSTORE\\korvex80_1a2b3c4d\\korvex80.inf",
       "[Version]\r\nProvider=Korvex\r\n\"Korvex Model 80\" = Model80, USB\\VID_0E7B&PID_0105&MI_00\r\n"},
      {"C:\\windows\\system32\\DRVSTORE\\korvex80_1a2b3c4d\\korvexmodel80.gpd", "backup copy"},
      {"C:\\windows\\system32\\DRVSTORE\\other_99887766\\other.inf",
       "[Version]\r\nProvider=Other\r\n\"Other\" = X, USB\\VID_1234&PID_0001\r\n"},
  };
  return p;
}

Profile SharedDriverProfile() {
  Profile p = NewProfile("shared", "a second queue \"Korvex Model 80 Office\" of the maker's driver (seed after maker)");
  // The driver is added again with the maker's own files, so that its
  // dependent files stay what the maker profile gave it.
  p.printers.push_back({kModel80Second, kModel80, "Korvex", "USB\\VID_0E7B&PID_0105&MI_00",
                        "C:\\windows\\System32\\DriverStore\\FileRepository\\korvex80.inf_amd64_neutral_4f3e2d1c\\korvex80.inf",
                        "USB001", nullptr, {"Model 80x200mm", "Model 80x100mm", "A4"},
                        {"QdRk.dll", "QdVuRk.dll", "QdRkTx.dll", "korvex80res.dll"}});
  AddProductKeys(p, kModel80Second, {{"QdRk", "Port", "USB001"}, {"QdRkTx", "Mode", "1"}});
  return p;
}

// A second model of the maker on its own driver and its own composite USB
// device, whose interface 1 also runs the port service: removing either
// printer must keep the port service and the DLLs the other still uses.
Profile SecondModelProfile() {
  Profile p = NewProfile("second", "a second Korvex USB printer \"Korvex Model 58\" on its own driver, sharing the port service");
  p.printers.push_back({"Korvex Model 58", "Korvex Model 58", "Korvex", "USB\\VID_0E7B&PID_0106&MI_00",
                        "C:\\windows\\System32\\DriverStore\\FileRepository\\korvex58.inf_amd64_neutral_5a6b7c8d\\korvex58.inf",
                        "USB002", "USBPRINT\\KORVEXMODEL_58\\7&5E6F7A8B&0&USB002",
                        {"Model 58x100mm", "A4"},
                        {"QdRk.dll", "QdRkTx.dll", "korvex58res.dll"}});
  AddCompositeUsbPrinter(p, {"0106", "KVX58000001", "6&3d4e5f60&0", "7&5e6f7a8b&0", "58", "USB002"});
  AddDriverPackage(p, {"oem14",
                       "C:\\windows\\System32\\DriverStore\\FileRepository\\korvex58.inf_amd64_neutral_5a6b7c8d\\korvex58.inf",
                       "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\nProvider=Korvex\r\n[Korvex]\r\n"
                       "\"Korvex Model 58\" = Model58, USB\\VID_0E7B&PID_0106&MI_00\r\n",
                       "[Version]\r\nProvider=Korvex\r\n\"Korvex Model 58\" = Model58, USB\\VID_0E7B&PID_0106&MI_00\r\n",
                       "precompiled oem14"});
  p.files.push_back({"C:\\windows\\system32\\spool\\drivers\\x64\\PCC\\korvex58.inf_amd64_neutral_5a6b7c8d.cab", "cabinet"});
  AddProductKeys(p, "Korvex Model 58",
                 {{"QdRk", "Port", "USB002"}, {"QdRkTx", "Mode", "1"}, {"QdRkDriverInfo", "Version", "1.0"}});
  return p;
}

}  // namespace

std::vector<Profile> SequenceProfiles() { return {BackupProfile(), SharedDriverProfile(), SecondModelProfile()}; }

}  // namespace seed
