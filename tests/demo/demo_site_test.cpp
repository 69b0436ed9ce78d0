// SPDX-License-Identifier: MIT
#include "demo_site.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include "digest.h"
#include "resolver/program_run.h"
#include "resolver/resolver_service.h"
#include "temp_dir.h"

namespace vumbrel::demo {
namespace {

// Every "<title>"..."</title>" of the page, as the app collects them.
std::vector<std::string> titlesOf(const std::string& page) {
  std::vector<std::string> titles;
  size_t at = 0;
  while ((at = page.find("<title>", at)) != std::string::npos) {
    at += 7;
    size_t end = page.find("</title>", at);
    if (end == std::string::npos) break;
    titles.push_back(page.substr(at, end - at));
    at = end + 8;
  }
  return titles;
}

std::vector<std::string> cdataItems(const std::string& reply) {
  std::vector<std::string> items;
  size_t at = 0;
  while ((at = reply.find("[CDATA[", at)) != std::string::npos) {
    at += 7;
    size_t end = reply.find("]]", at);
    items.push_back(reply.substr(at, end - at));
    at = end + 2;
  }
  return items;
}

// Made once for the suite: ffmpeg takes a few seconds.
class DemoSiteTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new vumbrel::test::TempDir();
    made_ = makeDemoMedia(dir_->path() / "media");
  }
  static void TearDownTestSuite() { delete dir_; }

  static vumbrel::test::TempDir* dir_;
  static std::string made_;
};
vumbrel::test::TempDir* DemoSiteTest::dir_ = nullptr;
std::string DemoSiteTest::made_;

TEST_F(DemoSiteTest, PairsEachTitleWithItsVideoInPageOrder) {
  ASSERT_EQ(made_, "");
  DemoSite site(dir_->path() / "media");
  ASSERT_TRUE(site.start());
  resolver::ResolverOptions options;  // the built-in extraction
  resolver::ResolverService service(options);
  ASSERT_TRUE(service.start());

  httplib::Client client("127.0.0.1", site.port());
  auto page = client.Get("/course.html");
  ASSERT_TRUE(page);
  std::vector<std::string> expectedTitles;
  std::vector<std::string> expectedStreams;
  for (const auto& lesson : demoLessons()) {
    expectedTitles.push_back(lesson.title);
    expectedStreams.push_back("http://127.0.0.1:" + std::to_string(site.port()) + "/media/" +
                              lesson.fileName);
  }
  EXPECT_EQ(titlesOf(page->body), expectedTitles);

  httplib::Client resolverClient("127.0.0.1", service.port());
  auto list = resolverClient.Get("/api.php?url=" + site.pageAddress());
  ASSERT_TRUE(list);
  EXPECT_EQ(cdataItems(list->body), expectedStreams);
}

TEST_F(DemoSiteTest, ServesPlayableFilesWholeAndInRanges) {
  ASSERT_EQ(made_, "");
  DemoSite site(dir_->path() / "media");
  ASSERT_TRUE(site.start());
  httplib::Client client("127.0.0.1", site.port());
  std::string ffprobe = resolver::findOnPath("ffprobe");
  for (const auto& lesson : demoLessons()) {
    auto file = site.mediaFile(lesson);
    std::string bytes = vumbrel::test::readFile(file);
    ASSERT_GT(bytes.size(), 10'000u) << lesson.fileName;
    auto whole = client.Get("/media/" + lesson.fileName);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->get_header_value("Content-Type"), "video/mp4");
    EXPECT_EQ(vumbrel::test::sha256Hex(whole->body), vumbrel::test::sha256Hex(bytes));
    auto part = client.Get("/media/" + lesson.fileName, {{"Range", "bytes=100-199"}});
    ASSERT_TRUE(part);
    EXPECT_EQ(part->status, 206);
    EXPECT_EQ(part->body, bytes.substr(100, 100));
    if (!ffprobe.empty()) {
      auto probe = resolver::runProgram({ffprobe, "-v", "error", "-show_entries",
                                         "stream=codec_type", "-of", "csv=p=0", file.string()},
                                        std::chrono::seconds(30), 1000);
      EXPECT_EQ(probe.exitCode, 0);
      EXPECT_EQ(probe.output, "video\naudio\n") << lesson.fileName;
    }
  }
}

}  // namespace
}  // namespace vumbrel::demo
