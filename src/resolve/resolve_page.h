// SPDX-License-Identifier: MIT
#pragma once

#include "app/system.h"

namespace vumbrel {

// The click on "一键获取内容": disables the button and runs resolvePage on a
// worker thread.
void startResolve(System& system);

// Reads the clipboard into the page box, fetches the page and the resolver's
// two replies, and rebuilds the task rows and slots. Enables the button again
// at the end.
void resolvePage(System& system);

}  // namespace vumbrel
