// SPDX-License-Identifier: MIT
#pragma once

// Runs engine tasks and records every callback, for the engine's tests.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "download/engine.h"

namespace vumbrel::test {

struct StatusCall {
  int type;
  int64_t a;
  int64_t b;
  std::string c;
  int32_t taskId;
  std::string taskData;  // getTaskData at a type 16, as the system reads it
};

struct ThreadMessage {
  int32_t thread;
  std::string message;
  int level;
};

// One engine object with a recording callback pair. The answer to type 18
// and a hook run at every status call can be set before start().
class EngineRun {
 public:
  EngineRun();
  ~EngineRun();

  Download* engine() const { return engine_.get(); }
  // A record for `url` into `path` on `threads` connections, with short
  // time-outs and this run's callbacks.
  TaskParam param(const std::string& url, const std::string& path, int threads = 2);
  bool start(const TaskParam& param);
  // Waits for type 4; false on timeout.
  bool waitEnd(std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // Waits until at least `count` type-16 calls arrived.
  bool waitBlocks(int count, std::chrono::milliseconds timeout = std::chrono::seconds(30));

  std::vector<StatusCall> calls() const;
  std::vector<ThreadMessage> messages() const;
  int count(int type) const;
  // The reason of the type-4 call, or -1.
  int64_t endReason() const;

  int fileExistsAnswer = 0;
  std::function<void(const StatusCall&)> onStatus;  // runs inside the callback

  void destroy();

 private:
  EnginePtr engine_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<StatusCall> calls_;
  std::vector<ThreadMessage> messages_;
};

// The EngineTuning that the tests use: retries after 10 ms.
EngineTuning quickTuning();

}  // namespace vumbrel::test
