// SPDX-License-Identifier: MIT
// Whole downloads of task rows, started and watched as the window does it,
// against a loopback server that misbehaves on purpose. The rule for every
// case: the file is exact and the row becomes Finished, or the row never
// becomes Finished. A short or corrupted file is never shown as done.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>

#include "app/task_list.h"
#include "digest.h"
#include "download/progress_monitor.h"
#include "download/start_stop.h"
#include "download_routes.h"
#include "headless_system.h"
#include "loopback_server.h"
#include "row_driver.h"
#include "temp_dir.h"

namespace vumbrel::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

enum class Expect {
  Exact,            // Finished, every byte right
  Fails,            // never Finished, and no file left behind
  ExactEitherWay,   // the file is exact; the row may not know it is done
  FinishedOrFails,  // either outcome keeps the rule
};

// `count` drop offsets in [0, size), the same for every run.
std::vector<std::uint64_t> seededDrops(std::uint32_t seed, std::uint64_t size, int count) {
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<std::uint64_t> offset(1, size - 1);
  std::vector<std::uint64_t> drops;
  for (int i = 0; i < count; ++i) drops.push_back(offset(random));
  return drops;
}

// An HTTP date `seconds` from now.
std::string httpDateIn(int seconds) {
  const std::time_t when = std::time(nullptr) + seconds;
  std::tm utc{};
  gmtime_r(&when, &utc);
  char text[64];
  std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
  return text;
}

// The rule, and the expected side of it, for one settled row.
void checkRow(HeadlessSystem& sys, int row, RowEnd end, std::uint64_t size, Expect expected) {
  const std::string file = rowFile(sys, row);
  if (end == RowEnd::Finished) {
    // Never a short or corrupted file shown as done. (`size` is what the
    // server serves by then.)
    ASSERT_TRUE(fs::exists(file)) << "Finished without a file";
    EXPECT_EQ(fs::file_size(file), size);
    EXPECT_EQ(sha256OfFile(file), sha256OfSource(size, fastPatternSource));
  }
  switch (expected) {
    case Expect::Exact:
      EXPECT_EQ(end, RowEnd::Finished) << rowEndName(end);
      EXPECT_EQ(sys.cell(row, ColumnDownloaded), std::to_string(size));
      EXPECT_EQ(sys.cell(row, ColumnProgress), "100.00");
      break;
    case Expect::Fails:
      EXPECT_TRUE(end == RowEnd::Dead || end == RowEnd::GaveUp) << rowEndName(end);
      EXPECT_FALSE(fs::exists(file)) << "a failed download left its file";
      break;
    case Expect::ExactEitherWay:
      EXPECT_TRUE(end == RowEnd::Finished || end == RowEnd::Dead) << rowEndName(end);
      EXPECT_EQ(sha256OfFile(file), sha256OfSource(size, fastPatternSource));
      break;
    case Expect::FinishedOrFails:
      EXPECT_NE(end, RowEnd::TimedOut);
      if (end != RowEnd::Finished) {
        EXPECT_FALSE(fs::exists(file));
      }
      break;
  }
}

class FaultMatrix : public ::testing::Test {
 protected:
  void SetUp() override { sys.controls.setSaveFolder(dir.path().string()); }

  // One Waiting row per address, engines tuned for the faults.
  void addRows(const std::vector<std::string>& addresses,
               const EngineTuning& tuning = faultTuning()) {
    std::vector<int> states(addresses.size(), Waiting);
    sys.addRows(states);
    sys.setStreamAddresses(addresses);
    tuneAllEngines(sys, tuning);
  }

  TempDir dir;
  LoopbackServer server;
  HeadlessSystem sys;
};

struct FaultCase {
  const char* name;
  std::uint64_t size;
  FaultPlan plan;
  Expect expected = Expect::Exact;
  int redirects = 0;                   // the address reaches the file through this many 302s
  std::chrono::milliseconds least{0};  // the download takes at least this long
  std::uint64_t finishedSize = 0;      // a Finished file's size when not `size`
};

