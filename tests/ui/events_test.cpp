// SPDX-License-Identifier: MIT
// The window's events: minimising into the tray, the tray codes, the popup
// menus, the contact box, the folder picker, the buttons and the timer.
#include <gtest/gtest.h>

#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "qt_app.h"
#include "ui/window_texts.h"

namespace vumbrel::test {
namespace {

// While it lives, runs `act` on the first popup or modal window that opens
// (from inside that window's nested event loop).
class WhenOpen {
 public:
  explicit WhenOpen(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    QObject::connect(&poll_, &QTimer::timeout, [this] {
      QWidget* open = QApplication::activePopupWidget();
      if (!open) open = QApplication::activeModalWidget();
      if (!open || !open->isVisible()) return;
      poll_.stop();
      act_(open);
    });
    poll_.start(5);
  }

 private:
  std::function<void(QWidget*)> act_;
  QTimer poll_;
};

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f.window->load();
    ASSERT_TRUE(waitUntil([&] { return f.window->isVisible(); }));
  }
  void minimise() {
    f.window->showMinimized();
    ASSERT_TRUE(waitUntil([&] { return !f.window->isVisible(); }));
  }
  // The menu that showTrayMenu(code) opens, or nullptr.
  QWidget* trayMenuFor(int code) {
    QWidget* seen = nullptr;
    WhenOpen open1([&seen](QWidget* w) {
      seen = w;
      w->close();
    });
    f.window->showTrayMenu(code);
    if (!seen) QApplication::processEvents();  // let a stale poll see nothing
    return seen;
  }
  WindowFixture f;
};

TEST_F(EventsTest, MinimiseHidesAndShowWindowRestoresCentred) {
  f.window->move(20, 30);
  ASSERT_TRUE(waitUntil([&] { return f.window->frameGeometry().topLeft() == QPoint(20, 30); }));
  minimise();
  EXPECT_TRUE(f.window->isMinimized());
  EXPECT_TRUE(f.window->isHidden());
  EXPECT_TRUE(f.window->tray()->added()) << "the tray icon stays";

  f.window->trayMenu()->actions().at(0)->trigger();  // "显示窗口"
  ASSERT_TRUE(waitUntil([&] { return f.window->isVisible(); }));
  EXPECT_FALSE(f.window->isMinimized());
  const QRect screen = f.window->screen()->geometry();
  EXPECT_EQ(f.window->frameGeometry().topLeft(),
            QPoint((screen.width() - 805) / 2, (screen.height() - 621) / 2));
}

TEST_F(EventsTest, TrayOpensShowMenuOnlyWhileMinimisedOnLeftClicks) {
  for (int code : {1, 2, 3}) EXPECT_EQ(trayMenuFor(code), nullptr) << "shown: " << code;
  minimise();
  const QPoint pointer = QCursor::pos();
  for (int code : {1, 2}) {
    QWidget* menu = trayMenuFor(code);
    EXPECT_EQ(menu, f.window->trayMenu()) << code;
    if (menu) {
      EXPECT_EQ(menu->pos(), pointer + QPoint(3, 3));
    }
  }
  EXPECT_EQ(trayMenuFor(3), nullptr);
  EXPECT_EQ(trayMenuFor(0), nullptr);
  // The tray icon's own activation reaches the same handler.
  QWidget* seen = nullptr;
  {
    WhenOpen open([&seen](QWidget* w) {
      seen = w;
      w->close();
    });
    emit f.window->tray()->icon()->activated(QSystemTrayIcon::DoubleClick);
  }
  EXPECT_EQ(seen, f.window->trayMenu());
  EXPECT_TRUE(f.window->isHidden());
}

TEST_F(EventsTest, RightClickOnEmptyListOpensTaskMenuAtPointer) {
  auto* list = f.find<ui::TaskView>("超级列表框1");
  QWidget* seen = nullptr;
  QPoint at;
  WhenOpen open2([&](QWidget* w) {
    seen = w;
    at = w->pos();
    // Choose "停止" with the keyboard, as a user may.
    QTest::keyClick(w, Qt::Key_Down);
    QTest::keyClick(w, Qt::Key_Down);
    QTest::keyClick(w, Qt::Key_Return);
  });
  const QPoint click = list->viewport()->rect().center();
  QCursor::setPos(list->viewport()->mapToGlobal(click));
  const QPoint pointer = QCursor::pos();
  QContextMenuEvent event(QContextMenuEvent::Mouse, click, list->viewport()->mapToGlobal(click));
  QApplication::sendEvent(list->viewport(), &event);
  EXPECT_EQ(seen, f.window->taskMenu());
  EXPECT_EQ(at, pointer);
  EXPECT_EQ(f.stops, 1);
  EXPECT_EQ(f.starts, 0);
  f.window->taskMenu()->actions().at(0)->trigger();
  EXPECT_EQ(f.starts, 1);
}

