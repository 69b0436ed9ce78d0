// SPDX-License-Identifier: MIT
// Time per progress tick with 1,000 and 10,000 rows (half of them
// downloading) on the headless controls, and the time of a resolve that
// builds 1,000 rows against loopback servers.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "download/progress_monitor.h"
#include "headless_system.h"
#include "resolve/resolve_page.h"
#include "resolve_site.h"

namespace {

using Clock = std::chrono::steady_clock;
using vumbrel::test::HeadlessSystem;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void benchTicks(int rows, int ticks) {
  HeadlessSystem sys;
  std::vector<int> states(rows);
  for (int i = 0; i < rows; ++i) states[i] = i % 2 ? vumbrel::Waiting : vumbrel::Downloading;
  sys.addRows(states);
  sys.controls.setMonitorPeriod(1000);
  for (int i = 0; i < rows; i += 2) sys.setProgress(i, 1000000000, 1000 + i);
  vumbrel::progressTick(sys.system);  // the first tick writes the size cells

  std::vector<double> times;
  for (int t = 0; t < ticks; ++t) {
    for (int i = 0; i < rows; i += 2) sys.setProgress(i, 1000000000, 2000 + 1000 * t + i);
    const Clock::time_point start = Clock::now();
    vumbrel::progressTick(sys.system);
    times.push_back(millisecondsSince(start));
  }
  std::sort(times.begin(), times.end());
  double sum = 0;
  for (double x : times) sum += x;
  std::printf(
      "progressTick, %5d rows (%d downloading): mean %.3f ms, median %.3f ms, max %.3f ms"
      " over %d ticks\n",
      rows, (rows + 1) / 2, sum / ticks, times[ticks / 2], times.back(), ticks);
}

void benchResolve(int rows) {
  vumbrel::test::ResolveSite site;
  std::vector<std::string> titles, streams;
  for (int i = 0; i < rows; ++i) {
    titles.push_back("第" + std::to_string(i) + "集: 课程 & 练习");
    streams.push_back("http://127.0.0.1:9/stream/" + std::to_string(i) + ".mp4");
  }
  site.setTitles(titles);
  site.setStreams(streams);

  std::vector<double> times;
  for (int run = 0; run < 5; ++run) {
    HeadlessSystem sys;
    sys.system.resolverBase = site.resolverBase();
    sys.controls.setClipboardText(site.pageUrl());
    const Clock::time_point start = Clock::now();
    vumbrel::resolvePage(sys.system);
    times.push_back(millisecondsSince(start));
    if (sys.controls.rowCount() != rows)
      std::printf("resolve built %d rows\n", sys.controls.rowCount());
  }
  std::sort(times.begin(), times.end());
  std::printf("resolvePage building %d rows: median %.1f ms, min %.1f ms over 5 runs\n", rows,
              times[2], times[0]);
}

}  // namespace

int main() {
  benchTicks(1000, 200);
  benchTicks(10000, 40);
  benchResolve(1000);
  return 0;
}
