// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>
#include <QString>
#include <QTreeWidget>
#include <vector>

namespace vumbrel::ui {

// The task list 超级列表框1: a report view with five columns, single full-row
// selection, grid lines, movable but unsortable headers and the row pictures.
// Column indexes are logical: dragging a header changes only the display.
// Rows and columns are 0-based; a row that does not exist reads as the empty
// text or the state 0, and writing to it does nothing.
class TaskView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TaskView(QWidget* parent = nullptr);

  int rowCount() const;
  // A row with five empty texts and no picture; returns its index.
  int appendRow();
  void deleteAllRows();
  // The row's picture index (-1 while it has none).
  int rowState(int row) const;
  // Shows picture `state` (0..4); any other value shows none.
  void setRowState(int row, int state);
  QString cellText(int row, int column) const;
  void setCellText(int row, int column, const QString& text);
  // The selected row, or -1.
  int currentRow() const;
  // Selects the row and gives it the focus mark; any other index clears the
  // selection.
  void setCurrentRow(int row);

  const std::vector<QPixmap>& pictures() const { return pictures_; }

 private:
  std::vector<QPixmap> pictures_;
};

}  // namespace vumbrel::ui
