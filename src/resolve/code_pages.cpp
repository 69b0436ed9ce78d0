// SPDX-License-Identifier: MIT
#include "resolve/code_pages.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "platform/icu_text.h"

namespace vumbrel {
namespace {

std::string_view asText(const std::string& s) {
  return std::string_view(s).substr(0, s.find('\0'));
}

std::optional<Charset> charsetOf(int codePage) {
  switch (codePage) {
    case kCodePageUtf8:
      return Charset::Utf8;
    case kCodePageGbk:
      return Charset::Gbk;
    case kCodePageBig5:
      return Charset::Big5;
    default:
      return std::nullopt;
  }
}

std::string toBytes(std::u16string_view units) {
  std::string bytes(2 * units.size() + 2, '\0');
  char* out = bytes.data();
  for (char16_t u : units) {
    *out++ = static_cast<char>(u & 0xFF);
    *out++ = static_cast<char>(u >> 8);
  }
  return bytes;
}

std::u16string fromBytes(const std::string& bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = static_cast<char16_t>(in[2 * i] | (in[2 * i + 1] << 8));
    if (u == 0) {
      units.resize(i);
      break;
    }
    units[i] = u;
  }
  return units;
}

bool isOneCodePoint(std::u16string_view s) {
  if (s.size() == 1) return s[0] < 0xD800 || s[0] > 0xDFFF;
  return s.size() == 2 && s[0] >= 0xD800 && s[0] <= 0xDBFF && s[1] >= 0xDC00 && s[1] <= 0xDFFF;
}

}  // namespace

std::string decodeToUtf16(const std::string& text, int codePage) {
  const std::optional<Charset> charset = charsetOf(codePage);
  if (!charset) return {};
  return toBytes(decodeCharset(asText(text), *charset));
}

std::string encodeFromUtf16(const std::string& utf16, int codePage) {
  const std::optional<Charset> charset = charsetOf(codePage);
  if (!charset) return {};
  return encodeCharset(fromBytes(utf16), *charset, Unmappable::Question);
}

std::string utf8ToAnsi(const std::string& text) {
  return encodeFromUtf16(decodeToUtf16(text), kCodePageGbk);
}

std::string big5TextToGbk(const std::string& text) {
  return encodeCharset(decodeCharset(asText(text), Charset::Big5), Charset::Gbk, Unmappable::Stop);
}

namespace {

// The simplified GBK bytes for the two-byte character at the front of pair,
// or the pair itself.
std::string simplifyPair(std::string_view pair) {
  const std::u16string original = decodeCharset(pair, Charset::Gbk);
  if (original.size() != 1 || original[0] == 0xFFFD || !isOneCodePoint(original)) {
    return std::string(pair);
  }
  const std::u16string simplified = transliterateToSimplified(original[0]);
  if (simplified == original || !isOneCodePoint(simplified)) return std::string(pair);
  std::string bytes = encodeCharset(simplified, Charset::Gbk, Unmappable::Stop);
  return bytes.size() == 2 ? bytes : std::string(pair);
}

}  // namespace

std::string simplifyChinese(const std::string& text) {
  const std::string_view in = asText(text);
  std::string out(in);
  std::unordered_map<uint16_t, std::string> seen;  // texts repeat their characters
  size_t p = 0;
  while (p + 1 < in.size()) {
    if (static_cast<unsigned char>(in[p]) < 0x80) {
      ++p;
      continue;
    }
    const uint16_t key = static_cast<uint16_t>(static_cast<unsigned char>(in[p]) << 8 |
                                               static_cast<unsigned char>(in[p + 1]));
    auto it = seen.find(key);
    if (it == seen.end()) it = seen.emplace(key, simplifyPair(in.substr(p, 2))).first;
    out.replace(p, 2, it->second);
    p += 2;
  }
  return out;
}

std::string big5ToGbk(const std::string& text) { return simplifyChinese(big5TextToGbk(text)); }

std::string gbkToUtf8(const std::string& text) {
  return encodeCharset(decodeCharset(asText(text), Charset::Gbk), Charset::Utf8,
                       Unmappable::Question);
}

std::string utf8ToGbk(const std::string& text) { return utf8ToAnsi(text); }

}  // namespace vumbrel
