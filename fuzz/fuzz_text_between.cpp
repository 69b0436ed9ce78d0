// SPDX-License-Identifier: MIT
// textBetween in all four modes against the direct quadratic loop, and the
// invariants of cleanFileName.
//
// Input: flags byte, left-marker length, right-marker length, the markers,
// then the text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/support/reference_text_between.h"
#include "resolve/text_between.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

// No listed character starts at a character boundary of the walk from the
// first byte.
bool cleaned(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      if (i + 1 < s.size()) {
        const unsigned char d = static_cast<unsigned char>(s[i + 1]);
        if ((c == 0xA3 && d == 0xBA) || (c == 0xA1 && d == 0xA4)) return false;
      }
      i += 2;
      continue;
    }
    if (std::string_view(":\\/*?<>|&\"").find(static_cast<char>(c)) != std::string_view::npos)
      return false;
    ++i;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const unsigned flags = data[0];
  const size_t leftLen = 1 + data[1] % 8, rightLen = 1 + data[2] % 8;
  if (size < 3 + leftLen + rightLen) return 0;
  const char* p = reinterpret_cast<const char*>(data) + 3;
  std::string left(p, leftLen), right(p + leftLen, rightLen);
  std::string text(p + leftLen + rightLen, size - 3 - leftLen - rightLen);
  // Texts end at their first zero byte; the reference loop does not know that.
  for (std::string* s : {&left, &right, &text}) s->resize(std::string(s->c_str()).size());
  if (left.empty() || right.empty()) return 0;

  const bool collectAll = flags & 1, keepLast = flags & 2, toEnd = flags & 4;
  std::vector<std::string> got(flags & 8 ? 1 : 0, "old"), want = got;
  const std::string result =
      vumbrel::textBetween(text, left, right, &got, collectAll, keepLast, toEnd);
  const std::string expected =
      vumbrel::reference::naive::between(text, left, right, &want, collectAll, keepLast, toEnd);
  check(result == expected);
  check(got == want);
  for (size_t i = (flags & 8) ? 1 : 0; i < got.size(); ++i)
    check(text.find(got[i]) != std::string::npos);

  const std::string once = vumbrel::cleanFileName(text);
  check(cleaned(once));
  check(vumbrel::cleanFileName(once) == once);
  check(once.size() <= text.size());
  return 0;
}
