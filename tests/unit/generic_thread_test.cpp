#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "printer_page/remove_drv_prn.h"
#include "resources/resource_ids.h"
#include "support/enable_win_list.h"
#include "support/generic_thread.h"
#include "tests/sim/sim_page.h"

namespace {

using Clock = std::chrono::steady_clock;

// The end of a worker shows on this thread only through IsRunning: wait for
// it without sleeping, far longer than any scheduling delay.
bool WaitUntilIdle(const CCGenericThread& thread) {
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while (thread.IsRunning()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

struct Scenario {
  std::promise<void> go;
  std::shared_future<void> goSignal{go.get_future().share()};
  std::atomic<int> runs{0};
  std::atomic<int> stopNotices{0};
  std::atomic<bool> unwound{false};
  std::atomic<bool> pumped{false};
  std::vector<std::thread::id> threadIds;
  sim::SimPage* page = nullptr;
  CCGenericThread* worker = nullptr;
};

void CountStopNotice(void* owner) { ++static_cast<Scenario*>(owner)->stopNotices; }

// A sequence that only waits and steps: every round passes a safe point.
void LoopOfSafePoints(void* owner) {
  auto& s = *static_cast<Scenario*>(owner);
  struct Unwind {
    Scenario& s;
    ~Unwind() { s.unwound = true; }
  } unwind{s};
  ++s.runs;
  for (;;) {
    CCGenericThread::CheckStopPoint();
    std::this_thread::yield();
  }
}

class GenericThreadTest : public ::testing::Test {
 protected:
  GenericThreadTest() {
    worker.Owner = &scenario;
    worker.StopFunction = CountStopNotice;
  }
  void StartAndWaitForTheFirstRound() {
    ASSERT_TRUE(worker.Start());
    while (scenario.runs == 0) std::this_thread::yield();
  }

  Scenario scenario;
  CCGenericThread worker;
};

TEST_F(GenericThreadTest, WorkerMessagesArriveInOrderAndLockedControlsComeBackAsTheyWere) {
  sim::SimPage page;
  CMyEnableWinList lock;
  const std::vector<int> registered = {IDC_UNINSTALL_SELECTED, IDC_CLEAN_SYSTEM,
                                       IDC_CHECK_PORT_SERVICE, IDC_RELOAD_LIST};
  for (int id : registered) ASSERT_TRUE(lock.AddControl(&page, id));
  EXPECT_FALSE(lock.AddControl(&page, 4242));
  EXPECT_FALSE(lock.AddControl(nullptr, IDC_CLEAN_SYSTEM));
  page.Enable(IDC_CHECK_PORT_SERVICE, false);  // does not apply to this printer
  // Stands in for the page window's handling of the progress message.
  page.SetHandler([&](uint32_t message, uintptr_t, intptr_t lParam) {
    if (message != WM_PROGRESS_STEP) return;
    if (lParam == kProgressStart) lock.DisableAll();
    if (lParam == kProgressStepOnce) page.StepProgress(IDC_PROGRESS);
    if (lParam == kProgressEnd) lock.RestoreEnabled(true);
  });
  scenario.page = &page;
  worker.WorkFunction = [](void* owner) {
    auto& s = *static_cast<Scenario*>(owner);
    s.goSignal.wait();
    for (int i = 0; i < 3; ++i) s.page->SendToPage(WM_PROGRESS_STEP, 0, kProgressStepOnce);
    s.page->SendToPage(WM_PROGRESS_STEP, 0, kProgressEnd);
  };

  ASSERT_TRUE(worker.Start());
  page.SendToPage(WM_PROGRESS_STEP, 0, kProgressStart);
  for (int id : registered) EXPECT_FALSE(page.IsEnabled(id)) << id;
  scenario.go.set_value();
  ASSERT_TRUE(WaitUntilIdle(worker));

  EXPECT_EQ(page.MessageParams(WM_PROGRESS_STEP),
            (std::vector<intptr_t>{kProgressStart, kProgressStepOnce, kProgressStepOnce,
                                   kProgressStepOnce, kProgressEnd}));
  EXPECT_EQ(page.Progress(IDC_PROGRESS).pos, 3 * page.Progress(IDC_PROGRESS).step);
  EXPECT_TRUE(page.IsEnabled(IDC_UNINSTALL_SELECTED));
  EXPECT_TRUE(page.IsEnabled(IDC_CLEAN_SYSTEM));
  EXPECT_TRUE(page.IsEnabled(IDC_RELOAD_LIST));
  EXPECT_FALSE(page.IsEnabled(IDC_CHECK_PORT_SERVICE));
  EXPECT_EQ(scenario.stopNotices, 0);
}

TEST_F(GenericThreadTest, StartWhileRunningStartsNothingAndEachStartFromIdleANewThread) {
  worker.WorkFunction = [](void* owner) {
    auto& s = *static_cast<Scenario*>(owner);
    s.threadIds.push_back(std::this_thread::get_id());
    s.goSignal.wait();
  };
  ASSERT_TRUE(worker.Start());
  EXPECT_TRUE(worker.IsRunning());
  EXPECT_TRUE(worker.Start());
  scenario.go.set_value();
  ASSERT_TRUE(WaitUntilIdle(worker));
  worker.Stop();  // idle: no notice
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(WaitUntilIdle(worker));

  ASSERT_EQ(scenario.threadIds.size(), 2u);
  EXPECT_NE(scenario.threadIds[0], std::this_thread::get_id());
  EXPECT_EQ(scenario.stopNotices, 0);
}

TEST_F(GenericThreadTest, StopShowsTheNoticeAndEndsAWorkerAtItsNextSafePoint) {
  worker.WorkFunction = LoopOfSafePoints;
  StartAndWaitForTheFirstRound();

  const auto before = Clock::now();
  worker.Stop();

  EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(CCGenericThread::kStopWaitMs));
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_EQ(scenario.stopNotices, 1);
  EXPECT_TRUE(scenario.unwound);
  // A safe point on any other thread is no stop point at all.
  EXPECT_NO_THROW(CCGenericThread::CheckStopPoint());
}

TEST(StopPointScope, GivesTheCallersThreadSafePointsForItsLifetimeOnly) {
  StopSignal stop;
  {
    CCGenericThread::StopPointScope scope(stop);
    EXPECT_NO_THROW(CCGenericThread::CheckStopPoint());
    stop.Raise();
    EXPECT_THROW(CCGenericThread::CheckStopPoint(), WorkerStopped);
    EXPECT_EQ(CCGenericThread::CurrentStopSignal(), &stop);
  }
  EXPECT_NO_THROW(CCGenericThread::CheckStopPoint());
  EXPECT_EQ(CCGenericThread::CurrentStopSignal(), nullptr);
}

TEST_F(GenericThreadTest, StopLetsTheWaitingThreadHandleWhatTheWorkerWaitsFor) {
  // Stands in for a SendMessage that only the stopping thread can answer.
  worker.PumpWhileWaiting = [this] { scenario.pumped = true; };
  worker.WorkFunction = [](void* owner) {
    auto& s = *static_cast<Scenario*>(owner);
    ++s.runs;
    while (!s.pumped) std::this_thread::yield();
    CCGenericThread::CheckStopPoint();
    ADD_FAILURE() << "went on past a stop point";
  };
  StartAndWaitForTheFirstRound();
  worker.Stop();
  EXPECT_FALSE(worker.IsRunning());
}

TEST_F(GenericThreadTest, DestroyingARunningWorkerStopsIt) {
  {
    CCGenericThread local;
    local.Owner = &scenario;
    local.StopFunction = CountStopNotice;
    local.WorkFunction = LoopOfSafePoints;
    ASSERT_TRUE(local.Start());
    while (scenario.runs == 0) std::this_thread::yield();
  }
  EXPECT_EQ(scenario.stopNotices, 1);
  EXPECT_TRUE(scenario.unwound);
}

TEST_F(GenericThreadTest, ACloseDuringTheStopShowsNoSecondNoticeAndWaitsForNothing) {
  worker.WorkFunction = LoopOfSafePoints;
  // Both the notice and the wait handle messages: a second close can come
  // from either.
  worker.StopFunction = [](void* owner) {
    auto& s = *static_cast<Scenario*>(owner);
    ++s.stopNotices;
    EXPECT_FALSE(s.worker->Stop());
  };
  worker.PumpWhileWaiting = [this] { EXPECT_NO_THROW((void)worker.Stop()); };
  scenario.worker = &worker;
  StartAndWaitForTheFirstRound();

  EXPECT_TRUE(worker.Stop());

  EXPECT_EQ(scenario.stopNotices, 1);
  EXPECT_FALSE(worker.IsRunning());
  EXPECT_FALSE(worker.IsStopping());
  EXPECT_TRUE(worker.Stop());  // idle again
}

TEST_F(GenericThreadTest, AWorkerOutsideEverySafePointIsLeftRunningAfterTheWait) {
  static std::atomic<bool> release{false};
  static std::atomic<bool> done{false};
  release = false;
  done = false;
  worker.StopWaitMs = 100;
  worker.WorkFunction = [](void* owner) {
    ++static_cast<Scenario*>(owner)->runs;
    while (!release) std::this_thread::yield();  // no safe point
    done = true;
  };
  StartAndWaitForTheFirstRound();

  EXPECT_FALSE(worker.Stop());

  EXPECT_TRUE(worker.IsAbandoned());
  EXPECT_TRUE(worker.IsRunning());
  EXPECT_FALSE(worker.Stop());  // no second notice, no second wait
  EXPECT_TRUE(worker.Start());  // never a second worker beside it
  EXPECT_EQ(scenario.stopNotices, 1);
  release = true;
  while (!done) std::this_thread::yield();
}

TEST(StopSignalTest, AWaitEndsWhenTheSignalIsRaisedAndOtherwiseAfterItsTime) {
  StopSignal signal;
  const auto before = Clock::now();
  EXPECT_FALSE(signal.WaitFor(20));
  EXPECT_GE(Clock::now() - before, std::chrono::milliseconds(20));

  std::thread raiser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    signal.Raise();
  });
  const auto waitStart = Clock::now();
  EXPECT_TRUE(signal.WaitFor(60000));
  EXPECT_LT(Clock::now() - waitStart, std::chrono::seconds(1));
  raiser.join();
  EXPECT_TRUE(signal.WaitFor(60000));  // stays raised
}

}  // namespace
