// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

namespace vumbrel::ui {

// What the window's events hand over to the program's logic. The program
// binds them to the logic (see logic_wiring.h); a test binds its own. An
// empty hook does nothing. Each runs on the window's thread.
struct WindowHooks {
  std::function<void()> resolveClicked;  // 按钮3 "一键获取内容"
  std::function<void()> startClicked;    // "开始"
  std::function<void()> stopClicked;     // "停止"
  std::function<void()> monitorTick;     // a tick of 时钟5
};

}  // namespace vumbrel::ui
