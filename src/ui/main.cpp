// SPDX-License-Identifier: MIT
// The program vumbrel: no command line, no settings; every run starts empty.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/system.h"
#include "exit_cleanup.h"
#include "exit_processing.h"
#include "logic_wiring.h"
#include "main_window.h"
#include "resolver/embedded_resolver.h"

int main(int, char** argv) {
  // Qt sees the program's name only: the program takes no arguments.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);

  // The shared lists, empty, before the window exists. Detached workers may
  // still use the System and the window while the process ends, so neither
  // is ever torn down: the process ends right after the exit processing.
  auto* system = new vumbrel::System;
  // The build's resolver host, or our own resolver on loopback; it serves
  // until the process ends.
  auto resolver = vumbrel::resolver::connectResolver(VUMBREL_RESOLVER_BASE, system->resolverBase);

  vumbrel::ui::ExitProcessing exit;
  exit.registerCleanup([system] { vumbrel::ui::stopAllAndRelease(*system); });

  auto* window = new vumbrel::ui::MainWindow(vumbrel::ui::bindLogic(*system), exit);
  system->controls = window;
  window->load();
  QApplication::exec();
  exit.run();  // when the loop ended without the window's exit

  std::fflush(nullptr);
  std::_Exit(0);  // leaves `resolver` running to the last moment, like every worker
}
