// Installations for the sequence scenarios.
#include "profile.h"

namespace seed {

std::vector<Profile> SequenceProfiles() { return {}; }

}  // namespace seed
