#include <gtest/gtest.h>

#include <memory>

#include "tests/base/test_thread.h"
#include "toolkit/base/thread_directory.h"
#include "toolkit/base/time_delta.h"

namespace {

using base::ThreadDirectory;
using base_test::IsReady;
using base_test::RunOn;
using base_test::TestThread;

// Ids nobody else in this test program uses.
constexpr int kWorkerId = 11;
constexpr int kUnassignedId = 3;

TEST(ThreadDirectoryTest, TaskPostedToUnknownIdIsDestroyedUnrun) {
  auto owned = std::make_shared<int>(1);
  std::weak_ptr<int> watch = owned;
  bool ran = false;
  base::PostToThread(kUnassignedId, [&ran, owned = std::move(owned)] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(watch.expired());
}

TEST(ThreadDirectoryTest, DelayedTaskPostedToUnknownIdIsDestroyedUnrun) {
  auto owned = std::make_shared<int>(1);
  std::weak_ptr<int> watch = owned;
  bool ran = false;
  base::PostDelayedToThread(
      kUnassignedId, [&ran, owned = std::move(owned)] { ran = true; },
      base::TimeDelta::FromMilliseconds(1));
  EXPECT_FALSE(ran);
  EXPECT_TRUE(watch.expired());
}

TEST(ThreadDirectoryTest, PostToThreadRunsTaskOnEnrolledThread) {
  TestThread worker(L"worker", kWorkerId);
  ASSERT_TRUE(worker.Start());
  ASSERT_TRUE(worker.enrolled());

  std::promise<std::pair<base::FrameworkThread*, int>> seen;
  base::PostToThread(kWorkerId, [&seen] {
    seen.set_value({base::FrameworkThread::Current(), ThreadDirectory::CurrentId()});
  });
  auto result = seen.get_future();
  ASSERT_TRUE(IsReady(result));
  auto [thread, id] = result.get();
  EXPECT_EQ(thread, &worker);
  EXPECT_EQ(id, kWorkerId);
}

TEST(ThreadDirectoryTest, EnrollRefusesNegativeId) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  bool enrolled = true;
  int id = 0;
  ASSERT_TRUE(RunOn(*worker.message_loop_proxy(), [&] {
    enrolled = ThreadDirectory::Enroll(-1);
    id = ThreadDirectory::CurrentId();
  }));
  EXPECT_FALSE(enrolled);
  EXPECT_EQ(id, -1);
}

TEST(ThreadDirectoryTest, EnrollRefusesThreadWithoutLoop) {
  EXPECT_FALSE(ThreadDirectory::Enroll(kWorkerId));
  EXPECT_EQ(ThreadDirectory::CurrentId(), -1);
  EXPECT_EQ(ThreadDirectory::GetLoop(kWorkerId), nullptr);
}

TEST(ThreadDirectoryTest, SameThreadEnrollingTwiceNeedsTwoWithdrawals) {
  TestThread worker(L"worker", kWorkerId);
  ASSERT_TRUE(worker.Start());
  auto loop = worker.message_loop_proxy();
  bool again = false;
  ASSERT_TRUE(RunOn(*loop, [&] { again = ThreadDirectory::Enroll(kWorkerId); }));
  EXPECT_TRUE(again);

  ASSERT_TRUE(RunOn(*loop, [] { ThreadDirectory::Withdraw(); }));
  EXPECT_EQ(ThreadDirectory::GetLoop(kWorkerId), loop);

  int idAfterLast = 0;
  ASSERT_TRUE(RunOn(*loop, [&] {
    ThreadDirectory::Withdraw();
    idAfterLast = ThreadDirectory::CurrentId();
  }));
  EXPECT_EQ(ThreadDirectory::GetLoop(kWorkerId), nullptr);
  EXPECT_EQ(idAfterLast, -1);
}

TEST(ThreadDirectoryTest, EnrollRefusesIdHeldByAnotherThread) {
  TestThread holder(L"holder", kWorkerId);
  TestThread other(L"other", -1);
  ASSERT_TRUE(holder.Start());
  ASSERT_TRUE(other.Start());

  bool taken = true;
  int otherId = 0;
  ASSERT_TRUE(RunOn(*other.message_loop_proxy(), [&] {
    taken = ThreadDirectory::Enroll(kWorkerId);
    otherId = ThreadDirectory::CurrentId();
  }));
  EXPECT_FALSE(taken);
  EXPECT_EQ(otherId, -1);
  EXPECT_EQ(ThreadDirectory::GetLoop(kWorkerId), holder.message_loop_proxy());
}

TEST(ThreadDirectoryTest, EnrollRefusesSecondIdOnSameThread) {
  TestThread worker(L"worker", kWorkerId);
  ASSERT_TRUE(worker.Start());
  bool second = true;
  ASSERT_TRUE(RunOn(*worker.message_loop_proxy(),
                    [&] { second = ThreadDirectory::Enroll(kWorkerId + 1); }));
  EXPECT_FALSE(second);
  EXPECT_EQ(ThreadDirectory::GetLoop(kWorkerId + 1), nullptr);
}

TEST(ThreadDirectoryTest, IdIsFreedWhenThreadEndsWithoutWithdrawing) {
  TestThread first(L"first");
  ASSERT_TRUE(first.Start());
  bool enrolled = false;
  ASSERT_TRUE(
      RunOn(*first.message_loop_proxy(), [&] { enrolled = ThreadDirectory::Enroll(kWorkerId); }));
  ASSERT_TRUE(enrolled);
  first.Stop();
  EXPECT_EQ(ThreadDirectory::GetLoop(kWorkerId), nullptr);

  TestThread second(L"second", kWorkerId);
  ASSERT_TRUE(second.Start());
  EXPECT_TRUE(second.enrolled());
}

}  // namespace
