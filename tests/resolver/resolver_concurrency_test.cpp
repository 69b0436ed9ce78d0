// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "resolver/resolver_service.h"
#include "resolver_test_support.h"

namespace vumbrel::resolver {
namespace {

using namespace vumbrel::resolver::test;
using namespace std::chrono_literals;
using vumbrel::test::LoopbackServer;

// Each page request is held until all of them have arrived, so the lists can
// only come back if the resolver works on them at the same time.
TEST(ResolverConcurrency, ServesRequestsAtTheSameTime) {
  constexpr int kClients = 4;
  std::mutex mutex;
  std::condition_variable arrived;
  int waiting = 0;
  int sawAll = 0;
  LoopbackServer site;
  site.route("/page", [&](const vumbrel::test::RecordedRequest& request,
                          vumbrel::test::Connection& connection) {
    {
      std::unique_lock lock(mutex);
      ++waiting;
      arrived.notify_all();
      if (arrived.wait_for(lock, 10s, [&] { return waiting >= kClients; })) ++sawAll;
    }
    vumbrel::test::sendReply(request, connection,
                             {.headerLines = {"Content-Type: text/html"},
                              .body = "<video src=\"/" + request.target.substr(8) + ".mp4\">"});
  });

  ResolverService service(quietOptions());
  ASSERT_TRUE(service.start());
  std::vector<std::vector<std::string>> lists(kClients);
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back(
        [&, i] { lists[i] = listFor(service, site.url("/page?n=" + std::to_string(i))); });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(sawAll, kClients);
  for (int i = 0; i < kClients; ++i) {
    EXPECT_EQ(lists[i], std::vector<std::string>{site.url("/" + std::to_string(i) + ".mp4")});
  }
}

TEST(ResolverConcurrency, StopCutsShortAFetchInFlight) {
  LoopbackServer site;
  site.route("/stalls", vumbrel::test::neverAnswer());
  ResolverOptions options = quietOptions();
  options.fetch.totalTimeout = 10min;
  ResolverService service(options);
  ASSERT_TRUE(service.start());
  std::string reply = "unset";
  std::thread client([&] { reply = rawGet(service, "/api.php?url=" + site.url("/stalls")); });
  ASSERT_TRUE(site.waitForRequests(1));
  service.stop();
  client.join();
  EXPECT_TRUE(cdataItems(reply).empty());
  EXPECT_EQ(service.baseAddress(), "");
}

}  // namespace
}  // namespace vumbrel::resolver
