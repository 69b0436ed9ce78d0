// SPDX-License-Identifier: MIT
// The exit clean-up with downloads still running: every live task stopped,
// every slot released, and nothing left writing afterwards.
#include "ui/exit_cleanup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/task_list.h"
#include "download/engine.h"
#include "download/start_stop.h"
#include "download_routes.h"
#include "headless_system.h"
#include "loopback_server.h"
#include "temp_dir.h"

namespace vumbrel::test {
namespace {

constexpr std::uint64_t kSize = 4 * 1024 * 1024;

bool allLive(HeadlessSystem& h, int rows) {
  for (int i = 0; i < rows; ++i) {
    SlotLease slot = leaseSlot(h.system.state, i);
    if (!slot || getTaskId(slot->engine.get()) == -1) return false;
  }
  return true;
}

TEST(ExitCleanupTest, StopsEveryRunningDownloadThenReleasesAll) {
  LoopbackServer server;
  // Each transfer stalls after its first bytes, so every task is still live.
  server.route("/v*", faultyBody(kSize, {.stallAt = 4096, .stallFor = std::chrono::seconds(20)}));
  TempDir folder;
  HeadlessSystem h;
  h.controls.setSaveFolder(folder.path().string());
  const int rows = 3;
  h.addRows({Waiting, Waiting, Waiting, Waiting});
  h.setStreamAddresses({server.url("/v0"), server.url("/v1"), server.url("/v2")});
  for (int i = 0; i < rows; ++i) startRow(h.system, i);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!allLive(h, rows) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(allLive(h, rows));
  ASSERT_TRUE(server.waitForRequests(rows));

  ui::stopAllAndRelease(h.system);
  EXPECT_EQ(slotCount(h.system.state), 0u);
  {
    std::lock_guard<std::mutex> lock(h.system.state.mutex);
    EXPECT_TRUE(h.system.state.streamAddresses.empty());
    EXPECT_TRUE(h.system.state.itemTitles.empty());
  }
  // Nothing writes any more: the files keep their size.
  std::vector<std::uintmax_t> sizes;
  for (int i = 0; i < rows; ++i) {
    std::error_code error;
    sizes.push_back(
        std::filesystem::file_size(folder / ("row" + std::to_string(i) + ".mp4"), error));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  for (int i = 0; i < rows; ++i) {
    std::error_code error;
    EXPECT_EQ(std::filesystem::file_size(folder / ("row" + std::to_string(i) + ".mp4"), error),
              sizes[i]);
  }
}

TEST(ExitCleanupTest, WithNoSlotsFreesTheEmptyLists) {
  HeadlessSystem h;
  ui::stopAllAndRelease(h.system);
  EXPECT_EQ(slotCount(h.system.state), 0u);
}

}  // namespace
}  // namespace vumbrel::test
