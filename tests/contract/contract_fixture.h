#pragma once
// Base fixture of the contract suites: a fresh scratch area per test on
// whichever side the suite runs.
#include <gtest/gtest.h>

#include <string>

#include "tests/contract/contract_environment.h"

class ContractTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) {
      const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
      if (!plain) c = '_';
    }
    Env().BeginTest(name);
  }
  void TearDown() override { Env().EndTest(); }

  static Platform& P() { return Env().platform(); }
  // A path below the scratch key / scratch directory.
  static std::string Key(const std::string& relative) {
    return relative.empty() ? Env().ScratchKey() : Env().ScratchKey() + "\\" + relative;
  }
  static std::string Path(const std::string& relative) {
    return relative.empty() ? Env().ScratchDir() : Env().ScratchDir() + "\\" + relative;
  }
};
