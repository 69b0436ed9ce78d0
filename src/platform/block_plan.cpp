// SPDX-License-Identifier: MIT
#include "platform/block_plan.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <string>

namespace vumbrel::engine {
namespace {

bool readInt(std::string_view text, int64_t& value) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
    text.remove_suffix(1);
  return text;
}

bool sizeChanged(int64_t told, int64_t knownTotal) {
  return told >= 0 && knownTotal >= 0 && told != knownTotal;
}

}  // namespace

int64_t firstBlockLength(int64_t total, int connections) {
  const int64_t count = std::max<int64_t>(1, std::min<int64_t>(connections, total));
  return total / count;
}

std::vector<TaskBlock> splitBlocks(int64_t total, int connections) {
  const int64_t count = std::max<int64_t>(1, std::min<int64_t>(connections, total));
  std::vector<TaskBlock> blocks;
  blocks.reserve(static_cast<size_t>(count));
  // Block i ends where block i+1 starts: i*total/count, computed without
  // overflow for sizes far beyond 4 GiB.
  const int64_t base = total / count, extra = total % count;
  for (int64_t i = 0; i < count; ++i) {
    const int64_t start = i * base + (i * extra) / count;
    const int64_t end = (i + 1) * base + ((i + 1) * extra) / count;
    blocks.push_back({start, end - start, 0});
  }
  return blocks;
}

std::optional<ContentRange> parseContentRange(std::string_view value) {
  value = trim(value);
  if (!value.starts_with("bytes")) return std::nullopt;
  value = trim(value.substr(5));
  const size_t slash = value.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::string_view span = trim(value.substr(0, slash)), size = trim(value.substr(slash + 1));
  ContentRange range;
  if (size != "*" && !readInt(size, range.total)) return std::nullopt;
  if (span == "*") return range.total >= 0 ? std::optional(range) : std::nullopt;
  const size_t dash = span.find('-');
  if (dash == std::string_view::npos || !readInt(span.substr(0, dash), range.first) ||
      !readInt(span.substr(dash + 1), range.last) || range.last < range.first ||
      (range.total >= 0 && range.last >= range.total))
    return std::nullopt;
  return range;
}

int64_t parseRetryAfter(std::string_view value, int64_t nowSeconds) {
  value = trim(value);
  int64_t seconds = 0;
  if (readInt(value, seconds)) return seconds > INT64_MAX / 1000 ? INT64_MAX : seconds * 1000;
  const std::string date(value);
  const time_t when = curl_getdate(date.c_str(), nullptr);
  if (when < 0) return -1;
  return when <= nowSeconds ? 0 : (static_cast<int64_t>(when) - nowSeconds) * 1000;
}

ResponsePlan judgeResponse(const ResponseHead& head, int64_t askedFrom, int64_t knownTotal) {
  ResponsePlan plan;
  if (!head.http) {  // FTP: the library positions the transfer itself
    plan.verdict = ResponsePlan::Use;
    plan.bodyStart = askedFrom;
    plan.total = head.contentLength >= 0 ? askedFrom + head.contentLength : -1;
    plan.ranged = false;
    if (sizeChanged(plan.total, knownTotal)) {
      plan.verdict = ResponsePlan::Fail;
      plan.why = "the file size changed";
    }
    return plan;
  }
  const long status = head.status;
  const std::string code = "HTTP " + std::to_string(status);
  if (status == 206) {
    if (!head.range || head.range->first < 0) {
      plan.why = code + " without a usable Content-Range";
      return plan;
    }
    if (head.range->first > askedFrom) {
      plan.why = code + " for a later range than asked";
      return plan;
    }
    plan.bodyStart = head.range->first;
    plan.total = head.range->total;
    plan.ranged = true;
  } else if (status == 416) {
    // Only an empty file answers a range from byte 0 this way.
    if (askedFrom == 0 && head.range && head.range->total == 0 && knownTotal <= 0) {
      plan.verdict = ResponsePlan::Use;
      plan.total = 0;
      plan.ranged = true;
      return plan;
    }
    plan.why = code;
    return plan;
  } else if (status >= 200 && status < 300) {
    plan.bodyStart = 0;
    plan.total = head.contentLength;
  } else {
    plan.why = code;
    if (status == 408 || status == 429 || status >= 500) {
      plan.verdict = ResponsePlan::Retry;
      plan.retryAfterMs = head.retryAfterMs;
    }
    return plan;
  }
  if (sizeChanged(plan.total, knownTotal)) {
    plan.why = "the file size changed from " + std::to_string(knownTotal) + " to " +
               std::to_string(plan.total);
    return plan;
  }
  plan.verdict = ResponsePlan::Use;
  return plan;
}

}  // namespace vumbrel::engine
