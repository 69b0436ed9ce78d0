// SPDX-License-Identifier: MIT
#pragma once

#include "app/system.h"
#include "window_hooks.h"

// The one place where the window meets the program's logic.
namespace vumbrel::ui {

// 按钮3 runs startResolve, "开始" startSelectedDownloadOnWorker, "停止"
// stopSelectedDownload and 时钟5 progressTick, each on `system`.
WindowHooks bindLogic(System& system);

}  // namespace vumbrel::ui