TEST_F(FaultMatrix, EveryFinishedFileIsExactAndNoBrokenOneFinishes) {
  const std::uint64_t kSize = 600000 + 7;
  const FaultCase cases[] = {
      {"clean ranged server", kSize, {}},
      {"connections dropped at random offsets", kSize, {.dropAt = seededDrops(1, kSize, 4)}},
      {"more drops than retries, spread over the blocks",
       kSize,
       {.dropAt = seededDrops(2, kSize, 9)}},
      {"stall longer than the receive time-out", kSize, {.stallAt = 250000, .stallFor = 5s}},
      {"server ignores Range", kSize, {.ranges = false}},
      {"server ignores Range and drops twice",
       kSize,
       {.ranges = false, .dropAt = seededDrops(3, kSize, 2)}},
      // The task fails; when that happens before the row showed a size, the
      // monitor's restart fetches the new file whole.
      {"size changes between requests",
       kSize,
       {.laterSize = kSize + 1000},
       Expect::FinishedOrFails,
       0,
       0ms,
       kSize + 1000},
      {"429 without Retry-After", kSize, {.failFirst = 2, .failStatus = 429}},
      {"503 without Retry-After", kSize, {.failFirst = 2, .failStatus = 503}},
      {"503 with Retry-After: 1",
       kSize,
       {.failFirst = 1, .failStatus = 503, .retryAfter = "1"},
       Expect::Exact,
       0,
       900ms},
      {"429 with a Retry-After of an hour (cut to 1.5 s)",
       kSize,
       {.failFirst = 1, .failStatus = 429, .retryAfter = "3600"},
       Expect::Exact,
       0,
       1400ms},
      {"503 with Retry-After as an HTTP date",
       kSize,
       {.failFirst = 1, .failStatus = 503, .retryAfter = httpDateIn(2)},
       Expect::Exact,
       0,
       500ms},
      {"503 for ever", kSize, {.failFirst = 1 << 30, .failStatus = 503}, Expect::Fails},
      {"404", kSize, {.failFirst = 1 << 30, .failStatus = 404}, Expect::Fails},
      {"one redirect", kSize, {}, Expect::Exact, 1},
      {"three redirects and a drop", kSize, {.dropAt = {123457}}, Expect::Exact, 3},
      {"truncated body with a correct Content-Length",
       kSize,
       {.ranges = false, .dropAt = {kSize / 2}}},
      {"truncated on every try",
       kSize,
       {.ranges = false, .dropAt = std::vector<std::uint64_t>(8, kSize / 2)},
       Expect::Fails},
      {"slow trickle", 120000, {.trickleBytes = 4000, .trickleDelay = 5ms}},
      {"no Content-Length, no Range",
       kSize,
       {.ranges = false, .contentLength = false},
       Expect::ExactEitherWay},
      {"one byte", 1, {}},
  };
  std::vector<std::string> addresses;
  for (const FaultCase& c : cases) {
    const std::string route = "/v" + std::to_string(&c - cases) + ".mp4";
    server.route(route, faultyBody(c.size, c.plan));
    std::string address = route;
    for (int r = c.redirects; r > 0; --r) {
      const std::string hop = route + ".hop" + std::to_string(r);
      server.route(hop, redirectTo(server.url(address)));
      address = hop;
    }
    addresses.push_back(server.url(address));
  }
  addRows(addresses);
  // Every case on its own row, a few at a time, as a user would start them.
  const size_t kAtOnce = 4;
  for (size_t first = 0; first < std::size(cases); first += kAtOnce) {
    std::vector<int> rows;
    for (size_t i = first; i < std::min(first + kAtOnce, std::size(cases)); ++i)
      rows.push_back(static_cast<int>(i));
    const Clock::time_point began = Clock::now();
    for (int row : rows) startRow(sys.system, row);
    const std::vector<RowEnd> ends = driveRows(sys, rows);
    const auto took = Clock::now() - began;
    for (size_t k = 0; k < rows.size(); ++k) {
      const FaultCase& c = cases[rows[k]];
      SCOPED_TRACE(c.name);
      checkRow(sys, rows[k], ends[k], c.finishedSize ? c.finishedSize : c.size, c.expected);
      std::printf("  %-52s %s\n", c.name, rowEndName(ends[k]));
      if (ends[k] == RowEnd::Finished) {
        EXPECT_GE(took, c.least);
      }
    }
  }
}

