// SPDX-License-Identifier: MIT
#include "platform/cookie_store.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace vumbrel {
namespace {

const std::time_t kNow = 1'700'000'000;  // 2023-11-14 22:13:20 UTC

TEST(CookieStore, SendsNameAndValueBackToTheSameKeyOnly) {
  CookieStore store;
  store.set("http://h:81", "a", "1; path=/x; HttpOnly", kNow);
  store.set("http://h:81", "b", " 2 ", kNow);
  store.set("http://h:81", "", "bare", kNow);
  EXPECT_EQ(store.cookieLine("http://h:81", kNow), "a=1; b=2; bare");
  EXPECT_EQ(store.cookieLine("http://h", kNow), "");
  EXPECT_EQ(store.cookieLine("http://h:82", kNow), "");
  store.clear();
  EXPECT_EQ(store.cookieLine("http://h:81", kNow), "");
}

TEST(CookieStore, ReplacesByNameAndDropsExpiredCookies) {
  CookieStore store;
  store.set("http://h", "a", "1", kNow);
  store.set("http://h", "b", "2", kNow);
  store.set("http://h", "a", "3; Max-Age=60", kNow);
  EXPECT_EQ(store.cookieLine("http://h", kNow), "a=3; b=2");
  EXPECT_EQ(store.cookieLine("http://h", kNow + 61), "b=2");

  store.set("http://h", "c", "4; expires=Wed, 15 Nov 2023 00:00:00 GMT", kNow);
  EXPECT_EQ(store.cookieLine("http://h", kNow), "b=2; c=4");
  store.set("http://h", "b", "gone; expires=Thu, 01 Jan 1970 00:00:01 GMT", kNow);
  store.set("http://h", "c", "x; max-age=0", kNow);
  EXPECT_EQ(store.cookieLine("http://h", kNow), "");
  // Max-Age wins over Expires, in either order.
  store.set("http://h", "d", "5; max-age=10; expires=Thu, 01 Jan 1970 00:00:01 GMT", kNow);
  store.set("http://h", "e", "6; expires=Thu, 01 Jan 1970 00:00:01 GMT; max-age=10", kNow);
  EXPECT_EQ(store.cookieLine("http://h", kNow), "d=5; e=6");
  // An expired cookie of a new name is not stored at all.
  store.set("http://h", "f", "7; max-age=-1", kNow);
  EXPECT_EQ(store.cookieLine("http://h", kNow), "d=5; e=6");
}

}  // namespace
}  // namespace vumbrel
