// SPDX-License-Identifier: MIT
#include "download/notifications.h"

#include <algorithm>
#include <vector>

namespace vumbrel {
namespace {

// The first slot whose engine's live task is `taskId`. Looked up and leased
// under the state's lock, so a slot that is being destroyed (already taken out
// of the table) is never found.
SlotLease slotOfTask(AppState& state, int32_t taskId) {
  if (taskId < 0) return {};
  std::lock_guard<std::mutex> lock(state.mutex);
  for (const SlotPtr& slot : state.slotTable) {
    if (getTaskId(slot->engine.get()) == taskId) return SlotLease(slot);
  }
  return {};
}

}  // namespace

int onEngineStatus(System& system, int type, int64_t /*a*/, int64_t /*b*/, const std::string& /*c*/,
                   int32_t taskId) {
  SlotLease slot = slotOfTask(system.state, taskId);
  if (!slot) return 0;
  if (type == StatusStarted) {
    std::string path = getLocalPath(slot->engine.get());
    std::lock_guard<std::mutex> lock(slot->mutex);
    slot->settings.localPath = std::move(path);
  } else if (type == StatusBlockWritten) {
    std::string data;
    if (getTaskData(slot->engine.get(), data)) {
      std::lock_guard<std::mutex> lock(slot->mutex);
      slot->taskData = std::move(data);
    }
  }
  return 0;
}

void onEngineThreadInfo(System& system, int32_t thread, const std::string& /*timeText*/,
                        const std::string& message, int /*level*/, int32_t taskId) {
  SlotLease slot = slotOfTask(system.state, taskId);
  if (!slot) return;
  std::vector<int32_t> threads;
  getThreadList(slot->engine.get(), threads);
  // Threads beyond the tenth have no log.
  const size_t logged = std::min(threads.size(), slot->threadLogs.size());
  std::lock_guard<std::mutex> lock(slot->mutex);
  for (size_t j = 0; j < logged; ++j) {
    if (threads[j] == thread) slot->threadLogs[j] += message + "\r\n";
  }
}

}  // namespace vumbrel
