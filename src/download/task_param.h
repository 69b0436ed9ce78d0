// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vumbrel {

// Status notifications: statusCallback(type, a, b, c, taskId) -> int.
//   StatusStarted      first data arrived: b total size, c final local path
//   StatusEnded        the task ended (completion, stop or failure); its last call:
//                      a the EndReason, b bytes written, c the local path
//   StatusBlockWritten a received block was written: a thread, b position
//   StatusFileExists   the local file exists; answer 0 rename, 1 give up, 2 overwrite
// Other types report thread events.
enum StatusType : int {
  StatusStarted = 3,
  StatusEnded = 4,
  StatusBlockWritten = 16,
  StatusFileExists = 18,
};

// How a task ended: argument a of StatusEnded.
enum EndReason : int {
  EndCompleted = 0,  // every byte written and the size verified
  EndStopped = 1,
  EndFailed = 2,  // nothing is left on disk of a file the task created
};

using StatusCallback =
    std::function<int(int type, int64_t a, int64_t b, const std::string& c, int32_t taskId)>;
// Per-thread messages; an absent text arrives as the empty text.
using ThreadInfoCallback =
    std::function<void(int32_t thread, const std::string& timeText, const std::string& message,
                       int level, int32_t taskId)>;

// The description of one download task. The member initialisers are the
// values of a freshly created record; the engine copies the record when the
// task is added, so later changes do not reach a running task.
struct TaskParam {
  int32_t taskFlags = 1;  // bits 8..15 direction (0x10 download), low byte FTP options
  std::string sourceUrl;
  std::string localPath;
  std::string ftpUser = "anonymous";
  std::string ftpPassword = "vumbrel@localhost.localdomain";
  int32_t threadCount = 1;
  int64_t speedLimit = 0;          // bytes per second for the whole task; 0 = no limit
  int32_t connectTimeout = 20000;  // milliseconds
  int32_t sendTimeout = 20000;
  int32_t receiveTimeout = 20000;
  int32_t stopWait = 1000;  // longest wait for the task's threads on stop/destroy
  int32_t receiveBlockSize = 20480;
  int32_t sendBlockSize = 1024;
  ThreadInfoCallback threadInfoCallback;
  StatusCallback statusCallback;
  std::string uploadRenameTo;
  int32_t ftpTransferMode = 1;  // 1 image, 2 text, 3 by extension
  std::string imageModeExtensions = ".exe|.rar|.zip|.gif|.jpg|.mp3|.rm";
  std::string proxyServer;  // host[:port], empty for a direct connection
  std::string referer;      // empty: derived from the address
};

}  // namespace vumbrel
