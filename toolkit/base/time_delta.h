// A signed duration in microseconds: the unit of every delay and interval in the task
// library (a 200 ms progress tick is TimeDelta::FromMilliseconds(200), 200,000 us).
// A plain value type; any thread.
#pragma once

#include <cstdint>

namespace base {

class TimeDelta {
 public:
  constexpr TimeDelta() = default;
  static constexpr TimeDelta FromMicroseconds(int64_t us) { return TimeDelta(us); }
  static constexpr TimeDelta FromMilliseconds(int64_t ms) { return TimeDelta(ms * 1000); }
  static constexpr TimeDelta FromSeconds(int64_t s) { return TimeDelta(s * 1000000); }

  constexpr int64_t InMicroseconds() const { return us_; }
  constexpr int64_t InMilliseconds() const { return us_ / 1000; }

  constexpr bool operator==(TimeDelta o) const { return us_ == o.us_; }
  constexpr bool operator<(TimeDelta o) const { return us_ < o.us_; }

 private:
  constexpr explicit TimeDelta(int64_t us) : us_(us) {}
  int64_t us_ = 0;
};

}  // namespace base
