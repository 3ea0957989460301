#pragma once
// The removal engine on a simulated Windows, with a log and a package
// removal of its own and the simulated page for its status notices.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/device_service.h"
#include "engine/engine_links.h"
#include "engine/worker_messages.h"
#include "platform/win_constants.h"
#include "tests/sim/sim_page.h"
#include "tests/sim/sim_windows.h"

namespace engine_test {

// The lines as the engine wrote them.
class RecordingLog final : public ILogSink {
 public:
  void WriteLine(const std::string& line) override { lines.push_back(line); }
  std::vector<std::string> lines;
};

// The store's packages uninstalled one INF at a time: an INF whose package
// went leaves the list, every store path found is handed back.
class StorePackages final : public IDriverPackages {
 public:
  explicit StorePackages(IDriverStore& store) : store_(store) {}

  bool RemoveDriverPackage(std::vector<std::string>* infList,
                           std::vector<std::string>* storeList,
                           std::vector<KeptInf>* keptList) override {
    if (storeList != nullptr) storeList->clear();
    if (keptList != nullptr) keptList->clear();
    if (infList == nullptr) return false;
    bool allRemoved = true;
    for (size_t index = 0; index < infList->size();) {
      uint32_t length = 0;
      (void)store_.GetPath((*infList)[index], nullptr, length);
      std::string buffer(std::max<uint32_t>(length, 1), '\0');
      if (store_.GetPath((*infList)[index], buffer.data(), length) != win::kErrorSuccess) {
        allRemoved = false;
        ++index;
        continue;
      }
      const std::string storePath = buffer.c_str();
      if (storeList != nullptr) storeList->push_back(storePath);
      if (store_.Uninstall(storePath, 0) != win::kErrorSuccess) {
        allRemoved = false;
        ++index;
        continue;
      }
      infList->erase(infList->begin() + static_cast<std::ptrdiff_t>(index));
    }
    return allRemoved;
  }

 private:
  IDriverStore& store_;
};

// Where an environment keeps its driver cabinets, below the Windows directory.
inline std::string PccDirOf(uint16_t architecture) {
  return architecture == win::kProcessorArchitectureIntel
             ? "system32\\spool\\drivers\\w32x86\\PCC"
             : "system32\\spool\\drivers\\x64\\PCC";
}

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() {
    // Posted notices are inspected, not handled by a page.
    simPage.SetHandler([](uint32_t, uintptr_t, intptr_t) {});
    UseArchitecture(win::kProcessorArchitectureAmd64);
  }

  void UseArchitecture(uint16_t architecture) {
    sim.SetProcessorArchitecture(architecture);
    EXPECT_TRUE(engine.SetOwner(&log, &packages));
    engine.SetSpoolPccDir(PccDirOf(architecture));
    engine.SetNotifyWindow(&simPage);
    log.lines.clear();
  }

  // Log texts written since the set-up.
  std::vector<std::string> Log() const { return log.lines; }

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

  sim::SimWindows sim;
  sim::SimPage simPage;
  RecordingLog log;
  StorePackages packages{sim.platform().driverStore};
  CDeviceService engine{sim.platform()};
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
