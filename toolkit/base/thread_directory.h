// The process-wide table from thread identifier to running framework thread, and the
// posting functions built on it.
//
//   base::PostToThread(kHttpThreadId, [body = std::move(body)] { Upload(body); });
//   base::PostRepeating(kUiThreadId, MakeWeak([this] { UpdateProgress(kProgressOnTick); }),
//                       base::TimeDelta::FromMilliseconds(200), -1);
//
// A task posted to an identifier that no thread holds is destroyed unrun; nothing is
// reported. Tasks posted to one thread run one at a time, in posting order.
//
// Threading: Enroll and Withdraw are called on the framework thread being (un)registered;
// lookups and posting on any thread.
#pragma once

#include <memory>
#include <utility>

#include "toolkit/base/message_loop_proxy.h"
#include "toolkit/base/task.h"
#include "toolkit/base/time_delta.h"
#include "toolkit/base/weak_callback.h"

namespace base {

class ThreadDirectory {
 public:
  // Registers the calling framework thread under id. Refuses negative ids and ids held by
  // another thread; enrolling the same id again on the same thread counts up.
  static bool Enroll(int id);
  // Counts down; at zero the calling thread's id is removed from the table.
  static void Withdraw();
  // Empty when no thread holds id or its loop has ended.
  static std::shared_ptr<MessageLoopProxy> GetLoop(int id);
  // The id the calling thread is registered under, or -1.
  static int CurrentId();
};

void PostToThread(int id, Task task);
void PostDelayedToThread(int id, Task task, TimeDelta delay);

// Posts a delayed task that runs `task` after `interval` and then re-posts itself, `times`
// runs in all (-1: no end; 0 runs once), for as long as the weak task's owner lives.
template <typename F>
void PostRepeating(int id, WeakCallback<F> task, TimeDelta interval, int times) {
  PostDelayedToThread(
      id,
      [id, task = std::move(task), interval, times]() mutable {
        if (task.Expired())
          return;
        task();
        if (task.Expired())
          return;
        // Any count below 2 other than -1 (0 included) means this was the last run.
        if (times == -1 || times > 1)
          PostRepeating(id, std::move(task), interval, times == -1 ? -1 : times - 1);
      },
      interval);
}

}  // namespace base
