// The base installations: the maker's printer, the canary next to it, and
// leftover device entries.
#include "profile.h"

namespace seed {

// The maker installation of one USB printer "Korvex Model 80": interface 0 of
// the composite USB device carries the printer, interface 1 the maker's port
// service VomuUsb.
const char* const kModel80 = "Korvex Model 80";
const char* const kModel80Store = "korvex80.inf_amd64_neutral_4f3e2d1c";

Profile MakerProfile() {
  Profile p = NewProfile("maker", "one Korvex USB printer with its driver, port service, INF files, DLLs and product keys");
  p.printers.push_back({kModel80, kModel80, "Korvex", "USB\\VID_0E7B&PID_0105&MI_00",
                        "C:\\windows\\System32\\DriverStore\\FileRepository\\korvex80.inf_amd64_neutral_4f3e2d1c\\korvex80.inf",
                        "USB001", "USBPRINT\\KORVEXMODEL_80\\7&1A2B3C4D&0&USB001",
                        {"Model 80x200mm", "Model 80x100mm", "A4"},
                        {"QdRk.dll", "QdVuRk.dll", "QdRkTx.dll", "korvex80res.dll"}});
  AddCompositeUsbPrinter(p, {"0105", "KVX80000001", "6&2c3d4e5f&0", "7&1a2b3c4d&0", "80", "USB001"});
  p.services = {{"VomuUsb", "Korvex USB printing port", "\\SystemRoot\\system32\\drivers\\VOMUUSB.sys"}};
  p.files = {{"C:\\windows\\system32\\drivers\\VOMUUSB.sys", "maker port driver"}};
  AddDriverPackage(p, {"oem12",
                       "C:\\windows\\System32\\DriverStore\\FileRepository\\korvex80.inf_amd64_neutral_4f3e2d1c\\korvex80.inf",
                       "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\nProvider=Korvex\r\n[Korvex]\r\n"
                       "\"Korvex Model 80\" = Model80, USB\\VID_0E7B&PID_0105&MI_00\r\n",
                       "[Version]\r\nProvider=Korvex\r\n\"Korvex Model 80\" = Model80, USB\\VID_0E7B&PID_0105&MI_00\r\n",
                       "precompiled oem12"});
  AddDriverPackage(p, {"oem13",
                       "C:\\windows\\System32\\DriverStore\\FileRepository\\vomuusb.inf_amd64_neutral_0a1b2c3d\\vomuusb.inf",
                       "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=USB\r\nProvider=Korvex\r\n[Korvex]\r\n"
                       "\"Korvex USB printing port\" = VomuUsb, USB\\VID_0E7B&PID_0105&MI_01\r\n",
                       "[Version]\r\nProvider=Korvex\r\n\"Korvex USB printing port\" = VomuUsb, USB\\VID_0E7B&PID_0105&MI_01\r\n",
                       "precompiled oem13"});
  p.files.insert(p.files.end(), {
      {"C:\\windows\\System32\\DriverStore\\FileRepository\\korvex80.inf_amd64_neutral_4f3e2d1c\\korvexmodel80.gpd",
       "*GPDSpecVersion: \"1.0\"\r\n"},
      {"C:\\windows\\System32\\DriverStore\\Temp\\korvex80.inf_amd64_neutral_4f3e2d1c\\korvex80.inf", "temporary copy"},
      {"C:\\windows\\System32\\DriverStore\\Temp\\korvex80.inf_amd64_neutral_4f3e2d1c\\sub\\korvex80.gpd", "temporary copy"},
      {"C:\\windows\\system32\\spool\\drivers\\x64\\PCC\\korvex80.inf_amd64_neutral_4f3e2d1c.cab", "cabinet"},
      {"C:\\Program Files\\Korvex\\QdConsole\\QdConsole.exe", "control panel application"},
      {"C:\\Program Files\\Korvex\\QdConsole\\lang\\en.txt", "control panel texts"},
  });
  AddProductKeys(p, kModel80, {{"QdRk", "Port", "USB001"}, {"QdRkTx", "Mode", "1"}, {"QdRkDriverInfo", "Version", "1.0"}});
  p.keys.push_back({HKEY_CURRENT_USER, "HKCU", "Software\\Korvex\\QdConsole\\App. settings", "Path",
                    "C:\\Program Files\\Korvex\\QdConsole"});
  return p;
}

// Unrelated things that sit next to the maker's: another vendor's printer,
// DLL, INF file, USB device and keys, another printer's product key, and a
// tree of plain files.
Profile CanaryProfile() {
  Profile p = NewProfile("canary", "another vendor's printer, files, device and keys that a removal must leave alone");
  p.printers.push_back({"Office Laser", "Generic Office Laser", "Generic", "USBPRINT\\GenericOffice_Laser",
                        "C:\\windows\\inf\\ntprint.inf", "FILE:", nullptr, {"Letter", "A4"}, {"genres.dll"}});
  p.devices = {{"USB\\VID_1234&PID_0001\\GEN0001", "USB\\VID_1234&PID_0001", "usbprint", "6&11111111&0",
                "\\??\\USB#VID_1234&PID_0001#GEN0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"}};
  p.files = {
      {"C:\\windows\\system32\\othervendor.dll", "another vendor's DLL"},
      {"C:\\windows\\inf\\oem99.inf", "[Version]\r\nProvider=Other\r\n\"Other\" = X, USB\\VID_1234&PID_0001\r\n"},
      {"C:\\canary\\keep.txt", "canary"},
      {"C:\\canary\\deeper\\keep too.txt", "canary"},
  };
  p.keys = {
      {HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE\\QD\\QdRk\\Office Laser", "Port", "FILE:"},
      {HKEY_CURRENT_USER, "HKCU", "SOFTWARE\\QD\\QdRk\\Office Laser", "Port", "FILE:"},
      {HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE\\OtherVendor\\Settings", "Keep", "1"},
  };
  return p;
}

// Device entries that Windows keeps after the maker's printers went: a model
// that is no longer installed (a printer: its product id begins with 01), and
// another maker device that is no printer.
Profile OrphansProfile() {
  Profile p = NewProfile("orphans", "leftover USB device entries of the maker: an uninstalled printer model and a non-printer device");
  p.devices = {
      {"USB\\VID_0E7B&PID_0177\\KVX77000001", "USB\\VID_0E7B&PID_0177", "usbprint", "6&77777777&0",
       "\\??\\USB#VID_0E7B&PID_0177#KVX77000001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}"},
      {"USB\\VID_0E7B&PID_0299\\KVX99000001", "USB\\VID_0E7B&PID_0299", "usbscan", "6&99999999&0", nullptr},
  };
  return p;
}

std::vector<Profile> CoreProfiles() { return {MakerProfile(), CanaryProfile(), OrphansProfile()}; }


}  // namespace seed
