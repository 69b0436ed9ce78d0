// SPDX-License-Identifier: MIT
#include "resolver/ytdlp_backend.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "resolver/program_run.h"
#include "resolver_test_support.h"
#include "temp_dir.h"

namespace vumbrel::resolver {
namespace {

using namespace vumbrel::resolver::test;
using namespace std::chrono_literals;
using vumbrel::test::LoopbackServer;
using vumbrel::test::TempDir;
using List = std::vector<std::string>;

// A stand-in for yt-dlp: a shell script that writes its arguments to
// args.txt and then runs `body`.
std::string fakeYtDlp(const TempDir& dir, const std::string& body) {
  std::string path = (dir / "yt-dlp").string();
  vumbrel::test::writeFile(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" +
                                     (dir / "args.txt").string() + "'\n" + body + "\n");
  chmod(path.c_str(), 0755);
  return path;
}

class YtDlpBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.route("/page.html", htmlPage(R"(<video src="/built-in.mp4"></video>)"));
  }

  std::unique_ptr<ResolverService> serviceWith(const std::string& program) {
    ResolverOptions options = quietOptions();
    options.ytDlpPath = program;
    options.ytDlpTimeout = 20s;
    auto service = std::make_unique<ResolverService>(options);
    EXPECT_TRUE(service->start());
    return service;
  }

  LoopbackServer site_;
  TempDir dir_;
};

TEST_F(YtDlpBackend, RealYtDlpFindsTheVideoOfALoopbackPage) {
  std::string program = findOnPath("yt-dlp");
  if (program.empty()) GTEST_SKIP() << "yt-dlp is not installed (scripts/install-deps.sh adds it)";
  site_.route("/clip.mp4", vumbrel::test::bodyHandler(4096, vumbrel::test::patternSource,
                                                      {.contentType = "video/mp4"}));
  site_.route("/watch", htmlPage(R"(<html><head><title>Clip</title></head><body>
      <video controls src="/clip.mp4"></video></body></html>)"));
  auto service = serviceWith(program);
  std::string reply = rawGet(*service, "/api.php?url=" + site_.url("/watch?v=1&t=2"));
  EXPECT_NE(reply.find("source=\"yt-dlp\""), std::string::npos) << reply;
  EXPECT_EQ(cdataItems(reply), List{site_.url("/clip.mp4")});
}

TEST_F(YtDlpBackend, AsksWithAnArgumentListAndNoShell) {
  auto service = serviceWith(fakeYtDlp(dir_,
                                       "echo 'http://cdn.test/a.mp4'\n"
                                       "echo 'not an address'\n"
                                       "echo 'http://cdn.test/live.m3u8'\n"
                                       "echo 'http://cdn.test/a.mp4'\n"
                                       "echo 'https://cdn.test/b \"c\".mp4'"));
  std::string page = site_.url("/page.html?q=$(touch%20pwned)&x=`id`;y");
  std::string reply = rawGet(*service, "/api.php?url=" + page);
  EXPECT_NE(reply.find("source=\"yt-dlp\""), std::string::npos) << reply;
  EXPECT_EQ(cdataItems(reply), (List{"http://cdn.test/a.mp4", "https://cdn.test/b%20%22c%22.mp4"}));
  std::string args = vumbrel::test::readFile(dir_ / "args.txt");
  EXPECT_NE(args.find("--get-url\n--no-playlist\n"), std::string::npos) << args;
  EXPECT_NE(args.find("--format\nbest[ext=mp4]"), std::string::npos) << args;
  EXPECT_TRUE(
      args.ends_with("--\n" + site_.url("/page.html?q=$(touch%20pwned)&x=%60id%60;y") + "\n"))
      << args;
  EXPECT_FALSE(std::filesystem::exists(dir_ / "pwned"));
  EXPECT_EQ(site_.requestCount(), 0u);  // yt-dlp found it; the page was not fetched
}

TEST_F(YtDlpBackend, FallsBackWhenItFailsFindsNothingOrTakesTooLong) {
  struct Case {
    const char* name;
    const char* body;
  } cases[] = {
      {"fails", "echo 'ERROR: Unsupported URL' >&2; exit 1"},
      {"finds nothing", "exit 0"},
      {"prints no address", "echo 'http:/broken'; echo '[generic] page'"},
      {"hangs", "exec sleep 30"},
  };
  for (const auto& c : cases) {
    ResolverOptions options = quietOptions();
    options.ytDlpPath = fakeYtDlp(dir_, c.body);
    options.ytDlpTimeout = 300ms;
    ResolverService service(options);
    ASSERT_TRUE(service.start());
    std::string reply = rawGet(service, "/api.php?url=" + site_.url("/page.html"));
    EXPECT_NE(reply.find("source=\"page\""), std::string::npos) << c.name << ": " << reply;
    EXPECT_EQ(cdataItems(reply), List{site_.url("/built-in.mp4")}) << c.name;
  }
}

TEST(ProgramRun, KillsTheWholeGroupAtTheTimeLimitAndCapsOutput) {
  TempDir dir;
  auto slow = runProgram({"/bin/sh", "-c", "sleep 30 & sleep 30; echo late"}, 200ms, 100);
  EXPECT_TRUE(slow.started);
  EXPECT_TRUE(slow.timedOut);
  EXPECT_EQ(slow.output, "");
  auto chatty = runProgram({"/bin/sh", "-c", "yes | head -c 100000; exit 3"}, 10s, 10);
  EXPECT_EQ(chatty.output, "y\ny\ny\ny\ny\n");
  EXPECT_EQ(chatty.exitCode, 3);
  EXPECT_FALSE(runProgram({(dir / "missing").string()}, 1s, 10).started);
}

}  // namespace
}  // namespace vumbrel::resolver
