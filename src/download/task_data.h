// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vumbrel {

// The state of one task as the engine encodes it into a byte string.
//
// Layout (all integers little-endian):
//   4 bytes  magic "VTD1"
//   int64    total size in bytes (0 while unknown)
//   uint32   block count n
//   n times: int64 start, int64 length, int64 bytes done
// Nothing follows the last block. A block of unknown length (a download on
// one connection whose size the server did not tell) has length -1.
struct TaskBlock {
  int64_t start = 0;
  int64_t length = 0;
  int64_t done = 0;
  bool operator==(const TaskBlock&) const = default;
};

struct TaskState {
  int64_t totalSize = 0;
  std::vector<TaskBlock> blocks;
  bool operator==(const TaskState&) const = default;

  // Bytes done, summed over all blocks.
  int64_t downloaded() const;
};

std::string encodeTaskData(const TaskState& state);
// std::nullopt for an empty, short, over-long or otherwise malformed byte string.
std::optional<TaskState> decodeTaskData(const std::string& bytes);

enum TaskDataItem : int {
  ItemTotalSize = 1,
  ItemDownloaded = 2,
};

}  // namespace vumbrel
