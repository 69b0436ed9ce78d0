// SPDX-License-Identifier: MIT
#include "platform/download_task.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "platform/block_worker.h"
#include "platform/download_path.h"

namespace vumbrel::engine {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxConnections = 64;
// The request header that the system's own page requests send as well.
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

std::string timeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

ConnectionSettings settingsFor(const TaskParam& param, const EngineTuning& tuning) {
  ConnectionSettings s;
  s.url = param.sourceUrl;
  s.referer = param.referer.empty() ? refererFor(param.sourceUrl) : param.referer;
  s.proxy = param.proxyServer;
  s.userAgent = kUserAgent;
  s.ftpUser = param.ftpUser;
  s.ftpPassword = param.ftpPassword;
  s.caFile = tuning.caFile;
  const auto limited = [&](int32_t ms) {
    if (tuning.timeoutLimit > 0) ms = std::min(ms, tuning.timeoutLimit);
    return std::chrono::milliseconds(std::max(1, ms));
  };
  s.connectTimeout = limited(param.connectTimeout);
  s.sendTimeout = limited(param.sendTimeout);
  s.receiveTimeout = limited(param.receiveTimeout);
  s.receiveBufferSize = param.receiveBlockSize;
  return s;
}

}  // namespace

DownloadTask::DownloadTask(const TaskParam& param, const EngineTuning& tuning, int32_t id)
    : id_(id),
      param_(param),
      tuning_(tuning),
      settings_(settingsFor(param, tuning)),
      limiter_(param.speedLimit),
      threads_{1},
      path_(param.localPath) {}

DownloadTask::~DownloadTask() = default;

void DownloadTask::start() {
  std::shared_ptr<DownloadTask> self = shared_from_this();
  std::thread control([self] { self->run(); });
  {
    std::lock_guard lock(mutex_);
    controlThread_ = control.get_id();
  }
  control.detach();
}

TaskState DownloadTask::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::vector<int32_t> DownloadTask::threadIds() const {
  std::lock_guard lock(mutex_);
  return threads_;
}

std::string DownloadTask::localPath() const {
  std::lock_guard lock(mutex_);
  return path_;
}

int64_t DownloadTask::knownTotal() const {
  std::lock_guard lock(mutex_);
  return started_ && !state_.blocks.empty() && state_.blocks.back().length >= 0 ? state_.totalSize
                                                                                : -1;
}

bool DownloadTask::started() const {
  std::lock_guard lock(mutex_);
  return started_;
}

TaskBlock DownloadTask::block(int index) const {
  std::lock_guard lock(mutex_);
  return state_.blocks.at(static_cast<size_t>(index));
}

