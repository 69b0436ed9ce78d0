// SPDX-License-Identifier: MIT
// Engine objects. This build holds no transfers yet: an object is created,
// destroyed, and never takes a task.
#include "download/engine.h"

namespace vumbrel {

struct Download {};

Download* createEngine() { return new Download; }

void destroyEngine(Download* engine) { delete engine; }

bool addTask(Download*, const TaskParam&) { return false; }

bool stopTask(Download*, std::string&, int) { return false; }

bool getTaskData(Download*, std::string&) { return false; }

int64_t getTaskDataItem(Download*, const std::string& taskData, int item, int /*block*/) {
  const std::optional<TaskState> state = decodeTaskData(taskData);
  if (!state) return -1;
  switch (item) {
    case ItemTotalSize:
      return state->totalSize;
    case ItemDownloaded:
      return state->downloaded();
    default:
      return -1;
  }
}

void getThreadList(Download*, std::vector<int32_t>&) {}

std::string getLocalPath(Download*) { return {}; }

int32_t getTaskId(Download*) { return -1; }

}  // namespace vumbrel
