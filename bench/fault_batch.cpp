// SPDX-License-Identifier: MIT
// A batch of fault-injected downloads of task rows, started and watched as
// the window does it, against the loopback test server. Each download gets
// a random fault kind, offsets and size (seeded), and ends as one of:
//   exact      the row is Finished and the file's sha256 is right
//   failed     the row never became Finished (a clean failure)
//   corrupted  the row is Finished but the file is short or wrong
// The program exits 0 only when no download is corrupted.
//
//   fault_batch [count=120] [seed=1] [at-once=10]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/task_list.h"
#include "digest.h"
#include "download/start_stop.h"
#include "download_routes.h"
#include "headless_system.h"
#include "loopback_server.h"
#include "row_driver.h"
#include "temp_dir.h"

using namespace vumbrel;
using namespace vumbrel::test;
using namespace std::chrono_literals;

namespace {

struct BatchDownload {
  std::string kind;
  std::uint64_t size;
  std::uint64_t laterSize;  // what the server serves after its first answer
  FaultPlan plan;
  int redirects = 0;
};

BatchDownload randomDownload(std::mt19937_64& random) {
  auto pick = [&](std::uint64_t low, std::uint64_t high) {
    return std::uniform_int_distribution<std::uint64_t>(low, high)(random);
  };
  BatchDownload d;
  d.size = pick(20000, 400000);
  d.laterSize = d.size;
  const std::uint64_t inside = pick(1, d.size - 1);
  switch (pick(0, 13)) {
    case 0:
      d.kind = "clean";
      break;
    case 1:
      d.kind = "drops at random offsets";
      for (std::uint64_t n = pick(1, 5); n > 0; --n) d.plan.dropAt.push_back(pick(1, d.size - 1));
      break;
    case 2:
      d.kind = "stall past the receive time-out";
      d.plan.stallAt = inside;
      d.plan.stallFor = 3s;
      break;
    case 3:
      d.kind = "ignores Range";
      d.plan.ranges = false;
      break;
    case 4:
      d.kind = "ignores Range, drops";
      d.plan.ranges = false;
      d.plan.dropAt = {inside, pick(1, d.size - 1)};
      break;
    case 5:
      d.kind = "429, Retry-After 0 or none";
      d.plan.failFirst = static_cast<int>(pick(1, 2));
      d.plan.failStatus = 429;
      if (pick(0, 1)) d.plan.retryAfter = "0";
      break;
    case 6:
      d.kind = "503, Retry-After 1";
      d.plan.failFirst = 1;
      d.plan.failStatus = 503;
      d.plan.retryAfter = "1";
      break;
    case 7:
      d.kind = "redirects and a drop";
      d.redirects = static_cast<int>(pick(1, 3));
      d.plan.dropAt = {inside};
      break;
    case 8:
      d.kind = "truncated body, correct length";
      d.plan.ranges = pick(0, 1) == 1;
      d.plan.dropAt = {inside};
      break;
    case 9:
      d.kind = "slow trickle";
      d.plan.trickleBytes = 16384;
      d.plan.trickleDelay = 5ms;
      break;
    case 10:
      d.kind = "size changes";
      d.laterSize = d.size + pick(1, 5000);
      d.plan.laterSize = d.laterSize;
      break;
    case 11:
      d.kind = "503 for ever";
      d.plan.failFirst = 1 << 30;
      d.plan.failStatus = 503;
      break;
    case 12:
      d.kind = "404";
      d.plan.failFirst = 1 << 30;
      d.plan.failStatus = 404;
      break;
    default:
      d.kind = "truncated on every try";
      d.plan.ranges = false;
      d.plan.dropAt = std::vector<std::uint64_t>(8, inside);
      break;
  }
  return d;
}

struct Tally {
  int exact = 0, failed = 0, corrupted = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 120;
  const auto seed = static_cast<std::uint64_t>(argc > 2 ? std::atoll(argv[2]) : 1);
  const int atOnce = argc > 3 ? std::atoi(argv[3]) : 10;
  std::mt19937_64 random(seed);
  const auto began = std::chrono::steady_clock::now();

  TempDir dir;
  LoopbackServer server;
  HeadlessSystem sys;
  sys.controls.setSaveFolder(dir.path().string());
  std::vector<BatchDownload> downloads;
  std::vector<std::string> addresses;
  for (int i = 0; i < count; ++i) {
    downloads.push_back(randomDownload(random));
    const BatchDownload& d = downloads.back();
    const std::string route = "/b" + std::to_string(i) + ".mp4";
    server.route(route, faultyBody(d.size, d.plan));
    std::string address = route;
    for (int r = d.redirects; r > 0; --r) {
      const std::string hop = route + ".hop" + std::to_string(r);
      server.route(hop, redirectTo(server.url(address)));
      address = hop;
    }
    addresses.push_back(server.url(address));
  }
  sys.addRows(std::vector<int>(static_cast<size_t>(count), Waiting));
  sys.setStreamAddresses(addresses);
  tuneAllEngines(sys, faultTuning(300, 1500));

  Tally total;
  std::map<std::string, Tally> byKind;
  int leftovers = 0;
  for (int first = 0; first < count; first += atOnce) {
    std::vector<int> rows;
    for (int row = first; row < std::min(count, first + atOnce); ++row) rows.push_back(row);
    for (int row : rows) startRow(sys.system, row);
    const std::vector<RowEnd> ends = driveRows(sys, rows, {.deadline = 60s});
    for (size_t k = 0; k < rows.size(); ++k) {
      const BatchDownload& d = downloads[rows[k]];
      const std::string file = rowFile(sys, rows[k]);
      Tally& kind = byKind[d.kind];
      if (ends[k] == RowEnd::Finished) {
        const std::string got = sha256OfFile(file);
        // Either whole version of the file is exact.
        const bool exact = got == sha256OfSource(d.size, fastPatternSource) ||
                           got == sha256OfSource(d.laterSize, fastPatternSource);
        ++(exact ? kind.exact : kind.corrupted);
        ++(exact ? total.exact : total.corrupted);
        if (!exact)
          std::printf("CORRUPTED: row %d (%s), %s\n", rows[k], d.kind.c_str(), file.c_str());
      } else {
        ++kind.failed;
        ++total.failed;
        if (std::filesystem::exists(file)) ++leftovers;
      }
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

  std::printf("| fault kind | downloads | exact | failed cleanly | corrupted |\n");
  std::printf("|---|---|---|---|---|\n");
  for (const auto& [kind, t] : byKind)
    std::printf("| %s | %d | %d | %d | %d |\n", kind.c_str(), t.exact + t.failed + t.corrupted,
                t.exact, t.failed, t.corrupted);
  std::printf("| **all** | %d | %d | %d | %d |\n", count, total.exact, total.failed,
              total.corrupted);
  std::printf("seed %llu, %d at once, %.1f s; failed downloads that left a file: %d\n",
              static_cast<unsigned long long>(seed), atOnce, seconds, leftovers);
  return total.corrupted == 0 ? 0 : 1;
}
