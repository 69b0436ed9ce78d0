// SPDX-License-Identifier: MIT
#include "loopback_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "digest.h"
#include "http_handlers.h"
#include "temp_dir.h"
#include "test_tls.h"

namespace vumbrel::test {
namespace {

using namespace std::chrono_literals;

std::string pattern(std::uint64_t offset, std::size_t length) {
  std::string bytes(length, '\0');
  patternSource(offset, bytes.data(), length);
  return bytes;
}

TEST(LoopbackServer, RecordsTheRequestAsItCameAndRepliesByteForByte) {
  LoopbackServer server;
  server.route("/a%20b", fixedReply({.headerLines = {"Set-Cookie: a=1; path=/", "Set-Cookie: b=2"},
                                     .body = "hi"}));
  std::string reply = rawExchange(server.port(),
                                  "get /a%20b?x=\xB0\xA1 HTTP/1.1\r\n"
                                  "zeta: 1\r\nAccept: */*\r\nHost: h\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(reply,
            "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
            "Content-Length: 2\r\n\r\nhi");
  std::string other = rawExchange(server.port(), "GET /a HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_TRUE(other.starts_with("HTTP/1.1 404 Not Found\r\n")) << other;

  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].requestLine, "get /a%20b?x=\xB0\xA1 HTTP/1.1");
  EXPECT_EQ(requests[0].method, "get");
  EXPECT_EQ(requests[0].target, "/a%20b?x=\xB0\xA1");
  EXPECT_EQ(requests[0].path, "/a%20b");
  EXPECT_EQ(requests[0].version, "HTTP/1.1");
  EXPECT_EQ(requests[0].headerLines,
            (std::vector<std::string>{"zeta: 1", "Accept: */*", "Host: h", "Connection: close"}));
  EXPECT_NE(requests[0].connection, requests[1].connection);
}

TEST(LoopbackServer, KeepsHeaderOrderAndReadsBodiesOfBothFramings) {
  LoopbackServer server;
  std::string reply = rawExchange(server.port(),
                                  "POST /p HTTP/1.1\r\nB: 2\r\nA: 1\r\nContent-Length: 3\r\n\r\nxyz"
                                  "POST /q?z HTTP/1.1\r\nTransfer-Encoding: chunked\r\n"
                                  "Connection: close\r\n\r\n2\r\nab\r\n1\r\nc\r\n0\r\n\r\n");
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].headerLines,
            (std::vector<std::string>{"B: 2", "A: 1", "Content-Length: 3"}));
  EXPECT_EQ(requests[0].body, "xyz");
  EXPECT_EQ(requests[1].body, "abc");
  EXPECT_EQ(requests[1].path, "/q");
  EXPECT_EQ(requests[0].connection, requests[1].connection);
  EXPECT_EQ(requests[0].header("a"), "1");
  EXPECT_EQ(requests[0].headerCount("content-length"), 1);
}

TEST(LoopbackServer, AbsoluteTargetsOfProxyRequestsRouteByTheirPath) {
  LoopbackServer server;
  server.route("/files/*", fixedReply({.body = "prefix"}));
  server.route("/files/x", fixedReply({.body = "exact"}));
  httplib::Client client("127.0.0.1", server.port());
  EXPECT_EQ(client.Get("/files/x")->body, "exact");
  EXPECT_EQ(client.Get("/files/y/z")->body, "prefix");
  std::string reply =
      rawExchange(server.port(),
                  "GET http://example.invalid:81/files/q?1 HTTP/1.1\r\nConnection: close\r\n\r\n");
  EXPECT_TRUE(reply.ends_with("prefix"));
  EXPECT_EQ(server.requests().back().path, "/files/q");
}

