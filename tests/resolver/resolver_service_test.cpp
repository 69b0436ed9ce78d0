// SPDX-License-Identifier: MIT
#include "resolver/resolver_service.h"

#include <gtest/gtest.h>

#include "resolver/embedded_resolver.h"
#include "resolver/raw_target_server.h"
#include "resolver/replies.h"
#include "resolver_test_support.h"

namespace vumbrel::resolver {
namespace {

using namespace vumbrel::resolver::test;
using vumbrel::test::fixedReply;
using vumbrel::test::LoopbackServer;
using vumbrel::test::redirectTo;
using List = std::vector<std::string>;

class Resolver : public ::testing::Test {
 protected:
  void SetUp() override {
    service_ = std::make_unique<ResolverService>(quietOptions());
    ASSERT_TRUE(service_->start());
  }

  LoopbackServer site_;
  std::unique_ptr<ResolverService> service_;
};

TEST_F(Resolver, ListensOnLoopbackOnAFreePort) {
  EXPECT_GT(service_->port(), 0);
  EXPECT_EQ(service_->baseAddress(), "http://127.0.0.1:" + std::to_string(service_->port()));
  ResolverService second(quietOptions());
  ASSERT_TRUE(second.start());
  EXPECT_NE(second.port(), service_->port());
  second.stop();
  EXPECT_EQ(second.baseAddress(), "");
  second.stop();
}

TEST_F(Resolver, PageReplyNamesTheAddressAfterRedirects) {
  site_.route("/old", redirectTo("/hop?x=1&y=2"));
  site_.route("/hop", redirectTo(site_.url("/new?a=1&b=\"2\"")));
  site_.route("/new", htmlPage("<title>t</title>"));
  std::string reply = rawGet(*service_, "/index.php?url=" + site_.url("/old"));
  EXPECT_EQ(reply.rfind("{\"code\": 200, \"url\": \"", 0), 0u) << reply;
  EXPECT_EQ(urlValue(reply), site_.url("/new?a=1&b=%222%22"));
}

TEST_F(Resolver, PageReplyForPagesThatCannotBeHad) {
  site_.route("/gone", fixedReply({.status = 404, .body = "<video src=a.mp4>"}));
  EXPECT_EQ(rawGet(*service_, "/index.php?url=" + site_.url("/gone")),
            "{\"code\": 404, \"url\": \"" + site_.url("/gone") + "\"}\n");
  EXPECT_EQ(rawGet(*service_, "/index.php?url=file:///etc/passwd"),
            "{\"code\": 400, \"url\": \"\"}\n");
  EXPECT_EQ(rawGet(*service_, "/index.php?url="), "{\"code\": 400, \"url\": \"\"}\n");
  EXPECT_EQ(rawGet(*service_, "/index.php"), "{\"code\": 400, \"url\": \"\"}\n");
  std::string dead;
  {
    LoopbackServer closed;
    dead = closed.url("/x");
  }
  EXPECT_EQ(rawGet(*service_, "/index.php?url=" + dead), "{\"code\": 502, \"url\": \"\"}\n");
}

// The app appends the address unescaped: "&", a second "?", blanks and quotes
// all belong to it, and the reply must keep the app's markers intact.
TEST_F(Resolver, TakesTheWholeValueBehindUrlAndKeepsTheMarkersIntact) {
  site_.route("/watch", htmlPage(R"(<video src="/v.mp4?s=1&amp;e=2"></video>)"));
  std::string value = site_.url("/watch?v=1&list=2&u=\"q\"");
  std::string reply = rawGet(*service_, "/index.php?url=" + value);
  EXPECT_EQ(urlValue(reply), site_.url("/watch?v=1&list=2&u=%22q%22"));
  ASSERT_EQ(site_.requestCount(), 1u);
  EXPECT_EQ(site_.requests()[0].target, "/watch?v=1&list=2&u=%22q%22");

  EXPECT_EQ(listFor(*service_, urlValue(reply)), List{site_.url("/v.mp4?s=1&e=2")});
  EXPECT_EQ(listFor(*service_, value), List{site_.url("/v.mp4?s=1&e=2")});
  EXPECT_EQ(site_.requests().back().target, "/watch?v=1&list=2&u=%22q%22");
}

TEST_F(Resolver, ListsEveryKindOfPage) {
  site_.route(
      "/media/base.html",
      htmlPage(R"(<base href="/files/"><video src="b.mp4"></video><a href="c.webm">c</a>)"));
  site_.route("/og", htmlPage(R"(<meta property="og:video:secure_url" content="/og.mp4">)"));
  site_.route("/ld", htmlPage(R"(<script type="application/ld+json">
      {"contentUrl": "\/ld.mp4"}</script>)"));
  site_.route("/mixed", htmlPage(R"(<video><source src="one.mp4"><source src="two.mp4"></video>
      <a href="one.mp4">dup</a><a href="list.m3u8">hls</a><a href="three.mkv">3</a>)"));
  site_.route("/nothing", htmlPage("<title>only a title</title>"));
  EXPECT_EQ(listFor(*service_, site_.url("/media/base.html")),
            (List{site_.url("/files/b.mp4"), site_.url("/files/c.webm")}));
  EXPECT_EQ(listFor(*service_, site_.url("/og")), List{site_.url("/og.mp4")});
  EXPECT_EQ(listFor(*service_, site_.url("/ld")), List{site_.url("/ld.mp4")});
  EXPECT_EQ(listFor(*service_, site_.url("/mixed")),
            (List{site_.url("/one.mp4"), site_.url("/two.mp4"), site_.url("/three.mkv")}));
  std::string empty = rawGet(*service_, "/api.php?url=" + site_.url("/nothing"));
  EXPECT_NE(empty.find("<streams"), std::string::npos) << empty;
  EXPECT_TRUE(cdataItems(empty).empty());
}

TEST_F(Resolver, ResolvesRelativeAddressesAgainstTheRedirectedPage) {
  site_.route("/short", redirectTo("/deep/dir/page.html"));
  site_.route("/deep/dir/page.html", htmlPage(R"(<video src="clip.mp4"></video>)"));
  EXPECT_EQ(listFor(*service_, site_.url("/short")), List{site_.url("/deep/dir/clip.mp4")});
}

TEST_F(Resolver, AVideoAddressIsItsOwnItemAndIsNotDownloaded) {
  // Far more than the page cap: the reply shows its body was never read whole.
  site_.route("/clip", vumbrel::test::bodyHandler(64ll << 20, vumbrel::test::patternSource,
                                                  {.contentType = "video/mp4"}));
  site_.route("/file.mp4", vumbrel::test::bodyHandler(1 << 20, vumbrel::test::patternSource,
                                                      {.contentType = "application/octet-stream"}));
  site_.route("/blob", vumbrel::test::bodyHandler(1 << 20, vumbrel::test::patternSource,
                                                  {.contentType = "application/octet-stream"}));
  site_.route("/live", fixedReply({.headerLines = {"Content-Type: application/vnd.apple.mpegurl"},
                                   .body = "#EXTM3U\n"}));
  site_.route("/song", fixedReply({.headerLines = {"Content-Type: audio/mpeg"}, .body = "ID3"}));
  EXPECT_EQ(listFor(*service_, site_.url("/clip?token=a&b=c")),
            List{site_.url("/clip?token=a&b=c")});
  EXPECT_EQ(listFor(*service_, site_.url("/file.mp4")), List{site_.url("/file.mp4")});
  EXPECT_EQ(listFor(*service_, site_.url("/blob")), List{});
  EXPECT_EQ(listFor(*service_, site_.url("/live")), List{});
  EXPECT_EQ(listFor(*service_, site_.url("/song")), List{});
}

TEST_F(Resolver, ErrorPagesAndOtherSchemesGiveAnEmptyList) {
  site_.route("/missing", fixedReply({.status = 404, .body = R"(<video src="/err.mp4">)"}));
  site_.route("/to-file", redirectTo("file:///etc/passwd"));
  EXPECT_EQ(listFor(*service_, site_.url("/missing")), List{});
  EXPECT_EQ(listFor(*service_, site_.url("/to-file")), List{});
  EXPECT_EQ(listFor(*service_, "file:///etc/passwd"), List{});
  EXPECT_EQ(listFor(*service_, ""), List{});
}

TEST_F(Resolver, ReadsAPageOnlyUpToTheCap) {
  const std::size_t cap = FetchLimits{}.maxBodyBytes;
  EXPECT_EQ(cap, 16u << 20);
  std::string page = R"(<video src="first.mp4"></video>)";
  page.resize(cap + 1024, ' ');
  page += R"(<video src="beyond.mp4"></video>)";
  site_.route("/huge", htmlPage(page));
  EXPECT_EQ(listFor(*service_, site_.url("/huge")), List{site_.url("/first.mp4")});
}

TEST_F(Resolver, AnswersOnlyItsTwoEndpoints) {
  std::string reply = vumbrel::test::rawExchange(
      service_->port(), "GET /other.php?url=x HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(reply.rfind("HTTP/1.1 404 ", 0), 0u) << reply;
}

TEST(ConnectResolver, UsesAnExternalHostOrStartsOurOwn) {
  std::string base = "old";
  EXPECT_EQ(connectResolver("http://resolver.test:8080", base), nullptr);
  EXPECT_EQ(base, "http://resolver.test:8080");

  auto own = connectResolver("", base);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(base, own->baseAddress());
  EXPECT_EQ(base.rfind("http://127.0.0.1:", 0), 0u);
  EXPECT_EQ(rawGet(*own, "/index.php?url=ftp://x"), "{\"code\": 400, \"url\": \"\"}\n");
}

TEST(QueryAddress, TakesEverythingBehindTheFirstUrl) {
  struct Case {
    const char* target;
    const char* value;
  } cases[] = {
      {"/api.php?url=http://h/p?a=1&b=2", "http://h/p?a=1&b=2"},
      {"/api.php?url=http://h/p?url=x", "http://h/p?url=x"},
      {"/api.php?x=1&url=http://h/a%20b", "http://h/a%20b"},
      {"/api.php?url=http%3A%2F%2Fh%2Fp%3Fa%3D1", "http://h/p?a=1"},
      {"/api.php?url=http://h/http%3A%2F%2F", "http://h/http%3A%2F%2F"},
      {"/api.php?url=", ""},
      {"/api.php", ""},
      {"/api.php?u=1", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(queryAddress(c.target), c.value) << c.target;
}

TEST(RequestLine, IsMendedOnlyWhereTheParserWouldRefuseIt) {
  struct Case {
    const char* line;
    const char* mended;
    const char* raw;
  } cases[] = {
      {"GET /a?url=http://h/p HTTP/1.1\r\n", "GET /a?url=http://h/p HTTP/1.1\r\n",
       "/a?url=http://h/p"},
      {"GET /a?url=http://h/p?q=1 HTTP/1.1\r\n", "GET /a?url=http://h/p%3Fq=1 HTTP/1.1\r\n",
       "/a?url=http://h/p?q=1"},
      {"GET /a?url=http://h/a b HTTP/1.1\r\n", "GET /a?url=http://h/a%20b HTTP/1.1\r\n",
       "/a?url=http://h/a b"},
      {"GET / HTTP/1.1\n", "GET / HTTP/1.1\n", "/"},
      {"nonsense\r\n", "nonsense\r\n", ""},
  };
  for (const auto& c : cases) {
    std::string raw;
    EXPECT_EQ(acceptableRequestLine(c.line, raw), c.mended) << c.line;
    EXPECT_EQ(raw, c.raw) << c.line;
  }
}

TEST(Replies, KeepTheShapesThatTheAppReads) {
  EXPECT_EQ(pageReply(200, "http://h/p"), "{\"code\": 200, \"url\": \"http://h/p\"}\n");
  std::string list = streamListReply({"http://h/1.mp4", "http://h/2.mp4"}, "page");
  EXPECT_EQ(cdataItems(list), (List{"http://h/1.mp4", "http://h/2.mp4"}));
  EXPECT_NE(list.find("<item><![CDATA[http://h/1.mp4]]></item>"), std::string::npos);
}

}  // namespace
}  // namespace vumbrel::resolver
