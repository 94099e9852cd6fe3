#include "toolkit/base/message_loop.h"

#include <algorithm>
#include <utility>

namespace base {

bool MessageLoop::LaterFirst::operator()(const DelayedTask& a, const DelayedTask& b) const {
  if (a.due != b.due)
    return a.due > b.due;
  return a.sequence > b.sequence;
}

bool MessageLoop::PostTask(Task task) {
  return Enqueue(task, std::nullopt);
}

bool MessageLoop::PostDelayedTask(Task task, TimeDelta delay) {
  if (delay.InMicroseconds() <= 0)
    return Enqueue(task, std::nullopt);
  return Enqueue(task, Clock::now() + std::chrono::microseconds(delay.InMicroseconds()));
}

bool MessageLoop::Enqueue(Task& task, std::optional<Clock::time_point> due) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!closed_) {
      if (due) {
        delayed_.push_back({*due, nextSequence_++, std::move(task)});
        std::push_heap(delayed_.begin(), delayed_.end(), LaterFirst());
      } else {
        ready_.push_back(std::move(task));
      }
      OnWorkArrivedLocked();
      return true;
    }
  }
  // Destroyed outside the lock: its destructor may post again.
  task = nullptr;
  return false;
}

void MessageLoop::PostQuit() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_ || quitRequested_)
    return;
  quitRequested_ = true;
  OnWorkArrivedLocked();
}

void MessageLoop::Close() {
  std::deque<Task> ready;
  std::vector<DelayedTask> delayed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    ready.swap(ready_);
    delayed.swap(delayed_);
  }
  OnClosed();
  // The dropped tasks die here, outside the lock, in posting order.
  while (!ready.empty())
    ready.pop_front();
}

bool MessageLoop::IsClosed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}

Task MessageLoop::TakeNextLocked(Clock::time_point now) {
  if (quitRequested_ || closed_)
    return nullptr;
  while (!delayed_.empty() && delayed_.front().due <= now) {
    std::pop_heap(delayed_.begin(), delayed_.end(), LaterFirst());
    ready_.push_back(std::move(delayed_.back().task));
    delayed_.pop_back();
  }
  if (ready_.empty())
    return nullptr;
  Task task = std::move(ready_.front());
  ready_.pop_front();
  return task;
}

bool MessageLoop::HasTaskDueLocked(Clock::time_point now) const {
  return !ready_.empty() || (!delayed_.empty() && delayed_.front().due <= now);
}

std::optional<MessageLoop::Clock::time_point> MessageLoop::NextDueLocked() const {
  if (delayed_.empty())
    return std::nullopt;
  return delayed_.front().due;
}

}  // namespace base
