// SPDX-License-Identifier: MIT
// Control operations from worker threads: carried onto the window's thread
// while the caller waits, also while that thread sits in a nested loop, and
// released at once when the program ends.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <thread>

#include "app/task_list.h"
#include "qt_app.h"

namespace vumbrel::test {
namespace {

TEST(WindowThreadsTest, WorkerCallsRunOnTheWindowThreadDuringANestedLoop) {
  WindowFixture f;
  ui::MainWindow& w = *f.window;
  QThread* windowThread = QThread::currentThread();
  std::atomic<bool> workerDone{false};
  std::atomic<bool> ranOnWindowThread{false};
  int rows = -1;
  std::string title;
  std::thread worker;

  // The window's thread is inside a menu's nested loop while the worker works.
  QTimer::singleShot(0, [&] {
    worker = std::thread([&] {
      for (int i = 0; i < 50; ++i) {
        const int row = w.appendRow();
        w.setCellText(row, 0, "t" + std::to_string(i));
        w.setRowState(row, 4);
      }
      rows = w.rowCount();
      title = w.cellText(49, 0);
      w.setCurrentRow(3);
      w.setMonitorPeriod(1000);
      w.setStatusText(0, "ok");
      w.setPageAddress("http://a/");
      ranOnWindowThread = w.monitorTimer()->thread() == windowThread && w.currentRow() == 3 &&
                          w.pageAddress() == "http://a/";
      workerDone = true;
    });
  });
  auto* closer = new QTimer(&w);
  QObject::connect(closer, &QTimer::timeout, [&] {
    if (workerDone) w.taskMenu()->close();
  });
  closer->start(5);
  w.taskMenu()->exec(QPoint(100, 100));
  worker.join();
  EXPECT_EQ(rows, 50);
  EXPECT_EQ(title, "t49");
  EXPECT_TRUE(ranOnWindowThread);
  EXPECT_EQ(w.monitorPeriod(), 1000);
  EXPECT_EQ(w.rowState(10), 4);
}

TEST(WindowThreadsTest, ManyWorkersAppendAtomically) {
  WindowFixture f;
  ui::MainWindow& w = *f.window;
  std::atomic<int> finished{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < 100; ++i) w.setCellText(w.appendRow(), 1, "x");
      ++finished;
    });
  ASSERT_TRUE(waitUntil([&] { return finished == 4; }));
  for (auto& t : workers) t.join();
  EXPECT_EQ(w.rowCount(), 400);
  for (int r = 0; r < 400; ++r) ASSERT_EQ(w.cellText(r, 1), "x") << r;
}

TEST(WindowThreadsTest, QuittingReleasesWaitingCallersAndLaterCallsReturnAtOnce) {
  WindowFixture f;
  ui::MainWindow& w = *f.window;
  w.setPageAddress("kept");
  std::atomic<bool> waiting{false};
  std::string seen = "unset";
  std::thread worker;
  // The window's thread is busy in a handler that does not return to the
  // loop; the worker's call waits, and the exit must release it.
  QTimer::singleShot(0, &w, [&] {
    worker = std::thread([&] {
      waiting = true;
      seen = w.pageAddress();
    });
    while (!waiting) QThread::msleep(1);
    QThread::msleep(20);  // the worker is now waiting for this thread
    w.quitProgram();
  });
  QApplication::exec();
  worker.join();
  EXPECT_EQ(seen, "") << "released with the default";
  // After the exit began: defaults, at once, from any thread.
  std::thread late([&] {
    EXPECT_EQ(w.rowCount(), 0);
    EXPECT_EQ(w.appendRow(), NoRow);
    EXPECT_EQ(w.currentRow(), NoRow);
    EXPECT_FALSE(w.addTasksTicked());
    EXPECT_EQ(w.saveFolder(), "");
    w.setMonitorPeriod(10);
  });
  late.join();
  EXPECT_EQ(w.monitorPeriod(), 0);
  EXPECT_EQ(f.cleanups, 1);
}

}  // namespace
}  // namespace vumbrel::test
