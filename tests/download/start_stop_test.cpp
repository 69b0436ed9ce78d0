// SPDX-License-Identifier: MIT
#include "download/start_stop.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "download/target_path.h"
#include "headless_system.h"
#include "resolve/code_pages.h"
#include "temp_dir.h"

namespace vumbrel {
namespace {

using test::HeadlessSystem;

class StartStop : public ::testing::Test {
 protected:
  void SetUp() override { controls().setSaveFolder(dir.path().string()); }
  HeadlessControls& controls() { return sys.controls; }
  std::filesystem::path fileOf(int row) { return dir / (sys.cell(row, 0) + ".mp4"); }

  test::TempDir dir;
  HeadlessSystem sys;
};

TEST_F(StartStop, RowWithoutStreamAddressCannotStart) {
  sys.addRows({Waiting, Finished, Waiting});
  sys.setStreamAddresses({"http://127.0.0.1:9/a", "http://127.0.0.1:9/b"});
  test::writeFile(fileOf(2), "old");
  for (int row : {2, 3, NoRow}) startRow(sys.system, row);
  EXPECT_EQ(controls().rowState(2), Waiting);
  EXPECT_EQ(controls().monitorPeriod(), 0);
  EXPECT_EQ(controls().monitorStarts(), 0);
  EXPECT_EQ(test::readFile(fileOf(2)), "old");
  sys.withSlot(2, [](DownloadSlot& s) { EXPECT_EQ(s.settings.sourceUrl, ""); });
}

TEST_F(StartStop, StartDeletesTheOldFileAndConfiguresTheSlot) {
  sys.addRows({Waiting, Finished});
  sys.setStreamAddresses({"http://127.0.0.1:9/a", "http://127.0.0.1:9/b"});
  controls().setCellText(1, 2, "12");
  sys.withSlot(1, [](DownloadSlot& s) {
    s.taskData = "old";
    s.elapsedSeconds = 9;
  });
  test::writeFile(fileOf(1), "finished earlier");
  controls().setCurrentRow(1);
  startSelectedDownload(sys.system);

  EXPECT_FALSE(std::filesystem::exists(fileOf(1)));
  EXPECT_EQ(controls().rowState(1), Downloading);
  EXPECT_EQ(controls().rowState(0), Waiting);
  EXPECT_EQ(sys.cell(1, 2), "12");  // the cells stay until the monitor writes them
  EXPECT_EQ(controls().monitorPeriod(), 1000);
  sys.withSlot(1, [&](DownloadSlot& s) {
    const TaskParam& p = s.settings;
    EXPECT_EQ(p.taskFlags, 4096);
    EXPECT_EQ(p.sourceUrl, "http://127.0.0.1:9/b");
    EXPECT_EQ(p.localPath, fileOf(1).string());
    EXPECT_EQ(p.threadCount, 2);
    EXPECT_EQ(p.speedLimit, 0);
    EXPECT_EQ(p.connectTimeout, 3000);
    EXPECT_EQ(p.sendTimeout, 3001);
    EXPECT_EQ(p.receiveTimeout, 3000);
    EXPECT_EQ(p.stopWait, 1000);
    EXPECT_EQ(p.receiveBlockSize, 20480);
    EXPECT_TRUE(p.statusCallback);
    EXPECT_TRUE(p.threadInfoCallback);
    // Untouched fields keep their creation values.
    EXPECT_EQ(p.ftpUser, "anonymous");
    EXPECT_EQ(p.sendBlockSize, 1024);
    EXPECT_EQ(p.ftpTransferMode, 1);
    EXPECT_EQ(p.imageModeExtensions, ".exe|.rar|.zip|.gif|.jpg|.mp3|.rm");
    EXPECT_EQ(p.proxyServer + p.referer + p.uploadRenameTo, "");
    EXPECT_EQ(s.elapsedSeconds, 0);
    EXPECT_EQ(s.taskData, "");
    EXPECT_EQ(s.extraText1 + s.extraText2 + s.extraText3, "");
    EXPECT_EQ(s.extraNumber, 0);
  });
}

TEST_F(StartStop, ConfigureSlotStoresTheOptionalTextOnlyWhenGiven) {
  sys.addRows({Waiting, Waiting});
  configureSlot(sys.system, "u", "p", "t1", false, std::string("d\0ata", 5), 5, 3, "t2", "t3", 7,
                2);
  sys.withSlot(1, [](DownloadSlot& s) {
    EXPECT_EQ(s.extraText1, "t1");
    EXPECT_EQ(s.extraText2, "t2");
    EXPECT_EQ(s.extraText3, "t3");
    EXPECT_EQ(s.extraNumber, 7);
    EXPECT_EQ(s.elapsedSeconds, 5);
    EXPECT_EQ(s.taskData, std::string("d\0ata", 5));
    EXPECT_EQ(s.settings.threadCount, 3);
  });
  configureSlot(sys.system, "u", "p", "", false, "", 0, 2, "", std::nullopt, 9, 2);
  sys.withSlot(1, [](DownloadSlot& s) {
    EXPECT_EQ(s.extraText3, "t3");
    EXPECT_EQ(s.extraNumber, 7);
  });
  // Slot numbers outside the table are ignored.
  configureSlot(sys.system, "u", "p", "", false, "", 0, 2, "", std::nullopt, 0, 0);
  configureSlot(sys.system, "u", "p", "", false, "", 0, 2, "", std::nullopt, 0, 3);
}

TEST_F(StartStop, StopKeepsTheCellsAndStopsTheTimerOnlyWhenAllRowsWait) {
  sys.addRows({Downloading, Downloading, Finished});
  controls().setMonitorPeriod(1000);
  controls().setCellText(0, 1, "40.00");
  sys.setProgress(0, 100, 40);

  controls().setCurrentRow(0);
  stopSelectedDownload(sys.system);
  EXPECT_EQ(controls().rowState(0), Waiting);
  EXPECT_EQ(sys.cell(0, 1), "40.00");
  EXPECT_EQ(controls().monitorPeriod(), 1000);  // row 1 still downloads

  controls().setCurrentRow(1);
  stopSelectedDownload(sys.system);
  EXPECT_EQ(controls().monitorPeriod(), 1000);  // the finished row keeps the timer

  controls().setRowState(2, Waiting);
  stopSelectedDownload(sys.system);
  EXPECT_EQ(controls().monitorPeriod(), 0);
  sys.withSlot(0, [](DownloadSlot& s) {
    EXPECT_EQ(s.taskData, encodeTaskData({100, {{0, 100, 40}}}));
  });
}

TEST_F(StartStop, StopWithoutCurrentRowDoesNothing) {
  sys.addRows({Downloading});
  controls().setMonitorPeriod(1000);
  stopSelectedDownload(sys.system);
  EXPECT_EQ(controls().rowState(0), Downloading);
  EXPECT_EQ(controls().monitorPeriod(), 1000);
}

TEST_F(StartStop, CommandReadsTheRowWhenGiven) {
  sys.addRows({Waiting, Waiting});
  sys.setStreamAddresses({"http://127.0.0.1:9/a", "http://127.0.0.1:9/b"});
  controls().setCurrentRow(0);
  startSelectedDownloadOnWorker(sys.system);
  controls().setCurrentRow(1);
  sys.system.waitForWorkers();
  EXPECT_EQ(controls().rowState(0), Downloading);
  EXPECT_EQ(controls().rowState(1), Waiting);
}

TEST(TargetPath, JoinsFolderTitleAndExtension) {
  EXPECT_EQ(targetPath("/videos", "a b"), "/videos/a b.mp4");
  EXPECT_EQ(targetPath("/videos/", "t"), "/videos//t.mp4");
  EXPECT_EQ(targetPath("", "t"), "/t.mp4");
  EXPECT_EQ(targetPath("/v", ""), "/v/.mp4");
}

TEST(TargetPath, LongTitlesAreCutAtCharacterBoundaries) {
  const std::string zhong = "\xD6\xD0";  // 中: two bytes in GBK, three in UTF-8
  EXPECT_EQ(fitGbkText("abcd", 3), "abc");
  EXPECT_EQ(fitGbkText("a" + zhong, 3), "a");
  EXPECT_EQ(fitGbkText("a" + zhong, 4), "a" + zhong);

  std::string title;
  for (int i = 0; i < 100; ++i) title += zhong;
  const std::string path = targetPath("/v", title);
  const std::string name = path.substr(3);
  EXPECT_EQ(name.substr(name.size() - 4), ".mp4");
  EXPECT_EQ(gbkToUtf8(name).size(), 82 * 3 + 4u);  // fits with room for "(99)"
  EXPECT_EQ(name, std::string(title, 0, 82 * 2) + ".mp4");
  EXPECT_EQ(targetPath("/v", std::string(247, 'a')), "/v/" + std::string(247, 'a') + ".mp4");
  EXPECT_EQ(targetPath("/v", std::string(300, 'a')), "/v/" + std::string(247, 'a') + ".mp4");
}

}  // namespace
}  // namespace vumbrel
