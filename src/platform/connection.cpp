// SPDX-License-Identifier: MIT
#include "platform/connection.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <mutex>

namespace vumbrel::engine {

using Clock = std::chrono::steady_clock;

struct Connection::Impl {
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  char errors[CURL_ERROR_SIZE] = {};
  bool ftp = false;

  // Per transfer.
  ResponseSink* sink = nullptr;
  std::optional<ContentRange> range;
  int64_t retryAfterMs = -1;
  bool headDelivered = false;
  bool sinkEnded = false;
  Clock::time_point lastActivity;
  bool anyByte = false;

  bool deliverHead() {
    headDelivered = true;
    ResponseHead head;
    char* scheme = nullptr;
    curl_easy_getinfo(easy, CURLINFO_SCHEME, &scheme);
    head.http = scheme && (strcasecmp(scheme, "http") == 0 || strcasecmp(scheme, "https") == 0);
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &head.status);
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK)
      head.contentLength = length;
    head.range = range;
    head.retryAfterMs = retryAfterMs;
    if (!sink->onHead(head)) sinkEnded = true;
    return !sinkEnded;
  }

  static size_t onHeader(char* data, size_t size, size_t count, void* self) {
    auto* impl = static_cast<Impl*>(self);
    const size_t length = size * count;
    std::string_view line(data, length);
    impl->lastActivity = Clock::now();
    impl->anyByte = true;
    if (line.size() >= 5 && strncasecmp(line.data(), "HTTP/", 5) == 0) {
      impl->range.reset();  // a new response (after a redirect or 100 Continue)
      impl->retryAfterMs = -1;
    } else if (line.size() > 14 && strncasecmp(line.data(), "content-range:", 14) == 0) {
      impl->range = parseContentRange(line.substr(14));
    } else if (line.size() > 12 && strncasecmp(line.data(), "retry-after:", 12) == 0) {
      impl->retryAfterMs =
          parseRetryAfter(line.substr(12), static_cast<int64_t>(std::time(nullptr)));
    }
    return length;
  }

  static size_t onWrite(char* data, size_t size, size_t count, void* self) {
    auto* impl = static_cast<Impl*>(self);
    const size_t length = size * count;
    impl->anyByte = true;
    if (!impl->headDelivered && !impl->deliverHead()) return 0;
    if (!impl->sink->onBody(data, length)) {
      impl->sinkEnded = true;
      return 0;
    }
    impl->lastActivity = Clock::now();
    return length;
  }
};

namespace {

bool worthRetrying(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_FTP_ACCEPT_TIMEOUT:
      return true;
    default:
      return false;
  }
}

}  // namespace

void ensureCurlReady() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string refererFor(const std::string& url) {
  ensureCurlReady();
  CURLU* parts = curl_url();
  std::string referer;
  char* scheme = nullptr;
  char* host = nullptr;
  char* port = nullptr;
  if (curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_HOST, &host, 0) == CURLUE_OK) {
    referer = std::string(scheme) + "://" + host;
    if (curl_url_get(parts, CURLUPART_PORT, &port, 0) == CURLUE_OK)
      referer += ":" + std::string(port);
    referer += "/";
  }
  curl_free(scheme);
  curl_free(host);
  curl_free(port);
  curl_url_cleanup(parts);
  return referer;
}

Connection::Connection(const ConnectionSettings& settings) : impl_(new Impl), settings_(settings) {
  ensureCurlReady();
  CURL* easy = impl_->easy = curl_easy_init();
  impl_->multi = curl_multi_init();
  curl_easy_setopt(easy, CURLOPT_URL, settings.url.c_str());
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, impl_->errors);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,ftp,ftps");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp,ftps");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(std::max<int64_t>(1, settings.connectTimeout.count())));
  curl_easy_setopt(easy, CURLOPT_USERAGENT, settings.userAgent.c_str());
  if (!settings.referer.empty()) curl_easy_setopt(easy, CURLOPT_REFERER, settings.referer.c_str());
  // An empty proxy also keeps libcurl from reading proxies from the environment.
  const std::string proxy = settings.proxy.empty() ? "" : "http://" + settings.proxy;
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
  curl_easy_setopt(easy, CURLOPT_PROXYPORT, 80L);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE,
                   std::clamp<long>(settings.receiveBufferSize, 1024L, CURL_MAX_READ_SIZE));
  if (!settings.caFile.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, settings.caFile.c_str());
  impl_->ftp = strncasecmp(settings.url.c_str(), "ftp", 3) == 0;
  if (impl_->ftp) {
    curl_easy_setopt(easy, CURLOPT_USERNAME, settings.ftpUser.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, settings.ftpPassword.c_str());
  }
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Impl::onHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, impl_);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::onWrite);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, impl_);
}

Connection::~Connection() {
  curl_multi_cleanup(impl_->multi);
  curl_easy_cleanup(impl_->easy);
  delete impl_;
}

TransferResult Connection::get(int64_t from, int64_t to, ResponseSink& sink,
                               const std::atomic<bool>& stop) {
  Impl& s = *impl_;
  s.sink = &sink;
  s.range.reset();
  s.retryAfterMs = -1;
  s.headDelivered = s.sinkEnded = s.anyByte = false;
  s.errors[0] = '\0';
  std::string range;
  if (s.ftp) {
    curl_easy_setopt(s.easy, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(from));
  } else {
    range = std::to_string(from) + "-" + (to >= 0 ? std::to_string(to) : "");
    curl_easy_setopt(s.easy, CURLOPT_RANGE, range.c_str());
  }

  TransferResult result;
  curl_multi_add_handle(s.multi, s.easy);
  s.lastActivity = Clock::now();
  bool stalled = false, stopped = false;
  CURLcode code = CURLE_OK;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(s.multi, &running) != CURLM_OK) {
      code = CURLE_OUT_OF_MEMORY;
      break;
    }
    if (!running) {
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(s.multi, &left))
        if (message->msg == CURLMSG_DONE) code = message->data.result;
      break;
    }
    if (stop.load(std::memory_order_relaxed)) {
      stopped = true;
      break;
    }
    // Before the first byte the request has to go out and the answer begin.
    const auto allowed =
        s.anyByte ? settings_.receiveTimeout
                  : settings_.connectTimeout + settings_.sendTimeout + settings_.receiveTimeout;
    if (Clock::now() - s.lastActivity > allowed) {
      stalled = true;
      break;
    }
    curl_multi_poll(s.multi, nullptr, 0, 20, nullptr);
  }
  curl_multi_remove_handle(s.multi, s.easy);

  if (stopped || stop.load(std::memory_order_relaxed)) {
    result.kind = TransferResult::Stopped;
  } else if (s.sinkEnded) {
    result.kind = TransferResult::Ended;
  } else if (stalled) {
    result.kind = TransferResult::Stalled;
    result.error = "no data for " + std::to_string(settings_.receiveTimeout.count()) + " ms";
  } else if (code == CURLE_OK) {
    result.kind =
        (!s.headDelivered && !s.deliverHead()) ? TransferResult::Ended : TransferResult::Finished;
  } else {
    result.kind = worthRetrying(code) ? TransferResult::Broken : TransferResult::Fatal;
    result.error = s.errors[0] ? s.errors : curl_easy_strerror(code);
  }
  s.sink = nullptr;
  return result;
}

}  // namespace vumbrel::engine
