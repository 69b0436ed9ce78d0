// SPDX-License-Identifier: MIT
// The task-data decoder on arbitrary bytes: never crashes, and whatever it
// accepts encodes back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "download/engine.h"
#include "download/task_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<vumbrel::TaskState> state = vumbrel::decodeTaskData(bytes);
  const int64_t total = vumbrel::getTaskDataItem(nullptr, bytes, vumbrel::ItemTotalSize, 0);
  const int64_t done = vumbrel::getTaskDataItem(nullptr, bytes, vumbrel::ItemDownloaded, 0);
  if (!state) {
    if (total != -1 || done != -1) std::abort();
    return 0;
  }
  if (vumbrel::encodeTaskData(*state) != bytes) std::abort();
  if (total != state->totalSize || done != state->downloaded() || done < 0) std::abort();
  return 0;
}
