// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vumbrel {

// How requests connect and when they give up.
struct HttpSettings {
  std::chrono::milliseconds connectTimeout{60'000};  // TCP connect and TLS handshake
  std::chrono::seconds idleTimeout{30};              // abort when no byte arrives for this long
  std::string caFile{};  // trusted CAs (PEM); "" uses the system's store
};

// One request exactly as it goes on the wire, apart from the Host and
// User-Agent lines (and Content-Length for a body), which the client writes.
struct HttpRequest {
  std::string url{};        // "http://" or "https://", host, optional port, "/...": what to reach
  std::string method{};     // the request line's first word, sent as given
  std::string target{};     // the request line's second word, sent as given
  std::string userAgent{};  // "" sends no User-Agent line
  std::string proxy{};      // "host:port" of an HTTP proxy that every host goes through; "" direct
  std::vector<std::string> headerLines{};  // "Name: value", sent in order
  bool sendBody = false;                   // with a body, even an empty one
  std::string body{};
};

struct HttpResponse {
  bool complete = false;  // false when connecting, sending or reading failed
  long status = 0;        // 0 when no response arrived
  std::string body{};     // what arrived, also of an incomplete transfer
  // The status line and header lines of the last response (after any
  // 1xx interim ones), each ending with CR LF, then an empty line.
  std::string rawHeaders{};
  std::string redirectUrl{};  // absolute target of a 3xx Location; "" otherwise
};

// Whether libcurl can read `url` as an address to fetch.
bool isParsableUrl(const std::string& url);

// Performs `request` on its own libcurl handle. Follows no redirect, keeps
// no cookie, ignores proxy settings of the environment, verifies TLS peers
// and uses HTTP/1.1. Safe to call from several threads at once.
HttpResponse performHttp(const HttpRequest& request, const HttpSettings& settings);

}  // namespace vumbrel
