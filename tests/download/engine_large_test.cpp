// SPDX-License-Identifier: MIT
// A download past 4 GiB: sizes, offsets and task data stay 64-bit. The body
// is generated from its offsets, so nothing is stored but the result.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "download/engine.h"
#include "download_routes.h"
#include "engine_harness.h"
#include "loopback_server.h"
#include "temp_dir.h"

namespace vumbrel::test {
namespace {

TEST(EngineLarge, DownloadsAFileLargerThanFourGiBExactly) {
  const std::uint64_t size = (std::uint64_t(4) << 30) + (1 << 20) + 3;
  LoopbackServer server;
  server.route("/huge.mp4", faultyBody(size, {.dropAt = {(std::uint64_t(3) << 30) + 5}}));
  TempDir dir;
  const std::string file = (dir / "huge.mp4").string();
  EngineRun run;
  ASSERT_TRUE(run.start(run.param(server.url("/huge.mp4"), file)));
  ASSERT_TRUE(run.waitEnd(std::chrono::minutes(4)));
  EXPECT_EQ(run.endReason(), EndCompleted);

  const std::vector<StatusCall> calls = run.calls();
  EXPECT_EQ(calls.front().b, static_cast<int64_t>(size));
  const std::optional<TaskState> state = decodeTaskData(calls[calls.size() - 2].taskData);
  ASSERT_TRUE(state);
  EXPECT_EQ(state->totalSize, static_cast<int64_t>(size));
  EXPECT_EQ(state->downloaded(), static_cast<int64_t>(size));
  ASSERT_EQ(state->blocks.size(), 2u);
  EXPECT_EQ(state->blocks[1].start, static_cast<int64_t>(size / 2));

  std::ifstream in(file, std::ios::binary);
  std::vector<char> got(8 << 20), want(8 << 20);
  std::uint64_t offset = 0;
  while (in) {
    in.read(got.data(), static_cast<std::streamsize>(got.size()));
    const auto n = static_cast<std::size_t>(in.gcount());
    if (n == 0) break;
    fastPatternSource(offset, want.data(), n);
    ASSERT_EQ(std::memcmp(got.data(), want.data(), n), 0) << "differs in the 8 MiB at " << offset;
    offset += n;
  }
  EXPECT_EQ(offset, size);
}

}  // namespace
}  // namespace vumbrel::test
