#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "tests/base/test_thread.h"
#include "toolkit/base/thread_directory.h"

namespace {

using base::FrameworkThread;
using base::ThreadDirectory;
using base_test::IsReady;
using base_test::RunOn;
using base_test::TestThread;

constexpr int kFirstId = 13;
constexpr int kSecondId = 14;

TEST(FrameworkThreadTest, StartReturnsAfterOnThreadStartRan) {
  TestThread worker(L"worker", kFirstId);
  bool started = false;
  worker.onStart = [&started] { started = true; };
  ASSERT_TRUE(worker.Start());
  EXPECT_TRUE(started);
  EXPECT_NE(ThreadDirectory::GetLoop(kFirstId), nullptr);
}

TEST(FrameworkThreadTest, CurrentIsTheThreadRunningTheTask) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  FrameworkThread* seen = nullptr;
  ASSERT_TRUE(RunOn(*worker.message_loop_proxy(), [&seen] { seen = FrameworkThread::Current(); }));
  EXPECT_EQ(seen, &worker);
  EXPECT_EQ(FrameworkThread::Current(), nullptr);
}

TEST(FrameworkThreadTest, ProxyIsEmptyBeforeStartAndAfterStop) {
  TestThread worker(L"worker");
  EXPECT_EQ(worker.message_loop_proxy(), nullptr);
  ASSERT_TRUE(worker.Start());
  EXPECT_NE(worker.message_loop_proxy(), nullptr);
  worker.Stop();
  EXPECT_EQ(worker.message_loop_proxy(), nullptr);
}

TEST(FrameworkThreadTest, StartFailsWhileRunning) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  EXPECT_FALSE(worker.Start());
}

TEST(FrameworkThreadTest, StopRunsOnThreadStopOnTheThread) {
  TestThread worker(L"worker", kFirstId);
  FrameworkThread* stoppedOn = nullptr;
  worker.onStop = [&stoppedOn] { stoppedOn = FrameworkThread::Current(); };
  ASSERT_TRUE(worker.Start());
  worker.Stop();
  EXPECT_EQ(stoppedOn, &worker);
  EXPECT_EQ(ThreadDirectory::GetLoop(kFirstId), nullptr);
}

TEST(FrameworkThreadTest, RunningTaskFinishesBeforeStopReturns) {
  TestThread worker(L"worker");
  ASSERT_TRUE(worker.Start());
  std::promise<void> entered, release;
  bool finished = false;
  worker.message_loop_proxy()->PostTask([&] {
    entered.set_value();
    release.get_future().wait();
    finished = true;
  });
  std::future<void> running = entered.get_future();
  ASSERT_TRUE(IsReady(running));
  worker.message_loop_proxy()->PostQuit();
  release.set_value();
  worker.Stop();
  EXPECT_TRUE(finished);
}

// Owns two started workers and stops them in the order the installer's main thread does.
struct WorkerOwner {
  std::unique_ptr<TestThread> misc;
  std::unique_ptr<TestThread> http;
  ~WorkerOwner() {
    http.reset();
    misc.reset();
  }
};

TEST(FrameworkThreadTest, DestroyingOwnerEndsBothWorkers) {
  std::mutex lock;
  std::vector<int> stopOrder;
  auto owner = std::make_unique<WorkerOwner>();
  owner->misc = std::make_unique<TestThread>(L"misc", kFirstId);
  owner->http = std::make_unique<TestThread>(L"http", kSecondId);
  owner->misc->onStop = [&] {
    std::lock_guard<std::mutex> hold(lock);
    stopOrder.push_back(kFirstId);
  };
  owner->http->onStop = [&] {
    std::lock_guard<std::mutex> hold(lock);
    stopOrder.push_back(kSecondId);
  };
  ASSERT_TRUE(owner->misc->Start());
  ASSERT_TRUE(owner->http->Start());
  auto miscLoop = ThreadDirectory::GetLoop(kFirstId);
  auto httpLoop = ThreadDirectory::GetLoop(kSecondId);
  ASSERT_NE(miscLoop, nullptr);
  ASSERT_NE(httpLoop, nullptr);

  owner.reset();

  EXPECT_EQ(stopOrder, (std::vector<int>{kSecondId, kFirstId}));
  EXPECT_EQ(ThreadDirectory::GetLoop(kFirstId), nullptr);
  EXPECT_EQ(ThreadDirectory::GetLoop(kSecondId), nullptr);
  EXPECT_FALSE(miscLoop->PostTask([] {}));
  EXPECT_FALSE(httpLoop->PostTask([] {}));
}

TEST(FrameworkThreadTest, RunOnCurrentThreadReturnsAfterQuitAndOnThreadStop) {
  TestThread thread(L"current", kFirstId);
  std::vector<int> steps;
  thread.onStart = [&] {
    steps.push_back(1);
    base::PostToThread(kFirstId, [&] {
      steps.push_back(2);
      FrameworkThread::Current()->message_loop_proxy()->PostQuit();
    });
  };
  thread.onStop = [&] { steps.push_back(3); };
  thread.RunOnCurrentThreadWithLoop(base::MessageLoopType::kDefault);

  EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(FrameworkThread::Current(), nullptr);
  EXPECT_EQ(ThreadDirectory::CurrentId(), -1);
  EXPECT_EQ(thread.message_loop_proxy(), nullptr);
}

}  // namespace
