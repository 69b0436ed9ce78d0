// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "app/system.h"

namespace vumbrel {

// The engine's status callback for every task the system adds; always 0.
int onEngineStatus(System& system, int type, int64_t a, int64_t b, const std::string& c,
                   int32_t taskId);
// The engine's thread-message callback.
void onEngineThreadInfo(System& system, int32_t thread, const std::string& timeText,
                        const std::string& message, int level, int32_t taskId);

}  // namespace vumbrel
