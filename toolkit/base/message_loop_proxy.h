// A handle through which any thread hands tasks to one framework thread's message loop.
// Tasks posted through one proxy run one at a time, in posting order (delayed tasks when
// due), on the loop's thread. Once the loop has ended, posting destroys the task unrun.
//
// Threading: every method may be called on any thread.
#pragma once

#include "toolkit/base/task.h"
#include "toolkit/base/time_delta.h"

namespace base {

class MessageLoopProxy {
 public:
  virtual ~MessageLoopProxy() = default;

  // False when the loop no longer accepts tasks; the task has then been destroyed.
  virtual bool PostTask(Task task) = 0;
  virtual bool PostDelayedTask(Task task, TimeDelta delay) = 0;
  // Asks the loop to end after the task that is running now.
  virtual void PostQuit() = 0;
};

}  // namespace base
