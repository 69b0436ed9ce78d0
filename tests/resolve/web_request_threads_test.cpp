// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "http_handlers.h"
#include "loopback_server.h"
#include "resolve/web_request.h"

namespace vumbrel {
namespace {

TEST(WebRequestThreads, ConcurrentCallsShareOneCookieStore) {
  test::LoopbackServer server;
  server.fallback([](const test::RecordedRequest& request, test::Connection& connection) {
    // "/set/<name>" sets that cookie; every reply echoes the path.
    std::vector<std::string> lines;
    if (request.path.starts_with("/set/"))
      lines.push_back("Set-Cookie: " + request.path.substr(5) + "=1");
    test::sendReply(request, connection, {.headerLines = lines, .body = request.path});
  });
  WebSession session;
  std::atomic<int> right{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i) {
        std::string path = "/set/c" + std::to_string(t) + "_" + std::to_string(i);
        std::string address = server.url(path), headers;
        if (webRequest(session, address, "", "", headers, "", 0) == path) ++right;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(right, 20);
  std::string line = session.cookies().cookieLine("http://" + server.hostPort());
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 5; ++i)
      EXPECT_NE(line.find("c" + std::to_string(t) + "_" + std::to_string(i) + "=1"),
                std::string::npos);
}

}  // namespace
}  // namespace vumbrel
