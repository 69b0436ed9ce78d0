// SPDX-License-Identifier: MIT
#pragma once

#include "app/system.h"

namespace vumbrel::ui {

// The program's exit clean-up: stops every live task at once, each on its own
// thread, so that the exit waits about one stop in all rather than one per
// running download; then releaseAll. Runs on the window's thread.
void stopAllAndRelease(System& system);

}  // namespace vumbrel::ui