TEST_F(EventsTest, ResolveButtonRunsItsHook) {
  QTest::mouseClick(f.find<QPushButton>("按钮3"), Qt::LeftButton);
  EXPECT_EQ(f.resolveClicks, 1);
  f.window->setResolveEnabled(false);
  EXPECT_FALSE(f.find<QPushButton>("按钮3")->isEnabled());
  QTest::mouseClick(f.find<QPushButton>("按钮3"), Qt::LeftButton);
  EXPECT_EQ(f.resolveClicks, 1);
}

TEST_F(EventsTest, ContactBoxWhileTheTimerTicks) {
  f.window->setMonitorPeriod(5);
  QString text, title;
  int ticksInside = 0;
  bool hasIcon = true;
  int buttons = 0;
  WhenOpen open3([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    text = box->text();
    title = box->windowTitle();
    hasIcon = box->icon() != QMessageBox::NoIcon;
    buttons = box->buttons().size();
    const int before = f.ticks;
    QTimer::singleShot(60, box, [&, box, before] {
      ticksInside = f.ticks - before;
      box->accept();
    });
  });
  f.window->trayMenu()->actions().at(1)->trigger();  // "联系作者"
  EXPECT_EQ(text, utf8("作者联系QQ：") + utf8(ui::kContactNumber));
  EXPECT_EQ(title, utf8("联系作者"));
  EXPECT_FALSE(hasIcon);
  EXPECT_EQ(buttons, 1);
  EXPECT_GT(ticksInside, 0) << "ticks go on in the nested loop";
}

TEST_F(EventsTest, FolderPickerSetsTheFolderAndCancelKeepsIt) {
  QTemporaryDir dir;
  auto* edit = f.find<QLineEdit>("编辑框3");
  edit->setText(utf8("/keep"));
  QString title;
  // Picks `folder` in the picker, or cancels it when `folder` is empty.
  auto pick = [&](const QString& folder) {
    WhenOpen open([&](QWidget* w) {
      auto* picker = qobject_cast<QFileDialog*>(w);
      ASSERT_NE(picker, nullptr);
      title = picker->windowTitle();
      if (folder.isEmpty()) {
        picker->reject();
        return;
      }
      picker->setDirectory(folder);
      picker->selectFile(folder);
      QMetaObject::invokeMethod(picker, "accept");
    });
    QTest::mouseClick(f.find<QPushButton>("按钮5"), Qt::LeftButton);
  };
  pick(QString());
  EXPECT_EQ(title, utf8("文件保存路径"));
  EXPECT_EQ(edit->text(), utf8("/keep"));
  pick(dir.path());
  EXPECT_EQ(edit->text(), QDir::toNativeSeparators(dir.path()));
  pick(QDir::rootPath());
  EXPECT_EQ(edit->text(), QDir::toNativeSeparators(QDir::rootPath()))
      << "a root keeps its separator";
}

TEST_F(EventsTest, TimerPeriodSemantics) {
  QTimer* timer = f.window->monitorTimer();
  f.window->setMonitorPeriod(-5);
  EXPECT_EQ(f.window->monitorPeriod(), 0);
  EXPECT_FALSE(timer->isActive());

  f.window->setMonitorPeriod(1000);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 1000);
  QTest::qWait(30);
  const int left = timer->remainingTime();
  f.window->setMonitorPeriod(1000);  // the same period keeps the rhythm
  EXPECT_LE(timer->remainingTime(), left);

  f.window->setMonitorPeriod(2000);  // a new period starts over
  EXPECT_GT(timer->remainingTime(), 1000);

  f.window->setMonitorPeriod(10);
  ASSERT_TRUE(waitUntil([&] { return f.ticks >= 3; }));
  f.window->setMonitorPeriod(0);
  EXPECT_FALSE(timer->isActive());
  const int ticks = f.ticks;
  QTest::qWait(40);
  EXPECT_EQ(f.ticks, ticks);
}

TEST_F(EventsTest, EnterMovesNothingAndChecksReadTicked) {
  auto* edit = f.find<QLineEdit>("编辑框2");
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(f.resolveClicks, 0);
  EXPECT_TRUE(f.window->isVisible());
  EXPECT_FALSE(f.window->addTasksTicked());
  f.find<QCheckBox>("选择框3")->setCheckState(Qt::Checked);
  f.find<QCheckBox>("选择框1")->setCheckState(Qt::PartiallyChecked);
  EXPECT_TRUE(f.window->addTasksTicked());
  EXPECT_FALSE(f.window->autoDownloadTicked()) << "only the ticked state counts";
}

}  // namespace
}  // namespace vumbrel::test
