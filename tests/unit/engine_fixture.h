#pragma once
// The removal engine on a simulated Windows, linked to a main dialog for its
// log and to the simulated page for its status notices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/device_service.h"
#include "platform/win_constants.h"
#include "tests/unit/page_fixture.h"

namespace engine_test {

class EngineTest : public page_test::PageFixture {
 protected:
  EngineTest() {
    // Posted notices are inspected, not handled by a page.
    simPage.SetHandler([](uint32_t, uintptr_t, intptr_t) {});
    StartDialog(win::kProcessorArchitectureAmd64);
  }

  void StartDialog(uint16_t architecture) {
    sim.SetProcessorArchitecture(architecture);
    dlg = std::make_unique<CPurvexDlg>(sim.platform());
    dlg->InitializeState();
    EXPECT_TRUE(engine.SetOwner(dlg.get(), dlg.get()));
    engine.SetSpoolPccDir(dlg->SpoolPccDir);
    engine.SetNotifyWindow(&simPage);
    mark_ = LogMark();
  }

  // Log texts written since the set-up.
  std::vector<std::string> Log() const { return LogSince(mark_); }

  // WM_STATUS_CHANGED notices posted so far.
  size_t StatusNotices() {
    simPage.PumpPosted();
    size_t count = 0;
    for (const auto& message : simPage.Messages()) {
      const bool notice = message.message == WM_STATUS_CHANGED &&
                          message.wParam == 0 && message.lParam == 0 &&
                          message.posted;
      if (notice) ++count;
    }
    return count;
  }

  CDeviceService engine{sim.platform()};

 private:
  size_t mark_ = 0;
};

// True when `expected` appears in `lines` in this order, other lines between.
inline ::testing::AssertionResult InOrder(const std::vector<std::string>& lines,
                                          const std::vector<std::string>& expected) {
  size_t at = 0;
  for (const auto& line : lines) {
    if (at < expected.size() && line == expected[at]) ++at;
  }
  if (at == expected.size()) return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << "missing \"" << expected[at]
                                               << "\" (in order) in:\n";
  for (const auto& line : lines) failure << "  " << line << "\n";
  return failure;
}

}  // namespace engine_test
