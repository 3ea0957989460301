#pragma once
// Ownership and access of files and directories through the security
// functions, so that taking a protected tree does not depend on a
// command-line tool, its prompts or the display language.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/outcome.h"

// A security identifier, as the bytes of the system's SID structure.
using Sid = std::vector<uint8_t>;

class ISecurity {
 public:
  virtual ~ISecurity() = default;
  // The account the program runs as: TokenUser of the process token.
  virtual Outcome CurrentUserSid(Sid& out) = 0;
  // AdjustTokenPrivileges of the process token for one privilege by name
  // ("SeTakeOwnershipPrivilege"); fails with 1300 when the token lacks it.
  virtual Outcome EnablePrivilege(const std::string& name) = 0;
  // Makes `owner` the owner of the file or directory that `path` names. A
  // link is opened as itself, never followed; when the object opened is not
  // the one the path names, nothing changes (kErrorCantResolveFilename).
  virtual Outcome TakeOwnership(const std::string& path, const Sid& owner) = 0;
  // Adds an explicit full-control entry for `account` to the object's own
  // access list (this object only, not inherited), keeping every other
  // entry. Same link rule.
  virtual Outcome GrantFullControl(const std::string& path, const Sid& account) = 0;
};
