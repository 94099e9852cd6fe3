#include <gtest/gtest.h>

#include <memory>

#include "tests/base/test_thread.h"
#include "toolkit/base/thread_directory.h"
#include "toolkit/base/time_delta.h"
#include "toolkit/base/weak_callback.h"

namespace {

using base::TimeDelta;
using base_test::Gate;
using base_test::IsReady;
using base_test::TestThread;

constexpr int kWorkerId = 12;
constexpr TimeDelta kInterval = TimeDelta::FromMilliseconds(10);

class Owner : public base::SupportWeakCallback {};

// Runs on the worker only, so the counts need no lock.
struct Tally {
  int runs = 0;
  std::unique_ptr<Owner> owner = std::make_unique<Owner>();
};

// Resolves once every task due before `delay` has had its turn on the worker.
std::future<void> AfterTurnsFor(TimeDelta delay, std::promise<void>& done) {
  base::PostDelayedToThread(
      kWorkerId, [&done] { done.set_value(); }, delay);
  return done.get_future();
}

class PostRepeatingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.enrolled());
  }
  TestThread worker{L"repeater", kWorkerId};
};

TEST_F(PostRepeatingTest, TimesOneRunsOnce) {
  Tally tally;
  base::PostRepeating(kWorkerId, tally.owner->MakeWeak([&tally] { ++tally.runs; }), kInterval, 1);
  std::promise<void> done;
  std::future<void> finished = AfterTurnsFor(TimeDelta::FromMilliseconds(200), done);
  ASSERT_TRUE(IsReady(finished));
  EXPECT_EQ(tally.runs, 1);
}

TEST_F(PostRepeatingTest, TimesZeroRunsOnceAndStops) {
  Tally tally;
  base::PostRepeating(kWorkerId, tally.owner->MakeWeak([&tally] { ++tally.runs; }), kInterval, 0);
  std::promise<void> done;
  std::future<void> finished = AfterTurnsFor(TimeDelta::FromMilliseconds(200), done);
  ASSERT_TRUE(IsReady(finished));
  EXPECT_EQ(tally.runs, 1);
}

TEST_F(PostRepeatingTest, TimesThreeRunsThreeTimes) {
  Tally tally;
  base::PostRepeating(kWorkerId, tally.owner->MakeWeak([&tally] { ++tally.runs; }), kInterval, 3);
  std::promise<void> done;
  std::future<void> finished = AfterTurnsFor(TimeDelta::FromMilliseconds(300), done);
  ASSERT_TRUE(IsReady(finished));
  EXPECT_EQ(tally.runs, 3);
}

TEST_F(PostRepeatingTest, WithoutEndStopsAtTurnAfterOwnerDestroyed) {
  Tally tally;
  std::promise<void> done;
  base::PostRepeating(kWorkerId, tally.owner->MakeWeak([&tally, &done] {
    if (++tally.runs != 3)
      return;
    // Destroy the owner between two turns, then look again well after
    // several more turns would have come.
    base::PostToThread(kWorkerId, [&tally] { tally.owner.reset(); });
    base::PostDelayedToThread(
        kWorkerId, [&done] { done.set_value(); }, TimeDelta::FromMilliseconds(150));
  }),
                      kInterval, -1);
  std::future<void> finished = done.get_future();
  ASSERT_TRUE(IsReady(finished));
  EXPECT_EQ(tally.runs, 3);
}

TEST_F(PostRepeatingTest, FirstRunWaitsForInterval) {
  Tally tally;
  auto posted = std::chrono::steady_clock::now();
  std::promise<std::chrono::steady_clock::time_point> ran;
  base::PostRepeating(
      kWorkerId, tally.owner->MakeWeak([&ran] { ran.set_value(std::chrono::steady_clock::now()); }),
      TimeDelta::FromMilliseconds(100), 1);
  auto when = ran.get_future();
  ASSERT_TRUE(IsReady(when));
  EXPECT_GE(when.get() - posted, std::chrono::milliseconds(100));
}

class WeakCallbackTest : public PostRepeatingTest {};

TEST_F(WeakCallbackTest, TaskIsSkippedWhenOwnerDiedBeforeItsTurn) {
  Gate gate;
  gate.Block(*worker.message_loop_proxy());
  ASSERT_TRUE(gate.WaitEntered());
  auto owner = std::make_unique<Owner>();
  bool ran = false;
  base::PostToThread(kWorkerId, owner->MakeWeak([&ran] { ran = true; }));
  std::promise<void> done;
  base::PostToThread(kWorkerId, [&done] { done.set_value(); });
  owner.reset();
  gate.Open();

  std::future<void> finished = done.get_future();
  ASSERT_TRUE(IsReady(finished));
  EXPECT_FALSE(ran);
}

TEST_F(WeakCallbackTest, TaskRunsWhileOwnerLives) {
  Owner owner;
  std::promise<void> ran;
  base::PostToThread(kWorkerId, owner.MakeWeak([&ran] { ran.set_value(); }));
  std::future<void> finished = ran.get_future();
  EXPECT_TRUE(IsReady(finished));
}

TEST_F(WeakCallbackTest, CancelEndsCallbacksMadeSoFar) {
  Owner owner;
  auto callback = owner.MakeWeak([] {});
  owner.CancelWeakCallbacks();
  EXPECT_TRUE(callback.Expired());
  EXPECT_FALSE(owner.MakeWeak([] {}).Expired());
}

}  // namespace
