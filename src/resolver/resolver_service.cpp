// SPDX-License-Identifier: MIT
#include "resolver/resolver_service.h"

#include "resolver/address.h"
#include "resolver/program_run.h"
#include "resolver/raw_target_server.h"
#include "resolver/replies.h"
#include "resolver/stream_extract.h"
#include "resolver/ytdlp_backend.h"

namespace vumbrel::resolver {
namespace {

// A value that names no http or https page; the client's next request will
// then carry an empty value and get an empty list.
constexpr int kBadAddress = 400;
// The page's server could not be reached.
constexpr int kUnreachable = 502;

bool isSuccess(long status) { return status >= 200 && status < 300; }

}  // namespace

ResolverOptions defaultResolverOptions() {
  ResolverOptions options;
  options.ytDlpPath = findOnPath("yt-dlp");
  return options;
}

ResolverService::ResolverService(ResolverOptions options) : options_(std::move(options)) {}

ResolverService::~ResolverService() { stop(); }

bool ResolverService::start() {
  if (server_) return false;
  auto server = std::make_unique<RawTargetServer>();
  server->Get("/index.php", [this](const httplib::Request& req, httplib::Response& res) {
    int code = 0;
    std::string address = resolvePage(queryAddress(req.target), code);
    res.set_content(pageReply(code, address), "application/json");
  });
  server->Get("/api.php", [this](const httplib::Request& req, httplib::Response& res) {
    res.set_content(listStreams(queryAddress(req.target)), "application/xml; charset=utf-8");
  });
  int port = options_.port == 0
                 ? server->bind_to_any_port("127.0.0.1")
                 : (server->bind_to_port("127.0.0.1", options_.port) ? options_.port : -1);
  if (port <= 0) return false;
  stopping_ = false;
  port_ = port;
  server_ = std::move(server);
  listenEnded_ = false;
  thread_ = std::thread([this, s = server_.get()] {
    s->listen_after_bind();
    listenEnded_ = true;
  });
  // httplib's stop() does nothing before the loop runs: wait for it, so that
  // an early stop() cannot be lost.
  while (!server_->is_running() && !listenEnded_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::string ResolverService::baseAddress() const {
  return server_ ? "http://127.0.0.1:" + std::to_string(port_) : std::string();
}

void ResolverService::stop() {
  if (!server_) return;
  stopping_ = true;
  server_->stop();
  if (thread_.joinable()) thread_.join();
  server_.reset();
  port_ = 0;
}

std::string ResolverService::resolvePage(const std::string& value, int& code) const {
  std::string address = normaliseAddress(value);
  if (address.empty()) {
    code = kBadAddress;
    return {};
  }
  FetchResult page = fetchPage(address, FetchBody::None, options_.fetch, &stopping_);
  if (!page.answered) {
    code = kUnreachable;
    return {};
  }
  code = static_cast<int>(page.status);
  std::string effective = normaliseAddress(page.effectiveAddress);
  return effective.empty() ? address : effective;
}

std::string ResolverService::listStreams(const std::string& value) const {
  std::string address = normaliseAddress(value);
  if (address.empty()) return streamListReply({}, "none");
  if (!options_.ytDlpPath.empty()) {
    auto found = askYtDlp(options_.ytDlpPath, address, options_.ytDlpTimeout, &stopping_);
    if (!found.empty()) return streamListReply(found, "yt-dlp");
  }
  FetchResult page = fetchPage(address, FetchBody::PageUnlessFile, options_.fetch, &stopping_);
  if (!page.answered || !isSuccess(page.status)) return streamListReply({}, "none");
  if (isFileType(page.contentType)) {
    // Binary data counts as a video when its name says so.
    bool video = isVideoType(page.contentType) || (page.contentType == "application/octet-stream" &&
                                                   hasVideoExtension(page.effectiveAddress));
    return video ? streamListReply({address}, "direct") : streamListReply({}, "none");
  }
  std::string pageAddress = normaliseAddress(page.effectiveAddress);
  if (pageAddress.empty()) pageAddress = address;
  return streamListReply(extractStreamAddresses(page.body, pageAddress), "page");
}

}  // namespace vumbrel::resolver
