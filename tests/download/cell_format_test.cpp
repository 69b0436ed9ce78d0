// SPDX-License-Identifier: MIT
#include "download/cell_format.h"

#include <gtest/gtest.h>

namespace vumbrel {
namespace {

TEST(CellFormat, SpeedIsWholeThousandsPerSecond) {
  EXPECT_EQ(speedText(123456, 0), "0");
  EXPECT_EQ(speedText(999, 1), "0");
  EXPECT_EQ(speedText(5000000, 1), "5000");
  EXPECT_EQ(speedText(5000000, 3), "1666");
  EXPECT_EQ(speedText(int64_t{6} << 40, 2), "3298534883");
  EXPECT_EQ(floorNearlyWhole(2.9999999999999), 3.0);
  EXPECT_EQ(floorNearlyWhole(2.99999999999), 2.0);
  EXPECT_EQ(floorNearlyWhole(-0.5), -1.0);
}

TEST(CellFormat, ProgressHasTwoDecimals) {
  struct Case {
    int64_t downloaded;
    const char* size;
    const char* text;
  } cases[] = {
      {125, "1000", "12.50"},
      {1000, "1000", "100.00"},
      {33333, "100000", "33.33"},
      {2, "3", "66.67"},
      {1, "20000", "0.01"},  // 0.005: the half goes up
      {1, "800", "0.13"},    // 0.125
      {1, "3000000", "0.00"},
      {3, "2", "150.00"},  // a size kept from an earlier download
      {5000000000, "4999999999", "100.00"},
      {int64_t{5} << 40, "1", "549755813888000.00"},
      {500, "0", "0.00"},  // the engine never learnt the size
      {500, "", "0.00"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(progressText(c.downloaded, c.size), c.text) << c.downloaded << " of " << c.size;
  }
}

}  // namespace
}  // namespace vumbrel
