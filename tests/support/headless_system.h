// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/headless_controls.h"
#include "app/system.h"
#include "download/task_data.h"

namespace vumbrel::test {

// A whole System on headless controls. Tearing it down waits for the workers
// and releases every slot, as the program's exit does.
struct HeadlessSystem {
  HeadlessControls controls;
  System system;

  HeadlessSystem() { system.controls = &controls; }
  ~HeadlessSystem() {
    system.waitForWorkers();
    releaseAll(system.state);
  }
  HeadlessSystem(const HeadlessSystem&) = delete;
  HeadlessSystem& operator=(const HeadlessSystem&) = delete;

  // Rows in the given states, titled "row0", "row1", ..., one fresh slot each.
  void addRows(const std::vector<int>& states) {
    for (int state : states) {
      const int row = controls.appendRow();
      controls.setRowState(row, state);
      controls.setCellText(row, 0, "row" + std::to_string(row));
    }
    replaceSlotTable(system.state, static_cast<size_t>(controls.rowCount()));
  }

  void setStreamAddresses(const std::vector<std::string>& addresses) {
    std::lock_guard<std::mutex> lock(system.state.mutex);
    system.state.streamAddresses = addresses;
  }

  // Runs `f` on slot `index` under its lock.
  template <typename F>
  void withSlot(int index, F&& f) {
    SlotLease slot = leaseSlot(system.state, index);
    if (!slot) throw std::out_of_range("no slot");
    std::lock_guard<std::mutex> lock(slot->mutex);
    f(*slot);
  }

  // Task data of one block of `totalSize` bytes with `done` written.
  void setProgress(int index, int64_t totalSize, int64_t done) {
    const std::string data = encodeTaskData({totalSize, {{0, totalSize, done}}});
    withSlot(index, [&](DownloadSlot& s) { s.taskData = data; });
  }

  std::string cell(int row, int column) { return controls.cellText(row, column); }
};

}  // namespace vumbrel::test
