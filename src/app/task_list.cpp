// SPDX-License-Identifier: MIT
#include "app/task_list.h"

namespace vumbrel {

int TaskList::rowCount() const { return static_cast<int>(rows_.size()); }

int TaskList::appendRow() {
  rows_.emplace_back();
  return rowCount() - 1;
}

void TaskList::deleteAllRows() {
  rows_.clear();
  current_ = NoRow;
}

int TaskList::rowState(int row) const {
  return row >= 0 && row < rowCount() ? rows_[row].image : 0;
}

void TaskList::setRowState(int row, int state) {
  if (row >= 0 && row < rowCount()) rows_[row].image = state;
}

bool TaskList::hasCell(int row, int column) const {
  return row >= 0 && row < rowCount() && column >= 0 && column < kColumnCount;
}

std::string TaskList::cellText(int row, int column) const {
  return hasCell(row, column) ? rows_[row].cells[column] : std::string();
}

void TaskList::setCellText(int row, int column, const std::string& text) {
  if (hasCell(row, column)) rows_[row].cells[column] = text;
}

int TaskList::currentRow() const { return current_; }

void TaskList::setCurrentRow(int row) { current_ = row >= 0 && row < rowCount() ? row : NoRow; }

}  // namespace vumbrel
