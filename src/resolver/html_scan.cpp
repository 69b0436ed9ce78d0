// SPDX-License-Identifier: MIT
#include "resolver/html_scan.h"

#include <array>
#include <cstdint>

#include "resolver/text_util.h"

namespace vumbrel::resolver {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) { return isAlpha(c) || isDigit(c); }

struct NamedReference {
  std::string_view name;
  std::uint32_t codePoint;
};

// The references that turn up in addresses; the rest of the HTML table names
// letters and symbols that no address needs decoded.
constexpr std::array<NamedReference, 34> kNamed{{
    {"amp", '&'},    {"lt", '<'},    {"gt", '>'},     {"quot", '"'},     {"apos", '\''},
    {"nbsp", 0xA0},  {"sol", '/'},   {"colon", ':'},  {"period", '.'},   {"quest", '?'},
    {"equals", '='}, {"num", '#'},   {"percnt", '%'}, {"lowbar", '_'},   {"comma", ','},
    {"semi", ';'},   {"excl", '!'},  {"dollar", '$'}, {"lpar", '('},     {"rpar", ')'},
    {"plus", '+'},   {"ast", '*'},   {"commat", '@'}, {"lsqb", '['},     {"rsqb", ']'},
    {"lcub", '{'},   {"rcub", '}'},  {"verbar", '|'}, {"tilde", '~'},    {"grave", '`'},
    {"Hat", '^'},    {"bsol", '\\'}, {"Tab", '\t'},   {"NewLine", '\n'},
}};

bool isLegacyName(std::string_view name) {
  return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "nbsp";
}

