// SPDX-License-Identifier: MIT
#include "resolve/web_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "http_handlers.h"
#include "loopback_server.h"
#include "temp_dir.h"
#include "test_tls.h"

namespace vumbrel {
namespace {

using namespace std::chrono_literals;
using test::fixedReply;
using test::LoopbackServer;
using test::RecordedRequest;
using test::Reply;

const std::string kUserAgentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
const std::string kAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";

class WebRequest : public ::testing::Test {
 protected:
  struct Call {
    std::string method{};
    std::string proxy{};
    std::string headers{};
    std::string postData{};
    int decodeMode = 0;
  };

  std::string fetch(std::string address, Call call) {
    std::string result = webRequest(session, address, call.method, call.proxy, call.headers,
                                    call.postData, call.decodeMode);
    amendedAddress = address;
    headersAfter = call.headers;
    return result;
  }
  std::string fetch(const std::string& address) { return fetch(address, Call{}); }

  RecordedRequest only() {
    auto requests = server.requests();
    EXPECT_EQ(requests.size(), 1u);
    return requests.empty() ? RecordedRequest{} : requests.back();
  }

  LoopbackServer server;
  WebSession session;
  std::string amendedAddress;
  std::string headersAfter;
};

TEST_F(WebRequest, WorkflowCallSendsExactlyTheseLines) {
  server.route("/page", fixedReply({.body = "<html>"}));
  std::string address = server.hostPort() + "/page?id=7&t=a";
  EXPECT_EQ(fetch(address), "<html>");
  EXPECT_EQ(amendedAddress, "http://" + address);

  RecordedRequest request = only();
  EXPECT_EQ(request.requestLine, "GET /page?id=7&t=a HTTP/1.1");
  EXPECT_EQ(request.headerLines,
            (std::vector<std::string>{"Host: " + server.hostPort(), kUserAgentLine, kAcceptLine,
                                      "Referer: http://" + address, "Accept-Language: zh-cn"}));
  EXPECT_EQ(request.body, "");
  EXPECT_EQ(headersAfter,
            kAcceptLine + "\r\nReferer: http://" + address + "\r\nAccept-Language: zh-cn\r\n");
}

TEST_F(WebRequest, TheShortFormUsesTheProcessSession) {
  processWebSession().reset();
  server.route("/set", fixedReply({.headerLines = {"Set-Cookie: w=1"}, .body = "one"}));
  std::string address = server.url("/set");
  EXPECT_EQ(webRequest(address), "one");
  EXPECT_EQ(processWebSession().cookies().cookieLine("http://" + server.hostPort()), "w=1");
  EXPECT_EQ(webRequest(address), "one");
  EXPECT_EQ(server.requests().back().header("Cookie"), "w=1");
  processWebSession().reset();
}

TEST_F(WebRequest, CallerLinesDecideWhichDefaultsAreAdded) {
  // A small-letter Accept line is kept and no default one is added.
  fetch(server.url("/a"), {.headers = "accept: text/html\r\n"});
  EXPECT_EQ(headersAfter,
            "accept: text/html\r\nReferer: " + server.url("/a") + "\r\nAccept-Language: zh-cn\r\n");
  // "Accept: " anywhere counts, so this block goes out without any Accept.
  fetch(server.url("/b"), {.headers = "X-Accept: 1\r\nreferer: r\r\n"});
  // A block without its last CR LF has the first default glued to it.
  fetch(server.url("/c"), {.headers = "X-A: 1"});
  EXPECT_EQ(headersAfter, "X-A: 1" + kAcceptLine + "\r\nReferer: " + server.url("/c") +
                              "\r\nAccept-Language: zh-cn\r\n");

  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].headerLines[2], "accept: text/html");
  EXPECT_EQ(requests[0].headerCount("Accept"), 1);
  EXPECT_EQ(requests[1].headerLines,
            (std::vector<std::string>{"Host: " + server.hostPort(), kUserAgentLine, "X-Accept: 1",
                                      "referer: r", "Accept-Language: zh-cn"}));
  EXPECT_EQ(requests[2].headerLines[2], "X-A: 1" + kAcceptLine);
  EXPECT_EQ(requests[2].headerCount("Accept"), 0);
}

TEST_F(WebRequest, OnlyGetAndPostGoOut) {
  server.fallback(fixedReply({.body = "r"}));
  EXPECT_EQ(fetch(server.url("/g"), {.method = "get"}), "r");
  EXPECT_EQ(fetch(server.url("/e")), "r");
  EXPECT_EQ(fetch(server.url("/h"), {.method = "HEAD"}), "");
  EXPECT_EQ(fetch(server.url("/p"), {.method = "PUT", .postData = "x"}), "");
  // The header block is extended even so.
  EXPECT_TRUE(headersAfter.starts_with("Accept: image/gif"));

  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].requestLine, "get /g HTTP/1.1");
  EXPECT_EQ(requests[0].headerCount("Content-Length"), 0);
  EXPECT_EQ(requests[1].requestLine, "GET /e HTTP/1.1");
}

