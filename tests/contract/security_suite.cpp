// What the ownership taking before a tree deletion relies on from the token
// and the security functions.
#include "platform/win_constants.h"
#include "tests/contract/contract_fixture.h"

namespace {

constexpr uint32_t kArchive = win::kFileAttributeArchive;
using win::kRestorePrivilege;
using win::kTakeOwnershipPrivilege;
// Revision 1, then the count of sub-authorities and the authority.
constexpr size_t kSidHeaderSize = 8;
constexpr size_t kSubAuthoritySize = 4;

class ContractSecurity : public ContractTest {
 protected:
  static Sid User() {
    Sid user;
    Outcome read = P().security.CurrentUserSid(user);
    EXPECT_TRUE(read.ok) << read.error;
    return user;
  }
};

TEST_F(ContractSecurity, TheRunningUserIsAWellFormedSid) {
  const Sid user = User();
  ASSERT_GE(user.size(), kSidHeaderSize);
  EXPECT_EQ(user[0], 1);
  EXPECT_EQ(user.size(), kSidHeaderSize + kSubAuthoritySize * user[1]);
}

TEST_F(ContractSecurity, AnAdministratorCanEnableBothPrivileges) {
  EXPECT_TRUE(P().security.EnablePrivilege(kTakeOwnershipPrivilege).ok);
  EXPECT_TRUE(P().security.EnablePrivilege(kRestorePrivilege).ok);
}

TEST_F(ContractSecurity, OwnershipAndFullControlOfADirectoryAndAFileAreTaken) {
  ASSERT_TRUE(Env().CreateDir(Path("Tree")));
  ASSERT_TRUE(Env().PutFile(Path("Tree\\a.dll"), "a", kArchive));
  const Sid user = User();
  ASSERT_TRUE(P().security.EnablePrivilege(kTakeOwnershipPrivilege).ok);
  for (const char* entry : {"Tree", "Tree\\a.dll"}) {
    Outcome owned = P().security.TakeOwnership(Path(entry), user);
    EXPECT_TRUE(owned.ok) << entry << " error " << owned.error;
    Outcome granted = P().security.GrantFullControl(Path(entry), user);
    EXPECT_TRUE(granted.ok) << entry << " error " << granted.error;
  }
  // Still there and still deletable afterwards.
  EXPECT_TRUE(P().files.RemoveFile(Path("Tree\\a.dll")).ok);
  EXPECT_TRUE(P().files.RemoveDir(Path("Tree")).ok);
}

TEST_F(ContractSecurity, AMissingPathIsNotFound) {
  const Sid user = User();
  Outcome owned = P().security.TakeOwnership(Path("Missing"), user);
  EXPECT_FALSE(owned.ok);
  EXPECT_EQ(owned.error, win::kErrorFileNotFound);
  Outcome granted = P().security.GrantFullControl(Path("Missing\\x.dll"), user);
  EXPECT_FALSE(granted.ok);
  EXPECT_EQ(granted.error, win::kErrorPathNotFound);
}

TEST_F(ContractSecurity, AJunctionIsTakenAsItselfAndItsTargetKeepsItsOwner) {
  ASSERT_TRUE(Env().CreateDir(Path("Target")));
  if (!Env().CreateJunction(Path("Link"), Path("Target"))) {
    GTEST_SKIP() << "no junctions here";
  }
  const Sid user = User();
  ASSERT_TRUE(P().security.EnablePrivilege(kTakeOwnershipPrivilege).ok);
  EXPECT_TRUE(P().security.TakeOwnership(Path("Link"), user).ok);
  EXPECT_TRUE(P().security.GrantFullControl(Path("Link"), user).ok);
  EXPECT_TRUE(Env().PathExists(Path("Target")));
}

}  // namespace
