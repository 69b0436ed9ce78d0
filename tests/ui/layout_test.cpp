// SPDX-License-Identifier: MIT
// The window as created: frame, caption, every control with its kind, place,
// caption, stacking, tab stops and initial state; the status bar and menus.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "qt_app.h"
#include "ui/flat_style.h"
#include "ui/gbk_text.h"
#include "ui/window_texts.h"

namespace vumbrel::test {
namespace {

struct ControlCase {
  const char* name;
  const char* kind;  // Qt class name
  QRect geometry;    // relative to the tab control
  const char* caption;
  bool tabStop;
};

// In stacking order, the first on top.
const ControlCase kPageControls[] = {
    {"选择框3", "QCheckBox", {584, 34, 80, 24}, "增加任务", true},
    {"超级列表框1", "vumbrel::ui::TaskView", {10, 69, 744, 416}, "", true},
    {"按钮3", "QPushButton", {488, 35, 84, 22}, "一键获取内容", true},
    {"选择框1", "QCheckBox", {672, 35, 80, 24}, "自动下载", true},
    {"按钮5", "QPushButton", {548, 497, 68, 29}, "文件路径", true},
    {"标签4", "QLabel", {17, 500, 84, 21}, "文件保存路径：", false},
    {"编辑框3", "QLineEdit", {104, 500, 444, 21}, nullptr, true},
    {"标签1", "QLabel", {16, 36, 72, 24}, "课程页面：", false},
    {"编辑框2", "QLineEdit", {88, 35, 392, 21}, ui::kSamplePageAddress, true},
};

QString captionOf(QWidget* w) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  return {};
}

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f.window->show();
    ASSERT_TRUE(waitUntil([&] { return f.window->isVisible(); }));
  }
  WindowFixture f;
};

TEST_F(LayoutTest, FrameCaptionAndPlace) {
  ui::MainWindow& w = *f.window;
  EXPECT_EQ(w.frameGeometry().size(), QSize(805, 621));
  const QRect screen = w.screen()->geometry();
  EXPECT_EQ(w.frameGeometry().topLeft(),
            QPoint((screen.width() - 805) / 2, (screen.height() - 621) / 2));
  EXPECT_EQ(w.windowTitle(), utf8("Vumbrel           作者联系QQ：") + utf8(ui::kContactNumber));
  EXPECT_EQ(ui::toGbk(w.windowTitle()),
            std::string("Vumbrel           \xd7\xf7\xd5\xdf\xc1\xaa\xcf\xb5QQ\xa3\xba") +
                ui::kContactNumber);
  EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "fixed frame";
  const Qt::WindowFlags flags = w.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(w.windowIcon().isNull());
  EXPECT_EQ(w.windowIcon().pixmap(QSize(32, 32)).size(), QSize(32, 32));
  EXPECT_EQ(w.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
  EXPECT_EQ(w.backgroundRole(), QPalette::Window);
  EXPECT_TRUE(w.findChildren<QMenuBar*>().isEmpty());
  EXPECT_EQ(f.find<QTimer>("时钟5")->isActive(), false);
  EXPECT_EQ(w.monitorPeriod(), 0);
}

TEST_F(LayoutTest, EveryControlByName) {
  auto* tabs = f.find<QTabWidget>("选择夹1");
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->geometry(), QRect(8, 8, 776, 533));
  EXPECT_EQ(tabs->count(), 1);
  EXPECT_EQ(tabs->tabText(0), utf8("Vumbrel"));
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(tabs->tabPosition(), QTabWidget::North);
  EXPECT_EQ(tabs->focusPolicy(), Qt::NoFocus);
  QWidget* page = tabs->widget(0);

  std::vector<QWidget*> inOrder;
  for (const ControlCase& c : kPageControls) {
    SCOPED_TRACE(c.name);
    auto* w = f.find<QWidget>(c.name);
    ASSERT_NE(w, nullptr);
    EXPECT_STREQ(w->metaObject()->className(), c.kind);
    EXPECT_EQ(w->parentWidget(), page);
    EXPECT_EQ(QRect(w->mapTo(tabs, QPoint(0, 0)), w->size()), c.geometry);
    EXPECT_TRUE(w->isEnabled());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(bool(w->focusPolicy() & Qt::TabFocus), c.tabStop);
    if (c.caption) {
      EXPECT_EQ(captionOf(w), utf8(c.caption));
    }
    inOrder.push_back(w);
  }
  // Qt keeps children bottom first: the table's first control is the last.
  std::vector<QWidget*> stacking;
  for (QObject* o : page->children())
    if (auto* w = qobject_cast<QWidget*>(o); w && w->property("vumbrelPlace").isValid())
      stacking.insert(stacking.begin(), w);
  EXPECT_EQ(stacking, inOrder);

  // Tab stops follow the stacking order.
  std::vector<QWidget*> stops;
  for (QWidget* w : inOrder)
    if (w->focusPolicy() & Qt::TabFocus) stops.push_back(w);
  auto nextStop = [](QWidget* w) {
    do w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible());
    return w;
  };
  for (size_t i = 1; i < stops.size(); ++i) EXPECT_EQ(nextStop(stops[i - 1]), stops[i]) << i;

  EXPECT_FALSE(f.find<QCheckBox>("选择框3")->isChecked());
  EXPECT_FALSE(f.find<QCheckBox>("选择框1")->isChecked());
  EXPECT_FALSE(f.find<QPushButton>("按钮3")->autoDefault());
  EXPECT_FALSE(f.find<QPushButton>("按钮5")->isDefault());
  EXPECT_TRUE(f.find<QLineEdit>("编辑框3")->text().isEmpty()) << "filled by the created event";
  EXPECT_FALSE(f.find<QLineEdit>("编辑框2")->isReadOnly());
  EXPECT_EQ(f.find<QLineEdit>("编辑框2")->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(f.find<QLabel>("标签1")->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
  // The status bar and the tab control: the status bar is on top.
  const QObjectList top = f.window->children();
  EXPECT_LT(top.indexOf(tabs), top.indexOf(f.find<QStatusBar>("状态条1")));
}

TEST_F(LayoutTest, StatusBarParts) {
  auto* bar = f.find<ui::PartStatusBar>("状态条1");
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isSizeGripEnabled());
  EXPECT_EQ(bar->geometry().bottom(), f.window->height() - 1);
  EXPECT_EQ(bar->width(), f.window->width());
  EXPECT_EQ(bar->focusPolicy(), Qt::NoFocus);
  const int lefts[] = {0, 330, 710};
  const int widths[] = {330, 380, 80};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(bar->part(i)->x(), lefts[i]);
    EXPECT_EQ(bar->part(i)->width(), widths[i]);
    EXPECT_EQ(bar->part(i)->frameShadow(), QFrame::Sunken);
  }
  EXPECT_EQ(bar->partText(0), QString());
  EXPECT_TRUE(bar->partText(1).endsWith(utf8("作者联系QQ：") + utf8(ui::kContactNumber)));
  EXPECT_EQ(bar->partText(2), utf8("ver.12.11"));

  f.window->setStatusText(0, "2 \xcf\xc2\xd4\xd8");  // "2 下载" in GBK
  EXPECT_EQ(bar->partText(0), utf8("2 下载"));
  f.window->setStatusText(3, "x");
  f.window->setStatusText(-1, "x");
  EXPECT_EQ(bar->partText(2), utf8("ver.12.11"));
}

