// SPDX-License-Identifier: MIT
// Times textBetween on 10 MB replies: one with a left marker every few bytes
// and no right marker at all, and an ordinary page with 100,000 titles. Prints
// the best and median milliseconds per run. The extraction loop as first
// written (a fresh right-marker search after every left marker) runs on a
// 100 KB slice of the first reply for comparison.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "resolve/code_pages.h"
#include "resolve/text_between.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kSize = 10 * 1000 * 1000;

std::string repeatTo(const std::string& unit, size_t size) {
  std::string s;
  s.reserve(size + unit.size());
  while (s.size() < size) s += unit;
  return s;
}

std::string ordinaryPage() {
  // 100,000 records of exactly 100 bytes, each with one title.
  const std::string body = "<div class=\"x\">\xc4\xe3\xba\xc3</div>\n";
  std::string page;
  page.reserve(kSize);
  for (int i = 0; i < 100000; ++i) {
    const size_t start = page.size();
    page += "<title>\xca\xd3\xc6\xb5 " + std::to_string(i) + " video item</title>" + body;
    page.append(start + 100 - page.size(), ' ');
  }
  return page;
}

struct Timing {
  double best = 0, median = 0;
  size_t count = 0;  // what the last run counted
};

Timing timeRuns(int runs, const std::function<size_t()>& run) {
  std::vector<double> ms;
  Timing t;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    t.count = run();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  t.best = ms.front();
  t.median = ms[ms.size() / 2];
  return t;
}

void report(const std::string& name, size_t bytes, const Timing& t, const char* unit = nullptr) {
  std::printf("%-48s %5.1f MB  best %8.2f ms  median %8.2f ms", name.c_str(), bytes / 1e6, t.best,
              t.median);
  if (unit != nullptr) std::printf("  %zu %s", t.count, unit);
  std::printf("\n");
}

// The loop as first written: 1-based positions, a walk per search.
int64_t naiveFind(const std::string& text, const std::string& marker, int64_t start) {
  const int64_t n = static_cast<int64_t>(text.size());
  for (int64_t p = std::max<int64_t>(start, 1); p <= n;
       p += static_cast<unsigned char>(text[p - 1]) >= 0x80 ? 2 : 1) {
    if (text.compare(static_cast<size_t>(p - 1), marker.size(), marker) == 0) return p;
  }
  return -1;
}

size_t naiveCollect(const std::string& text, const std::string& left, const std::string& right) {
  const int64_t l = static_cast<int64_t>(left.size());
  size_t found = 0;
  for (int64_t d = naiveFind(text, left, 1); d != -1; d = naiveFind(text, left, d + 1)) {
    if (naiveFind(text, right, d + l) != -1) ++found;
  }
  return found;
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  using vumbrel::textBetween;
  const int runs = 9;
  const std::string left = "<title>", right = "</title>";

  struct Input {
    std::string name, text;
    bool collect = true;  // nested matches would copy out O(n^2) bytes
  };
  const Input inputs[] = {
      {"no right marker, ASCII", repeatTo("<title>x", kSize)},
      {"no right marker, GBK", repeatTo("<title>\xc4\xe3", kSize)},
      // Right markers everywhere, each hidden behind a lead byte.
      {"right markers inside characters", repeatTo("<title>\xb0</title>", kSize)},
      {"ordinary page", ordinaryPage()},
      {"nested left markers, one right marker", repeatTo("<title>", kSize) + "x</title>", false},
  };
  for (const Input& in : inputs) {
    const std::string& text = in.text;
    report(in.name + ", first", text.size(),
           timeRuns(runs, [&] { return textBetween(text, left, right).size(); }), "bytes");
    const auto collect = [&] {
      std::vector<std::string> results;
      textBetween(text, left, right, &results, true);
      return results.size();
    };
    if (in.collect)
      report(in.name + ", collectAll", text.size(), timeRuns(runs, collect), "matches");
    report(
        in.name + ", keepLast", text.size(),
        timeRuns(runs, [&] { return textBetween(text, left, right, nullptr, false, true).size(); }),
        "bytes");
    report(
        in.name + ", toEnd", text.size(),
        timeRuns(runs,
                 [&] { return textBetween(text, left, "", nullptr, false, false, true).size(); }),
        "bytes");
  }

  const std::string slice = inputs[0].text.substr(0, 100 * 1000);
  report("naive loop, no right marker", slice.size(),
         timeRuns(1, [&] { return naiveCollect(slice, left, right); }), "matches");
  report("textBetween, the same", slice.size(),
         timeRuns(runs,
                  [&] {
                    std::vector<std::string> results;
                    textBetween(slice, left, right, &results, true);
                    return results.size();
                  }),
         "matches");

  const std::string utf8 = repeatTo("<p>\xe4\xb8\xad\xe6\x96\x87 text \xe0\xb8\x81</p>", kSize);
  report("utf8ToAnsi", utf8.size(), timeRuns(3, [&] { return vumbrel::utf8ToAnsi(utf8).size(); }),
         "bytes");
  const std::string big5 = repeatTo("\xb6\xc7\xb2\xce\xba\x7e\xa6\x72 ok ", 1000 * 1000);
  report("big5ToGbk", big5.size(), timeRuns(3, [&] { return vumbrel::big5ToGbk(big5).size(); }),
         "bytes");
  return 0;
}
