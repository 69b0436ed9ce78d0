// SPDX-License-Identifier: MIT
#include "task_view.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include "app/task_list.h"
#include "pictures.h"

namespace vumbrel::ui {
namespace {

constexpr int kStateRole = Qt::UserRole + 1;

struct ColumnSpec {
  const char* caption;
  int width;
  Qt::Alignment alignment;
};

// Column 0 has seventeen blanks before its name.
const ColumnSpec kColumns[kColumnCount] = {
    {"                 文件名", 300, Qt::AlignLeft | Qt::AlignVCenter},
    {"文件大小&进度(%)", 120, Qt::AlignCenter},
    {"下载速度(k/s)", 90, Qt::AlignCenter},
    {"总文件大小", 100, Qt::AlignCenter},
    {"已完成大小", 100, Qt::AlignCenter},
};

// Draws each cell without hover and, while the list lacks the focus, without
// the selection; then the grid lines along its right and bottom edges.
class GridDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem opt(option);
    opt.state &= ~QStyle::State_MouseOver;
    const QWidget* view = parent() ? qobject_cast<const QWidget*>(parent()) : nullptr;
    if (view && !view->hasFocus()) opt.state &= ~QStyle::State_Selected;
    QStyledItemDelegate::paint(painter, opt, index);
    painter->save();
    painter->setPen(QColor(0xd0, 0xd0, 0xd0));
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
  }
};

}  // namespace

TaskView::TaskView(QWidget* parent) : QTreeWidget(parent), pictures_(rowPictures()) {
  setColumnCount(kColumnCount);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setIndentation(0);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setAllColumnsShowFocus(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setMouseTracking(false);
  viewport()->setAttribute(Qt::WA_Hover, false);
  setIconSize(kRowPictureSize);
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setItemDelegate(new GridDelegate(this));

  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Text, Qt::black);
  setPalette(colours);

  QTreeWidgetItem* head = headerItem();
  for (int c = 0; c < kColumnCount; ++c) {
    head->setText(c, QString::fromUtf8(kColumns[c].caption));
    head->setTextAlignment(c, kColumns[c].alignment);
  }
  QHeaderView* h = header();
  h->setStretchLastSection(false);
  h->setSectionsMovable(true);
  h->setSectionsClickable(false);
  h->setSortIndicatorShown(false);
  h->setFirstSectionMovable(true);
  for (int c = 0; c < kColumnCount; ++c) {
    h->setSectionResizeMode(c, QHeaderView::Interactive);
    h->resizeSection(c, kColumns[c].width);
  }
}

int TaskView::rowCount() const { return topLevelItemCount(); }

int TaskView::appendRow() {
  auto* item = new QTreeWidgetItem;
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  item->setData(0, kStateRole, kNoPicture);
  for (int c = 0; c < kColumnCount; ++c) item->setTextAlignment(c, kColumns[c].alignment);
  addTopLevelItem(item);
  return rowCount() - 1;
}

void TaskView::deleteAllRows() { clear(); }

int TaskView::rowState(int row) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item ? item->data(0, kStateRole).toInt() : 0;
}

void TaskView::setRowState(int row, int state) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (!item) return;
  item->setData(0, kStateRole, state);
  const bool shown = state >= 0 && state < static_cast<int>(pictures_.size());
  item->setIcon(0, shown ? QIcon(pictures_[state]) : QIcon());
}

QString TaskView::cellText(int row, int column) const {
  const QTreeWidgetItem* item = topLevelItem(row);
  return item && column >= 0 && column < kColumnCount ? item->text(column) : QString();
}

void TaskView::setCellText(int row, int column, const QString& text) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (item && column >= 0 && column < kColumnCount) item->setText(column, text);
}

int TaskView::currentRow() const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? NoRow : indexOfTopLevelItem(selected.first());
}

void TaskView::setCurrentRow(int row) {
  QTreeWidgetItem* item = topLevelItem(row);
  if (!item) {
    clearSelection();
    return;
  }
  setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

}  // namespace vumbrel::ui
