// The task queue shared by both loop types: immediate tasks in posting order, delayed tasks
// by due time (equal due times in posting order), a quit request, and the end of the loop
// after which every task handed to it is destroyed unrun. Subclasses supply the waiting:
// TaskLoop sleeps on a condition variable, UiLoop pumps window messages.
//
// Internal to the thread library; other code holds a loop as a MessageLoopProxy.
//
// Threading: posting and PostQuit on any thread; Run and Close on the loop's own thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "toolkit/base/message_loop_proxy.h"

namespace base {

class MessageLoop : public MessageLoopProxy, public std::enable_shared_from_this<MessageLoop> {
 public:
  using Clock = std::chrono::steady_clock;

  bool PostTask(Task task) final;
  bool PostDelayedTask(Task task, TimeDelta delay) final;
  void PostQuit() final;

  // Runs tasks until a quit request (or, for the UI loop, a quit message) arrives.
  virtual void Run() = 0;

  // Ends the loop for good: queued tasks and every later post are destroyed unrun. Called
  // on the loop's thread once Run has returned; the last reference to the loop may then be
  // dropped on any thread.
  void Close();
  bool IsClosed() const;

 protected:
  // The following three are called with mutex_ held.
  // Takes the next task that is due (empty if none), moving delayed tasks that have come
  // due behind the immediate ones. Nothing is handed out once quit was requested.
  Task TakeNextLocked(Clock::time_point now);
  bool HasTaskDueLocked(Clock::time_point now) const;
  // When the earliest delayed task falls due; empty if there is none.
  std::optional<Clock::time_point> NextDueLocked() const;

  // A task or a quit request arrived; wake the loop. Called with mutex_ held.
  virtual void OnWorkArrivedLocked() = 0;
  // Releases what belongs to the loop's thread. Called by Close, without the lock.
  virtual void OnClosed() {}

  mutable std::mutex mutex_;
  bool quitRequested_ = false;

 private:
  struct DelayedTask {
    Clock::time_point due;
    uint64_t sequence;
    Task task;
  };
  struct LaterFirst {
    bool operator()(const DelayedTask& a, const DelayedTask& b) const;
  };

  bool Enqueue(Task& task, std::optional<Clock::time_point> due);

  bool closed_ = false;
  uint64_t nextSequence_ = 0;
  std::deque<Task> ready_;
  std::vector<DelayedTask> delayed_;  // a min-heap under LaterFirst
};

}  // namespace base
