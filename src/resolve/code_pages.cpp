// SPDX-License-Identifier: MIT
#include "resolve/code_pages.h"

#include <optional>
#include <string_view>

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
  std::string bytes;
  bytes.reserve(2 * units.size() + 2);
  for (char16_t u : units) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  bytes.append(2, '\0');
  return bytes;
}

std::u16string fromBytes(const std::string& bytes) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t u = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (u == 0) break;
    units += u;
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

std::string simplifyChinese(const std::string& text) {
  const std::string_view in = asText(text);
  std::string out(in);
  size_t p = 0;
  while (p + 1 < in.size()) {
    if (static_cast<unsigned char>(in[p]) < 0x80) {
      ++p;
      continue;
    }
    const std::u16string original = decodeCharset(in.substr(p, 2), Charset::Gbk);
    if (original.size() == 1 && original[0] != 0xFFFD && isOneCodePoint(original)) {
      const std::u16string simplified = transliterateToSimplified(original[0]);
      if (simplified != original && isOneCodePoint(simplified)) {
        const std::string bytes = encodeCharset(simplified, Charset::Gbk, Unmappable::Stop);
        if (bytes.size() == 2) out.replace(p, 2, bytes);
      }
    }
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
