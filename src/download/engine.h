// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "download/task_data.h"
#include "download/task_param.h"

namespace vumbrel {

// One engine object holds at most one task. A task that ends, by completion,
// stop or failure, is detached, and the object can take a new one.
//
// Every operation may be called from any thread, also concurrently on the
// same object. The engine never calls a callback while it holds one of its
// own locks, and once stopTask or destroyEngine has returned, no callback of
// that task is running or will run again.
struct Download;

// Settings of an engine object that the task record does not carry. They
// apply to the tasks added after they are set; tests shorten the waits.
struct EngineTuning {
  std::string caFile;        // certificates trusted for HTTPS; empty: the system's store
  int32_t retries = 5;       // tries of a broken connection after the first, per block
  int32_t retryDelay = 250;  // ms before the first retry; doubles with each one, at most 4 s
  // The longest wait, in ms, that a server's Retry-After (on 429 or 5xx) is
  // granted before the retry; a longer request is cut to this.
  int32_t retryAfterLimit = 30000;
  // When > 0: the record's connect, send and receive time-outs are cut to at
  // most this many ms (tests make stalls short without touching the record).
  int32_t timeoutLimit = 0;
};

Download* createEngine();
void setEngineTuning(Download* engine, const EngineTuning& tuning);
// Stops the task as stopTask does, then releases the object.
void destroyEngine(Download* engine);

struct EngineDeleter {
  void operator()(Download* engine) const { destroyEngine(engine); }
};
using EnginePtr = std::unique_ptr<Download, EngineDeleter>;

// With no task held: copies the record and starts the download in the
// background. With a task held: changes nothing and returns false.
//
// The file is created only once the server has answered with data (an error
// page never becomes the file) and is removed again when the task fails. A
// task completes only when every block is written and the size agrees.
// localPath is a GBK text, converted to UTF-8 at the file system; the path
// reported back (type 3, getLocalPath) is the GBK text.
//
// Connections: connectTimeout bounds connecting (TCP and TLS); a connection
// that receives nothing for receiveTimeout (before its first byte, for the
// three time-outs together, since sending the request is part of it) counts
// as broken and is tried again from its last written byte. receiveBlockSize is
// libcurl's receive size. Bytes are written in chunks of up to 512 KiB, at
// least every 200 ms; each written chunk is one type 16 (a: thread 1..n, b:
// the file offset just past it) and counts as done in the task data only
// once written.
bool addTask(Download* engine, const TaskParam& param);
// With a live task: stops it, waits up to stopWait for its threads (looking
// every 20 ms), writes its final state into taskData and detaches it.
// Otherwise changes nothing and returns false. `number` is passed through by
// the caller and has no effect.
bool stopTask(Download* engine, std::string& taskData, int number);
// With a live task: writes its current state into taskData.
bool getTaskData(Download* engine, std::string& taskData);
// Decodes taskData alone (the object is not consulted and may be null):
// ItemTotalSize or ItemDownloaded; -1 for an empty or undecodable byte string
// or an unknown item. `block` is accepted for the callers' sake; 0 means the
// whole task.
int64_t getTaskDataItem(Download* engine, const std::string& taskData, int item, int block);
// The live task's thread identifiers (at most 511), in order; unchanged with no task.
void getThreadList(Download* engine, std::vector<int32_t>& threads);
// The path the live task writes to; empty with no task.
std::string getLocalPath(Download* engine);
// The live task's id (unique in the process), or -1.
int32_t getTaskId(Download* engine);

}  // namespace vumbrel