TaskState DownloadTask::stop() {
  bool onControlThread;
  {
    std::lock_guard lock(mutex_);
    stopAsked_ = true;
    stopping_ = true;
    onControlThread = controlThread_ == std::this_thread::get_id();
  }
  changed_.notify_all();
  if (onControlThread) {
    // Called from one of this task's callbacks: end it here, the control
    // loop sees that and delivers nothing more.
    if (!ended_) finish(EndStopped, "");
  } else {
    while (!quiet_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::lock_guard lock(mutex_);
  return final_;
}

void DownloadTask::waitQuiet() const {
  {
    std::lock_guard lock(mutex_);
    if (controlThread_ == std::this_thread::get_id()) return;
  }
  while (!quiet_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

int DownloadTask::status(int type, int64_t a, int64_t b, const std::string& c) {
  if (!param_.statusCallback) return 0;
  try {
    return param_.statusCallback(type, a, b, c, id_);
  } catch (...) {
    return 0;
  }
}

void DownloadTask::run() {
  {
    std::lock_guard lock(mutex_);
    controlThread_ = std::this_thread::get_id();
  }
  if (((param_.taskFlags >> 8) & 0xff) == 0x20) {
    finish(EndFailed, "uploads are not supported");
  } else if (choosePath() && !ended_) {
    if (!stopAsked_) spawnWorker(0);
    for (;;) {
      std::deque<Event> batch;
      bool end = false;
      EndReason reason = EndFailed;
      std::string why;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock,
                      [&] { return !events_.empty() || stopAsked_ || failed_ || workers_ == 0; });
        if (stopAsked_) {
          end = true;
          reason = EndStopped;
        } else if (failed_) {
          end = true;
          why = failure_;
        } else if (!events_.empty()) {
          batch.swap(events_);
        } else {
          end = true;
          if (completeLocked())
            reason = EndCompleted;
          else
            why = "the connections ended before the file was complete";
        }
      }
      if (end) {
        if (!ended_) finish(reason, why);
        break;
      }
      for (const Event& event : batch) {
        if (ended_ || stopAsked_) break;
        switch (event.kind) {
          case Event::Started:
            status(StatusStarted, 0, event.position, localPath());
            break;
          case Event::Written:
            status(StatusBlockWritten, event.thread, event.position, {});
            break;
          case Event::Message:
            if (param_.threadInfoCallback) {
              try {
                param_.threadInfoCallback(event.thread, event.time, event.text, event.level, id_);
              } catch (...) {
              }
            }
            break;
        }
      }
      if (ended_) break;
    }
  }
  quiet_ = true;
}

bool DownloadTask::choosePath() {
  const std::string wanted = param_.localPath;
  if (wanted.empty()) {
    finish(EndFailed, "no local path");
    return false;
  }
  if (!pathExists(wanted)) return true;
  const int answer = status(StatusFileExists, 0, 0, wanted);
  if (ended_) return false;
  if (answer == 1) {
    finish(EndFailed, "the local file exists; given up");
    return false;
  }
  if (answer == 2) {
    std::lock_guard lock(mutex_);
    overwrite_ = true;
    return true;
  }
  for (int n = 1; n <= 99; ++n) {
    std::string candidate = numberedPath(wanted, n);
    if (!pathExists(candidate)) {
      std::lock_guard lock(mutex_);
      path_ = std::move(candidate);
      return true;
    }
  }
  finish(EndFailed, "the local file exists and no free name was found");
  return false;
}

void DownloadTask::spawnWorker(int index) {
  {
    std::lock_guard lock(mutex_);
    ++workers_;
  }
  try {
    std::shared_ptr<DownloadTask> self = shared_from_this();
    std::thread([self, index] { runBlock(self, index); }).detach();
  } catch (const std::exception& e) {
    fail(index, std::string("cannot start a thread: ") + e.what());
    workerEnded();
  }
}

void DownloadTask::workerEnded() {
  {
    std::lock_guard lock(mutex_);
    --workers_;
  }
  changed_.notify_all();
}

std::optional<int64_t> DownloadTask::acceptFirstResponse(const ResponsePlan& plan) {
  int count = 0;
  {
    std::lock_guard lock(mutex_);
    if (started_) return state_.blocks.front().length;
    const int connections = std::clamp(param_.threadCount, 1, kMaxConnections);
    std::vector<TaskBlock> blocks;
    if (plan.ranged && plan.total > 0 && connections > 1)
      blocks = splitBlocks(plan.total, connections);
    else
      blocks = {{0, plan.total, 0}};
    std::string error;
    std::unique_ptr<FileWriter> file = FileWriter::open(
        nativePath(path_), overwrite_ ? FileWriter::Mode::Overwrite : FileWriter::Mode::CreateNew,
        plan.total, error);
    if (!file) {
      failed_ = true;
      failure_ = "cannot create " + path_ + ": " + error;
      stopping_ = true;
      changed_.notify_all();
      return std::nullopt;
    }
    file_ = std::move(file);
    state_.totalSize = std::max<int64_t>(0, plan.total);
    state_.blocks = blocks;
    count = static_cast<int>(blocks.size());
    threads_.clear();
    for (int i = 1; i <= count; ++i) threads_.push_back(i);
    started_ = true;
    events_.push_back({Event::Started, 1, state_.totalSize, 0, {}, {}});
  }
  changed_.notify_all();
  for (int i = 1; i < count && !stopping(); ++i) spawnWorker(i);
  return block(0).length;
}

bool DownloadTask::write(int index, int64_t offset, const char* data, std::size_t length) {
  if (stopping()) return false;
  std::shared_ptr<FileWriter> file;
  {
    std::lock_guard lock(mutex_);
    file = file_;
  }
  if (!file) return false;
  std::string error;
  const FileWriter::Result result = file->writeAt(
      offset, data, length,
      [&] {
        std::lock_guard lock(mutex_);
        state_.blocks[static_cast<size_t>(index)].done += static_cast<int64_t>(length);
        events_.push_back(
            {Event::Written, index + 1, offset + static_cast<int64_t>(length), 0, {}, {}});
        changed_.notify_all();
      },
      error);
  if (result == FileWriter::Result::Failed) {
    fail(index, "cannot write the file: " + error);
    return false;
  }
  return result == FileWriter::Result::Written;
}

void DownloadTask::settleLength(int index) {
  {
    std::lock_guard lock(mutex_);
    TaskBlock& b = state_.blocks[static_cast<size_t>(index)];
    b.length = b.done;
    state_.totalSize = b.start + b.done;
    events_.push_back({Event::Written, index + 1, b.start + b.done, 0, {}, {}});
  }
  changed_.notify_all();
}

void DownloadTask::message(int index, Level level, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    events_.push_back({Event::Message, index + 1, 0, level, timeText(), text});
  }
  changed_.notify_all();
}

void DownloadTask::fail(int index, const std::string& why) {
  {
    std::lock_guard lock(mutex_);
    if (!failed_) {
      failed_ = true;
      failure_ = why;
    }
    stopping_ = true;
    events_.push_back({Event::Message, index + 1, 0, Error, timeText(), "error: " + why});
  }
  changed_.notify_all();
}

bool DownloadTask::completeLocked() const {
  if (!started_ || state_.blocks.empty()) return false;
  int64_t sum = 0;
  for (const TaskBlock& b : state_.blocks) {
    if (b.length < 0 || b.done != b.length) return false;
    sum += b.done;
  }
  return sum == state_.totalSize;
}

void DownloadTask::waitForWorkers(Clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  changed_.wait_until(lock, deadline, [&] { return workers_ == 0; });
}

void DownloadTask::finish(EndReason reason, std::string why) {
  stopping_ = true;
  changed_.notify_all();
  waitForWorkers(Clock::now() + std::chrono::milliseconds(std::max(0, param_.stopWait)));
  std::shared_ptr<FileWriter> file;
  std::deque<Event> pending;
  {
    std::lock_guard lock(mutex_);
    file = file_;
    pending.swap(events_);
  }
  if (reason == EndCompleted) {
    const int64_t onDisk = file ? file->size() : -1;
    std::lock_guard lock(mutex_);
    if (!completeLocked() || onDisk != state_.totalSize) {
      reason = EndFailed;
      why = "the file is not complete";
    }
  }
  if (file) file->close();  // from here on nothing writes to the file
  std::string path;
  {
    std::lock_guard lock(mutex_);
    final_ = state_;
    path = path_;
  }
  if (reason == EndFailed && file) ::unlink(nativePath(path).c_str());
  ended_ = true;
  if (param_.threadInfoCallback) {
    // The reasons the workers gave, then the outcome.
    for (const Event& event : pending) {
      if (event.kind != Event::Message || reason == EndStopped) continue;
      try {
        param_.threadInfoCallback(event.thread, event.time, event.text, event.level, id_);
      } catch (...) {
      }
    }
    const std::string outcome = reason == EndCompleted ? "download complete"
                                : reason == EndStopped ? "download stopped"
                                                       : "download failed: " + why;
    try {
      param_.threadInfoCallback(1, timeText(), outcome, reason == EndFailed ? Error : Info, id_);
    } catch (...) {
    }
  }
  status(StatusEnded, reason, final_.downloaded(), path);
}

}  // namespace vumbrel::engine
