// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "app/app_state.h"

namespace vumbrel {
namespace {

TEST(DownloadSlot, NewSlotHasCreationValues) {
  SlotPtr slot = createSlot();
  ASSERT_NE(slot->engine, nullptr);
  EXPECT_EQ(getTaskId(slot->engine.get()), -1);
  EXPECT_EQ(slot->threadLogs.size(), 10u);
  for (const std::string& log : slot->threadLogs) EXPECT_EQ(log, "");
  EXPECT_EQ(slot->elapsedSeconds, 0);
  EXPECT_EQ(slot->taskData, "");
  EXPECT_EQ(slot->extraText1 + slot->extraText2 + slot->extraText3, "");
  EXPECT_EQ(slot->extraNumber, 0);

  const TaskParam& p = slot->settings;
  EXPECT_EQ(p.taskFlags, 1);
  EXPECT_EQ(p.sourceUrl, "");
  EXPECT_EQ(p.localPath, "");
  EXPECT_EQ(p.ftpUser, "anonymous");
  EXPECT_NE(p.ftpPassword.find('@'), std::string::npos);
  EXPECT_EQ(p.threadCount, 1);
  EXPECT_EQ(p.speedLimit, 0);
  EXPECT_EQ(p.connectTimeout, 20000);
  EXPECT_EQ(p.sendTimeout, 20000);
  EXPECT_EQ(p.receiveTimeout, 20000);
  EXPECT_EQ(p.stopWait, 1000);
  EXPECT_EQ(p.receiveBlockSize, 20480);
  EXPECT_EQ(p.sendBlockSize, 1024);
  EXPECT_FALSE(p.threadInfoCallback);
  EXPECT_FALSE(p.statusCallback);
  EXPECT_EQ(p.uploadRenameTo, "");
  EXPECT_EQ(p.ftpTransferMode, 1);
  EXPECT_EQ(p.imageModeExtensions, ".exe|.rar|.zip|.gif|.jpg|.mp3|.rm");
  EXPECT_EQ(p.proxyServer, "");
  EXPECT_EQ(p.referer, "");
  destroySlot(*slot);
}

TEST(DownloadSlot, DestroyReleasesEngineAndTexts) {
  SlotPtr slot = createSlot();
  slot->taskData = "x";
  slot->threadLogs[3] = "log";
  slot->settings.sourceUrl = "http://a/b";
  destroySlot(*slot);
  EXPECT_EQ(slot->engine, nullptr);
  EXPECT_EQ(slot->taskData, "");
  EXPECT_EQ(slot->threadLogs[3], "");
  EXPECT_EQ(slot->settings.sourceUrl, "");
}

TEST(AppState, StartsEmptyAndReleaseAllOnEmptyStateIsHarmless) {
  AppState state;
  EXPECT_EQ(slotCount(state), 0u);
  EXPECT_FALSE(leaseSlot(state, 0));
  releaseAll(state);
  EXPECT_EQ(slotCount(state), 0u);
}

TEST(AppState, ReplaceAndReleaseAll) {
  AppState state;
  replaceSlotTable(state, 3);
  ASSERT_EQ(slotCount(state), 3u);
  std::vector<SlotPtr> first = state.slotTable;
  state.streamAddresses = {"a", "b"};
  state.itemTitles = {"t"};
  replaceSlotTable(state, 2);
  EXPECT_EQ(slotCount(state), 2u);
  for (const SlotPtr& old : first) EXPECT_EQ(old->engine, nullptr) << "old slots destroyed";
  EXPECT_FALSE(leaseSlot(state, 2));
  EXPECT_TRUE(leaseSlot(state, 1));
  std::vector<SlotPtr> second = state.slotTable;
  releaseAll(state);
  EXPECT_EQ(slotCount(state), 0u);
  EXPECT_TRUE(state.streamAddresses.empty());
  EXPECT_TRUE(state.itemTitles.empty());
  for (const SlotPtr& old : second) EXPECT_EQ(old->engine, nullptr);
}

}  // namespace
}  // namespace vumbrel