TEST(LoopbackServer, ServesRangesOfAGeneratedBodyPastFourGiB) {
  LoopbackServer server;
  const std::uint64_t size = 5'000'000'000ull;
  server.route("/big", bodyHandler(size));
  server.route("/small", bodyHandler(100'000));
  httplib::Client client("127.0.0.1", server.port());

  auto whole = client.Get("/small");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->status, 200);
  EXPECT_EQ(sha256Hex(whole->body), sha256OfSource(100'000));
  EXPECT_EQ(whole->get_header_value("Accept-Ranges"), "bytes");

  auto far = client.Get("/big", {{"Range", "bytes=4999999990-"}});
  ASSERT_TRUE(far);
  EXPECT_EQ(far->status, 206);
  EXPECT_EQ(far->get_header_value("Content-Range"), "bytes 4999999990-4999999999/5000000000");
  EXPECT_EQ(far->body, pattern(4'999'999'990ull, 10));

  auto tail = client.Get("/small", {{"Range", "bytes=-5"}});
  EXPECT_EQ(tail->body, pattern(99'995, 5));
  auto beyond = client.Get("/small", {{"Range", "bytes=100000-"}});
  EXPECT_EQ(beyond->status, 416);
  EXPECT_EQ(beyond->get_header_value("Content-Range"), "bytes */100000");
}

TEST(LoopbackServer, ParsesOnlySingleByteRanges) {
  struct Case {
    const char* value;
    bool parsed, satisfiable;
    std::uint64_t first, last;
  } cases[] = {
      {"bytes=0-9", true, true, 0, 9},       {"bytes=5-", true, true, 5, 99},
      {"bytes=-10", true, true, 90, 99},     {"bytes=90-500", true, true, 90, 99},
      {"bytes=100-", true, false, 0, 0},     {"bytes=-0", true, false, 0, 0},
      {"bytes=0-1,5-6", false, false, 0, 0}, {"bytes=9-1", false, false, 0, 0},
      {"items=0-1", false, false, 0, 0},     {"bytes=x-1", false, false, 0, 0},
  };
  for (const Case& c : cases) {
    std::uint64_t first = 0, last = 0;
    bool satisfiable = false;
    bool parsed = parseSingleRange(c.value, 100, first, last, satisfiable);
    EXPECT_EQ(parsed, c.parsed) << c.value;
    if (!parsed) continue;
    EXPECT_EQ(satisfiable, c.satisfiable) << c.value;
    if (c.satisfiable) {
      EXPECT_EQ(std::make_pair(first, last), std::make_pair(c.first, c.last));
    }
  }
}

TEST(LoopbackServer, DropsTheConnectionAtAnExactBodyOffset) {
  LoopbackServer server;
  server.route("/cut", fixedReply({.body = "0123456789", .closeAfter = 4}));
  server.route("/drop", bodyHandler(1000, patternSource, {.closeAtOffset = 700}));
  std::string cut = rawExchange(server.port(), "GET /cut HTTP/1.1\r\n\r\n");
  EXPECT_TRUE(cut.ends_with("Content-Length: 10\r\n\r\n0123")) << cut;

  std::string drop = rawExchange(server.port(), "GET /drop HTTP/1.1\r\nRange: bytes=600-\r\n\r\n");
  std::size_t body = drop.find("\r\n\r\n") + 4;
  EXPECT_NE(drop.find("Content-Range: bytes 600-999/1000"), std::string::npos);
  EXPECT_EQ(drop.substr(body), pattern(600, 100));
}

TEST(LoopbackServer, RedirectsAndDelays) {
  LoopbackServer server;
  server.route("/from", redirectTo("/to", 301));
  server.route("/to", fixedReply({.body = "arrived", .delay = 100ms}));
  httplib::Client client("127.0.0.1", server.port());
  client.set_follow_location(true);
  // Without keep-alive, httplib may send the redirected request on the old
  // connection before noticing that the server closed it.
  client.set_keep_alive(true);
  auto started = std::chrono::steady_clock::now();
  auto reply = client.Get("/from");
  ASSERT_TRUE(reply) << httplib::to_string(reply.error());
  EXPECT_EQ(reply->body, "arrived");
  EXPECT_GE(std::chrono::steady_clock::now() - started, 100ms);
  EXPECT_EQ(server.requestCount(), 2u);
}

TEST(LoopbackServer, SpeaksTlsWithACertificateTheTestMade) {
  TempDir dir;
  TestCertificates certificates = makeTestCertificates(dir.path());
  LoopbackServer server(certificates.identity());
  server.route("/secure", fixedReply({.body = "sealed"}));
  EXPECT_TRUE(server.url("/secure").starts_with("https://127.0.0.1:"));

  httplib::SSLClient trusting("127.0.0.1", server.port());
  trusting.set_ca_cert_path(certificates.caFile.c_str());
  trusting.enable_server_certificate_verification(true);
  auto reply = trusting.Get("/secure");
  ASSERT_TRUE(reply) << httplib::to_string(reply.error());
  EXPECT_EQ(reply->body, "sealed");

  httplib::SSLClient stranger("localhost", server.port());
  stranger.set_ca_cert_path(certificates.certFile.c_str());  // not the CA
  stranger.enable_server_certificate_verification(true);
  EXPECT_FALSE(stranger.Get("/secure"));
  EXPECT_EQ(server.requestCount(), 1u);
}

TEST(LoopbackServer, NeverAnsweringServerStillStopsPromptly) {
  auto started = std::chrono::steady_clock::now();
  std::thread client;
  {
    LoopbackServer server;
    server.fallback(neverAnswer());
    EXPECT_EQ(rawExchange(server.port(), "GET / HTTP/1.1\r\n\r\n", 150ms), "");
    client = std::thread([&] { rawExchange(server.port(), "GET /held HTTP/1.1\r\n\r\n", 20s); });
    ASSERT_TRUE(server.waitForRequests(2));
  }  // the held connection is cut here
  client.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

TEST(LoopbackServer, ServesManyClientsAtOnce) {
  LoopbackServer server;
  std::atomic<int> served{0};
  server.fallback([&](const RecordedRequest& request, Connection& connection) {
    ++served;
    sendReply(request, connection, {.body = request.path});
  });
  std::vector<std::thread> clients;
  std::atomic<int> right{0};
  for (int i = 0; i < 8; ++i) {
    clients.emplace_back([&, i] {
      httplib::Client client("127.0.0.1", server.port());
      for (int j = 0; j < 5; ++j) {
        std::string path = "/" + std::to_string(i) + "/" + std::to_string(j);
        auto reply = client.Get(path.c_str());
        if (reply && reply->body == path) ++right;
      }
    });
  }
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(right, 40);
  EXPECT_EQ(served, 40);
  EXPECT_EQ(server.requestCount(), 40u);
}

}  // namespace
}  // namespace vumbrel::test
