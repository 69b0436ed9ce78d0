// SPDX-License-Identifier: MIT
#include "engine_harness.h"

namespace vumbrel::test {

EngineTuning quickTuning() {
  EngineTuning tuning;
  tuning.retries = 3;
  tuning.retryDelay = 10;
  return tuning;
}

EngineRun::EngineRun() : engine_(createEngine()) { setEngineTuning(engine_.get(), quickTuning()); }

EngineRun::~EngineRun() { destroy(); }

void EngineRun::destroy() { engine_.reset(); }

TaskParam EngineRun::param(const std::string& url, const std::string& path, int threads) {
  TaskParam p;
  p.taskFlags = 4096;
  p.sourceUrl = url;
  p.localPath = path;
  p.threadCount = threads;
  p.connectTimeout = 3000;
  p.sendTimeout = 3001;
  p.receiveTimeout = 3000;
  p.statusCallback = [this](int type, int64_t a, int64_t b, const std::string& c, int32_t id) {
    StatusCall call{type, a, b, c, id, {}};
    if (type == StatusBlockWritten) getTaskData(engine_.get(), call.taskData);
    {
      std::lock_guard lock(mutex_);
      calls_.push_back(call);
    }
    changed_.notify_all();
    if (onStatus) onStatus(call);
    return type == StatusFileExists ? fileExistsAnswer : 0;
  };
  p.threadInfoCallback = [this](int32_t thread, const std::string&, const std::string& message,
                                int level, int32_t) {
    std::lock_guard lock(mutex_);
    messages_.push_back({thread, message, level});
  };
  return p;
}

bool EngineRun::start(const TaskParam& param) { return addTask(engine_.get(), param); }

bool EngineRun::waitEnd(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    for (const StatusCall& c : calls_)
      if (c.type == StatusEnded) return true;
    return false;
  });
}

bool EngineRun::waitBlocks(int count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    int n = 0;
    for (const StatusCall& c : calls_) n += c.type == StatusBlockWritten;
    return n >= count;
  });
}

std::vector<StatusCall> EngineRun::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<ThreadMessage> EngineRun::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

int EngineRun::count(int type) const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const StatusCall& c : calls_) n += c.type == type;
  return n;
}

int64_t EngineRun::endReason() const {
  std::lock_guard lock(mutex_);
  for (const StatusCall& c : calls_)
    if (c.type == StatusEnded) return c.a;
  return -1;
}

}  // namespace vumbrel::test
