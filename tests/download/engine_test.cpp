// SPDX-License-Identifier: MIT
// The download engine against loopback servers: exact bytes, faults,
// existing files, stop and destroy, many engines at once.
#include "download/engine.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "digest.h"
#include "download_routes.h"
#include "engine_harness.h"
#include "loopback_server.h"
#include "temp_dir.h"
#include "test_tls.h"

namespace vumbrel::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string pattern(std::uint64_t offset, std::size_t length) {
  std::string bytes(length, '\0');
  patternSource(offset, bytes.data(), length);
  return bytes;
}

// Exactly one type 4, the last call, with `reason`; nothing arrives later
// and the object no longer names the task.
void expectEnded(EngineRun& run, int reason) {
  ASSERT_TRUE(run.waitEnd());
  const size_t seen = run.calls().size();
  std::this_thread::sleep_for(50ms);
  const std::vector<StatusCall> calls = run.calls();
  EXPECT_EQ(calls.size(), seen) << "callbacks after the end";
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().type, StatusEnded);
  EXPECT_EQ(run.count(StatusEnded), 1);
  EXPECT_EQ(calls.back().a, reason);
  EXPECT_EQ(getTaskId(run.engine()), -1);
  std::string data = "unchanged";
  EXPECT_FALSE(getTaskData(run.engine(), data));
  EXPECT_EQ(data, "unchanged");
}

bool hasMessage(const EngineRun& run, const std::string& part) {
  for (const ThreadMessage& m : run.messages())
    if (m.message.find(part) != std::string::npos) return true;
  return false;
}

class EngineTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return (dir / name).string(); }
  LoopbackServer server;
  TempDir dir;
};

struct ExactCase {
  const char* name;
  std::uint64_t size;
  bool ranges;
  int threads;
  size_t blocks;
};

TEST_F(EngineTest, DownloadsEveryByteExactly) {
  const ExactCase cases[] = {
      {"ranged, two blocks", 3 * 1024 * 1024 + 17, true, 2, 2},
      {"server ignores Range", 1024 * 1024 + 5, false, 2, 1},
      {"size not divisible by the split", 1000003, true, 3, 3},
      {"one connection", 700000, true, 1, 1},
      {"one byte", 1, true, 2, 1},
      {"empty file", 0, true, 2, 1},
      {"empty file, no ranges", 0, false, 2, 1},
  };
  for (const ExactCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string route = "/v" + std::to_string(&c - cases) + ".mp4";
    server.route(route, faultyBody(c.size, {.ranges = c.ranges}));
    server.clearRequests();
    EngineRun run;
    const std::string file = path("out" + std::to_string(&c - cases) + ".mp4");
    ASSERT_TRUE(run.start(run.param(server.url(route), file, c.threads)));
    expectEnded(run, EndCompleted);
    EXPECT_EQ(sha256OfFile(file), sha256OfSource(c.size));
    EXPECT_EQ(fs::file_size(file), c.size);

    const std::vector<StatusCall> calls = run.calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front().type, StatusStarted);
    EXPECT_EQ(calls.front().b, static_cast<int64_t>(c.size));
    EXPECT_EQ(calls.front().c, file);
    if (c.size > 0) {
      const StatusCall& last = calls[calls.size() - 2];
      ASSERT_EQ(last.type, StatusBlockWritten);
      std::optional<TaskState> state = decodeTaskData(last.taskData);
      ASSERT_TRUE(state);
      EXPECT_EQ(state->totalSize, static_cast<int64_t>(c.size));
      EXPECT_EQ(state->downloaded(), static_cast<int64_t>(c.size));
      EXPECT_EQ(state->blocks.size(), c.blocks);
    }
    const std::vector<RecordedRequest> requests = server.requests();
    EXPECT_EQ(requests.size(), c.blocks);
    for (const RecordedRequest& r : requests) EXPECT_TRUE(r.header("Range").starts_with("bytes="));
  }
}

