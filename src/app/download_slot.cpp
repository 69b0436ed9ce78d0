// SPDX-License-Identifier: MIT
#include "app/download_slot.h"

namespace vumbrel {

SlotPtr createSlot() {
  auto slot = std::make_shared<DownloadSlot>();
  slot->engine.reset(createEngine());
  return slot;
}

void destroySlot(DownloadSlot& slot) {
  std::unique_lock<std::shared_mutex> noUsers(slot.lifetime);
  slot.engine.reset();
  std::lock_guard<std::mutex> lock(slot.mutex);
  slot.threadLogs = {};
  slot.settings = TaskParam{};
  slot.taskData.clear();
  slot.taskData.shrink_to_fit();
  slot.extraText1.clear();
  slot.extraText2.clear();
  slot.extraText3.clear();
}

SlotLease::SlotLease(SlotPtr slot)
    : slot_(std::move(slot)),
      hold_(slot_ ? std::shared_lock(slot_->lifetime) : std::shared_lock<std::shared_mutex>()) {}

}  // namespace vumbrel
