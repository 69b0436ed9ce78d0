// SPDX-License-Identifier: MIT
#include "resolver/address.h"

#include <curl/curl.h>

#include <memory>

#include "resolver/text_util.h"

namespace vumbrel::resolver {
namespace {

bool mustEncode(unsigned char c) {
  return c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' ||
         c == '`' || c == '{' || c == '|' || c == '}';
}

void appendEncoded(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

// Where the host part ends: the first '/', '?' or '#' behind "scheme://".
size_t authorityEnd(std::string_view address) {
  size_t start = address.find("://");
  if (start == std::string_view::npos) return 0;
  size_t end = address.find_first_of("/?#", start + 3);
  return end == std::string_view::npos ? address.size() : end;
}

// A reference as a browser reads it: outer blanks trimmed, tabs and line
// breaks inside removed, and the bytes that the URL parser refuses encoded.
std::string cleanReference(std::string_view reference) {
  size_t b = 0;
  size_t e = reference.size();
  while (b < e && static_cast<unsigned char>(reference[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(reference[e - 1]) <= 0x20) --e;
  std::string out;
  for (char c : reference.substr(b, e - b)) {
    if (c == '\t' || c == '\n' || c == '\r') continue;
    if (mustEncode(static_cast<unsigned char>(c)))
      appendEncoded(out, static_cast<unsigned char>(c));
    else
      out += c;
  }
  return out;
}

struct UrlDeleter {
  void operator()(CURLU* h) const { curl_url_cleanup(h); }
};

}  // namespace

bool isHttpAddress(std::string_view address) {
  return startsWithNoCase(address, "http://") || startsWithNoCase(address, "https://");
}

std::string resolveAddress(std::string_view base, std::string_view reference) {
  std::string ref = cleanReference(reference);
  if (ref.empty()) return {};
  std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
  if (!url) return {};
  std::string baseText(base);
  if (!baseText.empty() && isHttpAddress(baseText)) {
    if (curl_url_set(url.get(), CURLUPART_URL, baseText.c_str(), 0) != CURLUE_OK) return {};
  } else if (!isHttpAddress(ref)) {
    return {};
  }
  if (curl_url_set(url.get(), CURLUPART_URL, ref.c_str(), 0) != CURLUE_OK) return {};
  curl_url_set(url.get(), CURLUPART_FRAGMENT, nullptr, 0);
  char* scheme = nullptr;
  if (curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) return {};
  std::string schemeText = scheme;
  curl_free(scheme);
  if (schemeText != "http" && schemeText != "https") return {};
  // Host names compare without letter case; one spelling keeps lists free of twins.
  char* host = nullptr;
  if (curl_url_get(url.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK) {
    std::string lowered = host;
    curl_free(host);
    for (char& ch : lowered) ch = lower(ch);
    curl_url_set(url.get(), CURLUPART_HOST, lowered.c_str(), 0);
  }
  char* full = nullptr;
  if (curl_url_get(url.get(), CURLUPART_URL, &full, 0) != CURLUE_OK) return {};
  std::string result = toReplyForm(full);
  curl_free(full);
  return result;
}

std::string normaliseAddress(std::string_view address) {
  size_t b = 0;
  size_t e = address.size();
  while (b < e && static_cast<unsigned char>(address[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(address[e - 1]) <= 0x20) --e;
  std::string_view trimmed = address.substr(b, e - b);
  if (trimmed.empty()) return {};
  if (isHttpAddress(trimmed)) return resolveAddress({}, trimmed);
  if (trimmed.find("://") != std::string_view::npos) return {};  // another scheme
  return resolveAddress({}, "http://" + std::string(trimmed));
}

std::string toReplyForm(std::string_view address) {
  size_t hostEnd = authorityEnd(address);
  std::string out;
  out.reserve(address.size());
  for (size_t i = 0; i < address.size(); ++i) {
    auto c = static_cast<unsigned char>(address[i]);
    bool bracket = (c == '[' || c == ']') && i >= hostEnd;
    if (mustEncode(c) || bracket)
      appendEncoded(out, c);
    else
      out += static_cast<char>(c);
  }
  return out;
}

bool pathEndsWith(std::string_view address, std::initializer_list<std::string_view> extensions) {
  size_t pathStart = authorityEnd(address);
  size_t pathEnd = address.find_first_of("?#", pathStart);
  std::string_view path = address.substr(
      pathStart, pathEnd == std::string_view::npos ? std::string_view::npos : pathEnd - pathStart);
  for (std::string_view ext : extensions) {
    if (path.size() < ext.size()) continue;
    if (startsWithNoCase(path.substr(path.size() - ext.size()), ext)) return true;
  }
  return false;
}

bool hasVideoExtension(std::string_view address) {
  return pathEndsWith(address, {".mp4", ".m4v", ".webm", ".mov", ".mkv", ".flv"});
}

bool hasPlaylistExtension(std::string_view address) {
  return pathEndsWith(address, {".m3u8", ".mpd"});
}

}  // namespace vumbrel::resolver
