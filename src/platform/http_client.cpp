// SPDX-License-Identifier: MIT
#include "platform/http_client.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <string_view>

namespace vumbrel {
namespace {

void initCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyFree {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Transfer {
  HttpResponse response;
  bool newResponse = false;  // the last header line was the empty one
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
  static_cast<Transfer*>(user)->response.body.append(data, size * count);
  return size * count;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  // A status line after a finished block starts the next response (after a
  // "100 Continue"); trailers after the body belong to the last one.
  if (transfer->newResponse && line.starts_with("HTTP/")) transfer->response.rawHeaders.clear();
  transfer->newResponse = line.empty();
  transfer->response.rawHeaders.append(line).append("\r\n");
  return size * count;
}

// Whether libcurl counts one of `lines` as the header `name`: the line
// starts with the name (any letter case) and then ":" or ";".
bool hasHeader(const std::vector<std::string>& lines, std::string_view name) {
  for (const std::string& line : lines) {
    if (line.size() <= name.size() || (line[name.size()] != ':' && line[name.size()] != ';'))
      continue;
    if (curl_strnequal(line.c_str(), name.data(), name.size())) return true;
  }
  return false;
}

}  // namespace

bool isParsableUrl(const std::string& url) {
  CURLU* parsed = curl_url();
  bool ok = parsed && curl_url_set(parsed, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
  curl_url_cleanup(parsed);
  return ok;
}

HttpResponse performHttp(const HttpRequest& request, const HttpSettings& settings) {
  initCurlOnce();
  Transfer transfer;
  std::unique_ptr<CURL, EasyFree> easy(curl_easy_init());
  if (!easy) return transfer.response;
  CURL* e = easy.get();

  // An empty name-only line keeps libcurl from writing its own version of
  // that header, so the wire shows the caller's lines and nothing in between.
  std::vector<std::string> lines = request.headerLines;
  if (!hasHeader(lines, "Accept")) lines.push_back("Accept:");
  if (!hasHeader(lines, "Expect")) lines.push_back("Expect:");
  if (request.sendBody && !hasHeader(lines, "Content-Type")) lines.push_back("Content-Type:");
  std::unique_ptr<curl_slist, ListFree> headers;
  for (const std::string& line : lines) {
    curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
    if (!grown) return transfer.response;
    headers.release();
    headers.reset(grown);
  }

  curl_easy_setopt(e, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(e, CURLOPT_REQUEST_TARGET, request.target.c_str());
  curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
  if (!request.userAgent.empty()) curl_easy_setopt(e, CURLOPT_USERAGENT, request.userAgent.c_str());
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
  if (request.sendBody) {
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
  } else if (request.method == "HEAD") {
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
  } else {
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
  }

  // "" keeps libcurl from taking a proxy out of http_proxy and friends; with
  // a proxy, an empty exception list sends local hosts through it as well.
  curl_easy_setopt(e, CURLOPT_PROXY, request.proxy.c_str());
  if (!request.proxy.empty()) {
    curl_easy_setopt(e, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
    curl_easy_setopt(e, CURLOPT_NOPROXY, "");
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  }

  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(settings.connectTimeout.count()));
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, static_cast<long>(settings.idleTimeout.count()));
  if (!settings.caFile.empty()) curl_easy_setopt(e, CURLOPT_CAINFO, settings.caFile.c_str());

  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, onHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &transfer);

  transfer.response.complete = curl_easy_perform(e) == CURLE_OK;
  curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &transfer.response.status);
  char* location = nullptr;
  if (curl_easy_getinfo(e, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location)
    transfer.response.redirectUrl = location;
  return transfer.response;
}

}  // namespace vumbrel
