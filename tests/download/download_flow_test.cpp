// SPDX-License-Identifier: MIT
// The whole system on headless controls, loopback servers and the real engine.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "digest.h"
#include "download/notifications.h"
#include "download/progress_monitor.h"
#include "download/start_stop.h"
#include "headless_system.h"
#include "resolve/code_pages.h"
#include "resolve/text_between.h"
#include "resolve_site.h"
#include "temp_dir.h"

namespace vumbrel {
namespace {

using namespace std::chrono_literals;
using test::HeadlessSystem;

// Another body than the default pattern, so that two streams differ.
void shiftedSource(std::uint64_t offset, char* out, std::size_t length) {
  test::patternSource(offset + 1000003, out, length);
}

// A stream that sends the bytes before `heldAt` and holds the rest back until
// released. The engine writes in large pieces, so hold at a block boundary to
// see progress. Its state outlives the object, for the server's threads.
class HeldStream {
 public:
  HeldStream(std::uint64_t size, std::uint64_t heldAt) : state_(std::make_shared<State>()) {
    state_->size = size;
    state_->heldAt = heldAt;
  }
  ~HeldStream() { release(); }
  void release() { state_->released = true; }

  test::Handler handler() {
    return [state = state_](const test::RecordedRequest& request, test::Connection& connection) {
      const std::uint64_t size = state->size;
      std::uint64_t first = 0, last = size - 1;
      bool satisfiable = true;
      const bool ranged =
          test::parseSingleRange(request.header("Range"), size, first, last, satisfiable) &&
          satisfiable;
      std::string head = "HTTP/1.1 " + std::string(ranged ? "206 Partial Content" : "200 OK") +
                         "\r\nContent-Length: " + std::to_string(last - first + 1) +
                         "\r\nAccept-Ranges: bytes\r\n";
      if (ranged)
        head += "Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                std::to_string(size) + "\r\n";
      if (!connection.send(head + "\r\n")) return;
      std::string chunk;
      for (std::uint64_t at = first; at <= last;) {
        while (at >= state->heldAt && !state->released) {
          if (!connection.sleepFor(5ms)) return;
        }
        const std::uint64_t end =
            at >= state->heldAt ? last + 1 : std::min(last + 1, state->heldAt);
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(end - at, 16384));
        chunk.resize(n);
        test::patternSource(at, chunk.data(), n);
        if (!connection.send(chunk)) return;
        at += n;
      }
    };
  }

 private:
  struct State {
    std::uint64_t size = 0;
    std::uint64_t heldAt = 0;
    std::atomic<bool> released{false};
  };
  std::shared_ptr<State> state_;
};

class DownloadFlow : public ::testing::Test {
 protected:
  void SetUp() override { controls().setSaveFolder(dir.path().string()); }
  HeadlessControls& controls() { return sys.controls; }

  // The rows and slots as the one-click resolve builds them: one Waiting row
  // per cleaned title, fresh slots (the old ones destroyed first).
  void showRows(const std::vector<std::string>& titles, const std::vector<std::string>& streams) {
    controls().deleteAllRows();
    {
      std::lock_guard<std::mutex> lock(sys.system.state.mutex);
      sys.system.state.itemTitles.clear();
      sys.system.state.streamAddresses = streams;
    }
    for (const std::string& title : titles) {
      const std::string cleaned = cleanFileName(utf8ToGbk(title));
      {
        std::lock_guard<std::mutex> lock(sys.system.state.mutex);
        sys.system.state.itemTitles.push_back(cleaned);
      }
      const int row = controls().appendRow();
      controls().setRowState(row, Waiting);
      controls().setCellText(row, 0, cleaned);
    }
    replaceSlotTable(sys.system.state, static_cast<size_t>(controls().rowCount()));
  }
  void start(int row) {
    controls().setCurrentRow(row);
    startSelectedDownloadOnWorker(sys.system);
    sys.system.waitForWorkers();
  }
  // Ticks (the monitor's timer is not real here) until `done` holds.
  template <typename Done>
  bool tickUntil(Done done, std::chrono::milliseconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      progressTick(sys.system);
      std::this_thread::sleep_for(10ms);
    }
    return true;
  }
  template <typename Done>
  bool waitUntil(Done done, std::chrono::milliseconds limit = 20s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(2ms);
    }
    return true;
  }
  int32_t taskIdOf(int row) {
    SlotLease slot = leaseSlot(sys.system.state, row);
    return slot ? getTaskId(slot->engine.get()) : -1;
  }
  std::string localPathOf(int row) {
    std::string path;
    sys.withSlot(row, [&](DownloadSlot& s) { path = s.settings.localPath; });
    return path;
  }

  test::ResolveSite site;
  test::TempDir dir;
  HeadlessSystem sys;
};

