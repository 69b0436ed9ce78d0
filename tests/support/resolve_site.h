// SPDX-License-Identifier: MIT
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "http_handlers.h"
#include "loopback_server.h"

namespace vumbrel::test {

// A video site and a resolver service on loopback, for tests that drive the
// one-click resolve. The site serves one page at "/video". The resolver's
// "/index.php" answers any address with {"url": "<token>"} and "/api.php"
// lists the stream addresses as CDATA items. `media` is a third server for
// the streams themselves. Every reply is UTF-8, as real sites send them.
class ResolveSite {
 public:
  ResolveSite();

  // The page's HTML (UTF-8).
  void setPage(const std::string& html);
  // A page with one <title> element per entry.
  void setTitles(const std::vector<std::string>& titles);
  void setStreams(const std::vector<std::string>& addresses);
  // The value the first resolver endpoint hands out.
  void setToken(const std::string& token);

  std::string pageUrl() const { return pages.url("/video"); }
  // "http://127.0.0.1:<port>", with no trailing slash.
  std::string resolverBase() const;

  LoopbackServer pages;
  LoopbackServer resolver;
  LoopbackServer media;

 private:
  mutable std::mutex mutex_;
  std::string page_;
  std::string token_ = "tok123";
  std::vector<std::string> streams_;
};

}  // namespace vumbrel::test
