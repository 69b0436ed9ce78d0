// SPDX-License-Identifier: MIT
#include "resolver/page_fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "resolver/address.h"

namespace vumbrel::resolver {
namespace {

constexpr const char* kUserAgent =
    "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 "
    "Safari/537.36";

struct Transfer {
  CURL* curl = nullptr;
  FetchBody mode = FetchBody::None;
  std::int64_t maxBytes = 0;
  const std::atomic<bool>* cancel = nullptr;
  std::string body;
  bool truncated = false;
  bool stoppedOnPurpose = false;
};

std::string mediaTypeOf(CURL* curl) {
  char* type = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) != CURLE_OK || !type) return {};
  std::string text(type);
  text = text.substr(0, text.find(';'));
  text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }),
             text.end());
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
    return static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
  });
  return text;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  size_t n = size * count;
  // The first body bytes of the final response: its headers are all in.
  if (t->mode == FetchBody::None || isFileType(mediaTypeOf(t->curl))) {
    t->stoppedOnPurpose = true;
    return 0;
  }
  auto room = static_cast<size_t>(t->maxBytes - static_cast<std::int64_t>(t->body.size()));
  if (n > room) {
    t->body.append(data, room);
    t->truncated = true;
    t->stoppedOnPurpose = true;
    return 0;
  }
  t->body.append(data, n);
  return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  return (t->cancel && t->cancel->load()) ? 1 : 0;
}

struct EasyDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

}  // namespace

bool isPlaylistType(const std::string& contentType) {
  return contentType.find("mpegurl") != std::string::npos || contentType == "application/dash+xml";
}

bool isVideoType(const std::string& contentType) {
  return !isPlaylistType(contentType) &&
         (contentType.rfind("video/", 0) == 0 || contentType == "application/mp4" ||
          contentType == "application/x-matroska");
}

bool isFileType(const std::string& contentType) {
  return isVideoType(contentType) || isPlaylistType(contentType) ||
         contentType.rfind("audio/", 0) == 0 || contentType == "application/octet-stream";
}

FetchResult fetchPage(const std::string& address, FetchBody body, const FetchLimits& limits,
                      const std::atomic<bool>* cancel) {
  static std::once_flag curlInit;
  std::call_once(curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  FetchResult result;
  if (!isHttpAddress(address)) return result;
  std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) return result;
  Transfer t;
  t.curl = curl.get();
  t.mode = body;
  t.maxBytes = limits.maxBodyBytes;
  t.cancel = cancel;

  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, address.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, limits.maxRedirects);
  curl_easy_setopt(c, CURLOPT_AUTOREFERER, 1L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeout.count()));
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalTimeout.count()));
  curl_easy_setopt(c, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");  // every encoding libcurl can undo
  curl_easy_setopt(c, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  curl_easy_setopt(c, CURLOPT_COOKIEFILE, "");  // cookies across this page's redirects
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);

  CURLcode code = curl_easy_perform(c);
  bool ok = code == CURLE_OK || (code == CURLE_WRITE_ERROR && t.stoppedOnPurpose);
  if (!ok) return result;
  result.answered = true;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &result.status);
  char* effective = nullptr;
  if (curl_easy_getinfo(c, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
    result.effectiveAddress = effective;
  }
  result.contentType = mediaTypeOf(c);
  result.body = std::move(t.body);
  result.truncated = t.truncated;
  return result;
}

}  // namespace vumbrel::resolver
