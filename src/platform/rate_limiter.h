// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

namespace vumbrel::engine {

// A byte-rate limit shared by every connection of one task. Each connection
// reserves the bytes it has received and then waits the time reserve()
// returns, so the task as a whole stays at the rate whatever the number of
// connections still running.
class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  // bytesPerSecond <= 0 means no limit: reserve() then always returns zero.
  explicit RateLimiter(int64_t bytesPerSecond);

  bool limited() const { return rate_ > 0; }
  // Books `bytes` and returns how long the caller must wait before it
  // receives more.
  Clock::duration reserve(int64_t bytes);

 private:
  const int64_t rate_;
  std::mutex mutex_;
  Clock::time_point due_{};  // when all bytes booked so far have been paid for
};

}  // namespace vumbrel::engine
