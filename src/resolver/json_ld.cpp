// SPDX-License-Identifier: MIT
#include "resolver/json_ld.h"

#include <cstdint>

#include "resolver/text_util.h"

namespace vumbrel::resolver {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads four hex digits at json[at]; -1 when they are not there.
long readHex4(std::string_view json, size_t at) {
  if (json.size() < at + 4) return -1;
  long value = 0;
  for (size_t i = 0; i < 4; ++i) {
    int d = hexValue(json[at + i]);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

// Reads the string whose opening quote is at json[pos]; leaves pos behind its
// closing quote (or at the end of an unterminated string).
std::string readString(std::string_view json, size_t& pos) {
  std::string out;
  ++pos;
  while (pos < json.size()) {
    char c = json[pos++];
    if (c == '"') return out;
    if (c != '\\' || pos >= json.size()) {
      out += c;
      continue;
    }
    char e = json[pos++];
    switch (e) {
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'u': {
        long unit = readHex4(json, pos);
        if (unit < 0) {
          out += "\\u";
          break;
        }
        pos += 4;
        std::uint32_t cp = static_cast<std::uint32_t>(unit);
        if (cp >= 0xD800 && cp <= 0xDBFF && pos + 1 < json.size() && json[pos] == '\\' &&
            json[pos + 1] == 'u') {
          long low = readHex4(json, pos + 2);
          if (low >= 0xDC00 && low <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<std::uint32_t>(low) - 0xDC00);
            pos += 6;
          }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
        appendUtf8(out, cp);
        break;
      }
      default:
        out += e;
        break;  // \" \\ \/ and unknown escapes stand for themselves
    }
  }
  return out;
}

void skipSpace(std::string_view json, size_t& pos) {
  while (pos < json.size() &&
         (json[pos] == ' ' || json[pos] == '\t' || json[pos] == '\n' || json[pos] == '\r')) {
    ++pos;
  }
}

}  // namespace

std::vector<std::string> jsonContentUrls(std::string_view json) {
  std::vector<std::string> urls;
  size_t pos = 0;
  while (pos < json.size()) {
    if (json[pos] != '"') {
      ++pos;
      continue;
    }
    std::string key = readString(json, pos);
    if (key != "contentUrl") continue;
    size_t at = pos;
    skipSpace(json, at);
    if (at >= json.size() || json[at] != ':') continue;  // a value, not a member name
    ++at;
    skipSpace(json, at);
    if (at < json.size() && json[at] == '"') {
      urls.push_back(readString(json, at));
      pos = at;
    }
  }
  return urls;
}

}  // namespace vumbrel::resolver
