// SPDX-License-Identifier: MIT
// The speed limit holds for the task as a whole, whatever its connections.
#include <gtest/gtest.h>

#include "digest.h"
#include "download/engine.h"
#include "download_routes.h"
#include "engine_harness.h"
#include "loopback_server.h"
#include "temp_dir.h"

namespace vumbrel::test {
namespace {

using Clock = std::chrono::steady_clock;

TEST(EngineRate, SpeedLimitIsSharedByAllConnectionsWithinTenPercent) {
  const int64_t limit = 1 << 20;
  const std::uint64_t size = 5 * (1 << 19);  // 2.5 s at the limit
  LoopbackServer server;
  server.route("/r", faultyBody(size));
  TempDir dir;
  for (int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    EngineRun run;
    TaskParam p = run.param(server.url("/r"), (dir / "r").string(), threads);
    p.speedLimit = limit;
    p.receiveBlockSize = 8192;
    const Clock::time_point began = Clock::now();
    ASSERT_TRUE(run.start(p));
    ASSERT_TRUE(run.waitEnd());
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    EXPECT_EQ(run.endReason(), EndCompleted);
    EXPECT_EQ(sha256OfFile(dir / "r"), sha256OfSource(size));
    const double rate = static_cast<double>(size) / seconds;
    EXPECT_GT(rate, 0.9 * limit) << seconds << " s";
    EXPECT_LT(rate, 1.1 * limit) << seconds << " s";
    std::filesystem::remove(dir / "r");
  }
}

}  // namespace
}  // namespace vumbrel::test
