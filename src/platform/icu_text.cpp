// SPDX-License-Identifier: MIT
#include "platform/icu_text.h"

#include <unicode/translit.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/unistr.h>

#include <memory>

namespace vumbrel {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

const char* icuName(Charset charset) {
  switch (charset) {
    case Charset::Utf8:
      return "UTF-8";
    case Charset::Gbk:
      return "windows-936-2000";
    case Charset::Big5:
      return "windows-950-2000";
  }
  return "UTF-8";
}

// This thread's converter for charset, reset to a clean state; null only if
// ICU's data lacks the charset.
UConverter* converter(Charset charset) {
  thread_local ConverterPtr converters[3];
  ConverterPtr& slot = converters[static_cast<int>(charset)];
  if (!slot) {
    UErrorCode status = U_ZERO_ERROR;
    slot.reset(ucnv_open(icuName(charset), &status));
    if (U_FAILURE(status)) {
      slot.reset();
      return nullptr;
    }
    ucnv_setFallback(slot.get(), false);
    // UTF-8 output keeps ICU's U+FFFD for unpaired surrogates.
    if (charset != Charset::Utf8) ucnv_setSubstChars(slot.get(), "?", 1, &status);
  }
  ucnv_reset(slot.get());
  return slot.get();
}

const icu::Transliterator* simplifier() {
  thread_local std::unique_ptr<icu::Transliterator> transliterator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(
        icu::Transliterator::createInstance("Traditional-Simplified", UTRANS_FORWARD, status));
    if (U_FAILURE(status)) t.reset();
    return t;
  }();
  return transliterator.get();
}

}  // namespace

std::u16string decodeCharset(std::string_view bytes, Charset charset) {
  UConverter* c = converter(charset);
  if (c == nullptr || bytes.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &status);
  // One byte never decodes to more than one unit in these charsets; the
  // retry covers any that would.
  std::u16string out(bytes.size() + 1, u'\0');
  int32_t n = ucnv_toUChars(c, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                            static_cast<int32_t>(bytes.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    status = U_ZERO_ERROR;
    ucnv_reset(c);
    out.assign(static_cast<size_t>(n) + 1, u'\0');
    n = ucnv_toUChars(c, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                      static_cast<int32_t>(bytes.size()), &status);
  }
  if (U_FAILURE(status)) return {};
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string encodeCharset(std::u16string_view units, Charset charset, Unmappable unmappable) {
  UConverter* c = converter(charset);
  if (c == nullptr || units.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  ucnv_setFromUCallBack(
      c,
      unmappable == Unmappable::Stop ? UCNV_FROM_U_CALLBACK_STOP : UCNV_FROM_U_CALLBACK_SUBSTITUTE,
      nullptr, nullptr, nullptr, &status);
  std::string out(
      static_cast<size_t>(UCNV_GET_MAX_BYTES_FOR_STRING(units.size(), ucnv_getMaxCharSize(c))),
      '\0');
  char* target = out.data();
  const UChar* source = units.data();
  // Room for the whole result, so one call converts everything or stops at
  // the first character the charset lacks, with what came before written.
  ucnv_fromUnicode(c, &target, out.data() + out.size(), &source, source + units.size(), nullptr,
                   true, &status);
  out.resize(static_cast<size_t>(target - out.data()));
  return out;
}

std::u16string transliterateToSimplified(char32_t c) {
  icu::UnicodeString s(static_cast<UChar32>(c));
  if (const icu::Transliterator* t = simplifier()) t->transliterate(s);
  return std::u16string(s.getBuffer(), static_cast<size_t>(s.length()));
}

}  // namespace vumbrel
