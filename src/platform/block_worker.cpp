// SPDX-License-Identifier: MIT
#include "platform/block_worker.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/download_task.h"

namespace vumbrel::engine {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes gathered before one positional write: large writes into the page
// cache cost a third of small ones.
constexpr std::size_t kWriteChunk = 512 * 1024;
// A slow connection still writes (and reports) at least this often.
constexpr auto kFlushInterval = std::chrono::milliseconds(200);

// Sleeps for `time`, waking every 20 ms to see whether the task stops.
void pause(const DownloadTask& task, Clock::duration time) {
  const Clock::time_point until = Clock::now() + time;
  while (!task.stopping()) {
    const Clock::time_point now = Clock::now();
    if (now >= until) return;
    std::this_thread::sleep_for(
        std::min<Clock::duration>(until - now, std::chrono::milliseconds(20)));
  }
}

class BlockRun final : public ResponseSink {
 public:
  BlockRun(std::shared_ptr<DownloadTask> task, int index)
      : task_(std::move(task)), index_(index), connection_(task_->settings()) {
    buffer_.reserve(kWriteChunk);
  }

  void run();

 private:
  bool onHead(const ResponseHead& head) override;
  bool onBody(const char* data, std::size_t length) override;
  bool flush();
  bool done() const { return end_ >= 0 && written_ >= end_; }
  std::string rangeText(int64_t from) const {
    return "bytes " + std::to_string(from) + "-" + (end_ >= 0 ? std::to_string(end_ - 1) : "");
  }

