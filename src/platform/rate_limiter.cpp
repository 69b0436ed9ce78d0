// SPDX-License-Identifier: MIT
#include "platform/rate_limiter.h"

#include <algorithm>

namespace vumbrel::engine {
namespace {

// Bytes may run this far ahead of the rate, so that short bursts need no
// sleep; small against any measuring window.
constexpr auto kSlack = std::chrono::milliseconds(30);

}  // namespace

RateLimiter::RateLimiter(int64_t bytesPerSecond) : rate_(std::max<int64_t>(0, bytesPerSecond)) {}

RateLimiter::Clock::duration RateLimiter::reserve(int64_t bytes) {
  if (rate_ <= 0 || bytes <= 0) return Clock::duration::zero();
  const auto cost = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(static_cast<double>(bytes) / static_cast<double>(rate_)));
  const Clock::time_point now = Clock::now();
  std::lock_guard lock(mutex_);
  // An idle limiter does not bank unused time beyond the slack.
  due_ = std::max(due_, now - kSlack) + cost;
  return std::max(Clock::duration::zero(), due_ - now - kSlack);
}

}  // namespace vumbrel::engine
