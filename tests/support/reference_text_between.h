// SPDX-License-Identifier: MIT
#pragma once

// A direct, quadratic transcription of the marker-extraction loop, kept as
// the yardstick that the linear textBetween is checked against (unit tests
// and the fuzzer).

#include <cstdint>
#include <string>
#include <vector>

namespace vumbrel::reference {

inline const std::string kSuccess = "\xb3\xc9\xb9\xa6";  // 成功
inline const std::string kFailure = "\xca\xa7\xb0\xdc";  // 失败

namespace naive {

inline int64_t find(const std::string& text, const std::string& marker, int64_t start) {
  const int64_t n = static_cast<int64_t>(text.size());
  if (start < 1) start = 1;
  if (n == 0 || marker.empty() || start > n) return -1;
  for (int64_t p = start; p <= n; p += static_cast<unsigned char>(text[p - 1]) >= 0x80 ? 2 : 1) {
    if (text.compare(static_cast<size_t>(p - 1), marker.size(), marker) == 0) return p;
  }
  return -1;
}

inline std::string mid(const std::string& text, int64_t start, int64_t length) {
  if (start < 1 || start > static_cast<int64_t>(text.size()) || length <= 0) return {};
  return text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length));
}

inline std::string between(const std::string& text, const std::string& left, const std::string& right,
                    std::vector<std::string>* results, bool collectAll, bool keepLast, bool toEnd) {
  const int64_t len = static_cast<int64_t>(left.size());
  const int64_t total = static_cast<int64_t>(text.size());
  int64_t d = 0;
  std::string kept;
  for (;;) {
    d = find(text, left, d + 1);
    if (d == -1) break;
    if (toEnd) {
      kept = mid(text, d + len, total - d - len + 1);
      continue;
    }
    const int64_t r = find(text, right, d + len);
    if (r == -1) continue;
    const std::string match = mid(text, d + len, r - d - len);
    if (collectAll) {
      results->push_back(match);
      continue;
    }
    kept = match;
    if (!keepLast) break;
  }
  if (collectAll && !toEnd) return results->empty() ? kFailure : kSuccess;
  return kept;
}

}  // namespace naive
}  // namespace vumbrel::reference
