// SPDX-License-Identifier: MIT
#include "app/task_list.h"

#include <gtest/gtest.h>

namespace vumbrel {
namespace {

TEST(TaskList, StartsEmptyWithNoCurrentRow) {
  TaskList list;
  EXPECT_EQ(list.rowCount(), 0);
  EXPECT_EQ(list.currentRow(), NoRow);
  list.deleteAllRows();
  EXPECT_EQ(list.rowCount(), 0);
}

TEST(TaskList, AppendedRowsHaveEmptyCellsAndNoPicture) {
  TaskList list;
  EXPECT_EQ(list.appendRow(), 0);
  EXPECT_EQ(list.appendRow(), 1);
  EXPECT_EQ(list.rowState(1), kNoPicture);
  for (int c = 0; c < kColumnCount; ++c) EXPECT_EQ(list.cellText(1, c), "");
  list.setRowState(1, Waiting);
  list.setCellText(1, ColumnTitle, "t");
  EXPECT_EQ(list.rowState(1), Waiting);
  EXPECT_EQ(list.cellText(1, ColumnTitle), "t");
  EXPECT_EQ(list.cellText(0, ColumnTitle), "");
}

TEST(TaskList, RowsThatDoNotExistReadEmptyAndIgnoreWrites) {
  TaskList list;
  list.appendRow();
  list.setRowState(0, Finished);
  for (int row : {-1, 1, 100}) {
    SCOPED_TRACE(row);
    list.setRowState(row, Waiting);
    list.setCellText(row, ColumnTitle, "x");
    EXPECT_EQ(list.rowState(row), 0);
    EXPECT_EQ(list.cellText(row, ColumnTitle), "");
  }
  list.setCellText(0, 5, "x");
  list.setCellText(0, -1, "x");
  EXPECT_EQ(list.cellText(0, 5), "");
  EXPECT_EQ(list.rowState(0), Finished);
  EXPECT_EQ(list.rows().size(), 1u);
}

TEST(TaskList, CurrentRowFollowsSelectionAndDeleteClearsIt) {
  TaskList list;
  list.appendRow();
  list.appendRow();
  list.setCurrentRow(1);
  EXPECT_EQ(list.currentRow(), 1);
  list.setCurrentRow(7);
  EXPECT_EQ(list.currentRow(), NoRow);
  list.setCurrentRow(0);
  list.deleteAllRows();
  EXPECT_EQ(list.currentRow(), NoRow);
  EXPECT_EQ(list.rowCount(), 0);
}

}  // namespace
}  // namespace vumbrel
