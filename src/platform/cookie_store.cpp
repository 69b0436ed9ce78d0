// SPDX-License-Identifier: MIT
#include "platform/cookie_store.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <string_view>

namespace vumbrel {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto low = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
           return low(x) == low(y);
         });
}

// The moment the attributes let the cookie die: Max-Age wins over Expires;
// 0 for a cookie that has neither (or only unreadable ones).
std::time_t expiryOf(std::string_view attributes, std::time_t now) {
  std::time_t expires = 0;
  bool maxAgeSeen = false;
  while (!attributes.empty()) {
    std::size_t end = attributes.find(';');
    std::string_view attribute = attributes.substr(0, end);
    attributes = end == std::string_view::npos ? "" : attributes.substr(end + 1);
    std::size_t eq = attribute.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = trim(attribute.substr(0, eq)), value = trim(attribute.substr(eq + 1));
    if (equalsNoCase(key, "max-age")) {
      long long seconds = 0;
      auto [ptr, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
      if (error != std::errc() || ptr != value.data() + value.size()) continue;
      maxAgeSeen = true;
      // A past moment (never 0, which means "no expiry") for Max-Age <= 0.
      expires = seconds <= 0 ? 1 : now + static_cast<std::time_t>(seconds);
    } else if (equalsNoCase(key, "expires") && !maxAgeSeen) {
      std::time_t when = curl_getdate(std::string(value).c_str(), nullptr);
      if (when != -1) expires = std::max<std::time_t>(when, 1);
    }
  }
  return expires;
}

}  // namespace

void CookieStore::set(const std::string& key, const std::string& name, const std::string& data,
                      std::time_t now) {
  std::string_view rest = data;
  std::size_t semicolon = rest.find(';');
  Cookie cookie{
      std::string(trim(name)), std::string(trim(rest.substr(0, semicolon))),
      semicolon == std::string_view::npos ? 0 : expiryOf(rest.substr(semicolon + 1), now)};
  bool expired = cookie.expires != 0 && cookie.expires <= now;

  std::lock_guard lock(mutex_);
  std::vector<Cookie>& jar = cookies_[key];
  auto same =
      std::find_if(jar.begin(), jar.end(), [&](const Cookie& c) { return c.name == cookie.name; });
  if (expired) {
    if (same != jar.end()) jar.erase(same);
  } else if (same != jar.end()) {
    *same = std::move(cookie);
  } else {
    jar.push_back(std::move(cookie));
  }
  if (jar.empty()) cookies_.erase(key);
}

std::string CookieStore::cookieLine(const std::string& key, std::time_t now) {
  std::lock_guard lock(mutex_);
  auto found = cookies_.find(key);
  if (found == cookies_.end()) return "";
  std::vector<Cookie>& jar = found->second;
  std::erase_if(jar, [&](const Cookie& c) { return c.expires != 0 && c.expires <= now; });
  std::string line;
  for (const Cookie& c : jar) {
    if (!line.empty()) line += "; ";
    line += c.name.empty() ? c.value : c.name + "=" + c.value;
  }
  if (jar.empty()) cookies_.erase(found);
  return line;
}

void CookieStore::clear() {
  std::lock_guard lock(mutex_);
  cookies_.clear();
}

}  // namespace vumbrel
