// SPDX-License-Identifier: MIT
// Reading a refusing server's Retry-After, and handing it to the retry.
#include <gtest/gtest.h>

#include "platform/block_plan.h"

namespace vumbrel::engine {
namespace {

TEST(RetryAfter, DelaySecondsAndHttpDatesBecomeAWaitInMilliseconds) {
  // Sun, 06 Nov 1994 08:49:37 GMT
  const int64_t now = 784111777;
  const struct {
    const char* value;
    int64_t ms;
  } cases[] = {
      {"1", 1000},
      {" 120\r\n", 120000},
      {"0", 0},
      {"Sun, 06 Nov 1994 08:49:39 GMT", 2000},
      {"Sun, 06 Nov 1994 08:49:30 GMT", 0},  // already past: at once
      {"-5", -1},
      {"soon", -1},
      {"", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(parseRetryAfter(c.value, now), c.ms);
  }
}

TEST(RetryAfter, OnlyARetriedRefusalCarriesTheWait) {
  ResponseHead head;
  head.retryAfterMs = 3000;
  for (long status : {429L, 503L, 404L}) {
    head.status = status;
    const ResponsePlan plan = judgeResponse(head, 0, -1);
    EXPECT_EQ(plan.retryAfterMs, status == 404 ? -1 : 3000) << status;
  }
}

}  // namespace
}  // namespace vumbrel::engine
