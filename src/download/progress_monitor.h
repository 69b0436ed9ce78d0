// SPDX-License-Identifier: MIT
#pragma once

#include "app/system.h"

namespace vumbrel {

// One tick of the one-second monitor (the period event of 时钟5).
void progressTick(System& system);

}  // namespace vumbrel
