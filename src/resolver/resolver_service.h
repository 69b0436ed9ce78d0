// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "resolver/page_fetch.h"

namespace vumbrel::resolver {

struct ResolverOptions {
  int port = 0;           // 0: a free port
  std::string ytDlpPath;  // "" leaves the yt-dlp backend out
  std::chrono::milliseconds ytDlpTimeout{60'000};
  FetchLimits fetch;
};

// The options for normal use: any free port, yt-dlp when it is on $PATH.
ResolverOptions defaultResolverOptions();

class RawTargetServer;

// The resolver web service on 127.0.0.1:
//   GET /index.php?url=<address>  -> {"code": <status>, "url": "<address after redirects>"}
//   GET /api.php?url=<address>    -> an XML list, one CDATA item per stream address
// Addresses come appended unescaped ("&" and "?" belong to them); addresses in
// replies are percent-encoded wherever a byte could break the markers.
// Requests are served concurrently, each on a thread of the server's pool.
class ResolverService {
 public:
  explicit ResolverService(ResolverOptions options = defaultResolverOptions());
  ~ResolverService();
  ResolverService(const ResolverService&) = delete;
  ResolverService& operator=(const ResolverService&) = delete;

  // Binds 127.0.0.1 and starts serving on a thread of its own. False when the
  // port cannot be bound or the service already runs.
  bool start();
  // "http://127.0.0.1:<port>" while it runs, "" otherwise.
  std::string baseAddress() const;
  int port() const { return port_; }
  // Ends the service: work in flight (page fetches, yt-dlp) is cut short, and
  // the call returns when every request has ended. Safe to call twice.
  void stop();

 private:
  std::string resolvePage(const std::string& value, int& code) const;
  std::string listStreams(const std::string& value) const;

  ResolverOptions options_;
  std::unique_ptr<RawTargetServer> server_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> listenEnded_{false};
  int port_ = 0;
};

}  // namespace vumbrel::resolver
