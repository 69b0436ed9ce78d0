// SPDX-License-Identifier: MIT
#include "gbk_text.h"

#include <algorithm>

#include "resolve/code_pages.h"

namespace vumbrel::ui {

QString fromGbk(const std::string& gbk) { return QString::fromStdString(gbkToUtf8(gbk)); }

std::string toGbk(const QString& text) { return utf8ToGbk(text.toStdString()); }

std::string cutGbk(const std::string& gbk, size_t limit) {
  size_t end = 0;
  while (end < gbk.size()) {
    const size_t width = static_cast<unsigned char>(gbk[end]) >= 0x80 ? 2 : 1;
    if (end + width > limit) break;
    end += width;
  }
  return gbk.substr(0, std::min(end, gbk.size()));
}

}  // namespace vumbrel::ui
