// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vumbrel {

// Text primitives over GBK byte strings. A byte of 0x80 or more starts a
// two-byte character whose second byte belongs to it whatever its value, so a
// walk "one character at a time" steps over both bytes together. Positions are
// 1-based; -1 means "not found". The primitives work on every byte they are
// given; textBetween and cleanFileName first cut their texts at the first zero
// byte.

// Position of the first match of marker, walking the text one character at a
// time from byte position start (below 1 counts as 1; the byte at start begins
// a character). Bytes compare exactly (case matters); a marker is never found
// at the second byte of a character the walk stepped over. -1 when there is no
// match, when start lies beyond the text, or when text or marker is empty.
int64_t findText(std::string_view text, std::string_view marker, int64_t start);

// The bytes from position start for length bytes, cut at the end of the text;
// empty when start lies outside the text or length is 0 or less.
std::string midText(std::string_view text, int64_t start, int64_t length);

// The text with every occurrence of oldText that starts at a character (walking
// from the first byte as findText does) replaced by newText. Occurrences do not
// overlap and inserted text is not searched again. An empty oldText changes
// nothing.
std::string replaceAll(std::string_view text, std::string_view oldText, std::string_view newText);

// Takes what lies between leftMarker and the next rightMarker behind it. Each
// search for a left marker starts one byte after the previous left marker, so
// matches may nest and overlap. The first flag set, in the order toEnd,
// collectAll, keepLast, chooses the mode:
//   none:       the first match;
//   collectAll: appends every match (empty ones included) to *results and
//               returns GBK "成功" when *results is non-empty afterwards (old
//               entries count), else GBK "失败"; results may be null, then
//               only the matches of this call count;
//   keepLast:   the match of the last left marker that has a right marker;
//   toEnd:      everything behind the last left marker.
// Nothing found gives the empty text. results is appended to only in
// collectAll mode. An empty marker is never found. Runs in time linear in the
// text (times the marker length) plus the bytes it copies out.
std::string textBetween(const std::string& text, const std::string& leftMarker,
                        const std::string& rightMarker, std::vector<std::string>* results = nullptr,
                        bool collectAll = false, bool keepLast = false, bool toEnd = false);

// The text with each of : ： \ / * ? < > | · & " replaced by "_", in that order
// and character-aligned (a two-byte character whose second byte is 0x5C stays
// whole). Nothing else changes; cleaning a cleaned text changes nothing.
std::string cleanFileName(const std::string& text);

}  // namespace vumbrel
