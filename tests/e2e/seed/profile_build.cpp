// Helpers that the profile groups share: the recurring parts of a maker
// installation, written once.
#include <cctype>
#include <deque>
#include <string>

#include "profile.h"

namespace seed {

namespace {

constexpr const char* kUsbDeviceInterface = "{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
constexpr const char* kInfDirectory = "C:\\windows\\inf\\";

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

const char* Keep(std::string text) {
  // A deque never moves its elements, so the pointers stay valid.
  static std::deque<std::string> store;
  store.push_back(std::move(text));
  return store.back().c_str();
}

Profile NewProfile(const char* name, const char* description) {
  Profile p;
  p.name = name;
  p.description = description;
  return p;
}

Profile Variant(Profile base, const char* name, const char* description) {
  base.name = name;
  base.description = description;
  return base;
}

void AddCompositeUsbPrinter(Profile& p, const CompositeUsbPrinter& device) {
  const std::string vidPid = std::string("VID_0E7B&PID_") + device.productId;
  const std::string usb = "USB\\" + vidPid;
  const std::string printerInterface = usb + "&MI_00";
  const std::string portInterface = usb + "&MI_01";
  const std::string deviceUnique = Upper(device.devicePrefix);
  const std::string printerUnique = Upper(device.printerPrefix);
  p.devices.push_back({Keep(usb + "\\" + device.serial), Keep(usb), "usbccgp", device.devicePrefix,
                       Keep("\\??\\USB#" + vidPid + "#" + device.serial + "#" + kUsbDeviceInterface)});
  p.devices.push_back({Keep(printerInterface + "\\" + deviceUnique + "&0000"), Keep(printerInterface), "usbprint",
                       device.printerPrefix, nullptr});
  p.devices.push_back({Keep(portInterface + "\\" + deviceUnique + "&0001"), Keep(portInterface), "VomuUsb", nullptr,
                       nullptr});
  p.devices.push_back({Keep(std::string("USBPRINT\\KORVEXMODEL_") + device.model + "\\" + printerUnique + "&" +
                            device.port),
                       Keep(std::string("USBPRINT\\KorvexModel_") + device.model), "", nullptr, nullptr});
}

void AddProductKeys(Profile& p, const char* printer, const std::vector<ProductValue>& values) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const char* rootName = root == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU";
    for (const ProductValue& v : values) {
      p.keys.push_back({root, rootName, Keep(std::string("SOFTWARE\\QD\\") + v.product + "\\" + printer), v.value,
                        v.data});
    }
  }
}

void AddDriverPackage(Profile& p, const DriverPackage& package) {
  const std::string oem = std::string(kInfDirectory) + package.oemName;
  p.storeIndex.push_back({Keep(std::string(package.oemName) + ".inf"), package.storeInf});
  p.files.push_back({Keep(oem + ".inf"), package.installedText});
  if (package.pnfText) p.files.push_back({Keep(oem + ".pnf"), package.pnfText});
  p.files.push_back({package.storeInf, package.storeText});
}

}  // namespace seed
