// The plain task loop of worker threads: sleeps on a condition variable until a task is
// posted or the earliest delayed task falls due.
//
// Threading: constructed, run and closed on the worker; posting from any thread.
#pragma once

#include <condition_variable>

#include "toolkit/base/message_loop.h"

namespace base {

class TaskLoop : public MessageLoop {
 public:
  void Run() override;

 private:
  void OnWorkArrivedLocked() override;

  std::condition_variable wake_;
};

}  // namespace base
