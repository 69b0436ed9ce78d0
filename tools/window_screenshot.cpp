// SPDX-License-Identifier: MIT
// Saves a picture of the main window with rows in every state, for the
// README: window_screenshot <file.png>. Run it under a display (xvfb-run).
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "app/task_list.h"
#include "ui/exit_processing.h"
#include "ui/gbk_text.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_screenshot <file.png>\n");
    return 2;
  }
  QApplication app(argc, argv);
  vumbrel::ui::ExitProcessing exit;
  vumbrel::ui::MainWindow window({}, exit);
  window.load();
  window.setSaveFolder(vumbrel::ui::toGbk(QStringLiteral("/home/user/Videos")));

  struct Row {
    const char* title;
    int state;
    const char* cells[4];
  };
  const Row rows[] = {
      {"第01讲 课程介绍", vumbrel::Finished, {"100.00", "0", "52428800", "52428800"}},
      {"第02讲 环境搭建", vumbrel::Finished, {"100.00", "0", "73400320", "73400320"}},
      {"第03讲 基本语法", vumbrel::Downloading, {"41.27", "1873", "98566144", "40678912"}},
      {"第04讲 函数与模块", vumbrel::Downloading, {"3.05", "1210", "120586240", "3678208"}},
      {"第05讲 面向对象", vumbrel::Waiting, {"", "", "", ""}},
      {"第06讲 文件操作", vumbrel::Waiting, {"", "", "", ""}},
      {"第07讲 综合练习", vumbrel::Waiting, {"", "", "", ""}},
  };
  for (const Row& r : rows) {
    const int row = window.appendRow();
    window.setCellText(row, 0, vumbrel::ui::toGbk(QString::fromUtf8(r.title)));
    for (int c = 0; c < 4; ++c)
      window.setCellText(row, c + 1, vumbrel::ui::toGbk(QString::fromUtf8(r.cells[c])));
    window.setRowState(row, r.state);
  }
  window.setCurrentRow(2);
  window.setStatusText(0, vumbrel::ui::toGbk(QString::fromUtf8("有2个正在下载  有3个等待下载")));

  QTimer::singleShot(500, [&] {
    window.activateWindow();
    // With the focus the current row shows its selection.
    if (auto* list = window.findChild<QWidget*>(QString::fromUtf8("超级列表框1"))) list->setFocus();
    QCoreApplication::processEvents();
    const QPixmap shot = window.grab();
    const bool saved = shot.save(QString::fromLocal8Bit(argv[1]));
    QCoreApplication::exit(saved ? 0 : 1);
  });
  const int code = QApplication::exec();
  return code;
}
