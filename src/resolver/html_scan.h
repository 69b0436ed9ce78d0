// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vumbrel::resolver {

// One start tag: its name and attributes in small letters, attribute values
// with their character references decoded. The first of repeated attributes
// wins, as in a browser.
struct HtmlTag {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;

  // The value of attribute `attributeName` (small letters), or nullptr.
  const std::string* attribute(std::string_view attributeName) const;
};

// What a scan reports, in document order. Any member may be left empty.
struct HtmlScanHandler {
  std::function<void(const HtmlTag&)> startTag;
  std::function<void(std::string_view name)> endTag;
  // The raw content of a <script> element, with the element's start tag.
  std::function<void(const HtmlTag&, std::string_view content)> script;
};

// Walks `html` once, front to back, in the manner of a browser's tokenizer:
// comments, doctypes and the content of script, style, textarea, title and
// similar raw-text elements never yield tags. Tolerates any bytes; linear
// in the input and never recursive.
void scanHtml(std::string_view html, const HtmlScanHandler& handler);

// `text` with its HTML character references (named, decimal, hexadecimal)
// replaced by their characters in UTF-8, read the way a browser reads an
// attribute value: a named reference without ";" is decoded only when it is
// one of the old ones (amp, lt, gt, quot, nbsp) and not followed by a letter,
// digit or "=". Unknown references stay as written.
std::string decodeCharacterReferences(std::string_view text);

}  // namespace vumbrel::resolver
