#include "install/stall_watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

namespace {

using Clock = StallWatchdog::Clock;
using std::chrono::milliseconds;

TEST(StallWatchdogTest, AbortsOnceNothingHappensForTheLimit) {
  const Clock::time_point start = Clock::now();
  std::promise<Clock::time_point> aborted;
  std::atomic<bool> first{true};
  StallWatchdog watchdog(
      milliseconds(300), [start] { return start; },
      [&] {
        if (first.exchange(false))
          aborted.set_value(Clock::now());
      });

  auto future = aborted.get_future();
  ASSERT_EQ(future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_GE(future.get() - start, milliseconds(300));
  EXPECT_TRUE(watchdog.Fired());
}

TEST(StallWatchdogTest, LeavesAMovingTransferAlone) {
  std::promise<void> aborted;
  StallWatchdog watchdog(
      milliseconds(200), [] { return Clock::now(); }, [&] { aborted.set_value(); });

  EXPECT_EQ(aborted.get_future().wait_for(milliseconds(1000)), std::future_status::timeout);
  EXPECT_FALSE(watchdog.Fired());
}

TEST(StallWatchdogTest, StopsPromptlyWhenTheTransferEnds) {
  const Clock::time_point before = Clock::now();
  {
    StallWatchdog watchdog(
        std::chrono::seconds(60), [] { return Clock::now(); }, [] {});
  }
  EXPECT_LT(Clock::now() - before, std::chrono::seconds(5));
}

}  // namespace
