// SPDX-License-Identifier: MIT
#include "download/progress_monitor.h"

#include "app/task_list.h"
#include "download/cell_format.h"
#include "download/start_stop.h"

namespace vumbrel {
namespace {

// "有" N "个正在下载  有" M "个等待下载", in GBK.
const std::string kHave = "\xD3\xD0";
const std::string kDownloading = "\xB8\xF6\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8  ";
const std::string kWaiting = "\xB8\xF6\xB5\xC8\xB4\xFD\xCF\xC2\xD4\xD8";

// What the monitor reads of one slot, copied under the slot's lock so that the
// notification thread's replacement of taskData never overlaps the read.
struct SlotReading {
  const DownloadSlot* slot = nullptr;  // identifies the slot; not dereferenced unleased
  bool hasData = false;
  int64_t downloaded = -1;
  int64_t totalSize = -1;
  int32_t elapsedSeconds = 0;
};

SlotReading readSlot(AppState& state, int index) {
  SlotReading reading;
  SlotLease slot = leaseSlot(state, index);
  if (!slot) return reading;
  reading.slot = &*slot;
  std::string data;
  {
    std::lock_guard<std::mutex> lock(slot->mutex);
    if (slot->taskData.empty()) return reading;
    data = slot->taskData;
    reading.elapsedSeconds = slot->elapsedSeconds;
  }
  reading.hasData = true;
  reading.downloaded = getTaskDataItem(slot->engine.get(), data, ItemDownloaded, 0);
  reading.totalSize = getTaskDataItem(slot->engine.get(), data, ItemTotalSize, 0);
  return reading;
}

// Counts one more second for the slot that was read, unless a resolve has put
// another slot in its place meanwhile.
void countSecond(AppState& state, int index, const DownloadSlot* read) {
  SlotLease slot = leaseSlot(state, index);
  if (!slot || &*slot != read) return;
  std::lock_guard<std::mutex> lock(slot->mutex);
  ++slot->elapsedSeconds;
}

// After a row has finished: whether anything is left for the monitor to watch.
// With "自动下载" ticked the first waiting row is started on a worker thread.
bool somethingLeft(System& system) {
  Controls& controls = *system.controls;
  bool keepRunning = false;
  const int rows = controls.rowCount();
  const bool autoDownload = controls.autoDownloadTicked();
  for (int l = 0; l < rows; ++l) {
    const int state = controls.rowState(l);
    if (autoDownload) {
      if (state != Finished) keepRunning = true;
      if (state == Waiting) {
        controls.setCurrentRow(l);
        startSelectedDownloadOnWorker(system);
        break;
      }
    } else if (state == Downloading) {
      keepRunning = true;
    }
  }
  return keepRunning;
}

}  // namespace

void progressTick(System& system) {
  Controls& controls = *system.controls;
  bool keepRunning = false;
  int downloadingCount = 0;
  int waitingCount = 0;
  const int slots = static_cast<int>(slotCount(system.state));

  for (int i = 0; i < slots; ++i) {
    // No lease is held from here on: the cells are control operations, and
    // the restart below leases the slots itself.
    // The state before the task data: a start clears the data before it marks
    // the row Downloading, so a Downloading row is never judged by the data
    // of its download before.
    const bool downloading = controls.rowState(i) == Downloading;
    const SlotReading reading = readSlot(system.state, i);
    const int64_t d = reading.downloaded;
    if (reading.hasData && d != 0 && d != -1 && downloading) {
      if (controls.cellText(i, ColumnTotalSize).empty())
        controls.setCellText(i, ColumnTotalSize, std::to_string(reading.totalSize));
      controls.setCellText(i, ColumnSpeed, speedText(d, reading.elapsedSeconds));
      const std::string sizeText = controls.cellText(i, ColumnTotalSize);
      const std::string doneText = std::to_string(d);
      if (doneText == sizeText) {
        controls.setCellText(i, ColumnSpeed, "0");
        controls.setRowState(i, Finished);
        if (somethingLeft(system)) keepRunning = true;
        if (!keepRunning) controls.setMonitorPeriod(0);
      }
      controls.setCellText(i, ColumnDownloaded, doneText);
      controls.setCellText(i, ColumnProgress, progressText(d, sizeText));
      countSecond(system.state, i, reading.slot);
    }

    const int state = controls.rowState(i);
    if (state == Downloading) {
      ++downloadingCount;
    } else if (state == Waiting) {
      ++waitingCount;
    }
    // A downloading row that has shown no size yet is started again.
    if (state == Downloading && controls.cellText(i, ColumnTotalSize).empty()) {
      controls.setCurrentRow(i);
      startSelectedDownload(system);
    }
  }

  controls.setStatusText(0, kHave + std::to_string(downloadingCount) + kDownloading + kHave +
                                std::to_string(waitingCount) + kWaiting);
}

}  // namespace vumbrel
