// SPDX-License-Identifier: MIT
#pragma once

// Talking to a ResolverService the way the app does: the address appended to
// the endpoint unescaped, the reply read with the app's two markers.

#include <string>
#include <vector>

#include "http_handlers.h"
#include "loopback_server.h"
#include "resolver/resolver_service.h"

namespace vumbrel::resolver::test {

// Options for tests: no yt-dlp, short time-outs.
inline ResolverOptions quietOptions() {
  ResolverOptions options;
  options.fetch.connectTimeout = std::chrono::milliseconds(2000);
  options.fetch.totalTimeout = std::chrono::milliseconds(5000);
  return options;
}

// GETs `target` from the service with the raw bytes given; returns the body
// ("" when the status is not 200).
inline std::string rawGet(const ResolverService& service, const std::string& target) {
  std::string reply = vumbrel::test::rawExchange(
      service.port(), "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n",
      std::chrono::seconds(30));
  if (reply.rfind("HTTP/1.1 200 ", 0) != 0) return {};
  size_t body = reply.find("\r\n\r\n");
  return body == std::string::npos ? std::string() : reply.substr(body + 4);
}

// The value behind "\"url\": \"" up to the next double quote, as the app reads it.
inline std::string urlValue(const std::string& reply) {
  const std::string left = "\"url\": \"";
  size_t at = reply.find(left);
  if (at == std::string::npos) return {};
  at += left.size();
  size_t end = reply.find('"', at);
  return end == std::string::npos ? std::string() : reply.substr(at, end - at);
}

// Every text between "[CDATA[" and "]]", as the app collects them.
inline std::vector<std::string> cdataItems(const std::string& reply) {
  std::vector<std::string> items;
  size_t at = 0;
  for (;;) {
    size_t left = reply.find("[CDATA[", at);
    if (left == std::string::npos) break;
    left += 7;
    size_t right = reply.find("]]", left);
    if (right == std::string::npos) break;
    items.push_back(reply.substr(left, right - left));
    at = right + 2;
  }
  return items;
}

inline std::vector<std::string> listFor(const ResolverService& service, const std::string& value) {
  return cdataItems(rawGet(service, "/api.php?url=" + value));
}

inline vumbrel::test::Handler htmlPage(std::string body) {
  return vumbrel::test::fixedReply(
      {.headerLines = {"Content-Type: text/html; charset=utf-8"}, .body = std::move(body)});
}

}  // namespace vumbrel::resolver::test
