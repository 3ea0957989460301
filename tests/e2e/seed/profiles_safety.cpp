// Installations for the safety scenarios: registry links in the user's hive
// where the maker's keys are expected, pointing at another product's keys.
// Seed them before "maker": its keys are then written through the links,
// into the keys they point to.
#include <vector>

#include "profile.h"

namespace seed {

std::vector<Profile> SafetyProfiles() {
  Profile links;
  links.name = "safety-reg-links";
  links.description =
      "the control-panel key and one product key of Korvex Model 80 as registry links "
      "to another product's keys, with that product's folder";
  links.files = {{"C:\\Program Files\\Othervendor\\Tool\\keep.txt", "another product's file"}};
  links.keys = {
      {HKEY_CURRENT_USER, "HKCU", "Software\\Othervendor\\Console\\App. settings", "Path",
       "C:\\Program Files\\Othervendor\\Tool"},
      {HKEY_CURRENT_USER, "HKCU", "Software\\Othervendor\\Printer", "Keep", "yes"},
      {HKEY_CURRENT_USER, "HKCU", "Software\\Othervendor\\Printer\\Sub", "Keep", "yes"},
      // REG_LINK: the data is the key it points to, below the same root.
      {HKEY_CURRENT_USER, "HKCU", "Software\\Korvex\\QdConsole", nullptr,
       "Software\\Othervendor\\Console", REG_LINK},
      {HKEY_CURRENT_USER, "HKCU", "SOFTWARE\\QD\\QdRk\\Korvex Model 80", nullptr,
       "Software\\Othervendor\\Printer", REG_LINK},
  };
  return {links};
}

}  // namespace seed
