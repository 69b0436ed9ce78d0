// SPDX-License-Identifier: MIT
#include "row_driver.h"

#include <thread>

#include "app/task_list.h"
#include "download/progress_monitor.h"
#include "resolve/code_pages.h"

namespace vumbrel::test {

const char* rowEndName(RowEnd end) {
  switch (end) {
    case RowEnd::Finished:
      return "Finished";
    case RowEnd::Dead:
      return "failed (ended, never Finished)";
    case RowEnd::GaveUp:
      return "failed (restarted without data)";
    case RowEnd::TimedOut:
      return "timed out";
  }
  return "?";
}

void tuneAllEngines(HeadlessSystem& sys, const EngineTuning& tuning) {
  const size_t count = slotCount(sys.system.state);
  for (size_t i = 0; i < count; ++i)
    sys.withSlot(static_cast<int>(i),
                 [&](DownloadSlot& s) { setEngineTuning(s.engine.get(), tuning); });
}

EngineTuning faultTuning(int32_t timeoutLimit, int32_t retryAfterLimit) {
  EngineTuning tuning;
  tuning.retries = 3;
  tuning.retryDelay = 10;
  tuning.retryAfterLimit = retryAfterLimit;
  tuning.timeoutLimit = timeoutLimit;
  return tuning;
}

std::string rowFile(HeadlessSystem& sys, int row) {
  std::string path;
  sys.withSlot(row, [&](DownloadSlot& s) { path = s.settings.localPath; });
  return gbkToUtf8(path);
}

std::vector<RowEnd> driveRows(HeadlessSystem& sys, const std::vector<int>& rows,
                              const DriveOptions& options) {
  using Clock = std::chrono::steady_clock;
  HeadlessControls& controls = sys.controls;
  std::vector<RowEnd> ends(rows.size(), RowEnd::TimedOut);
  std::vector<bool> settled(rows.size(), false);
  std::vector<int> idleTicks(rows.size(), 0);  // ticks that found the row's task ended
  std::vector<int> restarts(rows.size(), 0);
  const Clock::time_point deadline = Clock::now() + options.deadline;
  size_t open = rows.size();
  while (open > 0 && Clock::now() < deadline) {
    // Whether each task had ended before this tick: then the taskData the
    // tick reads is final.
    std::vector<bool> endedBefore(rows.size());
    for (size_t k = 0; k < rows.size(); ++k) {
      if (settled[k]) continue;
      SlotLease slot = leaseSlot(sys.system.state, rows[k]);
      endedBefore[k] = slot && getTaskId(slot->engine.get()) == -1;
    }
    // The window ticks only while the timer runs.
    if (controls.monitorPeriod() <= 0) {
      std::this_thread::sleep_for(options.tickPeriod);
      continue;
    }
    progressTick(sys.system);
    for (size_t k = 0; k < rows.size(); ++k) {
      if (settled[k]) continue;
      const int row = rows[k];
      const int state = controls.rowState(row);
      RowEnd end = RowEnd::TimedOut;
      if (state == Finished) {
        end = RowEnd::Finished;
      } else if (state == Downloading && endedBefore[k]) {
        if (controls.cellText(row, ColumnTotalSize).empty()) {
          // The tick has just restarted it.
          if (++restarts[k] >= options.restartsBeforeGivingUp) end = RowEnd::GaveUp;
        } else if (++idleTicks[k] >= 2) {
          end = RowEnd::Dead;
        }
      }
      if (end != RowEnd::TimedOut) {
        ends[k] = end;
        settled[k] = true;
        --open;
      }
    }
    std::this_thread::sleep_for(options.tickPeriod);
  }
  // The last restart of a row that gave up may still run: let it end (it
  // cleans up after itself) before anyone looks at the file.
  for (size_t k = 0; k < rows.size(); ++k) {
    if (ends[k] != RowEnd::GaveUp) continue;
    const Clock::time_point until = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < until) {
      SlotLease slot = leaseSlot(sys.system.state, rows[k]);
      if (!slot || getTaskId(slot->engine.get()) == -1) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  return ends;
}

}  // namespace vumbrel::test