TEST_F(LayoutTest, MenusInOrder) {
  struct MenuCase {
    QMenu* menu;
    const char* title;
    std::vector<const char*> items;
  };
  const MenuCase cases[] = {
      {f.window->taskMenu(), "菜单", {"开始", "停止"}},
      {f.window->trayMenu(), "显示", {"显示窗口", "联系作者", "退出程序"}},
  };
  for (const MenuCase& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(c.menu->title(), utf8(c.title));
    EXPECT_FALSE(c.menu->isVisible());
    const QList<QAction*> actions = c.menu->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(c.items.size()));
    for (size_t i = 0; i < c.items.size(); ++i) {
      EXPECT_EQ(actions[i]->text(), utf8(c.items[i]));
      EXPECT_TRUE(actions[i]->isEnabled());
      EXPECT_FALSE(actions[i]->isCheckable());
      EXPECT_TRUE(actions[i]->shortcut().isEmpty());
    }
  }
}

TEST_F(LayoutTest, CreatedEventFillsFolderSkinAndTray) {
  f.window->hide();
  f.window->load();
  ASSERT_TRUE(waitUntil([&] { return f.window->isVisible(); }));
  EXPECT_EQ(f.find<QLineEdit>("编辑框3")->text(),
            QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
  EXPECT_EQ(f.window->saveFolder(), ui::toGbk(QCoreApplication::applicationDirPath()));
  EXPECT_NE(qobject_cast<ui::FlatStyle*>(QApplication::style()), nullptr);
  EXPECT_TRUE(f.window->tray()->added());
  EXPECT_EQ(f.window->tray()->icon()->toolTip(),
            utf8("Vumbrel     作者联系QQ：") + utf8(ui::kContactNumber));
  EXPECT_FALSE(f.window->isMinimized());
}

}  // namespace
}  // namespace vumbrel::test
