// SPDX-License-Identifier: MIT
#pragma once

#include <ctime>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace vumbrel {

// The cookies of a process, kept per address key ("http://" followed by a
// host part such as "example.com:8080"), and sent back to exactly that key:
// another port is another key. Safe to use from several threads.
class CookieStore {
 public:
  // Stores a cookie under `key`. `data` is the cookie's value followed by
  // its attributes ("v; path=/; expires=..."). A cookie of the same name is
  // replaced; one whose Max-Age or Expires lies in the past (now) is removed
  // instead of stored. Other attributes (path, domain, secure) are kept but
  // do not restrict where the cookie goes.
  void set(const std::string& key, const std::string& name, const std::string& data,
           std::time_t now = std::time(nullptr));

  // The Cookie header value for `key`: "name=value" pairs joined by "; ",
  // in the order first stored, without attributes; a nameless cookie gives
  // its value alone. Expired cookies are dropped. "" when there is none.
  std::string cookieLine(const std::string& key, std::time_t now = std::time(nullptr));

  // Forgets every cookie.
  void clear();

 private:
  struct Cookie {
    std::string name;
    std::string value;
    std::time_t expires = 0;  // 0: lives as long as the process
  };
  std::mutex mutex_;
  std::map<std::string, std::vector<Cookie>> cookies_;
};

}  // namespace vumbrel
