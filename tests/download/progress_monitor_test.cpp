// SPDX-License-Identifier: MIT
#include "download/progress_monitor.h"

#include <gtest/gtest.h>

#include "headless_system.h"
#include "temp_dir.h"

namespace vumbrel {
namespace {

using test::HeadlessSystem;

// "有1个正在下载  有3个等待下载" in GBK.
const std::string kOneAndThree =
    "\xD3\xD0"
    "1\xB8\xF6\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8  \xD3\xD0"
    "3\xB8\xF6\xB5\xC8\xB4\xFD\xCF\xC2\xD4\xD8";

class ProgressMonitor : public ::testing::Test {
 protected:
  void SetUp() override { controls().setMonitorPeriod(1000); }
  HeadlessControls& controls() { return sys.controls; }
  void tick() { progressTick(sys.system); }

  HeadlessSystem sys;
};

TEST_F(ProgressMonitor, TicksFillTheCellsAndCountSeconds) {
  sys.addRows({Downloading});
  sys.setProgress(0, 10000000, 2500000);
  tick();
  EXPECT_EQ(sys.cell(0, 3), "10000000");
  EXPECT_EQ(sys.cell(0, 2), "0");  // no second has passed yet
  EXPECT_EQ(sys.cell(0, 4), "2500000");
  EXPECT_EQ(sys.cell(0, 1), "25.00");

  sys.setProgress(0, 10000000, 5000000);
  tick();
  EXPECT_EQ(sys.cell(0, 2), "5000");
  EXPECT_EQ(sys.cell(0, 4), "5000000");
  EXPECT_EQ(sys.cell(0, 1), "50.00");

  sys.setProgress(0, 10000000, 6000000);
  tick();
  EXPECT_EQ(sys.cell(0, 2), "3000");
  sys.withSlot(0, [](DownloadSlot& s) { EXPECT_EQ(s.elapsedSeconds, 3); });
  EXPECT_EQ(controls().rowState(0), Downloading);
  EXPECT_EQ(controls().monitorPeriod(), 1000);
}

TEST_F(ProgressMonitor, RowsWithoutUsableDataAreLeftAlone) {
  sys.addRows({Downloading, Downloading, Downloading, Waiting, Finished});
  for (int r = 0; r < 5; ++r) controls().setCellText(r, 3, "77");
  // Row 0 has no data, row 1 has nothing written yet, row 2 undecodable data,
  // rows 3 and 4 are not downloading.
  sys.setProgress(1, 100, 0);
  sys.withSlot(2, [](DownloadSlot& s) { s.taskData = "garbage"; });
  sys.setProgress(3, 100, 50);
  sys.setProgress(4, 100, 50);
  tick();
  for (int r = 0; r < 5; ++r) {
    EXPECT_EQ(sys.cell(r, 3), "77") << r;
    EXPECT_EQ(sys.cell(r, 1) + sys.cell(r, 2) + sys.cell(r, 4), "") << r;
    sys.withSlot(r, [](DownloadSlot& s) { EXPECT_EQ(s.elapsedSeconds, 0); });
  }
  EXPECT_EQ(controls().rowState(3), Waiting);
  EXPECT_EQ(controls().rowState(4), Finished);
}

TEST_F(ProgressMonitor, CompletionFinishesTheRowAndStopsTheTimer) {
  sys.addRows({Downloading, Waiting});
  sys.setProgress(0, 4096, 4096);
  tick();
  EXPECT_EQ(controls().rowState(0), Finished);
  EXPECT_EQ(sys.cell(0, 2), "0");
  EXPECT_EQ(sys.cell(0, 1), "100.00");
  EXPECT_EQ(sys.cell(0, 4), "4096");
  EXPECT_EQ(controls().rowState(1), Waiting);  // nothing is started without 自动下载
  EXPECT_EQ(controls().monitorPeriod(), 0);

  // A finished row is never updated again.
  sys.setProgress(0, 4096, 100);
  tick();
  EXPECT_EQ(sys.cell(0, 4), "4096");
}

TEST_F(ProgressMonitor, TwoRowsFinishingInOneTickKeepTheTimer) {
  sys.addRows({Downloading, Downloading});
  sys.setProgress(0, 100, 100);
  sys.setProgress(1, 200, 200);
  tick();
  EXPECT_EQ(controls().rowState(0), Finished);
  EXPECT_EQ(controls().rowState(1), Finished);
  // The first completion saw the second row still downloading.
  EXPECT_EQ(controls().monitorPeriod(), 1000);
  tick();
  EXPECT_EQ(controls().monitorPeriod(), 1000);
}

TEST_F(ProgressMonitor, AutoDownloadStartsTheNextWaitingRow) {
  test::TempDir dir;
  controls().setSaveFolder(dir.path().string());
  controls().setAutoDownloadTicked(true);
  sys.addRows({Downloading, Waiting, Waiting});
  sys.setStreamAddresses({"http://127.0.0.1:9/a", "http://127.0.0.1:9/b", "http://127.0.0.1:9/c"});
  sys.setProgress(0, 100, 100);
  tick();
  sys.system.waitForWorkers();
  EXPECT_EQ(controls().rowState(0), Finished);
  EXPECT_EQ(controls().rowState(1), Downloading);
  EXPECT_EQ(controls().rowState(2), Waiting);
  EXPECT_EQ(controls().currentRow(), 1);
  EXPECT_EQ(controls().monitorPeriod(), 1000);
  sys.withSlot(1, [](DownloadSlot& s) { EXPECT_EQ(s.settings.sourceUrl, "http://127.0.0.1:9/b"); });
}

TEST_F(ProgressMonitor, AutoDownloadStopsTheTimerWhenAllRowsFinished) {
  controls().setAutoDownloadTicked(true);
  sys.addRows({Finished, Downloading});
  controls().setCellText(1, 3, "100");
  sys.setProgress(1, 100, 100);
  tick();
  EXPECT_EQ(controls().monitorPeriod(), 0);
}

TEST_F(ProgressMonitor, SizeCellIsWrittenOnceAndJudgesCompletion) {
  sys.addRows({Downloading});
  controls().setCellText(0, 3, "999");  // left by an earlier download
  sys.setProgress(0, 1000, 999);
  tick();
  EXPECT_EQ(sys.cell(0, 3), "999");
  EXPECT_EQ(controls().rowState(0), Finished);
}

TEST_F(ProgressMonitor, UnknownSizeShowsZeroProgressAndNeverFinishes) {
  sys.addRows({Downloading, Downloading});
  // One connection, of a length the server never told.
  const std::string unknown = encodeTaskData({0, {{0, -1, 500}}});
  sys.withSlot(0, [&](DownloadSlot& s) { s.taskData = unknown; });
  sys.setProgress(1, 1000, 250);
  tick();
  EXPECT_EQ(sys.cell(0, 3), "0");
  EXPECT_EQ(sys.cell(0, 1), "0.00");
  EXPECT_EQ(sys.cell(0, 4), "500");
  EXPECT_EQ(controls().rowState(0), Downloading);
  EXPECT_EQ(sys.cell(1, 1), "25.00");  // the tick went on
}

TEST_F(ProgressMonitor, DownloadingRowWithoutSizeIsStartedAgain) {
  test::TempDir dir;
  controls().setSaveFolder(dir.path().string());
  sys.addRows({Waiting, Downloading, Downloading});
  controls().setCellText(2, 3, "50");
  sys.setStreamAddresses({"http://127.0.0.1:9/a", "http://127.0.0.1:9/b"});
  sys.withSlot(1, [](DownloadSlot& s) {
    s.elapsedSeconds = 7;
    s.taskData = "garbage";
  });
  tick();
  EXPECT_EQ(controls().currentRow(), 1);
  sys.withSlot(1, [](DownloadSlot& s) {
    EXPECT_EQ(s.elapsedSeconds, 0);
    EXPECT_EQ(s.taskData, "");
    EXPECT_EQ(s.settings.sourceUrl, "http://127.0.0.1:9/b");
  });
}

TEST_F(ProgressMonitor, StatusTextCountsDownloadingAndWaitingRows) {
  sys.addRows({Waiting, Downloading, Finished, Waiting, Waiting});
  controls().setCellText(1, 3, "10");
  tick();
  EXPECT_EQ(controls().statusText(0), kOneAndThree);
  EXPECT_EQ(controls().statusText(1), "");
}

}  // namespace
}  // namespace vumbrel
