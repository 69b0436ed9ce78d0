// SPDX-License-Identifier: MIT
// Every way of ending the program: exit code 0, the tray icon removed, the
// clean-up run once, and no handler reached afterwards.
#include <gtest/gtest.h>

#include <QTest>

#include "qt_app.h"

namespace vumbrel::test {
namespace {

struct ExitCase {
  const char* name;
  std::function<void(ui::MainWindow&)> end;
};

class ExitTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitTest, EndsWithCodeZeroAndCleansUpOnce) {
  WindowFixture f;
  f.window->load();
  ASSERT_TRUE(waitUntil([&] { return f.window->isVisible(); }));
  f.window->setMonitorPeriod(5);
  int cleanupsBeforeExit = -1;
  QTimer::singleShot(20, f.window.get(), [&] {
    GetParam().end(*f.window);
    cleanupsBeforeExit = f.cleanups;  // already run, on this thread, window still alive
  });
  const int code = QApplication::exec();
  EXPECT_EQ(code, 0);
  EXPECT_EQ(cleanupsBeforeExit, 1);
  EXPECT_TRUE(f.window->quitting());
  EXPECT_FALSE(f.window->tray()->added());
  EXPECT_FALSE(f.window->monitorTimer()->isActive());

  const int ticks = f.ticks;
  QTest::qWait(30);
  f.window->close();
  f.window->trayMenu()->actions().at(2)->trigger();
  f.window->taskMenu()->actions().at(0)->trigger();
  EXPECT_EQ(f.ticks, ticks);
  EXPECT_EQ(f.starts, 0) << "no handler after the exit began";
  f.window.reset();
  EXPECT_EQ(f.cleanups, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ExitTest,
    ::testing::Values(
        ExitCase{"Esc", [](ui::MainWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        ExitCase{"EscInPageBox",
                 [](ui::MainWindow& w) {
                   QWidget* edit = w.findChild<QWidget*>(utf8("编辑框2"));
                   edit->setFocus();
                   QTest::keyClick(edit, Qt::Key_Escape);
                 }},
        ExitCase{"EscInList",
                 [](ui::MainWindow& w) {
                   QWidget* list = w.findChild<QWidget*>(utf8("超级列表框1"));
                   list->setFocus();
                   QTest::keyClick(list, Qt::Key_Escape);
                 }},
        ExitCase{"QuitItem", [](ui::MainWindow& w) { w.trayMenu()->actions().at(2)->trigger(); }},
        ExitCase{"CloseBox", [](ui::MainWindow& w) { w.close(); }},
        ExitCase{"LoopEndsByItself", [](ui::MainWindow&) { QCoreApplication::quit(); }}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return info.param.name; });

TEST(ExitOnDestroyTest, DestroyingTheWindowRunsTheCleanUpOnce) {
  WindowFixture f;
  f.window->load();
  f.window.reset();
  EXPECT_EQ(f.cleanups, 1);
}

}  // namespace
}  // namespace vumbrel::test
