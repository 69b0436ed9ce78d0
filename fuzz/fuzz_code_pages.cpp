// SPDX-License-Identifier: MIT
// The code-page routines on arbitrary bytes: no crash, no read past the
// input, and the length rules (a simplified text keeps its byte length; GBK
// results hold no zero byte; a GBK text survives the trip through UTF-8).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "resolve/code_pages.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

bool noZero(const std::string& s) { return s.find('\0') == std::string::npos; }

// Whether every character of a GBK text is a valid, mapped GBK character
// (as the converter produced it).
bool isCleanGbk(const std::string& s) { return vumbrel::utf8ToGbk(vumbrel::gbkToUtf8(s)) == s; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text(bytes.c_str());

  const std::string fromUtf8 = vumbrel::utf8ToAnsi(bytes);
  check(noZero(fromUtf8));
  check(isCleanGbk(fromUtf8));
  check(vumbrel::utf8ToGbk(bytes) == fromUtf8);

  const std::string fromBig5 = vumbrel::big5ToGbk(bytes);
  check(noZero(fromBig5));
  check(vumbrel::simplifyChinese(text).size() == text.size());

  const std::string utf16 = vumbrel::decodeToUtf16(bytes);
  check(utf16.size() >= 2 && utf16.size() % 2 == 0);
  check(utf16[utf16.size() - 1] == 0 && utf16[utf16.size() - 2] == 0);

  const std::string utf8 = vumbrel::gbkToUtf8(bytes);
  check(noZero(utf8));
  return 0;
}