TEST_F(EngineTest, DroppedConnectionsResumeTheirBlockWhereTheyStopped) {
  const std::uint64_t size = 2 * 1024 * 1024;
  server.route("/d", faultyBody(size, {.dropAt = {300001, 1572871}}));
  EngineRun run;
  ASSERT_TRUE(run.start(run.param(server.url("/d"), path("d.mp4"))));
  expectEnded(run, EndCompleted);
  EXPECT_EQ(sha256OfFile(path("d.mp4")), sha256OfSource(size));
  std::vector<std::string> ranges;
  for (const RecordedRequest& r : server.requests()) ranges.push_back(r.header("Range"));
  EXPECT_EQ(ranges.size(), 4u);
  EXPECT_NE(std::find(ranges.begin(), ranges.end(), "bytes=300001-1048575"), ranges.end());
  EXPECT_NE(std::find(ranges.begin(), ranges.end(), "bytes=1572871-2097151"), ranges.end());
  EXPECT_TRUE(hasMessage(run, "retry 1 of 3 from byte 300001"));
}

TEST_F(EngineTest, StalledConnectionTimesOutAndIsRetried) {
  const std::uint64_t size = 1024 * 1024;
  server.route("/s", faultyBody(size, {.stallAt = 400000, .stallFor = 20s}));
  EngineRun run;
  TaskParam p = run.param(server.url("/s"), path("s.mp4"), 1);
  p.receiveTimeout = 300;
  const auto began = std::chrono::steady_clock::now();
  ASSERT_TRUE(run.start(p));
  expectEnded(run, EndCompleted);
  EXPECT_LT(std::chrono::steady_clock::now() - began, 10s);
  EXPECT_EQ(sha256OfFile(path("s.mp4")), sha256OfSource(size));
  ASSERT_EQ(server.requestCount(), 2u);
  EXPECT_EQ(server.requests()[1].header("Range"), "bytes=400000-1048575");
  EXPECT_TRUE(hasMessage(run, "no data for 300 ms"));
}

