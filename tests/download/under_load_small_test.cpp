// SPDX-License-Identifier: MIT
// The load test in a size that ThreadSanitizer runs in seconds.
#include "under_load.h"

namespace vumbrel::test {
namespace {

TEST(UnderLoad, ThirtyRowsSixAtOnceAllArriveExact) {
  runUnderLoad({.rows = 30, .atOnce = 6, .size = 40000, .checkMemory = false});
}

}  // namespace
}  // namespace vumbrel::test
