// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

#include "ui/exit_processing.h"
#include "ui/main_window.h"

namespace vumbrel::test {

// The one QApplication of a test program (offscreen), made on first use.
QApplication& qtApp();

QString utf8(const char* text);

// Spins the event loop until `done` holds or `ms` milliseconds have passed.
bool waitUntil(const std::function<bool()>& done, int ms = 5000);

// A main window with hooks that count their calls and an exit processing
// that counts its clean-ups.
struct WindowFixture {
  WindowFixture();
  ~WindowFixture();

  std::atomic<int> resolveClicks{0};
  std::atomic<int> starts{0};
  std::atomic<int> stops{0};
  std::atomic<int> ticks{0};
  std::atomic<int> cleanups{0};
  ui::ExitProcessing exit;
  std::unique_ptr<ui::MainWindow> window;

  template <class W>
  W* find(const char* name) const {
    return window->findChild<W*>(utf8(name));
  }
};

}  // namespace vumbrel::test
