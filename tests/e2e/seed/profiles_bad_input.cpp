// Installations with bad data for the bad-input scenarios.
#include "profile.h"

namespace seed {

std::vector<Profile> BadInputProfiles() { return {}; }

}  // namespace seed
