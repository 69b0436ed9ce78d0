// SPDX-License-Identifier: MIT
#include "resolve/text_between.h"

#include <cstring>

namespace vumbrel {
namespace {

constexpr size_t kNone = std::string_view::npos;
const char kSuccess[] = "\xb3\xc9\xb9\xa6";  // 成功 in GBK
const char kFailure[] = "\xca\xa7\xb0\xdc";  // 失败 in GBK

bool isHigh(std::string_view text, size_t p) { return static_cast<unsigned char>(text[p]) >= 0x80; }
size_t charLength(std::string_view text, size_t p) {
  return 1 + (static_cast<unsigned char>(text[p]) >> 7);
}

std::string_view asText(const std::string& s) {
  return std::string_view(s).substr(0, s.find('\0'));
}

bool matchAt(std::string_view text, std::string_view marker, size_t p) {
  return p + marker.size() <= text.size() &&
         std::memcmp(text.data() + p, marker.data(), marker.size()) == 0;
}

// First match of marker on the character walk that starts at byte p (0-based).
// Candidates come from memchr; whether a candidate q begins a character of the
// walk follows from the run of high bytes just before it: that run starts a
// character (the walk's start, or the byte behind an ASCII byte, which every
// walk passes), so q does exactly when the run's length is even.
size_t walkFind(std::string_view text, std::string_view marker, size_t p) {
  const size_t m = marker.size();
  if (m == 0 || m > text.size()) return kNone;
  const size_t last = text.size() - m;
  while (p <= last) {
    const void* hit = std::memchr(text.data() + p, marker[0], last - p + 1);
    if (hit == nullptr) return kNone;
    const size_t q = static_cast<size_t>(static_cast<const char*>(hit) - text.data());
    size_t run = 0;
    while (q - run > p && isHigh(text, q - run - 1)) ++run;
    if (run % 2 != 0) {
      p = q + 1;  // q is the second byte of a character
      continue;
    }
    if (matchAt(text, marker, q)) return q;
    p = q + charLength(text, q);
  }
  return kNone;
}

// Answers walkFind(text, marker, t) for non-decreasing t in amortised linear
// time. Every walk that starts at or before a byte q below 0x80 passes through
// q + 1, so two walks can differ only inside a run of high bytes, and there only
// by the parity of their positions. One cached answer per parity inside the
// current run, and one for the shared walk behind it, are reused for as long
// as they lie ahead of the new start. Once the marker's bytes occur nowhere
// behind a start, no walk can find it and the search is exhausted.
class RightMarkerSearch {
 public:
  RightMarkerSearch(std::string_view text, std::string_view marker)
      : text_(text), marker_(marker) {}

  size_t from(size_t t) {
    const size_t n = text_.size();
    if (marker_.empty() || t >= n || exhausted()) return kNone;
    if (!rawKnown_ || rawNext_ < t) {
      rawKnown_ = true;
      rawNext_ = text_.find(marker_, t);
      if (rawNext_ == kNone) return kNone;
    }
    if (!runKnown_ || t > runEnd_) {
      runKnown_ = true;
      runEnd_ = t;
      while (runEnd_ < n && isHigh(text_, runEnd_)) ++runEnd_;
      inRun_[0].valid = inRun_[1].valid = false;
    }
    Cached& c = inRun_[t & 1];
    if (!c.valid || (c.found != kNone && c.found < t)) {
      c.valid = true;
      c.found = kNone;
      for (size_t p = t; p <= runEnd_ && p < n; p += 2) {
        if (matchAt(text_, marker_, p)) {
          c.found = p;
          break;
        }
      }
    }
    if (c.found != kNone) return c.found;
    if (runEnd_ >= n) return kNone;
    const size_t shared = runEnd_ + 1;
    if (!behind_.valid || (behind_.found != kNone && behind_.found < shared)) {
      behind_.valid = true;
      behind_.found = walkFind(text_, marker_, shared);
    }
    return behind_.found;
  }

  // True when the marker's bytes occur nowhere at or behind the last start.
  bool exhausted() const { return rawKnown_ && rawNext_ == kNone; }

 private:
  struct Cached {
    bool valid = false;
    size_t found = kNone;
  };
  std::string_view text_;
  std::string_view marker_;
  bool rawKnown_ = false;
  size_t rawNext_ = 0;  // the marker's bytes' first occurrence at or after the last start
  bool runKnown_ = false;
  size_t runEnd_ = 0;  // first byte below 0x80 at or after the last start
  Cached inRun_[2];
  Cached behind_;
};

}  // namespace

int64_t findText(std::string_view text, std::string_view marker, int64_t start) {
  if (start < 1) start = 1;
  if (start > static_cast<int64_t>(text.size())) return -1;
  const size_t p = walkFind(text, marker, static_cast<size_t>(start - 1));
  return p == kNone ? -1 : static_cast<int64_t>(p) + 1;
}

std::string midText(std::string_view text, int64_t start, int64_t length) {
  if (start < 1 || start > static_cast<int64_t>(text.size()) || length <= 0) return {};
  return std::string(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(length)));
}

std::string replaceAll(std::string_view text, std::string_view oldText, std::string_view newText) {
  if (oldText.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t p = 0;
  while (p < text.size()) {
    if (matchAt(text, oldText, p)) {
      out += newText;
      p += oldText.size();
    } else {
      const size_t k = std::min(charLength(text, p), text.size() - p);
      out.append(text, p, k);
      p += k;
    }
  }
  return out;
}

std::string textBetween(const std::string& text, const std::string& leftMarker,
                        const std::string& rightMarker, std::vector<std::string>* results,
                        bool collectAll, bool keepLast, bool toEnd) {
  const std::string_view t = asText(text);
  const std::string_view left = asText(leftMarker);
  const size_t skip = left.size();

  if (toEnd) {
    // Only the last left marker's tail is kept; find it, then copy once.
    size_t last = kNone;
    for (size_t d = walkFind(t, left, 0); d != kNone; d = walkFind(t, left, d + 1)) last = d;
    if (last == kNone || last + skip >= t.size()) return {};
    return std::string(t.substr(last + skip));
  }

  RightMarkerSearch right(t, asText(rightMarker));
  size_t matches = 0;
  size_t keptBegin = 0;
  size_t keptEnd = 0;
  for (size_t d = walkFind(t, left, 0); d != kNone; d = walkFind(t, left, d + 1)) {
    const size_t r = right.from(d + skip);
    if (r == kNone) {
      if (right.exhausted()) break;  // no later left marker can have one either
      continue;
    }
    ++matches;
    if (collectAll) {
      if (results != nullptr) results->emplace_back(t.substr(d + skip, r - d - skip));
      continue;
    }
    keptBegin = d + skip;
    keptEnd = r;
    if (!keepLast) break;
  }
  if (collectAll) {
    const bool any = matches > 0 || (results != nullptr && !results->empty());
    return any ? kSuccess : kFailure;
  }
  return matches > 0 ? std::string(t.substr(keptBegin, keptEnd - keptBegin)) : std::string();
}

std::string cleanFileName(const std::string& text) {
  static constexpr std::string_view kForbidden[] = {
      ":", "\xa3\xba", "\\", "/", "*", "?", "<", ">", "|", "\xa1\xa4", "&", "\"",
  };
  std::string out(asText(text));
  for (std::string_view c : kForbidden) out = replaceAll(out, c, "_");
  return out;
}

}  // namespace vumbrel
