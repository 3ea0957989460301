#pragma once
#include "platform/security.h"

namespace win32 {

class Win32Security : public ISecurity {
 public:
  Outcome CurrentUserSid(Sid& out) override;
  Outcome EnablePrivilege(const std::string& name) override;
  Outcome TakeOwnership(const std::string& path, const Sid& owner) override;
  Outcome GrantFullControl(const std::string& path, const Sid& account) override;
};

}  // namespace win32