// Decodes the reference that starts at text[at] == '&'. On success appends
// its character, sets `next` behind it and returns true.
bool decodeOne(std::string_view text, size_t at, std::string& out, size_t& next) {
  size_t i = at + 1;
  if (i < text.size() && text[i] == '#') {
    ++i;
    bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    size_t digitsStart = i;
    std::uint32_t value = 0;
    while (i < text.size()) {
      char c = text[i];
      int d = -1;
      if (isDigit(c))
        d = c - '0';
      else if (hex && c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else if (hex && c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      if (d < 0) break;
      if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
      ++i;
    }
    if (i == digitsStart) return false;
    if (i < text.size() && text[i] == ';') ++i;
    appendUtf8(out, value);
    next = i;
    return true;
  }
  size_t nameEnd = i;
  while (nameEnd < text.size() && isAlnum(text[nameEnd])) ++nameEnd;
  std::string_view name = text.substr(i, nameEnd - i);
  bool terminated = nameEnd < text.size() && text[nameEnd] == ';';
  if (!terminated) {
    if (!isLegacyName(name)) return false;
    if (nameEnd < text.size() && text[nameEnd] == '=') return false;
  }
  for (const auto& ref : kNamed) {
    if (ref.name == name) {
      appendUtf8(out, ref.codePoint);
      next = terminated ? nameEnd + 1 : nameEnd;
      return true;
    }
  }
  return false;
}

bool isRawTextElement(std::string_view name) {
  return name == "script" || name == "style" || name == "textarea" || name == "title" ||
         name == "xmp" || name == "iframe" || name == "noembed" || name == "noframes" ||
         name == "plaintext";
}

class Scanner {
 public:
  Scanner(std::string_view html, const HtmlScanHandler& handler) : s_(html), h_(handler) {}

  void run() {
    while (pos_ < s_.size()) {
      size_t lt = s_.find('<', pos_);
      if (lt == std::string_view::npos) return;
      pos_ = lt + 1;
      if (startsWithNoCase(s_.substr(lt), "<!--")) {
        skipPast(lt + 4, "-->");
      } else if (pos_ < s_.size() && (s_[pos_] == '!' || s_[pos_] == '?')) {
        skipPast(pos_, ">");
      } else if (pos_ + 1 < s_.size() && s_[pos_] == '/' && isAlpha(s_[pos_ + 1])) {
        ++pos_;
        std::string name = readName();
        skipPast(pos_, ">");
        if (h_.endTag) h_.endTag(name);
      } else if (pos_ < s_.size() && isAlpha(s_[pos_])) {
        HtmlTag tag;
        tag.name = readName();
        // A tag that the end of the page cuts off is no tag, as in a browser.
        if (!readAttributes(tag)) return;
        if (h_.startTag) h_.startTag(tag);
        if (isRawTextElement(tag.name)) skipRawText(tag);
      }
    }
  }

 private:
  void skipPast(size_t from, std::string_view terminator) {
    size_t at = s_.find(terminator, from);
    pos_ = at == std::string_view::npos ? s_.size() : at + terminator.size();
  }

  std::string readName() {
    std::string name;
    while (pos_ < s_.size() && !isSpace(s_[pos_]) && s_[pos_] != '/' && s_[pos_] != '>') {
      name += lower(s_[pos_++]);
    }
    return name;
  }

  // False when the page ends inside the tag.
  bool readAttributes(HtmlTag& tag) {
    while (pos_ < s_.size()) {
      while (pos_ < s_.size() && (isSpace(s_[pos_]) || s_[pos_] == '/')) ++pos_;
      if (pos_ >= s_.size()) return false;
      if (s_[pos_] == '>') {
        ++pos_;
        return true;
      }
      std::string name;
      name += lower(s_[pos_++]);  // may be "=", as a browser allows
      while (pos_ < s_.size() && !isSpace(s_[pos_]) && s_[pos_] != '/' && s_[pos_] != '>' &&
             s_[pos_] != '=') {
        name += lower(s_[pos_++]);
      }
      while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
      std::string value;
      if (pos_ < s_.size() && s_[pos_] == '=') {
        ++pos_;
        while (pos_ < s_.size() && isSpace(s_[pos_])) ++pos_;
        value = decodeCharacterReferences(readValue());
      }
      if (!tag.attribute(name)) tag.attributes.emplace_back(std::move(name), std::move(value));
    }
    return false;
  }

  std::string_view readValue() {
    if (pos_ >= s_.size()) return {};
    char quote = s_[pos_];
    if (quote == '"' || quote == '\'') {
      size_t end = s_.find(quote, pos_ + 1);
      if (end == std::string_view::npos) end = s_.size();
      std::string_view value = s_.substr(pos_ + 1, end - pos_ - 1);
      pos_ = end == s_.size() ? end : end + 1;
      return value;
    }
    size_t start = pos_;
    while (pos_ < s_.size() && !isSpace(s_[pos_]) && s_[pos_] != '>') ++pos_;
    return s_.substr(start, pos_ - start);
  }

  // Raw text runs to the first "</name" followed by a space, "/" or ">".
  void skipRawText(const HtmlTag& tag) {
    size_t start = pos_;
    size_t end = s_.size();
    if (tag.name != "plaintext") {
      for (size_t at = s_.find("</", pos_); at != std::string_view::npos;
           at = s_.find("</", at + 2)) {
        size_t after = at + 2 + tag.name.size();
        if (startsWithNoCase(s_.substr(at + 2), tag.name) &&
            (after >= s_.size() || isSpace(s_[after]) || s_[after] == '/' || s_[after] == '>')) {
          end = at;
          break;
        }
      }
    }
    pos_ = end;
    if (tag.name == "script" && h_.script) h_.script(tag, s_.substr(start, end - start));
  }

  std::string_view s_;
  const HtmlScanHandler& h_;
  size_t pos_ = 0;
};

}  // namespace

const std::string* HtmlTag::attribute(std::string_view attributeName) const {
  for (const auto& [name, value] : attributes) {
    if (name == attributeName) return &value;
  }
  return nullptr;
}

void scanHtml(std::string_view html, const HtmlScanHandler& handler) {
  Scanner(html, handler).run();
}

std::string decodeCharacterReferences(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t amp = text.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    out.append(text.substr(i, amp - i));
    size_t next = amp + 1;
    if (!decodeOne(text, amp, out, next)) {
      out += '&';
      next = amp + 1;
    }
    i = next;
  }
  return out;
}

}  // namespace vumbrel::resolver
