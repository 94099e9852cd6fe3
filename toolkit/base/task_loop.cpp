#include "toolkit/base/task_loop.h"

namespace base {

void TaskLoop::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quitRequested_) {
    if (Task task = TakeNextLocked(Clock::now())) {
      lock.unlock();
      std::move(task).Run();
      lock.lock();
    } else if (auto due = NextDueLocked()) {
      wake_.wait_for(lock, *due - Clock::now());
    } else {
      wake_.wait(lock);
    }
  }
}

void TaskLoop::OnWorkArrivedLocked() {
  wake_.notify_one();
}

}  // namespace base
