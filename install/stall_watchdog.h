// Ends a transfer that has shown no sign of life for a time limit. It watches a "last
// activity" time from its own thread and calls an abort function when the limit is passed
// (and again on later checks while the transfer goes on); the transfer then fails like any
// other failed attempt.
//
//   StallWatchdog watchdog(std::chrono::seconds(60),
//                          [&] { return callback.LastActivity(); },
//                          [&] { callback.GiveUp(); relay.Request(attempt); });
//   ... blocking transfer ...
//   bool stalled = watchdog.Fired();   // the destructor stops the thread
//
// Threading: construct and destroy on the thread that runs the transfer; the abort
// function runs on the watchdog's own thread, so it must hand anything that belongs to the
// transfer's thread over to it (abort_relay.h).
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class StallWatchdog {
 public:
  using Clock = std::chrono::steady_clock;

  StallWatchdog(Clock::duration limit, std::function<Clock::time_point()> lastActivity,
                std::function<void()> abort);
  StallWatchdog(const StallWatchdog&) = delete;
  StallWatchdog& operator=(const StallWatchdog&) = delete;
  ~StallWatchdog();

  // True once the abort function has been called.
  bool Fired() const;

 private:
  void Watch();

  const Clock::duration limit_;
  const std::function<Clock::time_point()> lastActivity_;
  const std::function<void()> abort_;
  mutable std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool fired_ = false;
  std::thread thread_;  // last: started once everything it uses exists
};