TEST_F(WebRequest, PostSendsContentLinesOnlyWithABody) {
  server.fallback(fixedReply({.body = "posted"}));
  EXPECT_EQ(fetch(server.url("/f"), {.method = "post", .postData = "a=1&b=2"}), "posted");
  EXPECT_TRUE(headersAfter.ends_with(
      "Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"
      "Content-Length: 7\r\n"));
  EXPECT_EQ(fetch(server.url("/e"), {.method = "POST"}), "posted");
  EXPECT_TRUE(headersAfter.ends_with("Accept-Language: zh-cn\r\n"));

  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].requestLine, "post /f HTTP/1.1");
  EXPECT_EQ(requests[0].body, "a=1&b=2");
  EXPECT_EQ(requests[0].header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(requests[0].header("Content-Length"), "7");
  EXPECT_EQ(requests[0].headerCount("Content-Length"), 1);
  EXPECT_EQ(requests[0].headerCount("Expect"), 0);
  EXPECT_EQ(requests[1].requestLine, "POST /e HTTP/1.1");
  EXPECT_EQ(requests[1].headerCount("Content-Type"), 0);
  EXPECT_EQ(requests[1].headerCount("Content-Length"), 0);
  EXPECT_EQ(requests[1].body, "");
}

TEST_F(WebRequest, DecodeModesCutAtTheFirstZeroByte) {
  using namespace std::string_literals;
  server.route("/utf8", fixedReply({.body = "\xE4\xB8\xAD\0tail"s}));
  server.route("/big5", fixedReply({.body = "\xA4\xA4\0tail"s}));
  EXPECT_EQ(fetch(server.url("/utf8")), "\xE4\xB8\xAD\0tail"s);
  EXPECT_EQ(fetch(server.url("/utf8"), {.decodeMode = 1}), "\xD6\xD0");
  EXPECT_EQ(fetch(server.url("/big5"), {.decodeMode = 2}), "\xD6\xD0");
  EXPECT_EQ(fetch(server.url("/big5"), {.decodeMode = 3}), "\xA4\xA4\0tail"s);
}

TEST_F(WebRequest, CookiesGoBackToTheSameHostAndPortOnly) {
  LoopbackServer other;
  server.route(
      "/login",
      fixedReply({.headerLines = {"Set-Cookie: sid=abc; path=/deep", "set-cookie: lang=zh"},
                  .body = "ok"}));
  fetch(server.url("/login"));
  EXPECT_EQ(session.cookies().cookieLine("http://" + server.hostPort()), "sid=abc; lang=zh");
  fetch(server.url("/elsewhere"));
  fetch(other.url("/x"));
  fetch("http://localhost:" + std::to_string(server.port()) + "/y");

  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].headerCount("Cookie"), 0);
  EXPECT_EQ(requests[1].headerLines.back(), "Cookie: sid=abc; lang=zh");
  EXPECT_EQ(requests[2].headerCount("Cookie"), 0);  // "localhost:port" is another host
  EXPECT_EQ(other.requests().at(0).headerCount("Cookie"), 0);
}

TEST_F(WebRequest, AHeaderBlockOver1023BytesStoresNoCookie) {
  auto replyOfHeadSize = [](std::size_t size) {
    Reply reply{.headerLines = {"Set-Cookie: big=1", "X-Pad: "}, .body = "b"};
    reply.headerLines[1] += std::string(size - test::replyHead(reply, 1).size(), 'p');
    EXPECT_EQ(test::replyHead(reply, 1).size(), size);
    return reply;
  };
  server.route("/1023", fixedReply(replyOfHeadSize(1023)));
  server.route("/1024", fixedReply(replyOfHeadSize(1024)));
  std::string key = "http://" + server.hostPort();
  EXPECT_EQ(fetch(server.url("/1024")), "b");
  EXPECT_EQ(session.cookies().cookieLine(key), "");
  EXPECT_EQ(fetch(server.url("/1023")), "b");
  EXPECT_EQ(session.cookies().cookieLine(key), "big=1");
}

TEST_F(WebRequest, FailuresGiveTheEmptyResult) {
  int closedPort;
  {
    LoopbackServer gone;
    closedPort = gone.port();
  }
  EXPECT_EQ(fetch("http://127.0.0.1:" + std::to_string(closedPort) + "/"), "");
  EXPECT_TRUE(headersAfter.starts_with("Accept: "));
  EXPECT_EQ(fetch("http://no-such-host.invalid/page"), "");
  EXPECT_EQ(fetch("http://127.0.0.1:99999/"), "");
}

TEST_F(WebRequest, ErrorStatusesAndCutBodiesReturnWhatCame) {
  server.route("/missing", fixedReply({.status = 404, .body = "no such page"}));
  server.route("/cut", fixedReply({.body = "0123456789", .closeAfter = 4}));
  server.route("/unsized",
               fixedReply({.status = 500, .body = "to the end", .contentLength = false}));
  EXPECT_EQ(fetch(server.url("/missing")), "no such page");
  EXPECT_EQ(fetch(server.url("/cut")), "0123");
  EXPECT_EQ(fetch(server.url("/unsized")), "to the end");
}

