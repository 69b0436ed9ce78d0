// SPDX-License-Identifier: MIT
// 200 rows, 20 of them started at once, "自动下载" ticked: every file exact,
// memory flat, no tick or stop on the window's thread longer than a stop wait.
#include "under_load.h"

namespace vumbrel::test {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kPlainAllocator = false;
#else
constexpr bool kPlainAllocator = true;
#endif

TEST(UnderLoad, TwoHundredRowsTwentyAtOnceAllArriveExact) {
  runUnderLoad({.rows = 200, .atOnce = 20, .size = 160000, .checkMemory = kPlainAllocator});
}

}  // namespace
}  // namespace vumbrel::test
