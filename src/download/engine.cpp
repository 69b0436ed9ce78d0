// SPDX-License-Identifier: MIT
// Engine objects over the task machinery in platform/download_task.h. An
// object keeps its ended tasks until their last callback has returned, so
// that destroying the object can wait for it.
#include "download/engine.h"

#include <atomic>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/download_task.h"

namespace vumbrel {

struct Download {
  std::mutex mutex;
  std::shared_ptr<engine::DownloadTask> task;                 // the live or the last task
  std::vector<std::shared_ptr<engine::DownloadTask>> ending;  // earlier ones, maybe still calling
  EngineTuning tuning;
};

namespace {

// Task ids are unique in the process.
std::atomic<int32_t> lastTaskId{0};

// The live task, or nullptr.
std::shared_ptr<engine::DownloadTask> liveTask(Download* engine) {
  if (!engine) return nullptr;
  std::lock_guard lock(engine->mutex);
  if (engine->task && !engine->task->ended()) return engine->task;
  return nullptr;
}

}  // namespace

Download* createEngine() {
  engine::ensureCurlReady();
  return new Download;
}

void setEngineTuning(Download* engine, const EngineTuning& tuning) {
  if (!engine) return;
  std::lock_guard lock(engine->mutex);
  engine->tuning = tuning;
}

void destroyEngine(Download* engine) {
  if (!engine) return;
  std::shared_ptr<engine::DownloadTask> task;
  std::vector<std::shared_ptr<engine::DownloadTask>> ending;
  {
    std::lock_guard lock(engine->mutex);
    task = engine->task;
    ending = engine->ending;
  }
  if (task) {
    if (!task->ended()) task->stop();
    task->waitQuiet();
  }
  for (const auto& earlier : ending) earlier->waitQuiet();
  delete engine;
}

bool addTask(Download* engine, const TaskParam& param) {
  if (!engine) return false;
  std::shared_ptr<engine::DownloadTask> task;
  {
    std::lock_guard lock(engine->mutex);
    if (engine->task && !engine->task->ended()) return false;
    std::erase_if(engine->ending, [](const auto& t) { return t->quiet(); });
    if (engine->task) engine->ending.push_back(engine->task);
    int32_t id = ++lastTaskId;
    if (id <= 0) id = lastTaskId = 1;  // after two thousand million tasks
    task = std::make_shared<engine::DownloadTask>(param, engine->tuning, id);
    engine->task = task;
  }
  try {
    task->start();
  } catch (const std::system_error&) {  // no thread to be had: no task either
    std::lock_guard lock(engine->mutex);
    engine->task.reset();
    return false;
  }
  return true;
}

bool stopTask(Download* engine, std::string& taskData, int /*number*/) {
  const std::shared_ptr<engine::DownloadTask> task = liveTask(engine);
  if (!task) return false;
  taskData = encodeTaskData(task->stop());
  return true;
}

bool getTaskData(Download* engine, std::string& taskData) {
  const std::shared_ptr<engine::DownloadTask> task = liveTask(engine);
  if (!task) return false;
  taskData = encodeTaskData(task->state());
  return true;
}

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

void getThreadList(Download* engine, std::vector<int32_t>& threads) {
  if (const std::shared_ptr<engine::DownloadTask> task = liveTask(engine))
    threads = task->threadIds();
}

std::string getLocalPath(Download* engine) {
  const std::shared_ptr<engine::DownloadTask> task = liveTask(engine);
  return task ? task->localPath() : std::string();
}

int32_t getTaskId(Download* engine) {
  const std::shared_ptr<engine::DownloadTask> task = liveTask(engine);
  return task ? task->id() : -1;
}

}  // namespace vumbrel
