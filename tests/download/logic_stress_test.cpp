// SPDX-License-Identifier: MIT
// Resolves, starts, stops, ticks and engine notifications from their real
// threads at once, then the exit clean-up: no race, no deadlock, no leak.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "download/notifications.h"
#include "download/progress_monitor.h"
#include "download/start_stop.h"
#include "headless_system.h"
#include "resolve/resolve_page.h"
#include "resolve_site.h"
#include "temp_dir.h"

namespace vumbrel {
namespace {

using namespace std::chrono_literals;

TEST(LogicStress, EverythingAtOnceThenReleaseAll) {
  test::ResolveSite site;
  test::TempDir dir;
  std::vector<std::string> titles, streams;
  for (int i = 0; i < 4; ++i) {
    const std::string path = "/s" + std::to_string(i);
    site.media.route(path, test::bodyHandler(200000 + 1000 * i));
    titles.push_back("t" + std::to_string(i % 3));  // two rows share a title
    streams.push_back(site.media.url(path));
  }
  site.setTitles(titles);
  site.setStreams(streams);

  auto sys = std::make_unique<test::HeadlessSystem>();
  HeadlessControls& controls = sys->controls;
  System& system = sys->system;
  system.resolverBase = site.resolverBase();
  controls.setClipboardText(site.pageUrl());
  controls.setSaveFolder(dir.path().string());
  resolvePage(system);

  // Notifications for live and stale task ids, as a late engine thread sends them.
  std::atomic<bool> running{true};
  std::thread notifier([&] {
    std::vector<int32_t> seen;
    std::mt19937 random(7);
    while (running) {
      const size_t count = slotCount(system.state);
      for (size_t i = 0; i < count; ++i) {
        if (SlotLease slot = leaseSlot(system.state, static_cast<int>(i))) {
          const int32_t id = getTaskId(slot->engine.get());
          if (id != -1) seen.push_back(id);
        }
      }
      if (!seen.empty()) {
        const int32_t id = seen[random() % seen.size()];
        onEngineStatus(system, random() % 2 ? StatusBlockWritten : StatusStarted, 0, 0, "", id);
        onEngineThreadInfo(system, static_cast<int32_t>(random() % 4), "", "m", 0, id);
      }
      std::this_thread::sleep_for(1ms);
    }
  });

  // The window's thread: the user's commands and the monitor's ticks.
  std::mt19937 random(42);
  const auto end = std::chrono::steady_clock::now() + 3s;
  while (std::chrono::steady_clock::now() < end) {
    const int rows = std::max(1, controls.rowCount());
    switch (random() % 6) {
      case 0:
      case 1:
        progressTick(system);
        break;
      case 2:
        controls.setCurrentRow(static_cast<int>(random() % rows));
        startSelectedDownloadOnWorker(system);
        break;
      case 3:
        controls.setCurrentRow(static_cast<int>(random() % rows));
        stopSelectedDownload(system);
        break;
      case 4:
        if (controls.resolveEnabled() && random() % 4 == 0) {
          controls.setAddTasksTicked(random() % 2);
          startResolve(system);
        }
        break;
      case 5:
        controls.setAutoDownloadTicked(random() % 2);
        break;
    }
    std::this_thread::sleep_for(2ms);
  }
  running = false;
  notifier.join();
  system.waitForWorkers();
  EXPECT_TRUE(controls.resolveEnabled());
  EXPECT_GT(controls.monitorStarts(), 0);
  EXPECT_EQ(slotCount(system.state), static_cast<size_t>(controls.rowCount()));
  sys.reset();  // waits for the workers and runs releaseAll
}

}  // namespace
}  // namespace vumbrel
