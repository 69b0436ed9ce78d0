// SPDX-License-Identifier: MIT
#include "resolve/url_parts.h"

#include <gtest/gtest.h>

#include <climits>

namespace vumbrel {
namespace {

struct TextCase {
  const char* address;
  const char* expected;
};

TEST(HostOfUrl, TakesTheHostPartOutOfAddresses) {
  const TextCase cases[] = {
      {"http://Www.Example.COM/Path", "www.example.com"},
      {"http://example.com:8080/a", "example.com:8080"},
      {"example.com/a/b", "example.com"},
      {"https://A.com", "a.com"},
      {"", ""},
      // A query right after the host runs on into the host part.
      {"http://a.com?x=1/b", "a.com?x=1"},
      // Scheme texts go wherever they stand, so the query loses them too.
      {"http://a.com?u=http://b.com/c", "a.com?u=b.com"},
      {"https://x.com/r?u=https://y.com", "x.com"},
      // Capital "HTTP://" is no scheme text; the host part ends at its "/".
      {"HTTP://A.com/x", "http:"},
      // One pass: the text a removal joins is not searched again.
      {"hthttp://tp://h/x", "http:"},
      // The trail byte of a GBK character keeps its capital letter.
      {"http://\xB0\x41Z.com/", "\xB0\x41z.com"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(hostOfUrl(c.address), c.expected) << c.address;
}

TEST(PathOfUrl, TakesThePathAndQueryAfterTheHost) {
  const TextCase cases[] = {
      {"http://a.com/p?q=1", "/p?q=1"},
      {"http://a.com", "/"},
      {"http://a.com?x=1", "/"},
      {"http://A.COM/X", "/X"},
      {"example.com/a/b", "/a/b"},
      {"http://x/a#frag b", "/a#frag b"},
      // The search starts at the first byte, so a host inside "http://"
      // is found there.
      {"http://h/a", "//h/a"},
      {"http://a.com:81/x/y", "/x/y"},
      // The host part is not in the address, so the first "/" of it counts.
      {"http://a.com?u=http://b.com/c", "//a.com?u=http://b.com/c"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(pathOfUrl(c.address), c.expected) << c.address;
}

TEST(PortOfUrl, ReadsThePortTheWayStrtodReadsANumber) {
  const struct {
    const char* address;
    int expected;
  } cases[] = {
      {"http://a.com/x", 80},
      {"http://a.com", 80},
      {"a.com", 80},
      {"a.com/x", 80},
      {"http://a.com:8080/x", 8080},
      {"HTTP://a.com:81", 81},
      {"a.com:82/x", 82},
      {"http://a.com:99/x:7", 99},
      {"http://a.com:abc/", 0},
      {"http://a.com:", 0},
      {"https://a.com/", 0},
      {"https://a.com:8443/", 0},
      {"http://user:pw@h/", 0},
      {"http://a.com: 83/", 83},
      {"http://a.com:+84/", 84},
      {"http://a.com:-5/", -5},
      {"http://a.com:12abc/", 12},
      {"http://a.com:8.9e1/", 89},
      {"http://a.com:1e3/", 1000},
      {"http://a.com:1e/", 1},
      {"http://a.com:.5/", 0},
      {"http://a.com:0x10/", 0},
      {"http://a.com:inf/", 0},
      {"http://a.com:99999999999/", INT_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(portOfUrl(c.address), c.expected) << c.address;
}

}  // namespace
}  // namespace vumbrel