// A folder of its own for the file-system cases: a tmpfs mounted by the test.
class MountedFolder : public FaultMatrix {
 protected:
  // Mounts a tmpfs of `size` on a fresh folder; false (with `why`) where
  // mounting is not allowed.
  bool mountTmpfs(const std::string& size, bool readOnly, std::string& why) {
    mountPoint = dir / "mnt";
    fs::create_directory(mountPoint);
    const std::string options = "size=" + size;
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) !=
        0) {
      why = std::string("cannot mount a tmpfs here (") + std::strerror(errno) +
            "); needs root or CAP_SYS_ADMIN";
      return false;
    }
    mounted = true;
    sys.controls.setSaveFolder(mountPoint.string());
    return true;
  }
  void TearDown() override {
    // The engines are gone before the folder goes.
    releaseAll(sys.system.state);
    if (mounted) ::umount2(mountPoint.c_str(), MNT_DETACH);
  }
  fs::path mountPoint;
  bool mounted = false;
};

TEST_F(MountedFolder, FullDiskNeverFinishes) {
  std::string why;
  if (!mountTmpfs("1m", false, why)) GTEST_SKIP() << why;
  const std::uint64_t size = 3 * 1024 * 1024;
  server.route("/big", faultyBody(size));
  server.route("/fits", faultyBody(200000));
  addRows({server.url("/big"), server.url("/fits")});
  startRow(sys.system, 0);
  std::vector<RowEnd> ends = driveRows(sys, {0});
  checkRow(sys, 0, ends[0], size, Expect::Fails);
  // The failed download gave its room back: a file that fits still arrives.
  startRow(sys.system, 1);
  ends = driveRows(sys, {1});
  checkRow(sys, 1, ends[0], 200000, Expect::Exact);
}

TEST_F(MountedFolder, ReadOnlyFolderNeverFinishes) {
  std::string why;
  if (!mountTmpfs("1m", true, why)) GTEST_SKIP() << why;
  server.route("/v", faultyBody(50000));
  addRows({server.url("/v")});
  startRow(sys.system, 0);
  const std::vector<RowEnd> ends = driveRows(sys, {0});
  checkRow(sys, 0, ends[0], 50000, Expect::Fails);
}

TEST_F(FaultMatrix, FolderThatCannotHoldTheFileNeverFinishes) {
  writeFile(dir / "plain", "a regular file");
  const struct {
    const char* name;
    fs::path folder;
  } cases[] = {
      {"folder does not exist", dir / "missing" / "deeper"},
      {"folder path runs through a regular file", dir / "plain" / "sub"},
  };
  server.route("/v", faultyBody(50000));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessSystem local;
    local.controls.setSaveFolder(c.folder.string());
    local.addRows({Waiting});
    local.setStreamAddresses({server.url("/v")});
    tuneAllEngines(local, faultTuning());
    startRow(local.system, 0);
    const std::vector<RowEnd> ends = driveRows(local, {0});
    checkRow(local, 0, ends[0], 50000, Expect::Fails);
  }
}

// Headless controls on which a monitor tick falls between a start's marking
// of the row and its configuring of the slot, as a timer event can.
class TickOnDownloading : public HeadlessControls {
 public:
  System* system = nullptr;
  void setRowState(int row, int state) override {
    HeadlessControls::setRowState(row, state);
    if (state == Downloading && system) progressTick(*system);
  }
};

TEST(StartAgain, FinishedRowStartedAgainNeverShowsItsDeletedFileAsFinished) {
  TempDir dir;
  LoopbackServer server;
  server.route("/slow", neverAnswer());
  TickOnDownloading controls;
  System system;
  system.controls = &controls;
  controls.setSaveFolder(dir.path().string());
  const int row = controls.appendRow();
  controls.setCellText(row, ColumnTitle, "clip");
  controls.setCellText(row, ColumnTotalSize, "1000");
  controls.setRowState(row, Finished);
  replaceSlotTable(system.state, 1);
  {
    std::lock_guard<std::mutex> lock(system.state.mutex);
    system.state.streamAddresses = {server.url("/slow")};
  }
  // The earlier download's complete task data is still in the slot.
  {
    SlotLease slot = leaseSlot(system.state, 0);
    std::lock_guard<std::mutex> lock(slot->mutex);
    slot->taskData = encodeTaskData({1000, {{0, 1000, 1000}}});
  }
  writeFile(dir / "clip.mp4", std::string(1000, 'x'));
  controls.system = &system;
  startRow(system, row);
  EXPECT_FALSE(fs::exists(dir / "clip.mp4"));
  EXPECT_EQ(controls.rowState(row), Downloading);
  controls.system = nullptr;
  releaseAll(system.state);
}

}  // namespace
}  // namespace vumbrel::test
