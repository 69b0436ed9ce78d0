// SPDX-License-Identifier: MIT
#include "download/target_path.h"

#include <algorithm>

#include "resolve/code_pages.h"

namespace vumbrel {
namespace {

constexpr char kSeparator[] = "/";
constexpr char kExtension[] = ".mp4";
constexpr size_t kMaxStemBytes = kMaxFileNameBytes - (sizeof kExtension - 1) - kRenameRoomBytes;

}  // namespace

std::string fitGbkText(const std::string& text, size_t maxBytes) {
  if (gbkToUtf8(text).size() <= maxBytes) return text;
  size_t used = 0;
  size_t at = 0;
  while (at < text.size()) {
    // A byte of 0x80 or more starts a two-byte character.
    const size_t length = static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
    const size_t bytes = length == 1 ? 1 : gbkToUtf8(text.substr(at, length)).size();
    if (used + bytes > maxBytes) break;
    used += bytes;
    at += length;
  }
  return text.substr(0, std::min(at, text.size()));
}

std::string targetPath(const std::string& folder, const std::string& title) {
  return folder + kSeparator + fitGbkText(title, kMaxStemBytes) + kExtension;
}

}  // namespace vumbrel
