// What start-up, the log and the error reporting rely on from the system
// queries.
#include "platform/win_constants.h"
#include "tests/contract/contract_fixture.h"

namespace {

constexpr uint32_t kPathBuffer = 260;
constexpr uint32_t kTooSmall = 3;

class ContractSystem : public ContractTest {};

// Windows ends its texts with "\r\n" and Wine's message table has shorter
// texts of its own, so only their presence is common ground.
TEST_F(ContractSystem, SystemMessagesExistForCommonCodes) {
  for (uint32_t code : {win::kErrorFileNotFound, win::kErrorAccessDenied,
                        win::kErrorSharingViolation}) {
    std::string text;
    ASSERT_TRUE(P().system.FormatSystemMessage(code, text)) << code;
    EXPECT_FALSE(text.empty()) << code;
  }
}

TEST_F(ContractSystem, WindowsDirectoryHonoursCapacity) {
  const std::string dir = P().system.WindowsDirectory(kPathBuffer);
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.substr(1, 2), ":\\");
  EXPECT_EQ(P().system.WindowsDirectory(kTooSmall), "");
  EXPECT_EQ(P().system.WindowsDirectory(static_cast<uint32_t>(dir.size() + 1)), dir);
}

TEST_F(ContractSystem, VersionQueriesAnswer) {
  OsVersion extended;
  OsVersion basic;
  ASSERT_TRUE(P().system.Version(true, extended).ok);
  ASSERT_TRUE(P().system.Version(false, basic).ok);
  EXPECT_EQ(extended.major, basic.major);
  EXPECT_GE(basic.major, 5u);
}

// The suites run with administrator rights (Wine's user is one; the
// simulation's default): an unattended run must not refuse them.
TEST_F(ContractSystem, ElevationOfTheTestProcessIsKnown) {
  bool elevated = false;
  ASSERT_TRUE(P().system.IsProcessElevated(elevated).ok);
  EXPECT_TRUE(elevated);
}

TEST_F(ContractSystem, LastErrorRoundTrips) {
  P().system.SetLastErrorCode(win::kErrorInvalidParameter);
  EXPECT_EQ(P().system.LastError(), win::kErrorInvalidParameter);
}

TEST_F(ContractSystem, UserNameIsKnown) {
  std::string name;
  ASSERT_TRUE(P().system.UserName(name).ok);
  EXPECT_FALSE(name.empty());
}

TEST_F(ContractSystem, FolderPathsNameExistingDirectories) {
  std::string windows;
  ASSERT_TRUE(P().system.FolderPath(SystemFolder::Windows, windows).ok);
  DirectoryIdentity byFolder;
  DirectoryIdentity byDirectory;
  ASSERT_TRUE(P().files.OpenDirectory(windows, true, byFolder, nullptr).ok);
  ASSERT_TRUE(P().files.OpenDirectory(P().system.WindowsDirectory(kPathBuffer), true,
                                      byDirectory, nullptr).ok);
  EXPECT_TRUE(byFolder.SameAs(byDirectory));
  for (SystemFolder folder : {SystemFolder::ProgramFiles, SystemFolder::RoamingAppData,
                              SystemFolder::LocalAppData}) {
    std::string path;
    EXPECT_TRUE(P().system.FolderPath(folder, path).ok) << static_cast<int>(folder);
    EXPECT_EQ(path.substr(1, 2), ":\\") << path;
  }
}

}  // namespace
