// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "download/engine.h"
#include "platform/block_plan.h"
#include "platform/connection.h"
#include "platform/file_writer.h"
#include "platform/rate_limiter.h"

namespace vumbrel::engine {

// One download task: its shared state, its control thread and its block
// workers. Everything here is owned through shared_ptr, so threads that
// outlive a stop (or the engine object) never touch freed memory.
//
// Every callback of the task runs on its control thread, one at a time and
// with no lock of the task held; type 4 is the last one.
class DownloadTask : public std::enable_shared_from_this<DownloadTask> {
 public:
  DownloadTask(const TaskParam& param, const EngineTuning& tuning, int32_t id);
  ~DownloadTask();
  // Starts the control thread.
  void start();

  // --- For the engine object; any thread. ---
  int32_t id() const { return id_; }
  // True once the task has ended (completed, stopped or failed): from then
  // on it is detached.
  bool ended() const { return ended_.load(); }
  TaskState state() const;
  std::vector<int32_t> threadIds() const;
  std::string localPath() const;
  // Stops the task: waits up to stopWait (looking every 20 ms) for its
  // workers, then for its last callback, and returns its final state.
  TaskState stop();
  // Returns once no callback of this task runs or will run; at once when
  // called from one of its callbacks.
  void waitQuiet() const;
  // True once the task's last callback has returned.
  bool quiet() const { return quiet_.load(); }

  // --- For the block workers. ---
  const ConnectionSettings& settings() const { return settings_; }
  const EngineTuning& tuning() const { return tuning_; }
  const std::atomic<bool>& stopFlag() const { return stopping_; }
  bool stopping() const { return stopping_.load(std::memory_order_relaxed); }
  RateLimiter& limiter() { return limiter_; }
  // The file size once the first response has been accepted, else -1.
  int64_t knownTotal() const;
  bool started() const;
  TaskBlock block(int index) const;
  // Takes the first usable response: fixes the size and the blocks, creates
  // the file and starts the other blocks' workers. Returns block 0's length
  // (-1 when unknown), or nullopt after failing the task.
  std::optional<int64_t> acceptFirstResponse(const ResponsePlan& plan);
  // Writes bytes of block `index` at `offset` and counts them as done. False
  // once the task is stopping or the write failed (the task then fails).
  bool write(int index, int64_t offset, const char* data, std::size_t length);
  // A block of unknown length ended normally: what was written is its size.
  void settleLength(int index);
  enum Level { Info = 0, Warning = 1, Error = 2 };
  void message(int index, Level level, const std::string& text);
  // Ends the task as failed (the first reason wins).
  void fail(int index, const std::string& why);
  void workerEnded();

 private:
  struct Event {
    enum Kind { Started, Written, Message } kind;
    int32_t thread = 0;
    int64_t position = 0;
    int level = 0;
    std::string time;
    std::string text;
  };

  void run();
  bool choosePath();
  void spawnWorker(int index);
  void waitForWorkers(std::chrono::steady_clock::time_point deadline);
  void finish(EndReason reason, std::string why);
  int status(int type, int64_t a, int64_t b, const std::string& c);
  bool completeLocked() const;

  const int32_t id_;
  const TaskParam param_;
  const EngineTuning tuning_;
  ConnectionSettings settings_;
  RateLimiter limiter_;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  TaskState state_;
  std::vector<int32_t> threads_;
  std::deque<Event> events_;
  std::string path_;  // the text path actually written
  bool overwrite_ = false;
  bool started_ = false;
  std::shared_ptr<FileWriter> file_;
  std::string failure_;
  bool failed_ = false;
  int workers_ = 0;
  std::thread::id controlThread_;
  TaskState final_;

  std::atomic<bool> stopping_{false};
  std::atomic<bool> stopAsked_{false};
  std::atomic<bool> ended_{false};
  std::atomic<bool> quiet_{false};
};

}  // namespace vumbrel::engine
