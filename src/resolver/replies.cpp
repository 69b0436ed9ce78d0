// SPDX-License-Identifier: MIT
#include "resolver/replies.h"

#include "resolver/text_util.h"

namespace vumbrel::resolver {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string percentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string queryAddress(std::string_view target) {
  size_t query = target.find('?');
  if (query == std::string_view::npos) return {};
  size_t at = target.find("url=", query + 1);
  if (at == std::string_view::npos) return {};
  std::string_view value = target.substr(at + 4);
  if (value.find("://") == std::string_view::npos &&
      (startsWithNoCase(value, "http%3a%2f%2f") || startsWithNoCase(value, "https%3a%2f%2f"))) {
    return percentDecode(value);
  }
  return std::string(value);
}

std::string pageReply(int code, std::string_view address) {
  std::string reply = "{\"code\": " + std::to_string(code) + ", \"url\": \"";
  reply.append(address);
  reply += "\"}\n";
  return reply;
}

std::string streamListReply(const std::vector<std::string>& addresses, std::string_view source) {
  std::string reply = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<streams source=\"";
  reply.append(source);
  reply += "\" count=\"" + std::to_string(addresses.size()) + "\">\n";
  for (const auto& address : addresses) {
    reply += "<item><![CDATA[";
    reply += address;
    reply += "]]></item>\n";
  }
  reply += "</streams>\n";
  return reply;
}

}  // namespace vumbrel::resolver