  const std::shared_ptr<DownloadTask> task_;
  const int index_;
  Connection connection_;
  std::vector<char> buffer_;
  int64_t written_ = 0;   // file offset up to which this block is written
  int64_t received_ = 0;  // file offset up to which it is received (written + buffered)
  int64_t end_ = -1;      // the block's end offset, -1 while unknown
  int64_t stream_ = 0;    // file offset of the next byte the response delivers
  int64_t askedFrom_ = 0;
  Clock::time_point lastFlush_;
  // Why the current transfer was ended by us.
  ResponsePlan::Verdict verdict_ = ResponsePlan::Use;
  std::string why_;
  int64_t retryAfterMs_ = -1;  // the wait a refusing server asked for
  bool writeFailed_ = false;
};

void BlockRun::run() {
  if (task_->started()) {
    const TaskBlock block = task_->block(index_);
    written_ = received_ = block.start + block.done;
    end_ = block.length >= 0 ? block.start + block.length : -1;
  }
  const int retries = std::max(0, task_->tuning().retries);
  int failures = 0;
  while (!task_->stopping() && !done()) {
    askedFrom_ = written_;
    verdict_ = ResponsePlan::Use;
    why_.clear();
    retryAfterMs_ = -1;
    task_->message(index_, DownloadTask::Info,
                   "connecting to " + connection_.url() + ", " + rangeText(askedFrom_));
    lastFlush_ = Clock::now();
    const TransferResult result =
        connection_.get(askedFrom_, end_ >= 0 ? end_ - 1 : -1, *this, task_->stopFlag());
    if (!writeFailed_ && result.kind != TransferResult::Stopped && !flush()) break;
    if (writeFailed_ || task_->stopping() || done()) break;

    std::string why;
    switch (result.kind) {
      case TransferResult::Stopped:
        break;
      case TransferResult::Ended:
        if (verdict_ == ResponsePlan::Fail) {
          task_->fail(index_, why_);
          return;
        }
        why = why_.empty() ? "the transfer was ended" : why_;
        break;
      case TransferResult::Finished:
        if (end_ < 0 && task_->started()) {  // a response without a length ends by closing
          task_->settleLength(index_);
          return;
        }
        why = "the connection ended at byte " + std::to_string(written_);
        break;
      case TransferResult::Fatal:
        task_->fail(index_, result.error);
        return;
      case TransferResult::Stalled:
      case TransferResult::Broken:
        why = result.error;
        break;
    }
    if (task_->stopping()) break;
    if (written_ > askedFrom_) failures = 0;  // it moved on: a fresh set of tries
    if (++failures > retries) {
      task_->fail(index_, "giving up after " + std::to_string(failures) + " tries: " + why);
      break;
    }
    // A server that said when to come back is asked again then, within reason.
    const auto delay = std::chrono::milliseconds(
        retryAfterMs_ >= 0
            ? std::min<int64_t>(retryAfterMs_, std::max(0, task_->tuning().retryAfterLimit))
            : std::min<int64_t>(int64_t(std::max(0, task_->tuning().retryDelay)) << (failures - 1),
                                4000));
    task_->message(index_, DownloadTask::Warning,
                   "retry " + std::to_string(failures) + " of " + std::to_string(retries) +
                       " from byte " + std::to_string(written_) + " in " +
                       std::to_string(delay.count()) + " ms: " + why);
    pause(*task_, delay);
  }
  if (done() && !task_->stopping())
    task_->message(index_, DownloadTask::Info, "block complete at byte " + std::to_string(end_));
}

bool BlockRun::onHead(const ResponseHead& head) {
  const ResponsePlan plan = judgeResponse(head, askedFrom_, task_->knownTotal());
  if (plan.verdict != ResponsePlan::Use) {
    verdict_ = plan.verdict;
    why_ = plan.why;
    retryAfterMs_ = plan.retryAfterMs;
    return false;
  }
  if (!task_->started()) {
    const std::optional<int64_t> length = task_->acceptFirstResponse(plan);
    if (!length) {
      writeFailed_ = true;  // the task has failed already
      return false;
    }
    end_ = *length;
  }
  stream_ = plan.bodyStart;
  std::string text = head.http ? "HTTP " + std::to_string(head.status) : "response";
  if (head.range && head.range->first >= 0)
    text += ", bytes " + std::to_string(head.range->first) + "-" +
            std::to_string(head.range->last) + "/" +
            (head.range->total >= 0 ? std::to_string(head.range->total) : "*");
  else if (plan.total >= 0)
    text += ", " + std::to_string(plan.total) + " bytes";
  if (plan.bodyStart < askedFrom_) text += ", skipping to byte " + std::to_string(askedFrom_);
  task_->message(index_, DownloadTask::Info, text);
  return !done();
}

bool BlockRun::onBody(const char* data, std::size_t length) {
  if (task_->stopping()) return false;
  RateLimiter& limiter = task_->limiter();
  if (limiter.limited()) pause(*task_, limiter.reserve(static_cast<int64_t>(length)));
  if (stream_ < received_) {  // bytes this block already has (a server that ignores Range)
    const auto skip = static_cast<std::size_t>(
        std::min<int64_t>(static_cast<int64_t>(length), received_ - stream_));
    data += skip;
    length -= skip;
    stream_ += static_cast<int64_t>(skip);
  }
  std::size_t take = length;
  if (end_ >= 0)
    take = static_cast<std::size_t>(std::min<int64_t>(int64_t(take), end_ - received_));
  if (take > 0) {
    if (buffer_.empty() && take >= kWriteChunk / 2) {
      if (!task_->write(index_, received_, data, take)) {
        writeFailed_ = true;
        return false;
      }
      received_ += static_cast<int64_t>(take);
      written_ = received_;
      lastFlush_ = Clock::now();
    } else {
      buffer_.insert(buffer_.end(), data, data + take);
      received_ += static_cast<int64_t>(take);
      if ((buffer_.size() >= kWriteChunk || Clock::now() - lastFlush_ >= kFlushInterval) &&
          !flush())
        return false;
    }
    stream_ += static_cast<int64_t>(take);
  }
  if (end_ >= 0 && received_ >= end_) {
    flush();
    return false;  // the block is complete; the rest of the response is not ours
  }
  return true;
}

bool BlockRun::flush() {
  lastFlush_ = Clock::now();
  if (buffer_.empty()) return true;
  if (!task_->write(index_, written_, buffer_.data(), buffer_.size())) {
    writeFailed_ = true;
    buffer_.clear();
    received_ = written_;
    return false;
  }
  written_ += static_cast<int64_t>(buffer_.size());
  buffer_.clear();
  return true;
}

}  // namespace

void runBlock(std::shared_ptr<DownloadTask> task, int index) {
  try {
    BlockRun(task, index).run();
  } catch (const std::exception& e) {
    task->fail(index, std::string("the connection failed: ") + e.what());
  }
  // After the connection's handles are gone.
  task->workerEnded();
}

}  // namespace vumbrel::engine
