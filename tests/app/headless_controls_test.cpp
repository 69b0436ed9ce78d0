// SPDX-License-Identifier: MIT
#include "app/headless_controls.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace vumbrel {
namespace {

TEST(HeadlessControls, StartsLikeAFreshWindow) {
  HeadlessControls c;
  EXPECT_EQ(c.rowCount(), 0);
  EXPECT_EQ(c.currentRow(), NoRow);
  EXPECT_FALSE(c.addTasksTicked());
  EXPECT_FALSE(c.autoDownloadTicked());
  EXPECT_TRUE(c.resolveEnabled());
  EXPECT_EQ(c.monitorPeriod(), 0);
  EXPECT_EQ(c.statusText(0), "");
}

TEST(HeadlessControls, TimerPeriodSemantics) {
  HeadlessControls c;
  c.setMonitorPeriod(-5);
  EXPECT_EQ(c.monitorPeriod(), 0);
  EXPECT_EQ(c.monitorStarts(), 0);
  c.setMonitorPeriod(1000);
  c.setMonitorPeriod(1000);  // the same period keeps the rhythm
  EXPECT_EQ(c.monitorStarts(), 1);
  c.setMonitorPeriod(500);
  EXPECT_EQ(c.monitorStarts(), 2);
  c.setMonitorPeriod(-1);
  EXPECT_EQ(c.monitorPeriod(), 0);
  c.setMonitorPeriod(0);
  EXPECT_EQ(c.monitorStarts(), 2);
}

TEST(HeadlessControls, StatusPartsOutsideTheBarAreIgnored) {
  HeadlessControls c;
  for (int part : {-1, 0, 1, 2, 3}) c.setStatusText(part, "p" + std::to_string(part));
  EXPECT_EQ(c.statusText(0), "p0");
  EXPECT_EQ(c.statusText(2), "p2");
  EXPECT_EQ(c.statusText(3), "");
  EXPECT_EQ(c.statusText(-1), "");
}

TEST(HeadlessControls, TextsAndCheckBoxes) {
  HeadlessControls c;
  c.setClipboardText("clip");
  c.setPageAddress("page");
  c.setSaveFolder("folder");
  c.setAddTasksTicked(true);
  c.setAutoDownloadTicked(true);
  c.setResolveEnabled(false);
  EXPECT_EQ(c.clipboardText(), "clip");
  EXPECT_EQ(c.pageAddress(), "page");
  EXPECT_EQ(c.saveFolder(), "folder");
  EXPECT_TRUE(c.addTasksTicked());
  EXPECT_TRUE(c.autoDownloadTicked());
  EXPECT_FALSE(c.resolveEnabled());
}

TEST(HeadlessControls, TaskListOperationsFromManyThreads) {
  HeadlessControls c;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&c] {
      for (int i = 0; i < 200; ++i) {
        const int row = c.appendRow();
        c.setRowState(row, 4);
        c.setCellText(row, 0, "t");
        c.setCurrentRow(row);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  const std::vector<TaskRow> rows = c.rows();
  ASSERT_EQ(rows.size(), 800u);
  for (const TaskRow& row : rows) {
    EXPECT_EQ(row.image, 4);
    EXPECT_EQ(row.cells[0], "t");
  }
  c.deleteAllRows();
  EXPECT_EQ(c.currentRow(), NoRow);
  EXPECT_EQ(c.rowState(0), 0);
  EXPECT_EQ(c.cellText(0, 0), "");
}

}  // namespace
}  // namespace vumbrel
