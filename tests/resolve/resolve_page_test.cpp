// SPDX-License-Identifier: MIT
#include "resolve/resolve_page.h"

#include <gtest/gtest.h>

#include "download/start_stop.h"
#include "headless_system.h"
#include "resolve/code_pages.h"
#include "resolve_site.h"
#include "temp_dir.h"

namespace vumbrel {
namespace {

using test::HeadlessSystem;

class ResolvePage : public ::testing::Test {
 protected:
  void SetUp() override {
    sys.system.resolverBase = site.resolverBase();
    controls().setClipboardText(site.pageUrl());
    controls().setSaveFolder(dir.path().string());
  }
  HeadlessControls& controls() { return sys.controls; }
  void resolve() {
    startResolve(sys.system);
    sys.system.waitForWorkers();
  }
  std::vector<std::string> streams() {
    std::lock_guard<std::mutex> lock(sys.system.state.mutex);
    return sys.system.state.streamAddresses;
  }
  std::vector<std::string> titles() {
    std::lock_guard<std::mutex> lock(sys.system.state.mutex);
    return sys.system.state.itemTitles;
  }
  std::vector<const DownloadSlot*> slots() {
    std::lock_guard<std::mutex> lock(sys.system.state.mutex);
    std::vector<const DownloadSlot*> out;
    for (const SlotPtr& s : sys.system.state.slotTable) out.push_back(s.get());
    return out;
  }
  void expectFreshWaitingRows(size_t count) {
    const std::vector<TaskRow> rows = controls().rows();
    ASSERT_EQ(rows.size(), count);
    for (const TaskRow& row : rows) {
      EXPECT_EQ(row.image, Waiting);
      for (int c = 1; c < 5; ++c) EXPECT_EQ(row.cells[c], "");
    }
    EXPECT_EQ(slots().size(), count);
    EXPECT_TRUE(controls().resolveEnabled());
  }

  test::ResolveSite site;
  test::TempDir dir;
  HeadlessSystem sys;
};

TEST_F(ResolvePage, TwoTitlesAndFiveStreams) {
  site.setTitles({"第一集: 开始", "B/2 &amp; more"});
  const std::vector<std::string> fiveStreams = {"http://s/1", "http://s/2", "http://s/3",
                                                "http://s/4", "http://s/5"};
  site.setStreams(fiveStreams);
  site.setToken("abc123");
  resolve();

  expectFreshWaitingRows(2);
  const std::string first = utf8ToGbk("第一集_ 开始");
  EXPECT_EQ(sys.cell(0, 0), first);
  EXPECT_EQ(sys.cell(1, 0), "B_2 _amp; more");
  EXPECT_EQ(titles(), (std::vector<std::string>{first, "B_2 _amp; more"}));
  EXPECT_EQ(streams(), fiveStreams);
  EXPECT_EQ(controls().pageAddress(), site.pageUrl());

  // Each address goes out alone, appended without escaping.
  ASSERT_EQ(site.pages.requestCount(), 1u);
  EXPECT_EQ(site.pages.requests()[0].requestLine, "GET /video HTTP/1.1");
  const std::vector<test::RecordedRequest> asked = site.resolver.requests();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].target, "/index.php?url=" + site.pageUrl());
  EXPECT_EQ(asked[1].target, "/api.php?url=abc123");
}

TEST_F(ResolvePage, ThreeTitlesWithoutStreamsGiveRowsThatCannotStart) {
  site.setTitles({"a", "b", "c"});
  resolve();
  expectFreshWaitingRows(3);
  EXPECT_TRUE(streams().empty());

  test::writeFile(dir / "a.mp4", "old");
  controls().setCurrentRow(0);
  startSelectedDownloadOnWorker(sys.system);
  sys.system.waitForWorkers();
  EXPECT_EQ(controls().rowState(0), Waiting);
  EXPECT_EQ(controls().monitorPeriod(), 0);
  EXPECT_EQ(controls().monitorStarts(), 0);
  EXPECT_EQ(test::readFile(dir / "a.mp4"), "old");
}

TEST_F(ResolvePage, AddTasksAppendsBehindTheOldEntriesWithFreshSlots) {
  site.setTitles({"one"});
  site.setStreams({"http://s/1", "http://s/surplus"});
  resolve();
  controls().setRowState(0, Finished);
  controls().setCellText(0, 1, "100.00");
  sys.withSlot(0, [](DownloadSlot& s) { s.taskData = "old task"; });

  controls().setAddTasksTicked(true);
  site.setTitles({"two", "three"});
  site.setStreams({"http://s/2"});
  resolve();
  expectFreshWaitingRows(3);
  EXPECT_EQ(titles(), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(sys.cell(2, 0), "three");
  // Row 1 pairs with the first run's surplus address.
  EXPECT_EQ(streams(), (std::vector<std::string>{"http://s/1", "http://s/surplus", "http://s/2"}));
  sys.withSlot(0, [](DownloadSlot& s) { EXPECT_EQ(s.taskData, ""); });

  controls().setAddTasksTicked(false);
  site.setTitles({});
  resolve();
  expectFreshWaitingRows(0);
  EXPECT_TRUE(titles().empty());
}

TEST_F(ResolvePage, FailedRequestsStillRebuildTheRows) {
  controls().setClipboardText("http://127.0.0.1:1/nothing-listens-here");
  sys.system.resolverBase = "http://127.0.0.1:1";
  sys.addRows({Downloading});
  controls().setResolveEnabled(false);
  resolvePage(sys.system);
  expectFreshWaitingRows(0);
  EXPECT_EQ(controls().pageAddress(), "http://127.0.0.1:1/nothing-listens-here");
}

TEST_F(ResolvePage, ReplyIsCutAtItsFirstZeroByte) {
  site.setPage(std::string("<title>kept</title>\0<title>lost</title>", 39));
  resolve();
  EXPECT_EQ(titles(), (std::vector<std::string>{"kept"}));
}

}  // namespace
}  // namespace vumbrel
