// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace vumbrel {

// Code-page conversion of texts. A text is a byte string that ends at its
// first zero byte: every routine ignores what follows it. Results are GBK
// (code page 936) whatever the machine's locale. Code pages known: 65001
// (UTF-8), 936 (GBK), 950 (BIG5); any other gives an empty result.

constexpr int kCodePageUtf8 = 65001;
constexpr int kCodePageGbk = 936;
constexpr int kCodePageBig5 = 950;

// The text decoded from codePage into UTF-16: 2 bytes per unit, low byte
// first, ending with the zero unit (so "" gives two zero bytes). A malformed
// sequence decodes to U+FFFD.
std::string decodeToUtf16(const std::string& text, int codePage = kCodePageUtf8);

// The UTF-16 units (up to the first zero unit; an odd last byte is ignored)
// encoded as a text in codePage. A character that GBK or BIG5 lacks becomes
// "?"; an unpaired surrogate becomes "?" there and U+FFFD in UTF-8.
std::string encodeFromUtf16(const std::string& utf16, int codePage = kCodePageGbk);

// A BIG5 text as GBK, cut just before the first character that GBK lacks. A
// malformed BIG5 sequence decodes to U+FFFD, which GBK lacks, so it cuts too.
std::string big5TextToGbk(const std::string& text);

// The GBK text with each traditional character replaced by its simplified
// form where that is exactly one character of the same GBK byte length; all
// else, ASCII and malformed bytes included, stays, so the length is kept.
std::string simplifyChinese(const std::string& text);

// UTF-8 text (a fetched page) as GBK: "?" for each character GBK lacks and for
// each U+FFFD a malformed sequence decodes to.
std::string utf8ToAnsi(const std::string& text);

// BIG5 text as simplified GBK: simplifyChinese(big5TextToGbk(text)).
std::string big5ToGbk(const std::string& text);

// For the edges (widgets, file names, clipboard). gbkToUtf8: a byte sequence
// that is not GBK becomes U+FFFD. utf8ToGbk: as utf8ToAnsi, a character GBK
// lacks and malformed UTF-8 become "?" (which file-name cleaning turns into
// "_").
std::string gbkToUtf8(const std::string& text);
std::string utf8ToGbk(const std::string& text);

}  // namespace vumbrel
