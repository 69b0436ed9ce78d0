// SPDX-License-Identifier: MIT
#include "resolve_site.h"

namespace vumbrel::test {

ResolveSite::ResolveSite() {
  pages.route("/video", [this](const RecordedRequest& request, Connection& connection) {
    std::string body;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      body = page_;
    }
    sendReply(request, connection,
              {.headerLines = {"Content-Type: text/html; charset=utf-8"}, .body = body});
  });
  resolver.route("/index.php", [this](const RecordedRequest& request, Connection& connection) {
    std::string token;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      token = token_;
    }
    sendReply(request, connection,
              {.headerLines = {"Content-Type: application/json"},
               .body = "{\"code\": 200, \"url\": \"" + token + "\", \"title\": \"x\"}"});
  });
  resolver.route("/api.php", [this](const RecordedRequest& request, Connection& connection) {
    std::string body = "<?xml version=\"1.0\"?><video>";
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const std::string& s : streams_) body += "<durl><url><![CDATA[" + s + "]]></url></durl>";
    }
    body += "</video>";
    sendReply(request, connection, {.headerLines = {"Content-Type: text/xml"}, .body = body});
  });
}

void ResolveSite::setPage(const std::string& html) {
  std::lock_guard<std::mutex> lock(mutex_);
  page_ = html;
}

void ResolveSite::setTitles(const std::vector<std::string>& titles) {
  std::string html = "<html><head><meta charset=\"utf-8\"></head><body>\n";
  for (const std::string& t : titles) html += "<div><title>" + t + "</title></div>\n";
  setPage(html + "</body></html>");
}

void ResolveSite::setStreams(const std::vector<std::string>& addresses) {
  std::lock_guard<std::mutex> lock(mutex_);
  streams_ = addresses;
}

void ResolveSite::setToken(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  token_ = token;
}

std::string ResolveSite::resolverBase() const {
  std::string base = resolver.url("/");
  base.pop_back();
  return base;
}

}  // namespace vumbrel::test
