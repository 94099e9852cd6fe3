// Helpers for the thread library's tests: a framework thread whose hooks the test supplies,
// and waiting on cross-thread results with a generous limit instead of sleeping.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <utility>

#include "toolkit/base/framework_thread.h"
#include "toolkit/base/thread_directory.h"

namespace base_test {

constexpr std::chrono::seconds kWaitLimit(30);

template <typename T>
bool IsReady(std::future<T>& future) {
  return future.wait_for(kWaitLimit) == std::future_status::ready;
}

// Enrolls under `id` (if not negative) when it starts, withdraws when it stops.
class TestThread : public base::FrameworkThread {
 public:
  explicit TestThread(std::wstring name, int id = -1) : FrameworkThread(std::move(name)), id_(id) {}
  ~TestThread() override { Stop(); }

  bool enrolled() const { return enrolled_; }

  std::function<void()> onStart;  // set before Start; run on the thread
  std::function<void()> onStop;

 protected:
  void OnThreadStart() override {
    if (id_ >= 0)
      enrolled_ = base::ThreadDirectory::Enroll(id_);
    if (onStart)
      onStart();
  }
  void OnThreadStop() override {
    if (onStop)
      onStop();
    if (enrolled_)
      base::ThreadDirectory::Withdraw();
  }

 private:
  int id_;
  bool enrolled_ = false;
};

// Runs `work` on the loop and waits for it to return. False if it didn't within the limit.
inline bool RunOn(base::MessageLoopProxy& loop, std::function<void()> work) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  loop.PostTask([work = std::move(work), done] {
    work();
    done->set_value();
  });
  return IsReady(finished);
}

// Holds a thread's loop still until Open(): lets a test queue tasks behind a running one.
class Gate {
 public:
  void Block(base::MessageLoopProxy& loop) {
    loop.PostTask([this] {
      entered_.set_value();
      opened_.get_future().wait();
    });
  }
  bool WaitEntered() {
    std::future<void> entered = entered_.get_future();
    return IsReady(entered);
  }
  void Open() { opened_.set_value(); }

 private:
  std::promise<void> entered_;
  std::promise<void> opened_;
};

}  // namespace base_test
