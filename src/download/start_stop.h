// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/system.h"

namespace vumbrel {

// Starts the download of `row` into the save folder as "<title>.mp4" when the
// row has a stream address; otherwise changes nothing.
void startRow(System& system, int row);
// startRow on the current row, on the calling thread.
void startSelectedDownload(System& system);
// The command "开始": reads the current row now, on the calling thread, and
// starts it on a new worker thread.
void startSelectedDownloadOnWorker(System& system);

// Fills slotTable entry slotNumber - 1 (1-based) and its TaskParam, and adds
// the task to the engine when addNow is true.
void configureSlot(System& system, const std::string& address, const std::string& path,
                   const std::string& text1, bool addNow, const std::string& data, int ticks,
                   int threads, const std::string& text2, const std::optional<std::string>& text3,
                   int16_t number, int slotNumber);

// The command "停止" on the current row; with no current row, nothing.
void stopSelectedDownload(System& system);

}  // namespace vumbrel
