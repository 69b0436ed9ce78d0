// SPDX-License-Identifier: MIT
#pragma once

// Drives task rows of a HeadlessSystem the way the window does: rows started
// with startRow, the monitor ticked until every watched row has settled, and
// each row's file judged against the bytes the server meant to send.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "download/engine.h"
#include "headless_system.h"

namespace vumbrel::test {

// How a row settled.
enum class RowEnd {
  Finished,  // the row shows Finished
  Dead,      // its task ended after showing a size: nothing will change it again
  GaveUp,    // the monitor restarted it this many times without any data arriving
  TimedOut,  // still going at the deadline
};
const char* rowEndName(RowEnd end);

struct DriveOptions {
  std::chrono::milliseconds tickPeriod{20};  // the monitor's period, shortened
  std::chrono::milliseconds deadline{30000};
  int restartsBeforeGivingUp = 3;
};

// Sets `tuning` on the engine object of every slot.
void tuneAllEngines(HeadlessSystem& sys, const EngineTuning& tuning);

// Ticks the monitor, while its timer runs, until every row in `rows` has
// settled or the deadline passes, then lets the last restart of a row that
// gave up end. The rows must already be started. Returns one end per entry.
std::vector<RowEnd> driveRows(HeadlessSystem& sys, const std::vector<int>& rows,
                              const DriveOptions& options = {});

// The path the row's task writes (the final path reported at type 3, else
// the target path), converted for the file system.
std::string rowFile(HeadlessSystem& sys, int row);

// The tuning that fault tests use: three quick retries, time-outs of at most
// `timeoutLimit` ms, Retry-After honoured up to `retryAfterLimit` ms.
EngineTuning faultTuning(int32_t timeoutLimit = 300, int32_t retryAfterLimit = 1500);

}  // namespace vumbrel::test
