// SPDX-License-Identifier: MIT
#include "resolve/url_parts.h"

#include <locale.h>

#include <cctype>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace vumbrel {
namespace {

// One left-to-right pass; text that a removal brings together is not
// searched again.
std::string removeAll(const std::string& text, std::string_view part) {
  std::string out;
  std::size_t from = 0, at;
  while ((at = text.find(part, from)) != std::string::npos) {
    out.append(text, from, at - from);
    from = at + part.size();
  }
  out.append(text, from);
  return out;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t findNoCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return std::string::npos;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < part.size() && lowerAscii(text[i + k]) == lowerAscii(part[k])) ++k;
    if (k == part.size()) return i;
  }
  return std::string::npos;
}

// The longest leading decimal number (blanks skipped; sign, point and
// exponent allowed), as strtod would read it without its hex, inf and nan
// forms. Values past the int range saturate.
int leadingNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::string_view(" \t\n\v\f\r").find(text[i]) != std::string_view::npos)
    ++i;
  std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t e = i + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    if (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e]))) {
      while (e < text.size() && std::isdigit(static_cast<unsigned char>(text[e]))) ++e;
      i = e;
    }
  }
  // Read in the "C" locale, whatever the process's locale says the decimal
  // point is.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
  double value = strtod_l(text.substr(start, i - start).c_str(), nullptr, cLocale);
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

std::string hostOfUrl(const std::string& address) {
  std::string host = removeAll(removeAll(address, "https://"), "http://");
  host = host.substr(0, host.find('/'));
  for (std::size_t i = 0; i < host.size(); ++i) {
    if (static_cast<unsigned char>(host[i]) >= 0x80) {
      ++i;  // the trail byte of a double-byte character stays as it is
    } else {
      host[i] = lowerAscii(host[i]);
    }
  }
  return host;
}

std::string pathOfUrl(const std::string& address) {
  std::size_t at = findNoCase(address, hostOfUrl(address));
  if (at == std::string::npos) at = 0;
  std::size_t slash = address.find('/', at);
  return slash == std::string::npos ? "/" : address.substr(slash);
}

int portOfUrl(const std::string& address) {
  std::string hostAndPort;
  if (findNoCase(std::string_view(address).substr(0, 7), "http://") == 0) {
    std::size_t slash = address.find('/', 7);
    hostAndPort = address.substr(7, slash == std::string::npos ? std::string::npos : slash - 7);
  } else {
    hostAndPort = address.substr(0, address.find('/'));
  }
  std::size_t colon = hostAndPort.find(':');
  return leadingNumber(colon == std::string::npos ? "80" : hostAndPort.substr(colon + 1));
}

}  // namespace vumbrel
