// SPDX-License-Identifier: MIT
#include "logic_wiring.h"

#include "download/progress_monitor.h"
#include "download/start_stop.h"
#include "resolve/resolve_page.h"

namespace vumbrel::ui {

WindowHooks bindLogic(System& system) {
  WindowHooks hooks;
  hooks.resolveClicked = [&system] { startResolve(system); };
  hooks.startClicked = [&system] { startSelectedDownloadOnWorker(system); };
  hooks.stopClicked = [&system] { stopSelectedDownload(system); };
  hooks.monitorTick = [&system] { progressTick(system); };
  return hooks;
}

}  // namespace vumbrel::ui
