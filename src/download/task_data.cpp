// SPDX-License-Identifier: MIT
#include "download/task_data.h"

#include <cstring>
#include <limits>

namespace vumbrel {
namespace {

constexpr char kMagic[4] = {'V', 'T', 'D', '1'};
constexpr size_t kHeaderSize = 4 + 8 + 4;
constexpr size_t kBlockSize = 3 * 8;

void putU64(std::string& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

void putU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

uint64_t getU64(const std::string& in, size_t at) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= uint64_t(static_cast<unsigned char>(in[at + i])) << (8 * i);
  return v;
}

uint32_t getU32(const std::string& in, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(static_cast<unsigned char>(in[at + i])) << (8 * i);
  return v;
}

}  // namespace

int64_t TaskState::downloaded() const {
  int64_t sum = 0;
  for (const TaskBlock& b : blocks) sum += b.done;
  return sum;
}

std::string encodeTaskData(const TaskState& state) {
  std::string out;
  out.reserve(kHeaderSize + kBlockSize * state.blocks.size());
  out.append(kMagic, sizeof kMagic);
  putU64(out, static_cast<uint64_t>(state.totalSize));
  putU32(out, static_cast<uint32_t>(state.blocks.size()));
  for (const TaskBlock& b : state.blocks) {
    putU64(out, static_cast<uint64_t>(b.start));
    putU64(out, static_cast<uint64_t>(b.length));
    putU64(out, static_cast<uint64_t>(b.done));
  }
  return out;
}

std::optional<TaskState> decodeTaskData(const std::string& bytes) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
    return std::nullopt;
  const uint32_t count = getU32(bytes, 12);
  if ((bytes.size() - kHeaderSize) % kBlockSize != 0 ||
      (bytes.size() - kHeaderSize) / kBlockSize != count)
    return std::nullopt;
  TaskState state;
  state.totalSize = static_cast<int64_t>(getU64(bytes, 4));
  if (state.totalSize < 0) return std::nullopt;
  state.blocks.reserve(count);
  int64_t sum = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = kHeaderSize + kBlockSize * i;
    TaskBlock b{static_cast<int64_t>(getU64(bytes, at)),
                static_cast<int64_t>(getU64(bytes, at + 8)),
                static_cast<int64_t>(getU64(bytes, at + 16))};
    if (b.start < 0 || b.length < -1 || b.done < 0 || (b.length >= 0 && b.done > b.length))
      return std::nullopt;
    if (b.done > std::numeric_limits<int64_t>::max() - sum) return std::nullopt;
    sum += b.done;
    state.blocks.push_back(b);
  }
  return state;
}

}  // namespace vumbrel
