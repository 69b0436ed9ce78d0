// SPDX-License-Identifier: MIT
#include "download/task_data.h"

#include <gtest/gtest.h>

#include "download/engine.h"

namespace vumbrel {
namespace {

TEST(TaskData, RoundTripsAndAnswersBothItems) {
  const int64_t big = int64_t(5) << 32;  // past 4 GiB
  TaskState state{big, {{0, big / 2, big / 2}, {big / 2, big / 2, 123}}};
  const std::string bytes = encodeTaskData(state);
  EXPECT_EQ(decodeTaskData(bytes), state);
  EXPECT_EQ(getTaskDataItem(nullptr, bytes, ItemTotalSize, 0), big);
  EXPECT_EQ(getTaskDataItem(nullptr, bytes, ItemDownloaded, 0), big / 2 + 123);
  EXPECT_EQ(getTaskDataItem(nullptr, bytes, 7, 0), -1);
}

TEST(TaskData, UndecodableBytesGiveMinusOne) {
  const std::string good = encodeTaskData({10, {{0, 10, 4}}});
  std::string badMagic = good;
  badMagic[0] = 'X';
  std::string overDone = encodeTaskData({10, {{0, 10, 11}}});
  const std::string cases[] = {"",
                               "VTD1",
                               good.substr(0, good.size() - 1),
                               good + "x",
                               badMagic,
                               overDone,
                               std::string("VTD1\0\0\0\0\0\0\0\x80\0\0\0\0", 16)};
  for (const std::string& bytes : cases) {
    EXPECT_EQ(getTaskDataItem(nullptr, bytes, ItemTotalSize, 0), -1);
    EXPECT_EQ(getTaskDataItem(nullptr, bytes, ItemDownloaded, 0), -1);
  }
}

TEST(TaskData, NoBlocksYetMeansNothingDownloaded) {
  const std::string bytes = encodeTaskData({0, {}});
  EXPECT_EQ(getTaskDataItem(nullptr, bytes, ItemTotalSize, 0), 0);
  EXPECT_EQ(getTaskDataItem(nullptr, bytes, ItemDownloaded, 0), 0);
}

}  // namespace
}  // namespace vumbrel
