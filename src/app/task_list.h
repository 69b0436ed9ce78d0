// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vumbrel {

// A row's image index, used as its state.
enum RowState : int {
  Downloading = 0,
  Finished = 3,
  Waiting = 4,
};

// The image index of a row that was appended and not yet given a state.
constexpr int kNoPicture = -1;
constexpr int NoRow = -1;

enum TaskColumn : int {
  ColumnTitle = 0,
  ColumnProgress = 1,
  ColumnSpeed = 2,
  ColumnTotalSize = 3,
  ColumnDownloaded = 4,
};
constexpr int kColumnCount = 5;

struct TaskRow {
  std::array<std::string, kColumnCount> cells;
  int image = kNoPicture;
};

// The rows of the task list as a plain model. Rows and columns are 0-based.
// Reading a row or column that does not exist yields the empty text or the
// state 0; writing one does nothing. Not thread-safe by itself: the window
// and the headless controls serialise every operation.
class TaskList {
 public:
  int rowCount() const;
  // Adds a row with five empty texts and no picture; returns its index.
  int appendRow();
  // Removes every row; afterwards currentRow() is NoRow.
  void deleteAllRows();
  int rowState(int row) const;
  void setRowState(int row, int state);
  std::string cellText(int row, int column) const;
  void setCellText(int row, int column, const std::string& text);
  int currentRow() const;
  // Selects an existing row; any other index clears the selection.
  void setCurrentRow(int row);

  const std::vector<TaskRow>& rows() const { return rows_; }

 private:
  bool hasCell(int row, int column) const;

  std::vector<TaskRow> rows_;
  int current_ = NoRow;
};

}  // namespace vumbrel
