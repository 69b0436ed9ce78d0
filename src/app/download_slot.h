// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>

#include "download/engine.h"
#include "download/task_param.h"

namespace vumbrel {

constexpr int kThreadLogCount = 10;

// The download record of one task row.
struct DownloadSlot {
  // Set by createSlot and released only by destroySlot; read without `mutex`.
  EnginePtr engine;

  // `mutex` guards every field below. It is held only to read or write them:
  // never across a control operation or an engine call that waits.
  std::mutex mutex;
  std::array<std::string, kThreadLogCount> threadLogs;  // entry j: thread j of getThreadList
  int32_t elapsedSeconds = 0;  // monitor ticks since the download was configured
  TaskParam settings;
  std::string taskData;
  std::string extraText1;
  std::string extraText2;
  std::string extraText3;
  int16_t extraNumber = 0;

  // Held shared by every user of the slot (see SlotLease), and exclusively by
  // destroySlot, which therefore waits until no one uses the slot any more.
  std::shared_mutex lifetime;
};

using SlotPtr = std::shared_ptr<DownloadSlot>;

// A new slot: a new engine object holding no task, ten empty logs, a fresh
// TaskParam, everything else empty or 0.
SlotPtr createSlot();

// Waits until no lease on the slot is left, then tears it down in order: the
// engine object (stopping its task), the logs, the settings, the texts. The
// caller must already have removed the slot from every place a lease can be
// taken from.
void destroySlot(DownloadSlot& slot);

// A user's hold on one slot: while it lives, the slot is not destroyed.
// A thread never holds two leases on the same slot.
class SlotLease {
 public:
  SlotLease() = default;
  explicit SlotLease(SlotPtr slot);

  explicit operator bool() const { return slot_ != nullptr; }
  DownloadSlot* operator->() const { return slot_.get(); }
  DownloadSlot& operator*() const { return *slot_; }

 private:
  SlotPtr slot_;
  std::shared_lock<std::shared_mutex> hold_;  // released before slot_
};

}  // namespace vumbrel
