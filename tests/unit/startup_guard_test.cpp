#include "app/startup_guard.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr uint16_t kMachineI386 = 0x014c;
constexpr uint16_t kMachineUnknown = 0;

struct ProbeCase {
  const char* name;
  Wow64Probe probe;
  Wow64State expected;
};

Wow64Probe Probe2(bool succeeded, uint16_t machine) {
  Wow64Probe p;
  p.hasIsWow64Process2 = true;
  p.isWow64Process2Succeeded = succeeded;
  p.processMachine = machine;
  return p;
}

Wow64Probe Probe1(bool succeeded, bool isWow64) {
  Wow64Probe p;
  p.hasIsWow64Process = true;
  p.isWow64ProcessSucceeded = succeeded;
  p.isWow64 = isWow64;
  return p;
}

Wow64Probe Both(bool succeeded2, bool succeeded1, bool isWow64) {
  Wow64Probe p = Probe1(succeeded1, isWow64);
  p.hasIsWow64Process2 = true;
  p.isWow64Process2Succeeded = succeeded2;
  return p;
}

class ClassifyWow64Test : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ClassifyWow64Test, ReadsTheProbe) {
  EXPECT_EQ(ClassifyWow64(GetParam().probe), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Probes, ClassifyWow64Test,
    ::testing::Values(
        // Windows 2000 and XP before SP2: neither function, never 64-bit.
        ProbeCase{"NeitherFunction", Wow64Probe{}, Wow64State::Native},
        ProbeCase{"NewFunctionNativeProcess", Probe2(true, kMachineUnknown), Wow64State::Native},
        ProbeCase{"NewFunctionX86OnX64", Probe2(true, kMachineI386), Wow64State::Wow64},
        // A failed IsWow64Process2 falls back to the older function.
        ProbeCase{"NewFailsOldSaysWow64", Both(false, true, true), Wow64State::Wow64},
        ProbeCase{"NewFailsOldSaysNative", Both(false, true, false), Wow64State::Native},
        ProbeCase{"BothFail", Both(false, false, false), Wow64State::Unknown},
        ProbeCase{"OnlyNewAndItFails", Probe2(false, kMachineUnknown), Wow64State::Unknown},
        ProbeCase{"OldFunctionWow64", Probe1(true, true), Wow64State::Wow64},
        ProbeCase{"OldFunctionNative", Probe1(true, false), Wow64State::Native},
        // A failed call leaves its out-parameter meaningless.
        ProbeCase{"OldFunctionFails", Probe1(false, false), Wow64State::Unknown}),
    [](const auto& info) { return std::string(info.param.name); });

struct DecisionCase {
  bool programIs32Bit;
  Wow64State wow64;
  StartupDecision expected;
};

class DecideStartupTest : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(DecideStartupTest, RefusesOnlyThe32BitProgramOutsideANativeSystem) {
  EXPECT_EQ(DecideStartup(GetParam().programIs32Bit, GetParam().wow64), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, DecideStartupTest,
    ::testing::Values(DecisionCase{true, Wow64State::Native, StartupDecision::Run},
                      DecisionCase{true, Wow64State::Wow64, StartupDecision::Refuse},
                      DecisionCase{true, Wow64State::Unknown, StartupDecision::Refuse},
                      DecisionCase{false, Wow64State::Native, StartupDecision::Run},
                      DecisionCase{false, Wow64State::Wow64, StartupDecision::Run},
                      DecisionCase{false, Wow64State::Unknown, StartupDecision::Run}));

TEST(ApplicationNameFromModulePath, IsTheFileNameWithoutDirectoryAndExtension) {
  EXPECT_EQ(ApplicationNameFromModulePath("C:\\Program Files\\Purvex\\purvex.exe"), "purvex");
  EXPECT_EQ(ApplicationNameFromModulePath("C:\\Tools.v2\\purvex"), "purvex");
  EXPECT_EQ(ApplicationNameFromModulePath("D:\\x86\\Purvex.old.exe"), "Purvex.old");
  EXPECT_EQ(ApplicationNameFromModulePath("purvex32.exe"), "purvex32");
  EXPECT_EQ(ApplicationNameFromModulePath(""), "");
}

TEST(StartupRefusal, TextNamesThe64BitProgram) {
#define PURVEX_STRING(id, text) {id, text},
  static const std::pair<uint32_t, const char*> kTable[] = {
#include "resources/string_table.h"
  };
#undef PURVEX_STRING
  std::string refusal;
  for (const auto& [id, text] : kTable) {
    if (id == kStartupRefusedTextId) refusal = text;
  }
  EXPECT_NE(refusal.find("64-bit"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("x64"), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("purvex.exe"), std::string::npos) << refusal;
}

}  // namespace
