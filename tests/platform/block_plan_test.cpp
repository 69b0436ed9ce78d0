// SPDX-License-Identifier: MIT
#include "platform/block_plan.h"

#include <gtest/gtest.h>

namespace vumbrel::engine {
namespace {

TEST(SplitBlocks, CoversTheFileExactlyInNearlyEqualBlocks) {
  struct Case {
    int64_t total;
    int connections;
    std::vector<TaskBlock> blocks;
  } cases[] = {
      {10, 2, {{0, 5, 0}, {5, 5, 0}}},
      {10, 3, {{0, 3, 0}, {3, 3, 0}, {6, 4, 0}}},
      {1, 2, {{0, 1, 0}}},
      {0, 2, {{0, 0, 0}}},
      {7, 1, {{0, 7, 0}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(splitBlocks(c.total, c.connections), c.blocks) << c.total << "/" << c.connections;
    EXPECT_EQ(firstBlockLength(c.total, c.connections), c.blocks.front().length);
  }
  const int64_t huge = (int64_t(1) << 62) + 12345;
  const std::vector<TaskBlock> blocks = splitBlocks(huge, 64);
  ASSERT_EQ(blocks.size(), 64u);
  int64_t at = 0;
  for (const TaskBlock& b : blocks) {
    EXPECT_EQ(b.start, at);
    at += b.length;
  }
  EXPECT_EQ(at, huge);
}

TEST(ContentRange, ParsesTheThreeFormsAndRejectsTheRest) {
  auto r = parseContentRange(" bytes 0-99/5000000000\r\n");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, 0);
  EXPECT_EQ(r->last, 99);
  EXPECT_EQ(r->total, 5000000000);
  r = parseContentRange("bytes 5-9/*");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->total, -1);
  r = parseContentRange("bytes */0");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->first, -1);
  EXPECT_EQ(r->total, 0);
  for (const char* bad : {"", "bytes", "bytes 9-5/10", "bytes 0-10/10", "items 0-1/2", "bytes */*",
                          "bytes -1-5/10", "bytes 0-x/10"})
    EXPECT_FALSE(parseContentRange(bad)) << bad;
}

TEST(JudgeResponse, UsesRetriesOrFailsAsTheStatusAndSizeSay) {
  const ContentRange part{100, 199, 1000};
  struct Case {
    const char* name;
    ResponseHead head;
    int64_t from, known;
    ResponsePlan::Verdict verdict;
    int64_t bodyStart, total;
    bool ranged;
  } cases[] = {
      {"206 as asked", {true, 206, part, 100}, 100, 1000, ResponsePlan::Use, 100, 1000, true},
      {"206 earlier start", {true, 206, part, 100}, 150, 1000, ResponsePlan::Use, 100, 1000, true},
      {"206 later start", {true, 206, part, 100}, 50, 1000, ResponsePlan::Fail, 0, -1, false},
      {"206 other size", {true, 206, part, 100}, 100, 999, ResponsePlan::Fail, 0, -1, false},
      {"206 without range",
       {true, 206, std::nullopt, 100},
       0,
       -1,
       ResponsePlan::Fail,
       0,
       -1,
       false},
      {"200 ignores range",
       {true, 200, std::nullopt, 1000},
       100,
       1000,
       ResponsePlan::Use,
       0,
       1000,
       false},
      {"200 no length", {true, 200, std::nullopt, -1}, 0, -1, ResponsePlan::Use, 0, -1, false},
      {"200 other size", {true, 200, std::nullopt, 5}, 0, 1000, ResponsePlan::Fail, 0, -1, false},
      {"416 empty file",
       {true, 416, ContentRange{-1, -1, 0}, 0},
       0,
       -1,
       ResponsePlan::Use,
       0,
       0,
       true},
      {"416 otherwise",
       {true, 416, ContentRange{-1, -1, 10}, 0},
       0,
       -1,
       ResponsePlan::Fail,
       0,
       -1,
       false},
      {"404", {true, 404, std::nullopt, 9}, 0, -1, ResponsePlan::Fail, 0, -1, false},
      {"503", {true, 503, std::nullopt, 9}, 0, -1, ResponsePlan::Retry, 0, -1, false},
      {"429", {true, 429, std::nullopt, 9}, 0, -1, ResponsePlan::Retry, 0, -1, false},
      {"ftp resume", {false, 150, std::nullopt, 900}, 100, -1, ResponsePlan::Use, 100, 1000, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ResponsePlan plan = judgeResponse(c.head, c.from, c.known);
    EXPECT_EQ(plan.verdict, c.verdict);
    if (plan.verdict != ResponsePlan::Use) {
      EXPECT_FALSE(plan.why.empty());
      continue;
    }
    EXPECT_EQ(plan.bodyStart, c.bodyStart);
    EXPECT_EQ(plan.total, c.total);
    EXPECT_EQ(plan.ranged, c.ranged);
  }
}

}  // namespace
}  // namespace vumbrel::engine
