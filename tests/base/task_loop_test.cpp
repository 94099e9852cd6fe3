#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "tests/base/test_thread.h"
#include "toolkit/base/time_delta.h"

namespace {

using base::TimeDelta;
using base_test::Gate;
using base_test::IsReady;
using base_test::TestThread;

// Collects labels from tasks; read by the test once the last task has signalled.
struct Journal {
  std::mutex lock;
  std::vector<int> entries;
  void Add(int entry) {
    std::lock_guard<std::mutex> hold(lock);
    entries.push_back(entry);
  }
};

TEST(TaskLoopTest, RunsTasksInPostingOrder) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  auto loop = worker.message_loop_proxy();
  Journal journal;
  std::promise<void> last;
  for (int i = 0; i < 200; ++i)
    loop->PostTask([&journal, i] { journal.Add(i); });
  loop->PostTask([&last] { last.set_value(); });
  std::future<void> done = last.get_future();
  ASSERT_TRUE(IsReady(done));

  std::vector<int> expected;
  for (int i = 0; i < 200; ++i)
    expected.push_back(i);
  EXPECT_EQ(journal.entries, expected);
}

TEST(TaskLoopTest, SecondTaskStartsOnlyAfterFirstReturned) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  auto loop = worker.message_loop_proxy();
  std::atomic<bool> firstRunning{false};
  std::promise<void> firstStarted, secondPosted, secondDone;
  bool firstRunningWhenSecondStarted = true;

  loop->PostTask([&] {
    firstRunning = true;
    firstStarted.set_value();
    secondPosted.get_future().wait();  // the second task is queued by now
    firstRunning = false;
  });
  std::future<void> started = firstStarted.get_future();
  ASSERT_TRUE(IsReady(started));
  loop->PostTask([&] {
    firstRunningWhenSecondStarted = firstRunning;
    secondDone.set_value();
  });
  secondPosted.set_value();

  std::future<void> done = secondDone.get_future();
  ASSERT_TRUE(IsReady(done));
  EXPECT_FALSE(firstRunningWhenSecondStarted);
}

TEST(TaskLoopTest, DelayedTasksRunInDueOrderAfterImmediateOnes) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  auto loop = worker.message_loop_proxy();
  Gate gate;
  gate.Block(*loop);
  ASSERT_TRUE(gate.WaitEntered());

  Journal journal;
  std::promise<void> last;
  loop->PostDelayedTask(
      [&] {
        journal.Add(90);
        last.set_value();
      },
      TimeDelta::FromMilliseconds(90));
  loop->PostDelayedTask([&] { journal.Add(30); }, TimeDelta::FromMilliseconds(30));
  loop->PostDelayedTask([&] { journal.Add(60); }, TimeDelta::FromMilliseconds(60));
  loop->PostTask([&] { journal.Add(0); });
  gate.Open();

  std::future<void> done = last.get_future();
  ASSERT_TRUE(IsReady(done));
  EXPECT_EQ(journal.entries, (std::vector<int>{0, 30, 60, 90}));
}

TEST(TaskLoopTest, DelayedTaskDoesNotRunBeforeItsDelay) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  auto loop = worker.message_loop_proxy();
  std::promise<std::chrono::steady_clock::time_point> ran;
  auto posted = std::chrono::steady_clock::now();
  loop->PostDelayedTask([&] { ran.set_value(std::chrono::steady_clock::now()); },
                        TimeDelta::FromMilliseconds(100));
  std::future<std::chrono::steady_clock::time_point> when = ran.get_future();
  ASSERT_TRUE(IsReady(when));
  EXPECT_GE(when.get() - posted, std::chrono::milliseconds(100));
}

TEST(TaskLoopTest, TasksQueuedBehindQuitAreDestroyedUnrun) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  auto loop = worker.message_loop_proxy();
  Gate gate;
  gate.Block(*loop);
  ASSERT_TRUE(gate.WaitEntered());

  bool ran = false;
  auto owned = std::make_shared<int>(7);
  std::weak_ptr<int> watch = owned;
  loop->PostTask([&ran, owned = std::move(owned)] { ran = true; });
  loop->PostQuit();
  gate.Open();
  worker.Stop();

  EXPECT_FALSE(ran);
  EXPECT_TRUE(watch.expired());
}

TEST(TaskLoopTest, PostAfterLoopEndedIsRefusedAndDestroysTask) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  std::shared_ptr<base::MessageLoopProxy> loop = worker.message_loop_proxy();
  worker.Stop();

  auto owned = std::make_shared<int>(7);
  std::weak_ptr<int> watch = owned;
  bool ran = false;
  EXPECT_FALSE(loop->PostTask([&ran, owned = std::move(owned)] { ran = true; }));
  EXPECT_TRUE(watch.expired());
  EXPECT_FALSE(ran);
}

TEST(TaskLoopTest, DelayedTaskPendingAtStopIsDestroyedUnrun) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  auto owned = std::make_shared<int>(7);
  std::weak_ptr<int> watch = owned;
  bool ran = false;
  worker.message_loop_proxy()->PostDelayedTask([&ran, owned = std::move(owned)] { ran = true; },
                                               TimeDelta::FromSeconds(60));
  worker.Stop();

  EXPECT_FALSE(ran);
  EXPECT_TRUE(watch.expired());
}

// A task owns what it carries: a move-only capture is accepted, and it is released as soon as
// the task has run, before the next task starts.
TEST(TaskLoopTest, TaskReleasesWhatItOwnsRightAfterRunning) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  auto loop = worker.message_loop_proxy();
  auto owned = std::make_unique<int>(7);
  auto counter = std::make_shared<int>(0);
  std::weak_ptr<int> watch = counter;
  int seen = 0;
  loop->PostTask([&seen, owned = std::move(owned), counter = std::move(counter)] {
    seen = *owned + *counter;
  });
  std::promise<bool> releasedBeforeNext;
  loop->PostTask([&releasedBeforeNext, watch] { releasedBeforeNext.set_value(watch.expired()); });
  std::future<bool> released = releasedBeforeNext.get_future();
  ASSERT_TRUE(IsReady(released));
  EXPECT_TRUE(released.get());
  EXPECT_EQ(seen, 7);
}

}  // namespace
