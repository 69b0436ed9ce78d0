// SPDX-License-Identifier: MIT
#include "download_routes.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace vumbrel::test {
namespace {

struct FaultState {
  FaultPlan plan;
  std::uint64_t size;
  std::mutex mutex;
  int requests = 0;
  bool stalled = false;

  // Claims the first fault inside [from, to), if any: its offset, else kNever.
  std::uint64_t claimDrop(std::uint64_t from, std::uint64_t to) {
    std::lock_guard lock(mutex);
    for (auto it = plan.dropAt.begin(); it != plan.dropAt.end(); ++it) {
      if (*it >= from && *it < to) {
        std::uint64_t at = *it;
        plan.dropAt.erase(it);
        return at;
      }
    }
    return kNever;
  }
  bool claimStall(std::uint64_t from, std::uint64_t to) {
    std::lock_guard lock(mutex);
    if (stalled || plan.stallAt < from || plan.stallAt >= to) return false;
    stalled = true;
    return true;
  }
};

void serve(FaultState& state, const RecordedRequest& request, Connection& connection) {
  int index;
  {
    std::lock_guard lock(state.mutex);
    index = state.requests++;
  }
  const FaultPlan& plan = state.plan;
  if (index < plan.failFirst) {
    Reply refusal{
        .status = plan.failStatus,
        .headerLines = {"Content-Type: text/html"},
        .body = "<html><body>error " + std::to_string(plan.failStatus) + "</body></html>"};
    if (!plan.retryAfter.empty()) refusal.headerLines.push_back("Retry-After: " + plan.retryAfter);
    sendReply(request, connection, refusal);
    return;
  }
  const std::uint64_t size = index > 0 && plan.laterSize != kNever ? plan.laterSize : state.size;
  Reply head{.headerLines = {"Content-Type: video/mp4"}, .contentLength = plan.contentLength};
  if (plan.ranges) head.headerLines.push_back("Accept-Ranges: bytes");
  std::uint64_t first = 0, last = size - 1;
  bool satisfiable = true;
  const std::string range = request.header("Range");
  bool ranged =
      plan.ranges && !range.empty() && parseSingleRange(range, size, first, last, satisfiable);
  if (ranged && !satisfiable) {
    head.status = 416;
    head.contentLength = true;
    head.headerLines.push_back("Content-Range: bytes */" + std::to_string(size));
    connection.send(replyHead(head, 0));
    return;
  }
  if (ranged) {
    head.status = 206;
    head.headerLines.push_back("Content-Range: bytes " + std::to_string(first) + "-" +
                               std::to_string(last) + "/" + std::to_string(size));
  } else {
    first = 0;
    last = size - 1;
  }
  const std::uint64_t length = size == 0 ? 0 : last - first + 1;
  if (!connection.send(replyHead(head, length)) || request.method == "HEAD") return;

  const std::uint64_t end = first + length;
  const std::uint64_t dropAt = state.claimDrop(first, end);
  const bool stall = state.claimStall(first, end);
  std::uint64_t cut = std::min(dropAt, stall ? plan.stallAt : kNever);
  std::string chunk(plan.trickleBytes > 0 ? plan.trickleBytes : 256 * 1024, '\0');
  for (std::uint64_t offset = first; offset < std::min(end, cut);) {
    const std::uint64_t stop = std::min({end, cut, offset + chunk.size()});
    const auto count = static_cast<std::size_t>(stop - offset);
    fastPatternSource(offset, chunk.data(), count);
    if (!connection.send(std::string_view(chunk.data(), count))) return;
    offset = stop;
    if (plan.trickleDelay.count() > 0 && !connection.sleepFor(plan.trickleDelay)) return;
  }
  if (cut < end) {
    if (stall && cut == plan.stallAt) connection.sleepFor(plan.stallFor);
    connection.close();
  } else if (!plan.contentLength) {
    connection.close();
  }
}

}  // namespace

void fastPatternSource(std::uint64_t offset, char* out, std::size_t length) {
  while (length > 0) {
    std::uint64_t block = offset >> 8;
    const std::size_t run = std::min<std::size_t>(length, 256 - (offset & 0xff));
    block ^= block >> 17;
    block *= 0x9E3779B97F4A7C15ull;
    const std::uint64_t salt = block >> 40;
    for (std::size_t i = 0; i < run; ++i)
      out[i] = static_cast<char>(((offset + i) * 131 + salt) & 0xff);
    out += run;
    offset += run;
    length -= run;
  }
}

Handler faultyBody(std::uint64_t size, FaultPlan plan) {
  auto state = std::make_shared<FaultState>();
  state->plan = std::move(plan);
  state->size = size;
  return [state](const RecordedRequest& request, Connection& connection) {
    serve(*state, request, connection);
  };
}

}  // namespace vumbrel::test
