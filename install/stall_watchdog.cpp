#include "install/stall_watchdog.h"

#include <algorithm>

StallWatchdog::StallWatchdog(Clock::duration limit,
                             std::function<Clock::time_point()> lastActivity,
                             std::function<void()> abort)
    : limit_(limit),
      lastActivity_(std::move(lastActivity)),
      abort_(std::move(abort)),
      thread_([this] { Watch(); }) {}

StallWatchdog::~StallWatchdog() {
  {
    std::lock_guard<std::mutex> lock(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

bool StallWatchdog::Fired() const {
  std::lock_guard<std::mutex> lock(lock_);
  return fired_;
}

void StallWatchdog::Watch() {
  // Checks a few times per limit, so a stall ends at most a quarter of the limit late, and at
  // least every second, so an attempt given up from inside the transfer (too much data, a
  // redirect loop) ends before it can write much more.
  const Clock::duration checkEvery = std::clamp<Clock::duration>(
      limit_ / 4, std::chrono::milliseconds(50), std::chrono::seconds(1));
  std::unique_lock<std::mutex> lock(lock_);
  while (!stopping_) {
    wake_.wait_for(lock, checkEvery, [this] { return stopping_; });
    if (stopping_)
      return;
    if (Clock::now() - lastActivity_() < limit_)
      continue;
    fired_ = true;
    // Aborting again on later checks covers a transfer that had not started when asked.
    lock.unlock();
    abort_();
    lock.lock();
  }
}