TEST_F(WebRequest, EncodesOnlyBytesThatCannotStandOnTheRequestLine) {
  server.fallback(fixedReply({.body = ""}));
  fetch(server.url("/a b/\xD6\xD0?q=%41\"<>|{}\\^`\x01\x7F#frag"));
  EXPECT_EQ(only().requestLine, "GET /a%20b/%D6%D0?q=%41\"<>|{}\\^`%01%7F#frag HTTP/1.1");
}

TEST_F(WebRequest, FollowsRedirectsAtMostTenTimes) {
  LoopbackServer other;
  server.route("/start",
               fixedReply({.status = 302,
                           .headerLines = {"Location: " + other.url("/end"), "Set-Cookie: hop=1"},
                           .body = "moving"}));
  other.route("/end", fixedReply({.headerLines = {"Set-Cookie: end=2"}, .body = "arrived"}));
  EXPECT_EQ(fetch(server.url("/start")), "arrived");
  EXPECT_EQ(other.requests().at(0).requestLine, "GET /end HTTP/1.1");
  EXPECT_EQ(session.cookies().cookieLine("http://" + server.hostPort()), "hop=1");
  EXPECT_EQ(session.cookies().cookieLine("http://" + other.hostPort()), "end=2");

  server.route("/loop", test::redirectTo("/loop"));
  server.clearRequests();
  EXPECT_EQ(fetch(server.url("/loop")), "moved to /loop");
  EXPECT_EQ(server.requestCount(), 11u);  // the first request and ten redirects

  // A POST redirected by 302 goes on as a GET without its content lines.
  server.route("/form", test::redirectTo("/done", 302));
  server.route("/done", fixedReply({.body = "thanks"}));
  server.clearRequests();
  EXPECT_EQ(fetch(server.url("/form"), {.method = "POST", .postData = "k=v"}), "thanks");
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].requestLine, "GET /done HTTP/1.1");
  EXPECT_EQ(requests[1].headerCount("Content-Length"), 0);
  EXPECT_EQ(requests[1].headerCount("Content-Type"), 0);
}

TEST_F(WebRequest, HttpsIsFetchedOverVerifiedTls) {
  test::TempDir dir;
  test::TestCertificates certificates = test::makeTestCertificates(dir.path());
  LoopbackServer secure(certificates.identity());
  secure.route("/s", fixedReply({.headerLines = {"Set-Cookie: t=1"}, .body = "sealed"}));

  EXPECT_EQ(fetch(secure.url("/s")), "");  // the system does not trust the test's CA
  session.setSettings({.caFile = certificates.caFile.string()});
  EXPECT_EQ(fetch(secure.url("/s")), "sealed");
  EXPECT_EQ(secure.requests().back().requestLine, "GET /s HTTP/1.1");
  EXPECT_EQ(session.cookies().cookieLine("http://" + secure.hostPort()), "t=1");
  // Plain HTTP to a TLS port gets nothing useful back.
  EXPECT_EQ(fetch("http://" + secure.hostPort() + "/s"), "");
}

TEST_F(WebRequest, ProxyCarriesEveryHost) {
  server.fallback(fixedReply({.body = "from proxy"}));
  std::string proxy = " " + server.hostPort();
  EXPECT_EQ(fetch("http://Far.invalid:81/p?q", {.proxy = proxy}), "from proxy");
  LoopbackServer local;
  EXPECT_EQ(fetch(local.url("/l"), {.proxy = proxy}), "from proxy");
  EXPECT_EQ(local.requestCount(), 0u);
  // An https address goes through a tunnel to port 443 when it names none.
  EXPECT_EQ(fetch("https://secure.invalid/x", {.proxy = proxy}), "");

  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].requestLine, "GET http://far.invalid:81/p?q HTTP/1.1");
  EXPECT_EQ(requests[1].target, local.url("/l"));
  EXPECT_EQ(requests[2].requestLine, "CONNECT secure.invalid:443 HTTP/1.1");

  // Blanks and GBK full-width spaces alone name no proxy.
  server.clearRequests();
  EXPECT_EQ(fetch(local.url("/direct"), {.proxy = " \xA1\xA1 "}), "not found");
  EXPECT_EQ(server.requestCount(), 0u);
  EXPECT_EQ(local.requestCount(), 1u);
}

TEST_F(WebRequest, DirectRequestsIgnoreProxiesOfTheEnvironment) {
  server.fallback(fixedReply({.body = "direct"}));
  setenv("http_proxy", "http://127.0.0.1:9", 1);
  std::string result = fetch(server.url("/"));
  unsetenv("http_proxy");
  EXPECT_EQ(result, "direct");
}

TEST_F(WebRequest, AServerThatNeverAnswersIsGivenUpOn) {
  server.fallback(test::neverAnswer());
  session.setSettings({.idleTimeout = 1s});
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(fetch(server.url("/silent")), "");
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  EXPECT_EQ(server.requestCount(), 1u);
}

}  // namespace
}  // namespace vumbrel
