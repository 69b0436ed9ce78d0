// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/cookie_store.h"

namespace vumbrel {
namespace {

TEST(CookieStoreThreads, ManyWritersAndReadersAgree) {
  CookieStore store;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&store, t] {
      std::string key = "http://h" + std::to_string(t % 2);
      for (int i = 0; i < 200; ++i) {
        store.set(key, "n" + std::to_string(t), std::to_string(i));
        store.cookieLine(key);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const char* key : {"http://h0", "http://h1"}) {
    std::string line = store.cookieLine(key);
    std::string a = key[8] == '0' ? "n0=199" : "n1=199", b = key[8] == '0' ? "n2=199" : "n3=199";
    EXPECT_TRUE(line == a + "; " + b || line == b + "; " + a) << line;
  }
}

}  // namespace
}  // namespace vumbrel
