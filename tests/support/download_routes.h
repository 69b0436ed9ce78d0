// SPDX-License-Identifier: MIT
#pragma once

// Handlers for download-engine tests: the test pattern served with ranges
// and with faults that strike once (a drop or a stall at an exact offset),
// or with a size that changes after the first request.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "http_handlers.h"

namespace vumbrel::test {

struct FaultPlan {
  bool ranges = true;  // honour "Range: bytes=a-b" with 206
  // Each offset cuts the first response that reaches it, once.
  std::vector<std::uint64_t> dropAt = {};
  // The first response that reaches this offset stops sending there for
  // `stallFor`, then closes.
  std::uint64_t stallAt = kNever;
  std::chrono::milliseconds stallFor{0};
  // Requests after the first announce this size (the body stays the pattern).
  std::uint64_t laterSize = kNever;
  // The first `failFirst` requests get `failStatus` with a small HTML page.
  int failFirst = 0;
  int failStatus = 500;
  std::string retryAfter = {};  // sent as "Retry-After" with those replies, unless empty
  bool contentLength = true;    // without it a whole-body reply ends by closing
  // A slow server: the body goes out `trickleBytes` at a time with a pause of
  // `trickleDelay` after each piece (0: at full speed).
  std::size_t trickleBytes = 0;
  std::chrono::milliseconds trickleDelay{0};
};

// Serves `size` bytes of the pattern (fastPatternSource) under `plan`.
Handler faultyBody(std::uint64_t size, FaultPlan plan = {});

// The same bytes as patternSource, made a 256-byte block at a time: fast
// enough for bodies of several GiB.
void fastPatternSource(std::uint64_t offset, char* out, std::size_t length);

}  // namespace vumbrel::test
