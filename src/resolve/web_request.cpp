// SPDX-License-Identifier: MIT
#include "resolve/web_request.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "resolve/code_pages.h"
#include "resolve/header_text.h"
#include "resolve/url_parts.h"

namespace vumbrel {
namespace {

constexpr std::string_view kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr std::string_view kAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
    "application/x-shockwave-flash, application/vnd.ms-excel, application/vnd.ms-powerpoint, "
    "application/msword, */*\r\n";
constexpr std::string_view kLanguageLine = "Accept-Language: zh-cn\r\n";
constexpr int kMaxRedirects = 10;

std::string upperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// Whether the proxy text has more than half-width and GBK full-width blanks.
bool namesProxy(std::string_view proxy) {
  for (std::size_t i = 0; i < proxy.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(proxy[i]);
    if (c == ' ') continue;
    if (c >= 0x80 && i + 1 < proxy.size()) {
      if (c == 0xA1 && static_cast<unsigned char>(proxy[i + 1]) == 0xA1) {
        ++i;
        continue;
      }
    }
    return true;
  }
  return false;
}

std::string trimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

// Blanks, control bytes and bytes of 0x80 and more cannot stand on a request
// line; everything else goes out unchanged, "%" included.
std::string encodeTarget(std::string_view path) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : path) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c <= 0x20 || c >= 0x7F) {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

// The header lines of a block; a line ends at each line feed, a carriage
// return before it is dropped, empty lines are left out.
std::vector<std::string> splitLines(std::string_view block) {
  std::vector<std::string> lines;
  while (!block.empty()) {
    std::size_t end = block.find('\n');
    std::string_view line = block.substr(0, end);
    block = end == std::string_view::npos ? "" : block.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.emplace_back(line);
  }
  return lines;
}

bool isContentLine(const std::string& line) {
  auto named = [&](std::string_view name) {
    return line.size() > name.size() && line[name.size()] == ':' &&
           containsNoCase(std::string_view(line).substr(0, name.size()), name);
  };
  return named("Content-Type") || named("Content-Length");
}

// Where a request for `address` connects, and what it asks for.
HttpRequest requestFor(const std::string& address, bool viaProxy) {
  std::string host = hostOfUrl(address);
  std::size_t colon = host.find(':');
  std::string server = host.substr(0, colon);
  bool secure = address.starts_with("https://");
  int port =
      secure ? (colon == std::string::npos ? 0 : portOfUrl("http://" + host)) : portOfUrl(address);
  if (port == 0) port = secure ? 443 : 80;

  std::string target = encodeTarget(pathOfUrl(address));
  HttpRequest request;
  // libcurl resolves relative redirects against this address; the request
  // line itself is `target`.
  std::string base = (secure ? "https://" : "http://") + server + ":" + std::to_string(port);
  std::string urlPath = target.substr(0, target.find('#'));
  request.url = base + (isParsableUrl(base + urlPath) ? urlPath : "/");
  request.target = viaProxy && !secure ? "http://" + host + target : target;
  request.userAgent = kUserAgent;
  return request;
}

bool isRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

std::string webRequest(WebSession& session, std::string& address, const std::string& method,
                       const std::string& proxy, std::string& headers, const std::string& postData,
                       int decodeMode) {
  if (!address.starts_with("http://") && !address.starts_with("https://"))
    address = "http://" + address;

  if (!containsNoCase(headers, "Accept: ")) headers += kAcceptLine;
  if (!containsNoCase(headers, "Referer: ")) headers += "Referer: " + address + "\r\n";
  if (!containsNoCase(headers, "Accept-Language: ")) headers += kLanguageLine;

  std::string verb = upperAscii(method);
  bool sendBody = false;
  if (verb == "POST") {
    if (!postData.empty()) {
      headers += "Content-Type: application/x-www-form-urlencoded\r\n";
      headers += "Content-Length: " + std::to_string(postData.size()) + "\r\n";
      sendBody = true;
    }
  } else if (!verb.empty() && verb != "GET") {
    return "";
  }

  bool viaProxy = namesProxy(proxy);
  HttpSettings settings = session.settings();
  std::vector<std::string> lines = splitLines(headers);
  std::string hopAddress = address;
  std::string hopMethod = method.empty() ? "GET" : method;
  HttpResponse response;
  for (int redirects = 0;; ++redirects) {
    HttpRequest request = requestFor(hopAddress, viaProxy);
    request.method = hopMethod;
    request.proxy = viaProxy ? trimBlanks(proxy) : "";
    request.headerLines = lines;
    std::string cookies = session.cookies().cookieLine("http://" + hostOfUrl(hopAddress));
    if (!cookies.empty()) request.headerLines.push_back("Cookie: " + cookies);
    request.sendBody = sendBody;
    if (sendBody) request.body = postData;

    response = performHttp(request, settings);
    // Each response's cookies belong to the host that sent them.
    storeSetCookies(session.cookies(), "http://" + hostOfUrl(hopAddress), response.rawHeaders);
    const std::string& next = response.redirectUrl;
    if (!isRedirect(response.status) || redirects == kMaxRedirects ||
        !(next.starts_with("http://") || next.starts_with("https://")))
      break;
    // As browsers do: 303 always, and 301 and 302 after a POST, go on as GET.
    if (response.status == 303 || (upperAscii(hopMethod) == "POST" && response.status <= 302)) {
      hopMethod = "GET";
      sendBody = false;
      std::erase_if(lines, isContentLine);
    }
    hopAddress = next;
  }

  std::string& body = response.body;
  if (decodeMode == 1 || decodeMode == 2) {
    std::string text = body.substr(0, body.find('\0'));
    return decodeMode == 1 ? utf8ToAnsi(text) : big5ToGbk(text);
  }
  return body;
}

std::string webRequest(std::string& address, const std::string& method, const std::string& proxy,
                       std::string& headers, const std::string& postData, int decodeMode) {
  return webRequest(processWebSession(), address, method, proxy, headers, postData, decodeMode);
}

std::string webRequest(std::string& address) {
  std::string headers;
  return webRequest(address, "", "", headers, "", 0);
}

}  // namespace vumbrel