TEST_F(DownloadFlow, StartedRowDownloadsToFinishedByteForByte) {
  constexpr std::uint64_t kSize = 700001;
  site.media.route("/v.mp4", test::bodyHandler(kSize));
  showRows({"Lesson 1"}, {site.media.url("/v.mp4")});
  test::writeFile(dir / "Lesson 1.mp4", std::string(2000000, 'x'));

  start(0);
  EXPECT_EQ(controls().rowState(0), Downloading);
  EXPECT_EQ(controls().monitorPeriod(), 1000);
  bool sawSize = false;
  ASSERT_TRUE(tickUntil([&] {
    sawSize = sawSize || sys.cell(0, 3) == std::to_string(kSize);
    return controls().rowState(0) == Finished;
  }));
  EXPECT_TRUE(sawSize);
  EXPECT_EQ(sys.cell(0, 1), "100.00");
  EXPECT_EQ(sys.cell(0, 2), "0");
  EXPECT_EQ(sys.cell(0, 3), std::to_string(kSize));
  EXPECT_EQ(sys.cell(0, 4), std::to_string(kSize));
  EXPECT_EQ(controls().monitorPeriod(), 0);
  ASSERT_TRUE(waitUntil([&] { return taskIdOf(0) == -1; }));
  EXPECT_EQ(test::sha256OfFile(dir / "Lesson 1.mp4"), test::sha256OfSource(kSize));
  EXPECT_EQ(localPathOf(0), (dir / "Lesson 1.mp4").string());
}

TEST_F(DownloadFlow, AutoDownloadMovesOnToTheNextWaitingRow) {
  for (const char* p : {"/a", "/b", "/c"}) site.media.route(p, test::bodyHandler(50000));
  showRows({"a", "b", "c"}, {site.media.url("/a"), site.media.url("/b"), site.media.url("/c")});
  controls().setAutoDownloadTicked(true);
  start(0);
  ASSERT_TRUE(tickUntil([&] { return controls().rowState(0) == Finished; }));
  sys.system.waitForWorkers();
  EXPECT_EQ(controls().rowState(1), Downloading);
  EXPECT_EQ(controls().rowState(2), Waiting);
  EXPECT_EQ(controls().monitorPeriod(), 1000);
  ASSERT_TRUE(tickUntil([&] { return controls().rowState(2) == Finished; }));
  EXPECT_EQ(controls().monitorPeriod(), 0);
  for (const char* name : {"a.mp4", "b.mp4", "c.mp4"})
    EXPECT_EQ(test::sha256OfFile(dir / name), test::sha256OfSource(50000)) << name;
}

