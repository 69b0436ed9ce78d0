// SPDX-License-Identifier: MIT
#include "exit_cleanup.h"

#include <thread>
#include <vector>

#include "app/app_state.h"
#include "download/engine.h"

namespace vumbrel::ui {

namespace {

bool hasLiveTask(AppState& state, int index) {
  SlotLease slot = leaseSlot(state, index);
  return slot && getTaskId(slot->engine.get()) != -1;
}

// A lease is held and released by one thread, so each stopper takes its own.
void stopSlot(AppState& state, int index) {
  SlotLease slot = leaseSlot(state, index);
  if (!slot) return;
  std::string finalState;
  if (stopTask(slot->engine.get(), finalState, 0)) {
    std::lock_guard<std::mutex> lock(slot->mutex);
    slot->taskData = std::move(finalState);
  }
}

}  // namespace

void stopAllAndRelease(System& system) {
  std::vector<std::thread> stoppers;
  const int count = static_cast<int>(slotCount(system.state));
  for (int i = 0; i < count; ++i) {
    // Each stop waits for its task's threads; side by side the waits overlap.
    if (hasLiveTask(system.state, i))
      stoppers.emplace_back([&system, i] { stopSlot(system.state, i); });
  }
  for (std::thread& t : stoppers) t.join();
  releaseAll(system.state);
}

}  // namespace vumbrel::ui
