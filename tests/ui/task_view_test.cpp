// SPDX-License-Identifier: MIT
// The task list: columns, pictures, selection and the task-list operations
// through the window's control interface.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QTest>

#include "app/task_list.h"
#include "qt_app.h"
#include "ui/pictures.h"

namespace vumbrel::test {
namespace {

class TaskViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list = f.find<ui::TaskView>("超级列表框1");
    ASSERT_NE(list, nullptr);
  }
  WindowFixture f;
  ui::TaskView* list = nullptr;
};

TEST_F(TaskViewTest, ColumnsCaptionsWidthsAlignments) {
  struct Column {
    const char* caption;
    int width;
    Qt::Alignment alignment;
  };
  const Column columns[] = {
      {"                 文件名", 300, Qt::AlignLeft | Qt::AlignVCenter},
      {"文件大小&进度(%)", 120, Qt::AlignCenter},
      {"下载速度(k/s)", 90, Qt::AlignCenter},
      {"总文件大小", 100, Qt::AlignCenter},
      {"已完成大小", 100, Qt::AlignCenter},
  };
  ASSERT_EQ(list->columnCount(), 5);
  QHeaderView* h = list->header();
  EXPECT_TRUE(h->isVisible() || !list->isVisible());
  EXPECT_FALSE(h->isHidden());
  EXPECT_TRUE(h->sectionsMovable());
  EXPECT_FALSE(h->sectionsClickable());
  EXPECT_FALSE(list->isSortingEnabled());
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_FALSE(list->rootIsDecorated());
  EXPECT_EQ(list->iconSize(), QSize(22, 20));
  const int row = f.window->appendRow();
  for (int c = 0; c < 5; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(list->headerItem()->text(c), utf8(columns[c].caption));
    EXPECT_EQ(h->sectionSize(c), columns[c].width);
    EXPECT_EQ(Qt::Alignment(list->headerItem()->textAlignment(c)), columns[c].alignment);
    EXPECT_EQ(Qt::Alignment(list->topLevelItem(row)->textAlignment(c)), columns[c].alignment);
    EXPECT_FALSE(list->topLevelItem(row)->flags() & Qt::ItemIsEditable);
  }
  EXPECT_EQ(list->headerItem()->text(0).indexOf(utf8("文件名")), 17);
}

TEST_F(TaskViewTest, RowPicturesAreTheState) {
  const std::vector<QPixmap> pictures = ui::rowPictures();
  ASSERT_EQ(pictures.size(), 5u);
  for (const QPixmap& p : pictures) {
    EXPECT_EQ(p.size(), QSize(22, 20));
    const QImage image = p.toImage();
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "transparent corner";
    EXPECT_GT(qAlpha(image.pixel(11, 10)) + qAlpha(image.pixel(8, 7)), 0) << "a drawn middle";
  }
  // The five pictures differ from one another.
  for (size_t i = 0; i < pictures.size(); ++i)
    for (size_t j = i + 1; j < pictures.size(); ++j)
      EXPECT_NE(pictures[i].toImage(), pictures[j].toImage()) << i << " " << j;
  // Play is green, the tick blue, the clock amber (their middle-left colour).
  EXPECT_GT(QColor(pictures[0].toImage().pixel(5, 10)).green(), 120);
  EXPECT_GT(QColor(pictures[3].toImage().pixel(5, 10)).blue(), 180);
  EXPECT_GT(QColor(pictures[4].toImage().pixel(5, 10)).red(), 200);

  const int row = f.window->appendRow();
  EXPECT_EQ(row, 0);
  EXPECT_EQ(f.window->rowState(row), kNoPicture);
  EXPECT_TRUE(list->topLevelItem(row)->icon(0).isNull()) << "no picture until set";
  for (int state : {Downloading, Finished, Waiting}) {
    f.window->setRowState(row, state);
    EXPECT_EQ(f.window->rowState(row), state);
    const QImage shown = list->topLevelItem(row)->icon(0).pixmap(QSize(22, 20)).toImage();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32),
              pictures[state].toImage().convertToFormat(QImage::Format_ARGB32));
  }
  EXPECT_EQ(f.window->rowState(5), 0) << "a missing row reads 0";
}

TEST_F(TaskViewTest, OperationsKeepLogicalColumnsWhateverTheOrder) {
  EXPECT_EQ(f.window->rowCount(), 0);
  EXPECT_EQ(f.window->currentRow(), NoRow);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(f.window->appendRow(), i);
  f.window->setCellText(1, ColumnTitle, "\xb5\xda\xd2\xbb\xbd\xda");  // 第一节
  f.window->setCellText(1, ColumnDownloaded, "1024");
  f.window->setCellText(7, ColumnTitle, "x");
  f.window->setCellText(1, 5, "x");
  // The user drags header 4 to the front: only the display changes.
  f.window->show();
  ASSERT_TRUE(waitUntil([&] { return list->isVisible(); }));
  QHeaderView* h = list->header();
  const QPoint from(h->sectionViewportPosition(4) + 50, h->height() / 2);
  const QPoint to(h->sectionViewportPosition(0) + 5, h->height() / 2);
  QTest::mousePress(h->viewport(), Qt::LeftButton, {}, from);
  for (int x = from.x(); x >= to.x(); x -= 20) QTest::mouseMove(h->viewport(), QPoint(x, to.y()));
  QTest::mouseMove(h->viewport(), to);
  QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, to);
  EXPECT_EQ(h->visualIndex(4), 0);
  h->moveSection(h->visualIndex(3), 1);
  EXPECT_EQ(f.window->cellText(1, ColumnTitle), "\xb5\xda\xd2\xbb\xbd\xda");
  EXPECT_EQ(list->topLevelItem(1)->text(0), utf8("第一节"));
  EXPECT_EQ(f.window->cellText(1, ColumnDownloaded), "1024");
  EXPECT_EQ(f.window->cellText(1, ColumnSpeed), "");
  EXPECT_EQ(f.window->cellText(9, ColumnTitle), "");
  EXPECT_EQ(f.window->cellText(1, -1), "");

  f.window->setCurrentRow(2);
  EXPECT_EQ(f.window->currentRow(), 2);
  EXPECT_EQ(list->currentItem(), list->topLevelItem(2)) << "the focus mark";
  f.window->setCurrentRow(0);
  EXPECT_EQ(f.window->currentRow(), 0);
  EXPECT_EQ(list->selectedItems().size(), 1);
  f.window->setCurrentRow(99);
  EXPECT_EQ(f.window->currentRow(), NoRow);

  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->topLevelItem(1)).center());
  EXPECT_EQ(f.window->currentRow(), 1) << "a click selects the row";

  f.window->deleteAllRows();
  EXPECT_EQ(f.window->rowCount(), 0);
  EXPECT_EQ(f.window->currentRow(), NoRow);
  f.window->deleteAllRows();
  EXPECT_EQ(f.window->rowCount(), 0);
}

}  // namespace
}  // namespace vumbrel::test
