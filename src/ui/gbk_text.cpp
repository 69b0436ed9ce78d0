// SPDX-License-Identifier: MIT
#include "gbk_text.h"

#include <unicode/ucnv.h>

#include <cstring>
#include <memory>

namespace vumbrel::ui {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openGbk() {
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open("GBK", &status));
  if (U_FAILURE(status)) return nullptr;
  ucnv_setSubstChars(c.get(), "?", 1, &status);
  return c;
}

}  // namespace

QString fromGbk(const std::string& gbk) {
  const size_t length = strnlen(gbk.data(), gbk.size());
  if (length == 0) return {};
  Converter c = openGbk();
  if (!c) return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(length));
  std::u16string out(length + 1, u'\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_toUChars(c.get(), out.data(), static_cast<int32_t>(out.size()), gbk.data(),
                                  static_cast<int32_t>(length), &status);
  if (U_FAILURE(status)) return {};
  return QString(reinterpret_cast<const QChar*>(out.data()), n);
}

std::string toGbk(const QString& text) {
  if (text.isEmpty()) return {};
  Converter c = openGbk();
  if (!c) return text.toLatin1().toStdString();
  std::string out(static_cast<size_t>(text.size()) * 2 + 1, '\0');
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = ucnv_fromUChars(c.get(), out.data(), static_cast<int32_t>(out.size()),
                                    reinterpret_cast<const UChar*>(text.utf16()),
                                    static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(n));
  // A text ends at its first zero byte.
  out.resize(strnlen(out.data(), out.size()));
  return out;
}

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
