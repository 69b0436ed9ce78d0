// SPDX-License-Identifier: MIT
#include "app/app_state.h"

#include <utility>

namespace vumbrel {
namespace {

std::vector<SlotPtr> takeSlotTable(AppState& state) {
  std::lock_guard<std::mutex> lock(state.mutex);
  return std::exchange(state.slotTable, {});
}

void destroyAll(std::vector<SlotPtr>& slots) {
  for (SlotPtr& slot : slots) destroySlot(*slot);
  slots.clear();
}

}  // namespace

size_t slotCount(AppState& state) {
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.slotTable.size();
}

SlotLease leaseSlot(AppState& state, int index) {
  std::lock_guard<std::mutex> lock(state.mutex);
  if (index < 0 || static_cast<size_t>(index) >= state.slotTable.size()) return {};
  // Taken under the state's lock, so a slot that destroySlot may already be
  // waiting for is never leased again.
  return SlotLease(state.slotTable[index]);
}

void replaceSlotTable(AppState& state, size_t count) {
  std::vector<SlotPtr> old = takeSlotTable(state);
  destroyAll(old);
  std::vector<SlotPtr> fresh;
  fresh.reserve(count);
  for (size_t i = 0; i < count; ++i) fresh.push_back(createSlot());
  std::lock_guard<std::mutex> lock(state.mutex);
  state.slotTable = std::move(fresh);
}

void releaseAll(AppState& state) {
  std::vector<SlotPtr> old = takeSlotTable(state);
  destroyAll(old);
  std::lock_guard<std::mutex> lock(state.mutex);
  state.streamAddresses.clear();
  state.itemTitles.clear();
}

}  // namespace vumbrel
