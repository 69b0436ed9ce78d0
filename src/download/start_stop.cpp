// SPDX-License-Identifier: MIT
#include "download/start_stop.h"

#include <unistd.h>

#include "app/task_list.h"
#include "download/notifications.h"
#include "download/target_path.h"
#include "resolve/code_pages.h"

namespace vumbrel {
namespace {

// Whether a live task of one of our slots writes `path`. Such a file is left
// alone: deleting it would lose that download, while leaving it makes the
// engine write the new download under a new name.
bool writtenByLiveTask(AppState& state, const std::string& path) {
  const size_t count = slotCount(state);
  for (size_t i = 0; i < count; ++i) {
    SlotLease slot = leaseSlot(state, static_cast<int>(i));
    if (slot && getTaskId(slot->engine.get()) != -1 && getLocalPath(slot->engine.get()) == path)
      return true;
  }
  return false;
}

}  // namespace

void startRow(System& system, int row) {
  Controls& controls = *system.controls;
  std::string address;
  {
    std::lock_guard<std::mutex> lock(system.state.mutex);
    if (row < 0 || static_cast<size_t>(row) >= system.state.streamAddresses.size()) return;
    address = system.state.streamAddresses[row];
  }
  controls.setMonitorPeriod(1000);
  const std::string path = targetPath(controls.saveFolder(), controls.cellText(row, ColumnTitle));
  // The old download's task data goes, and the row shows Downloading, before
  // the old file is deleted: a tick in between would otherwise show Finished
  // for the file just deleted.
  if (SlotLease slot = leaseSlot(system.state, row)) {
    std::lock_guard<std::mutex> lock(slot->mutex);
    slot->taskData.clear();
    slot->elapsedSeconds = 0;
  }
  controls.setRowState(row, Downloading);
  std::lock_guard<std::mutex> starting(system.startMutex);
  if (!writtenByLiveTask(system.state, path)) ::unlink(gbkToUtf8(path).c_str());
  configureSlot(system, address, path, "", true, "", 0, 2, "", std::nullopt, 0, row + 1);
}

void startSelectedDownload(System& system) { startRow(system, system.controls->currentRow()); }

void startSelectedDownloadOnWorker(System& system) {
  const int row = system.controls->currentRow();
  system.startWorker([&system, row] { startRow(system, row); });
}

void configureSlot(System& system, const std::string& address, const std::string& path,
                   const std::string& text1, bool addNow, const std::string& data, int ticks,
                   int threads, const std::string& text2, const std::optional<std::string>& text3,
                   int16_t number, int slotNumber) {
  SlotLease slot = leaseSlot(system.state, slotNumber - 1);
  if (!slot) return;
  TaskParam task;
  {
    std::lock_guard<std::mutex> lock(slot->mutex);
    TaskParam& p = slot->settings;
    slot->extraText1 = text1;
    p.taskFlags = 4096;
    p.sourceUrl = address;
    p.speedLimit = 0;
    p.stopWait = 1000;
    p.threadCount = threads;
    p.localPath = path;
    p.connectTimeout = 3000;
    p.sendTimeout = 3001;
    p.receiveTimeout = 3000;
    p.receiveBlockSize = 20480;
    p.statusCallback = [&system](int type, int64_t a, int64_t b, const std::string& c,
                                 int32_t taskId) {
      return onEngineStatus(system, type, a, b, c, taskId);
    };
    p.threadInfoCallback = [&system](int32_t thread, const std::string& timeText,
                                     const std::string& message, int level, int32_t taskId) {
      onEngineThreadInfo(system, thread, timeText, message, level, taskId);
    };
    slot->extraText2 = text2;
    slot->elapsedSeconds = ticks;
    slot->taskData = data;
    if (text3) {
      slot->extraText3 = *text3;
      slot->extraNumber = number;
    }
    if (addNow) task = p;
  }
  // Added from a copy, outside the slot's lock: the engine's threads call back
  // into the notifications, which take that lock.
  if (addNow) addTask(slot->engine.get(), task);
}

void stopSelectedDownload(System& system) {
  Controls& controls = *system.controls;
  const int row = controls.currentRow();
  if (row < 0) return;
  controls.setRowState(row, Waiting);
  if (SlotLease slot = leaseSlot(system.state, row)) {
    std::string data;
    {
      std::lock_guard<std::mutex> lock(slot->mutex);
      data = slot->taskData;
    }
    // Waits for the task's threads with no lock held; the lease only keeps
    // the slot from being destroyed meanwhile.
    if (stopTask(slot->engine.get(), data, 4)) {
      std::lock_guard<std::mutex> lock(slot->mutex);
      slot->taskData = std::move(data);
    }
  }
  const int rows = controls.rowCount();
  for (int r = 0; r < rows; ++r) {
    if (controls.rowState(r) != Waiting) return;
  }
  controls.setMonitorPeriod(0);
}

}  // namespace vumbrel
