// SPDX-License-Identifier: MIT
#include "app/system.h"

#include <thread>

namespace vumbrel {

void System::startWorker(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(workersMutex_);
    ++runningWorkers_;
  }
  std::thread([this, work = std::move(work)] {
    work();
    std::lock_guard<std::mutex> lock(workersMutex_);
    if (--runningWorkers_ == 0) workersIdle_.notify_all();
  }).detach();
}

void System::waitForWorkers() {
  std::unique_lock<std::mutex> lock(workersMutex_);
  workersIdle_.wait(lock, [this] { return runningWorkers_ == 0; });
}

}  // namespace vumbrel
