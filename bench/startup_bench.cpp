// SPDX-License-Identifier: MIT
// How long the main window takes from creation to its first painted frame:
// the controls, the list's columns and pictures, the menus, the created
// events and the show. Usage: startup_bench [runs] (offscreen by default).
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/exit_processing.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const auto processStart = std::chrono::steady_clock::now();
  QApplication app(argc, argv);
  const double appMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - processStart)
          .count();

  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    vumbrel::ui::ExitProcessing exit;
    const auto start = std::chrono::steady_clock::now();
    {
      vumbrel::ui::MainWindow window({}, exit);
      window.load();
      window.repaint();
      QCoreApplication::processEvents();
      times.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count());
    }
    QCoreApplication::processEvents();
  }
  std::vector<double> sorted = times;
  std::sort(sorted.begin(), sorted.end());
  std::printf("QApplication created in %.1f ms\n", appMs);
  std::printf("main window to first frame: first %.1f ms, median %.1f ms, min %.1f ms (%d runs)\n",
              times.front(), sorted[sorted.size() / 2], sorted.front(), runs);
  return 0;
}