TEST_F(DownloadFlow, StopKeepsTheCellsAndTheFinalTaskData) {
  // The first of the two blocks arrives whole, the second is held back.
  HeldStream stream(2000000, 1000000);
  site.media.route("/slow", stream.handler());
  site.media.route("/other", test::bodyHandler(1000));
  showRows({"slow", "other"}, {site.media.url("/slow"), site.media.url("/other")});
  start(0);
  // No tick before the first block is in: a tick would start the row again,
  // which empties taskData, and a held stream reports nothing more.
  ASSERT_TRUE(waitUntil([&] {
    std::string data;
    sys.withSlot(0, [&](DownloadSlot& s) { data = s.taskData; });
    return getTaskDataItem(nullptr, data, ItemDownloaded, 0) > 0;
  }));
  progressTick(sys.system);
  ASSERT_EQ(sys.cell(0, 3), "2000000");
  const std::vector<TaskRow> before = controls().rows();

  controls().setCurrentRow(0);
  stopSelectedDownload(sys.system);
  EXPECT_EQ(controls().rowState(0), Waiting);
  EXPECT_EQ(controls().rows()[0].cells, before[0].cells);
  EXPECT_EQ(taskIdOf(0), -1);
  EXPECT_EQ(controls().monitorPeriod(), 0);  // every row waits now
  std::string data;
  sys.withSlot(0, [&](DownloadSlot& s) { data = s.taskData; });
  EXPECT_EQ(getTaskDataItem(nullptr, data, ItemTotalSize, 0), 2000000);
  EXPECT_GE(getTaskDataItem(nullptr, data, ItemDownloaded, 0),
            std::stoll(controls().rows()[0].cells[4]));
}

TEST_F(DownloadFlow, RebuildingTheSlotsStopsARunningDownload) {
  HeldStream stream(400000, 100000);
  site.media.route("/slow", stream.handler());
  showRows({"slow"}, {site.media.url("/slow")});
  start(0);
  ASSERT_TRUE(waitUntil([&] { return !localPathOf(0).empty() && taskIdOf(0) != -1; }));
  const int32_t oldTask = taskIdOf(0);
  SlotPtr oldSlot;
  {
    std::lock_guard<std::mutex> lock(sys.system.state.mutex);
    oldSlot = sys.system.state.slotTable.at(0);
  }

  showRows({"slow"}, {site.media.url("/slow")});
  EXPECT_EQ(oldSlot->engine, nullptr);  // destroyed, and its task with it
  EXPECT_EQ(controls().rowState(0), Waiting);
  EXPECT_EQ(taskIdOf(0), -1);
  // A late notification of the old task finds no slot.
  EXPECT_EQ(onEngineStatus(sys.system, StatusBlockWritten, 0, 0, "", oldTask), 0);
  EXPECT_EQ(onEngineStatus(sys.system, StatusStarted, 0, 0, "", oldTask), 0);
  onEngineThreadInfo(sys.system, 1, "", "late", 0, oldTask);
  sys.withSlot(0, [](DownloadSlot& s) {
    EXPECT_EQ(s.taskData, "");
    EXPECT_EQ(s.settings.localPath, "");
    for (const std::string& log : s.threadLogs) EXPECT_EQ(log, "");
  });
}

TEST_F(DownloadFlow, DeadStreamIsStartedAgainOncePerTick) {
  showRows({"gone"}, {site.media.url("/missing.mp4")});  // the media server answers 404
  start(0);
  for (size_t ticks = 1; ticks <= 4; ++ticks) {
    ASSERT_TRUE(site.media.waitForRequests(ticks));
    ASSERT_TRUE(waitUntil([&] { return taskIdOf(0) == -1; }));
    controls().setCurrentRow(NoRow);
    progressTick(sys.system);
    EXPECT_EQ(controls().currentRow(), 0);
    EXPECT_EQ(controls().rowState(0), Downloading);
    EXPECT_EQ(sys.cell(0, 3), "");
  }
  ASSERT_TRUE(site.media.waitForRequests(5));
  ASSERT_TRUE(waitUntil([&] { return taskIdOf(0) == -1; }));
  EXPECT_EQ(site.media.requestCount(), 5u);  // the start and one per tick
  EXPECT_FALSE(std::filesystem::exists(dir / "gone.mp4"));
}

// Two rows with the same title: the second start must not delete the file the
// first download is writing; the engine gives the second a new name.
TEST_F(DownloadFlow, SameTitleTwiceKeepsBothFiles) {
  HeldStream first(300000, 150000);
  site.media.route("/first", first.handler());
  site.media.route("/second", test::bodyHandler(200000, shiftedSource));
  showRows({"same", "same"}, {site.media.url("/first"), site.media.url("/second")});
  start(0);
  ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(dir / "same.mp4"); }));
  start(1);
  ASSERT_TRUE(tickUntil([&] { return controls().rowState(1) == Finished; }));
  first.release();
  ASSERT_TRUE(tickUntil([&] { return controls().rowState(0) == Finished; }));
  ASSERT_TRUE(waitUntil([&] { return taskIdOf(0) == -1 && taskIdOf(1) == -1; }));

  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    files[entry.path().filename().string()] = test::sha256OfFile(entry.path());
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files["same.mp4"], test::sha256OfSource(300000));
  files.erase("same.mp4");
  EXPECT_EQ(files.begin()->second, test::sha256OfSource(200000, shiftedSource));
}

