// SPDX-License-Identifier: MIT
#include "resolve/header_text.h"

#include <algorithm>

namespace vumbrel {
namespace {

constexpr std::string_view kCookieMarker = "Set-Cookie: ";
constexpr std::size_t kRawHeaderBuffer = 1024;  // the terminating zero included

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool containsNoCase(std::string_view text, std::string_view part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(),
                     [](char a, char b) { return lowerAscii(a) == lowerAscii(b); }) != text.end();
}

void storeSetCookies(CookieStore& cookies, const std::string& key, const std::string& rawHeaders) {
  if (rawHeaders.size() + 1 > kRawHeaderBuffer || !containsNoCase(rawHeaders, kCookieMarker))
    return;
  std::string_view block = rawHeaders;
  while (!block.empty()) {
    std::size_t end = block.find('\n');
    std::string_view line = block.substr(0, end);
    block = end == std::string_view::npos ? "" : block.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!containsNoCase(line, kCookieMarker)) continue;
    // The first 12 bytes go wherever the marker stood.
    std::string_view rest = line.substr(kCookieMarker.size());
    std::size_t eq = rest.find('=');
    std::string name(eq == std::string_view::npos ? "" : rest.substr(0, eq));
    std::string data(eq == std::string_view::npos ? rest : rest.substr(eq + 1));
    cookies.set(key, name, data);
  }
}

}  // namespace vumbrel
