// SPDX-License-Identifier: MIT
#pragma once

// Many rows downloading at once with "自动下载" ticked, the monitor ticked and
// rows stopped and started again on the test thread (the window's thread),
// as a busy user would. Shared by the full-size test and its smaller
// ThreadSanitizer variant.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "app/task_list.h"
#include "digest.h"
#include "download/progress_monitor.h"
#include "download/start_stop.h"
#include "download_routes.h"
#include "headless_system.h"
#include "loopback_server.h"
#include "row_driver.h"
#include "temp_dir.h"

namespace vumbrel::test {

struct LoadPlan {
  int rows;
  int atOnce;               // rows the user starts at first
  std::uint64_t size;       // bytes of row 0; later rows a little larger
  bool checkMemory = true;  // not under a sanitizer, whose allocator keeps memory
  std::chrono::seconds deadline{120};
};

struct LoadFigures {
  std::chrono::milliseconds longestTick{0};
  std::chrono::milliseconds longestStop{0};
  int ticks = 0;
  int stops = 0;
  int mostDownloading = 0;
  double meanDownloading = 0;
  long rssAfterWarmUpKiB = 0;
  long rssPeakKiB = 0;
};

// The resident set size of this process, in KiB.
inline long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

inline LoadFigures runUnderLoad(const LoadPlan& plan) {
  using Clock = std::chrono::steady_clock;
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  TempDir dir;
  LoopbackServer server;
  HeadlessSystem sys;
  HeadlessControls& controls = sys.controls;
  controls.setSaveFolder(dir.path().string());
  controls.setAutoDownloadTicked(true);

  std::mt19937 random(20261211);
  std::vector<std::uint64_t> sizes;
  std::vector<std::string> addresses;
  for (int i = 0; i < plan.rows; ++i) {
    const std::uint64_t size = plan.size + static_cast<std::uint64_t>(i) * 211;
    // Slow enough that the downloads overlap, as real ones do.
    FaultPlan faults{.trickleBytes = 8192, .trickleDelay = std::chrono::milliseconds(15)};
    if (i % 7 == 3)
      faults.dropAt = {std::uniform_int_distribution<std::uint64_t>(1, size - 1)(random)};
    const std::string route = "/load" + std::to_string(i) + ".mp4";
    server.route(route, faultyBody(size, faults));
    sizes.push_back(size);
    addresses.push_back(server.url(route));
  }
  sys.addRows(std::vector<int>(static_cast<size_t>(plan.rows), Waiting));
  sys.setStreamAddresses(addresses);
  tuneAllEngines(sys, faultTuning());

  for (int row = 0; row < plan.atOnce; ++row) {
    controls.setCurrentRow(row);
    startSelectedDownloadOnWorker(sys.system);
  }

  LoadFigures figures;
  const int stopWait = 1000;  // what every start puts into the record
  bool warm = false;
  int pendingRestart = -1;
  long downloadingSum = 0, samples = 0;
  const Clock::time_point deadline = Clock::now() + plan.deadline;
  for (;;) {
    int finished = 0, downloading = 0;
    for (int row = 0; row < plan.rows; ++row) {
      const int state = controls.rowState(row);
      finished += state == Finished;
      downloading += state == Downloading;
    }
    figures.mostDownloading = std::max(figures.mostDownloading, downloading);
    downloadingSum += downloading;
    ++samples;
    if (Clock::now() > deadline) break;
    if (finished == plan.rows) {
      // A start still on its way (two completions in one tick start the same
      // row) may turn a row back to Downloading.
      sys.system.waitForWorkers();
      bool still = true;
      for (int row = 0; row < plan.rows; ++row) still = still && controls.rowState(row) == Finished;
      if (still) break;
    }
    if (!warm && finished >= plan.atOnce) {
      warm = true;
      figures.rssAfterWarmUpKiB = residentKiB();
    }
    if (warm) figures.rssPeakKiB = std::max(figures.rssPeakKiB, residentKiB());

    if (controls.monitorPeriod() > 0) {
      const Clock::time_point began = Clock::now();
      progressTick(sys.system);
      figures.longestTick =
          std::max(figures.longestTick, duration_cast<milliseconds>(Clock::now() - began));
      ++figures.ticks;
    }
    // Now and then the user stops a downloading row ("停止") and starts it
    // again ("开始") a tick later.
    if (pendingRestart >= 0) {
      controls.setCurrentRow(pendingRestart);
      startSelectedDownloadOnWorker(sys.system);
      pendingRestart = -1;
    } else if (figures.ticks % 10 == 3) {
      // Two rows finishing in one tick both start the first waiting row, so
      // the user tops the downloads up again, from the end of the list.
      int wanted = plan.atOnce - downloading;
      for (int row = plan.rows - 1; row >= 0 && wanted > 0; --row) {
        if (controls.rowState(row) != Waiting) continue;
        controls.setCurrentRow(row);
        startSelectedDownloadOnWorker(sys.system);
        --wanted;
      }
    } else if (figures.ticks % 15 == 7 || (figures.stops == 0 && figures.ticks > 7)) {
      // (On a fast machine the rows may all be between downloads at tick 7:
      // the first stop then comes as soon as one is downloading.)
      for (int row = 0; row < plan.rows; ++row) {
        if (controls.rowState(row) != Downloading) continue;
        controls.setCurrentRow(row);
        const Clock::time_point began = Clock::now();
        stopSelectedDownload(sys.system);
        figures.longestStop =
            std::max(figures.longestStop, duration_cast<milliseconds>(Clock::now() - began));
        ++figures.stops;
        pendingRestart = row;
        break;
      }
    }
    std::this_thread::sleep_for(milliseconds(20));
  }

  figures.meanDownloading = samples ? double(downloadingSum) / double(samples) : 0;
  for (int row = 0; row < plan.rows; ++row) {
    SCOPED_TRACE("row " + std::to_string(row));
    EXPECT_EQ(controls.rowState(row), Finished);
    const std::string file = rowFile(sys, row);
    // A start that finds the row's previous task just ending writes under a
    // new name, "<title>(1).mp4", as the engine does for any existing file.
    std::string got = sha256OfFile(file);
    if (got.empty()) got = sha256OfFile(dir / ("row" + std::to_string(row) + "(1).mp4"));
    EXPECT_EQ(got, sha256OfSource(sizes[row], fastPatternSource));
  }
  EXPECT_LT(figures.longestTick.count(), stopWait);
  EXPECT_LT(figures.longestStop.count(), stopWait);
  EXPECT_GT(figures.stops, 0);
  EXPECT_GE(figures.mostDownloading, plan.atOnce);
  // Flat: after the first rows finished, the rest of the run adds little
  // (the engine buffers a bounded amount per connection).
  if (plan.checkMemory) {
    EXPECT_LT(figures.rssPeakKiB - figures.rssAfterWarmUpKiB, 32 * 1024);
  }
  std::printf(
      "  %d rows, %d at first: %d ticks, longest %lld ms; %d stops, longest %lld ms; "
      "%d downloading at most, %.1f on average; RSS %ld KiB after warm-up, peak %ld KiB\n",
      plan.rows, plan.atOnce, figures.ticks, static_cast<long long>(figures.longestTick.count()),
      figures.stops, static_cast<long long>(figures.longestStop.count()), figures.mostDownloading,
      figures.meanDownloading, figures.rssAfterWarmUpKiB, figures.rssPeakKiB);
  return figures;
}

}  // namespace vumbrel::test
