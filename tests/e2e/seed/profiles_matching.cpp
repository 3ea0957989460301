// Installations for the scenarios of INF and id matching: INF files that name
// the maker's ids only in part, ids that are a prefix of one another, another
// vendor whose product id is the maker's vendor id, a UTF-16 INF file, and a
// hardware id that names a directory of the spooler.
#include <string>

#include "profile.h"
#include "tests/common/utf16_text.h"

namespace seed {

namespace {

// What another vendor's packages hold in the store: nothing of the maker's.
constexpr const char* kOtherStoreInf = "[Version]\r\nProvider=Other\r\n";

// A second model whose hardware id continues the maker's Model 80 id: its INF
// file names Model 80's id only as the start of its own.
Profile PrefixModelProfile() {
  Profile p = NewProfile("prefixmodel", "\"Korvex Model 80 Plus\", whose hardware id begins with Model 80's (seed after maker)");
  p.printers.push_back({"Korvex Model 80 Plus", "Korvex Model 80 Plus", "Korvex",
                        "USB\\VID_0E7B&PID_0105&MI_00&REV_0200",
                        "C:\\windows\\System32\\DriverStore\\FileRepository\\korvex80plus.inf_amd64_neutral_6b7c8d9e\\korvex80plus.inf",
                        "FILE:", nullptr, {"A4"}, {"korvex80plusres.dll"}});
  AddDriverPackage(p, {"oem15", "C:\\windows\\System32\\DriverStore\\FileRepository\\korvex80plus.inf_amd64_neutral_6b7c8d9e\\korvex80plus.inf",
                       "[Version]\r\nClass=Printer\r\nProvider=Korvex\r\n[Korvex]\r\n"
                       "\"Korvex Model 80 Plus\" = Model80Plus, USB\\VID_0E7B&PID_0105&MI_00&REV_0200\r\n",
                       "[Version]\r\nProvider=Korvex\r\n\"Korvex Model 80 Plus\" = Model80Plus, USB\\VID_0E7B&PID_0105&MI_00&REV_0200\r\n",
                       "precompiled oem15"});
  return p;
}

// Other products' INF files that name Model 80's id only inside a longer
// token or in a comment, each with its package in the store.
Profile DecoyInfProfile() {
  Profile p = NewProfile("decoys", "other products' INF files naming Model 80's id only inside longer ids or in comments");
  AddDriverPackage(p, {"oem16", "C:\\windows\\System32\\DriverStore\\FileRepository\\dock16.inf_amd64_neutral_16161616\\dock16.inf",
                       "[Version]\r\nClass=USB\r\nProvider=Other\r\n[Other]\r\n"
                       "\"Dock\" = Dock, DOCK_USB\\VID_0E7B&PID_0105&MI_00, USB\\VID_0E7B&PID_0105&MI_00.1\r\n",
                       kOtherStoreInf, nullptr});
  AddDriverPackage(p, {"oem17", "C:\\windows\\System32\\DriverStore\\FileRepository\\note17.inf_amd64_neutral_17171717\\note17.inf",
                       "[Version]\r\nClass=Printer\r\nProvider=Other\r\n[Other]\r\n"
                       "\"Note\" = Note, USB\\VID_1234&PID_0017 ; replaces USB\\VID_0E7B&PID_0105&MI_00\r\n"
                       "; USB\\VID_0E7B&PID_0105&MI_00 is no longer supported\r\n",
                       kOtherStoreInf, nullptr});
  return p;
}

// Another vendor's composite device whose product id is the maker's vendor
// id, with an INF file for its interface 1.
Profile ProductIdProfile() {
  Profile p = NewProfile("pid0e7b", "another vendor's device and INF file with product id 0E7B (USB\\VID_1A2B&PID_0E7B&MI_01)");
  p.devices = {{"USB\\VID_1A2B&PID_0E7B&MI_01\\6&1A2B0E7B&0&0001", "USB\\VID_1A2B&PID_0E7B&MI_01", "VomuUsb",
                nullptr, nullptr}};
  AddDriverPackage(p, {"oem18", "C:\\windows\\System32\\DriverStore\\FileRepository\\dockport.inf_amd64_neutral_18181818\\dockport.inf",
                       "[Version]\r\nClass=USB\r\nProvider=Other\r\n[Other]\r\n\"Dock port\" = DockPort, USB\\VID_1A2B&PID_0E7B&MI_01\r\n",
                       kOtherStoreInf, nullptr});
  return p;
}

// Model 80's installed INF file stored as UTF-16 text (seed after maker).
Profile Utf16InfProfile() {
  Profile p = NewProfile("utf16inf", "Model 80's installed INF file oem12.inf as UTF-16 text (seed after maker)");
  static const std::string content = testtext::Utf16WithMark(
      "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\nProvider=Korvex\r\n[Korvex]\r\n"
      "\"Korvex Model 80\" = Model80, usb\\vid_0e7b&pid_0105&mi_00\r\n");
  p.files = {{"C:\\windows\\inf\\oem12.inf", content.data(), content.size()}};
  return p;
}

// A maker printer whose driver declares the hardware id USBPRINT\3: its
// backup directory name would be the spooler's version directory 3, and the
// id is too short to tell its INF files from other products'.
Profile SpoolerNameProfile() {
  Profile p = NewProfile("spoolername", "\"Korvex Model 3\" with hardware id USBPRINT\\3, next to files of the spooler's directory 3");
  p.printers.push_back({"Korvex Model 3", "Korvex Model 3", "Korvex", "USBPRINT\\3",
                        "C:\\windows\\inf\\oem30.inf", "FILE:", nullptr, {"A4"}, {"korvex3res.dll"}});
  p.files = {
      {"C:\\windows\\system32\\spool\\drivers\\x64\\3\\spoolkeep.dll", "a driver file of the spooler"},
      {"C:\\windows\\system32\\DRVSTORE\\other_30303030\\other.inf",
       "[Version]\r\nProvider=Other\r\n\"Other\" = X, USBPRINT\\3\r\n"},
  };
  return p;
}

}  // namespace

std::vector<Profile> MatchingProfiles() {
  return {PrefixModelProfile(), DecoyInfProfile(), ProductIdProfile(), Utf16InfProfile(),
          SpoolerNameProfile()};
}

}  // namespace seed
