// SPDX-License-Identifier: MIT
#include "resolver/stream_extract.h"

#include <algorithm>
#include <unordered_set>

#include "resolver/address.h"
#include "resolver/html_scan.h"
#include "resolver/json_ld.h"

namespace vumbrel::resolver {
namespace {

enum class Source { Media, OpenGraph, JsonLd, Link };

struct Candidate {
  std::string reference;
  Source source;
  bool dropped = false;
};

std::string trimmedLower(std::string_view text) {
  size_t b = text.find_first_not_of(" \t\r\n\f");
  if (b == std::string_view::npos) return {};
  size_t e = text.find_last_not_of(" \t\r\n\f");
  std::string out(text.substr(b, e - b + 1));
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
    return static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
  });
  return out;
}

bool isPlaylistType(std::string_view type) {
  return type.find("mpegurl") != std::string_view::npos || type == "application/dash+xml";
}

// Collects the candidates of one page in document order.
class Collector {
 public:
  std::vector<Candidate> candidates;
  std::string baseHref;
  bool haveBase = false;

  void startTag(const HtmlTag& tag) {
    if (tag.name == "base") {
      const std::string* href = tag.attribute("href");
      if (href && !haveBase) {
        baseHref = *href;
        haveBase = true;
      }
    } else if (tag.name == "video") {
      ++videoDepth_;
      addFrom(tag, "src", Source::Media);
    } else if (tag.name == "source" && videoDepth_ > 0) {
      const std::string* type = tag.attribute("type");
      if (!type || !isPlaylistType(trimmedLower(*type))) addFrom(tag, "src", Source::Media);
    } else if (tag.name == "a") {
      addFrom(tag, "href", Source::Link);
    } else if (tag.name == "meta") {
      meta(tag);
    }
  }

  void endTag(std::string_view name) {
    if (name == "video" && videoDepth_ > 0) --videoDepth_;
  }

  void script(const HtmlTag& tag, std::string_view content) {
    const std::string* type = tag.attribute("type");
    if (!type || trimmedLower(*type) != "application/ld+json") return;
    for (auto& url : jsonContentUrls(content)) {
      candidates.push_back({std::move(url), Source::JsonLd});
    }
  }

 private:
  void addFrom(const HtmlTag& tag, std::string_view attribute, Source source) {
    const std::string* value = tag.attribute(attribute);
    if (value && !value->empty()) candidates.push_back({*value, source});
  }

  // og:video starts a group that og:video:url and og:video:secure_url join;
  // og:video:type speaks for the whole group.
  void meta(const HtmlTag& tag) {
    const std::string* key = tag.attribute("property");
    if (!key) key = tag.attribute("name");
    const std::string* content = tag.attribute("content");
    if (!key || !content) return;
    std::string property = trimmedLower(*key);
    if (property == "og:video" || property == "og:video:url" || property == "og:video:secure_url") {
      if (property == "og:video" || ogGroupStart_ == kNoGroup) ogGroupStart_ = candidates.size();
      candidates.push_back({*content, Source::OpenGraph});
    } else if (property == "og:video:type" && ogGroupStart_ != kNoGroup) {
      std::string type = trimmedLower(*content);
      if (type.rfind("video/", 0) != 0 || isPlaylistType(type)) {
        for (size_t i = ogGroupStart_; i < candidates.size(); ++i) {
          if (candidates[i].source == Source::OpenGraph) candidates[i].dropped = true;
        }
      }
    }
  }

  static constexpr size_t kNoGroup = static_cast<size_t>(-1);
  int videoDepth_ = 0;
  size_t ogGroupStart_ = kNoGroup;
};

}  // namespace

std::vector<std::string> extractStreamAddresses(std::string_view pageText,
                                                std::string_view pageAddress) {
  Collector collector;
  HtmlScanHandler handler;
  handler.startTag = [&](const HtmlTag& tag) { collector.startTag(tag); };
  handler.endTag = [&](std::string_view name) { collector.endTag(name); };
  handler.script = [&](const HtmlTag& tag, std::string_view content) {
    collector.script(tag, content);
  };
  scanHtml(pageText, handler);

  std::string base(pageAddress);
  if (collector.haveBase) {
    std::string resolvedBase = resolveAddress(pageAddress, collector.baseHref);
    if (!resolvedBase.empty()) base = resolvedBase;
  }

  std::vector<std::string> result;
  std::unordered_set<std::string> seen;
  for (const auto& candidate : collector.candidates) {
    if (candidate.dropped) continue;
    std::string address = resolveAddress(base, candidate.reference);
    if (address.empty() || hasPlaylistExtension(address)) continue;
    if (candidate.source == Source::Link && !hasVideoExtension(address)) {
      continue;
    }
    if (seen.insert(address).second) result.push_back(std::move(address));
  }
  return result;
}

}  // namespace vumbrel::resolver
