// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "download/task_data.h"

namespace vumbrel::engine {

// The blocks of a file of `total` bytes split for `connections` connections:
// min(connections, total) blocks (at least one) of nearly equal length, in
// order, covering the file exactly. The first block is
// firstBlockLength(total, connections) long.
std::vector<TaskBlock> splitBlocks(int64_t total, int connections);
int64_t firstBlockLength(int64_t total, int connections);

// A "Content-Range" value: "bytes a-b/t", "bytes a-b/*" or "bytes */t".
// first and last are -1 for the "*/t" form, total is -1 for "/*".
struct ContentRange {
  int64_t first = -1;
  int64_t last = -1;
  int64_t total = -1;
};
std::optional<ContentRange> parseContentRange(std::string_view value);

// What one response said before its body.
struct ResponseHead {
  bool http = true;  // false for FTP and the like: no status to judge
  long status = 0;
  std::optional<ContentRange> range;  // a parsed Content-Range header, if any
  int64_t contentLength = -1;         // -1 when not told
  int64_t retryAfterMs = -1;          // a Retry-After header's wait, -1 when none
};

// How a connection uses a response to a request for bytes from `askedFrom`
// on, for a task whose size is `knownTotal` (-1 while unknown).
struct ResponsePlan {
  enum Verdict { Use, Retry, Fail } verdict = Fail;
  int64_t bodyStart = 0;      // the file offset of the body's first byte
  int64_t total = -1;         // the file size this response tells, -1 if none
  bool ranged = false;        // the server answered the range
  std::string why;            // for Retry and Fail: a readable reason
  int64_t retryAfterMs = -1;  // for Retry: the wait the server asked for, -1 when none
};
// A Retry-After value (delay seconds or an HTTP date) as a wait in ms from
// `nowSeconds` (seconds since the epoch); -1 when it cannot be read.
int64_t parseRetryAfter(std::string_view value, int64_t nowSeconds);

ResponsePlan judgeResponse(const ResponseHead& head, int64_t askedFrom, int64_t knownTotal);

}  // namespace vumbrel::engine