// The monitor's restart of a row whose task is still running must not delete
// the file that task writes.
TEST_F(DownloadFlow, RestartOfARunningRowKeepsItsFile) {
  HeldStream stream(300000, 150000);
  site.media.route("/v", stream.handler());
  showRows({"running"}, {site.media.url("/v")});
  start(0);
  ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(dir / "running.mp4"); }));
  sys.withSlot(0, [](DownloadSlot& s) { s.taskData.clear(); });  // nothing reported yet
  progressTick(sys.system);
  EXPECT_TRUE(std::filesystem::exists(dir / "running.mp4"));
  stream.release();
  ASSERT_TRUE(tickUntil([&] { return controls().rowState(0) == Finished; }));
  ASSERT_TRUE(waitUntil([&] { return taskIdOf(0) == -1; }));
  EXPECT_EQ(test::sha256OfFile(dir / "running.mp4"), test::sha256OfSource(300000));
}

// A title longer than a file name may be is cut to fit; the row keeps it whole.
TEST_F(DownloadFlow, OverlongTitleDownloadsUnderAShortenedName) {
  std::string title;
  for (int i = 0; i < 100; ++i) title += "课";
  site.media.route("/v", test::bodyHandler(30000));
  showRows({title}, {site.media.url("/v")});
  start(0);
  ASSERT_TRUE(tickUntil([&] { return controls().rowState(0) == Finished; }));
  EXPECT_EQ(sys.cell(0, 0), utf8ToGbk(title));
  {
    std::lock_guard<std::mutex> lock(sys.system.state.mutex);
    EXPECT_EQ(sys.system.state.itemTitles.at(0), utf8ToGbk(title));
  }
  std::string cut;
  for (int i = 0; i < 82; ++i) cut += "课";
  EXPECT_EQ(test::sha256OfFile(dir / (cut + ".mp4")), test::sha256OfSource(30000));
}

TEST_F(DownloadFlow, ThreadMessagesLandInTheirThreadsLogs) {
  HeldStream stream(400000, 100000);
  site.media.route("/slow", stream.handler());
  showRows({"slow"}, {site.media.url("/slow")});
  start(0);
  ASSERT_TRUE(waitUntil([&] { return taskIdOf(0) != -1; }));
  std::vector<int32_t> threads;
  ASSERT_TRUE(waitUntil([&] {
    SlotLease slot = leaseSlot(sys.system.state, 0);
    threads.clear();
    getThreadList(slot->engine.get(), threads);
    return !threads.empty();
  }));
  const int32_t task = taskIdOf(0);
  std::vector<std::string> before;
  sys.withSlot(0,
               [&](DownloadSlot& s) { before.assign(s.threadLogs.begin(), s.threadLogs.end()); });
  const size_t last = threads.size() - 1;
  onEngineThreadInfo(sys.system, threads[last], "", "one", 0, task);
  onEngineThreadInfo(sys.system, threads[last], "", "two", 0, task);
  onEngineThreadInfo(sys.system, -12345, "", "nobody", 0, task);
  sys.withSlot(0, [&](DownloadSlot& s) {
    const std::string& log = s.threadLogs[last];
    EXPECT_EQ(log.substr(log.size() - 10), "one\r\ntwo\r\n");
    for (size_t j = 0; j < s.threadLogs.size(); ++j) {
      EXPECT_EQ(s.threadLogs[j].find("nobody"), std::string::npos) << j;
    }
  });
  EXPECT_EQ(onEngineStatus(sys.system, 99, 0, 0, "", task), 0);
}

}  // namespace
}  // namespace vumbrel