TEST_F(EngineTest, ErrorStatusFailsTheTaskAndLeavesNoFile) {
  struct Case {
    int status;
    size_t requests;  // 5xx is tried again, 4xx is not
  } cases[] = {{404, 1}, {403, 1}, {500, 4}, {503, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    server.route("/e", faultyBody(1000, {.failFirst = 100, .failStatus = c.status}));
    server.clearRequests();
    EngineRun run;
    ASSERT_TRUE(run.start(run.param(server.url("/e"), path("e.mp4"))));
    expectEnded(run, EndFailed);
    EXPECT_FALSE(fs::exists(path("e.mp4")));
    EXPECT_EQ(run.count(StatusStarted), 0);
    EXPECT_EQ(run.count(StatusBlockWritten), 0);
    EXPECT_EQ(server.requestCount(), c.requests);
    EXPECT_TRUE(hasMessage(run, "HTTP " + std::to_string(c.status)));
  }
}

TEST_F(EngineTest, ServerErrorThatPassesIsRetriedToCompletion) {
  server.route("/e", faultyBody(50000, {.failFirst = 2, .failStatus = 503}));
  EngineRun run;
  ASSERT_TRUE(run.start(run.param(server.url("/e"), path("e.mp4"))));
  expectEnded(run, EndCompleted);
  EXPECT_EQ(sha256OfFile(path("e.mp4")), sha256OfSource(50000));
}

TEST_F(EngineTest, SizeThatChangesBetweenRequestsFailsTheTask) {
  server.route("/c", faultyBody(400000, {.laterSize = 500000}));
  EngineRun run;
  ASSERT_TRUE(run.start(run.param(server.url("/c"), path("c.mp4"))));
  expectEnded(run, EndFailed);
  EXPECT_FALSE(fs::exists(path("c.mp4")));
  EXPECT_TRUE(hasMessage(run, "size changed"));
}

TEST_F(EngineTest, BodyWithoutLengthIsTakenWholeOnOneConnection) {
  server.route("/u", faultyBody(300000, {.ranges = false, .contentLength = false}));
  EngineRun run;
  ASSERT_TRUE(run.start(run.param(server.url("/u"), path("u.mp4"))));
  expectEnded(run, EndCompleted);
  EXPECT_EQ(sha256OfFile(path("u.mp4")), sha256OfSource(300000));
  const std::vector<StatusCall> calls = run.calls();
  const StatusCall& last = calls[calls.size() - 2];
  ASSERT_EQ(last.type, StatusBlockWritten);
  std::optional<TaskState> state = decodeTaskData(last.taskData);
  ASSERT_TRUE(state);
  EXPECT_EQ(state->totalSize, 300000);
  EXPECT_EQ(state->downloaded(), 300000);
}

TEST_F(EngineTest, ExistingFileIsRenamedGivenUpOrOverwrittenAsAnswered) {
  server.route("/x", faultyBody(5000));
  const std::string original = path("clip.mp4");
  writeFile(original, "old content");
  writeFile(path("clip(1).mp4"), "taken");

  {  // 0: the engine picks the next free name
    EngineRun run;
    std::string pathAtStart;
    run.onStatus = [&](const StatusCall& c) {
      if (c.type == StatusStarted) pathAtStart = getLocalPath(run.engine());
    };
    ASSERT_TRUE(run.start(run.param(server.url("/x"), original)));
    expectEnded(run, EndCompleted);
    const std::vector<StatusCall> calls = run.calls();
    ASSERT_EQ(calls.front().type, StatusFileExists);
    EXPECT_EQ(calls.front().c, original);
    EXPECT_EQ(calls[1].type, StatusStarted);
    EXPECT_EQ(calls[1].c, path("clip(2).mp4"));
    EXPECT_EQ(pathAtStart, path("clip(2).mp4"));
    EXPECT_EQ(sha256OfFile(path("clip(2).mp4")), sha256OfSource(5000));
    EXPECT_EQ(readFile(original), "old content");
    EXPECT_EQ(readFile(path("clip(1).mp4")), "taken");
  }
  server.clearRequests();
  {  // 1: gives up before any request
    EngineRun run;
    run.fileExistsAnswer = 1;
    ASSERT_TRUE(run.start(run.param(server.url("/x"), original)));
    expectEnded(run, EndFailed);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(readFile(original), "old content");
  }
  {  // 2: writes over the old file, which ends exactly as long as the new one
    writeFile(original, std::string(9000, 'x'));
    EngineRun run;
    run.fileExistsAnswer = 2;
    ASSERT_TRUE(run.start(run.param(server.url("/x"), original)));
    expectEnded(run, EndCompleted);
    EXPECT_EQ(run.calls()[1].c, original);
    EXPECT_EQ(sha256OfFile(original), sha256OfSource(5000));
  }
}

TEST_F(EngineTest, StopMidDownloadGivesTheFinalStateAndDetaches) {
  const std::uint64_t size = 8 * 1024 * 1024;
  server.route("/slow", faultyBody(size));
  EngineRun run;
  TaskParam p = run.param(server.url("/slow"), path("slow.mp4"));
  p.speedLimit = 1024 * 1024;
  ASSERT_TRUE(run.start(p));
  ASSERT_TRUE(run.waitBlocks(3));
  const int32_t id = getTaskId(run.engine());
  EXPECT_GT(id, 0);
  std::vector<int32_t> threads;
  getThreadList(run.engine(), threads);
  EXPECT_EQ(threads, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(getLocalPath(run.engine()), path("slow.mp4"));

  std::string data;
  ASSERT_TRUE(stopTask(run.engine(), data, 4));
  EXPECT_EQ(getTaskId(run.engine()), -1);
  const size_t seen = run.calls().size();
  EXPECT_EQ(run.calls().back().type, StatusEnded);
  expectEnded(run, EndStopped);
  EXPECT_EQ(run.calls().size(), seen);

  std::optional<TaskState> state = decodeTaskData(data);
  ASSERT_TRUE(state);
  EXPECT_EQ(state->totalSize, static_cast<int64_t>(size));
  ASSERT_EQ(state->blocks.size(), 2u);
  EXPECT_GT(state->downloaded(), 0);
  EXPECT_LT(state->downloaded(), static_cast<int64_t>(size));
  // What the state counts as done is on disk, exactly.
  const std::string bytes = readFile(path("slow.mp4"));
  for (const TaskBlock& b : state->blocks)
    EXPECT_EQ(bytes.substr(b.start, b.done), pattern(b.start, b.done));

  std::string again = "kept";
  EXPECT_FALSE(stopTask(run.engine(), again, 4));
  EXPECT_EQ(again, "kept");
}

TEST_F(EngineTest, ThreadsOutlivingTheStopWaitNeitherWriteNorCallBack) {
  // With no wait at all the workers are still running when the task is
  // detached and the object destroyed; they must find nothing freed and
  // must not touch the file again.
  const std::uint64_t size = 16 * 1024 * 1024;
  server.route("/late", faultyBody(size));
  EngineRun run;
  TaskParam p = run.param(server.url("/late"), path("late.mp4"), 4);
  p.speedLimit = 4 * 1024 * 1024;
  p.stopWait = 0;
  ASSERT_TRUE(run.start(p));
  ASSERT_TRUE(run.waitBlocks(2));
  std::string data;
  ASSERT_TRUE(stopTask(run.engine(), data, 4));
  run.destroy();
  const size_t seen = run.calls().size();
  const std::string atStop = readFile(path("late.mp4"));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(run.calls().size(), seen);
  EXPECT_EQ(run.calls().back().type, StatusEnded);
  EXPECT_EQ(readFile(path("late.mp4")), atStop);
  std::optional<TaskState> state = decodeTaskData(data);
  ASSERT_TRUE(state);
  for (const TaskBlock& b : state->blocks)
    EXPECT_EQ(atStop.substr(b.start, b.done), pattern(b.start, b.done));
}

TEST_F(EngineTest, ObjectTakesOneTaskAtATimeAndANewOneAfterTheEnd) {
  server.route("/a", faultyBody(4 * 1024 * 1024));
  EngineRun run;
  TaskParam p = run.param(server.url("/a"), path("a.mp4"));
  p.speedLimit = 2 * 1024 * 1024;
  ASSERT_TRUE(run.start(p));
  const int32_t first = getTaskId(run.engine());
  EXPECT_FALSE(run.start(run.param(server.url("/a"), path("other.mp4"))));
  std::string data;
  ASSERT_TRUE(stopTask(run.engine(), data, 4));
  ASSERT_TRUE(run.start(run.param(server.url("/a"), path("b.mp4"))));
  EXPECT_GT(getTaskId(run.engine()), first);
  EXPECT_FALSE(fs::exists(path("other.mp4")));
}

TEST_F(EngineTest, StopFromInsideACallbackEndsTheTaskAtOnce) {
  server.route("/cb", faultyBody(4 * 1024 * 1024));
  EngineRun run;
  std::string data;
  bool stopped = false;
  run.onStatus = [&](const StatusCall& c) {
    if (c.type == StatusBlockWritten && !stopped) stopped = stopTask(run.engine(), data, 4);
  };
  TaskParam p = run.param(server.url("/cb"), path("cb.mp4"));
  p.speedLimit = 2 * 1024 * 1024;
  ASSERT_TRUE(run.start(p));
  expectEnded(run, EndStopped);
  run.destroy();  // waits for the callback that stopped the task to return
  EXPECT_TRUE(stopped);
  EXPECT_TRUE(decodeTaskData(data));
}

TEST_F(EngineTest, DestroyWhileRunningEndsEveryCallback) {
  server.route("/big", faultyBody(16 * 1024 * 1024));
  EngineRun run;
  TaskParam p = run.param(server.url("/big"), path("big.mp4"));
  p.speedLimit = 2 * 1024 * 1024;
  ASSERT_TRUE(run.start(p));
  ASSERT_TRUE(run.waitBlocks(1));
  run.destroy();
  const size_t seen = run.calls().size();
  EXPECT_EQ(run.calls().back().type, StatusEnded);
  EXPECT_EQ(run.count(StatusEnded), 1);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(run.calls().size(), seen);
}

TEST_F(EngineTest, TenEnginesAtOnceEachGetTheirOwnFile) {
  std::vector<std::unique_ptr<EngineRun>> runs;
  std::vector<int32_t> ids;
  for (int i = 0; i < 10; ++i) {
    const std::uint64_t size = 200000 + 77777 * i;
    server.route("/m" + std::to_string(i), faultyBody(size));
    runs.push_back(std::make_unique<EngineRun>());
    ASSERT_TRUE(runs.back()->start(runs.back()->param(server.url("/m" + std::to_string(i)),
                                                      path("m" + std::to_string(i)), 1 + i % 3)));
    ids.push_back(getTaskId(runs.back()->engine()));
  }
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    expectEnded(*runs[i], EndCompleted);
    EXPECT_EQ(sha256OfFile(path("m" + std::to_string(i))), sha256OfSource(200000 + 77777 * i));
    for (int j = 0; j < i; ++j) EXPECT_NE(ids[i], ids[j]);
  }
}

TEST_F(EngineTest, MessagesNameTheConnectionAndRequestsCarryReferer) {
  server.route("/r", faultyBody(100000));
  EngineRun run;
  ASSERT_TRUE(run.start(run.param(server.url("/r"), path("r.mp4"))));
  expectEnded(run, EndCompleted);
  EXPECT_TRUE(hasMessage(run, "HTTP 206, bytes 0-"));
  EXPECT_TRUE(hasMessage(run, "connecting to " + server.url("/r")));
  for (const ThreadMessage& m : run.messages()) EXPECT_TRUE(m.thread == 1 || m.thread == 2);
  for (const RecordedRequest& r : server.requests())
    EXPECT_EQ(r.header("Referer"), server.url("/"));

  server.clearRequests();
  EngineRun given;
  TaskParam p = given.param(server.url("/r"), path("r2.mp4"));
  p.referer = "http://pages.example/watch?v=1";
  ASSERT_TRUE(given.start(p));
  expectEnded(given, EndCompleted);
  EXPECT_EQ(server.requests().at(0).header("Referer"), "http://pages.example/watch?v=1");
}

TEST_F(EngineTest, ProxyServerCarriesTheRequests) {
  server.route("/p.mp4", faultyBody(70000));
  EngineRun run;
  TaskParam p = run.param("http://video.invalid/p.mp4", path("p.mp4"));
  p.proxyServer = server.hostPort();
  ASSERT_TRUE(run.start(p));
  expectEnded(run, EndCompleted);
  EXPECT_EQ(sha256OfFile(path("p.mp4")), sha256OfSource(70000));
  EXPECT_EQ(server.requests().at(0).target, "http://video.invalid/p.mp4");
}

TEST_F(EngineTest, HttpsVerifiesTheCertificate) {
  const TestCertificates certs = makeTestCertificates(dir.path());
  LoopbackServer tls(certs.identity());
  tls.route("/t.mp4", faultyBody(600000));
  {
    EngineRun run;
    EngineTuning tuning = quickTuning();
    tuning.caFile = certs.caFile.string();
    setEngineTuning(run.engine(), tuning);
    ASSERT_TRUE(run.start(run.param(tls.url("/t.mp4"), path("t.mp4"))));
    expectEnded(run, EndCompleted);
    EXPECT_EQ(sha256OfFile(path("t.mp4")), sha256OfSource(600000));
  }
  {  // an untrusted certificate fails at once, without retries
    EngineRun run;
    ASSERT_TRUE(run.start(run.param(tls.url("/t.mp4"), path("t2.mp4"))));
    expectEnded(run, EndFailed);
    EXPECT_FALSE(fs::exists(path("t2.mp4")));
  }
}

TEST_F(EngineTest, FullDiskFailsTheTaskAndRemovesTheFile) {
  // A file-size limit makes writes past it fail as a full disk would.
  server.route("/f", faultyBody(3 * 1024 * 1024, {.ranges = false, .contentLength = false}));
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1024 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  EngineRun run;
  ASSERT_TRUE(run.start(run.param(server.url("/f"), path("f.mp4"))));
  const bool ended = run.waitEnd();
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_TRUE(ended);
  expectEnded(run, EndFailed);
  EXPECT_FALSE(fs::exists(path("f.mp4")));
  EXPECT_TRUE(hasMessage(run, "cannot write the file"));
}

TEST_F(EngineTest, UnreachableServerFailsAfterTheRetries) {
  int port;
  {
    LoopbackServer gone;
    port = gone.port();
  }
  EngineRun run;
  ASSERT_TRUE(run.start(run.param("http://127.0.0.1:" + std::to_string(port) + "/x", path("x"))));
  expectEnded(run, EndFailed);
  EXPECT_TRUE(hasMessage(run, "giving up after 4 tries"));
  EXPECT_FALSE(fs::exists(path("x")));
}

}  // namespace
}  // namespace vumbrel::test
