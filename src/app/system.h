// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "app/app_state.h"
#include "app/controls.h"

namespace vumbrel {

// Everything the logic works on: the shared lists, the window's controls and
// the resolver's base address ("http://" and a host). The program makes one
// at start-up and keeps it until the process ends; a test makes its own.
struct System {
  AppState state;
  Controls* controls = nullptr;
  std::string resolverBase;
  // Held by a start from its look for a live task writing the row's file to
  // its addTask, so that two starts of one row (the auto-advance and "开始")
  // never delete a file the other's new task has begun to write. Taken before
  // any other lock; nothing waits for the window's thread while holding it.
  std::mutex startMutex;

  // Runs `work` on a new detached thread; nothing in the program waits for
  // it. Counted, so that a test (or a benchmark) can wait until every worker
  // has ended before it tears the System down.
  void startWorker(std::function<void()> work);
  // Blocks until no worker started by startWorker is running.
  void waitForWorkers();

 private:
  std::mutex workersMutex_;
  std::condition_variable workersIdle_;
  int runningWorkers_ = 0;
};

}  // namespace vumbrel
