// SPDX-License-Identifier: MIT
#include "qt_app.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

namespace vumbrel::test {

QApplication& qtApp() {
  static int argc = 1;
  static char name[] = "vumbrel_ui_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    auto* a = new QApplication(argc, argv);
    a->setQuitOnLastWindowClosed(false);
    return a;
  }();
  return *app;
}

QString utf8(const char* text) { return QString::fromUtf8(text); }

bool waitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

WindowFixture::WindowFixture() {
  qtApp();
  exit.registerCleanup([this] { ++cleanups; });
  ui::WindowHooks hooks;
  hooks.resolveClicked = [this] { ++resolveClicks; };
  hooks.startClicked = [this] { ++starts; };
  hooks.stopClicked = [this] { ++stops; };
  hooks.monitorTick = [this] { ++ticks; };
  window = std::make_unique<ui::MainWindow>(std::move(hooks), exit);
}

WindowFixture::~WindowFixture() {
  window.reset();
  // The window's exit asked the (absent) event loop to end, and Qt then lets
  // no nested loop run until an application loop has run once.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QApplication::exec();
}

}  // namespace vumbrel::test
