// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "app/download_slot.h"

namespace vumbrel {

// The process-wide state: the three shared lists. The program creates one at
// start-up and passes it by reference; a test creates its own.
//
// `mutex` guards the three vectors (not the slots' fields, which each slot
// guards itself). It is held only for short reads and writes of the lists:
// never across a control operation, an engine call that waits, or the
// destruction of a slot.
struct AppState {
  std::mutex mutex;
  std::vector<SlotPtr> slotTable;
  std::vector<std::string> streamAddresses;
  std::vector<std::string> itemTitles;
};

size_t slotCount(AppState& state);

// A lease on slotTable entry `index`; an empty lease when there is none.
SlotLease leaseSlot(AppState& state, int index);

// Replaces slotTable by `count` new slots. The old table is taken out first,
// then each old slot is destroyed, from the first to the last, with no lock
// of the state held (an engine notification arriving meanwhile finds no slot),
// then the new slots are created and installed.
void replaceSlotTable(AppState& state, size_t count);

// The exit clean-up: destroys every slot, first to last, then empties
// streamAddresses and itemTitles.
void releaseAll(AppState& state);

}  // namespace vumbrel
