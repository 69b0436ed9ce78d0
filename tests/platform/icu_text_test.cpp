// SPDX-License-Identifier: MIT
#include "platform/icu_text.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "resolve/code_pages.h"

namespace vumbrel {
namespace {

TEST(IcuText, DecodesZeroBytesAndMarksMalformedInput) {
  EXPECT_EQ(decodeCharset(std::string_view("a\0b", 3), Charset::Utf8), std::u16string(u"a\0b", 3));
  EXPECT_EQ(decodeCharset("\xd6\xd0\x81", Charset::Gbk), u"\u4e2d\ufffd");
  EXPECT_EQ(decodeCharset("", Charset::Big5), u"");
}

TEST(IcuText, EncodesWithQuestionMarksOrStops) {
  const std::u16string units = u"a\u0e01b\u4e2d";
  EXPECT_EQ(encodeCharset(units, Charset::Gbk, Unmappable::Question), "a?b\xd6\xd0");
  EXPECT_EQ(encodeCharset(units, Charset::Gbk, Unmappable::Stop), "a");
  EXPECT_EQ(encodeCharset(u"\u4e2d", Charset::Big5, Unmappable::Stop), "\xa4\xa4");
  EXPECT_EQ(encodeCharset(units, Charset::Utf8, Unmappable::Stop),
            "a\xe0\xb8\x81"
            "b\xe4\xb8\xad");
}

TEST(IcuText, TransliteratesOneCodePoint) {
  EXPECT_EQ(transliterateToSimplified(U'\u50b3'), u"\u4f20");  // 傳 -> 传
  EXPECT_EQ(transliterateToSimplified(U'a'), u"a");
}

// Every thread gets its own converters and transliterator; results must not
// depend on what other threads convert at the same time.
TEST(IcuText, ConvertsOnManyThreadsAtOnce) {
  const std::string utf8 = "\xe4\xb8\xad\xe6\x96\x87 ok \xe0\xb8\x81";
  const std::string big5 = "\xb6\xc7\xb2\xce\xba\x7e\xa6\x72";
  const std::string wantGbk = utf8ToAnsi(utf8);
  const std::string wantSimplified = big5ToGbk(big5);
  std::vector<int> bad(4, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        if (utf8ToAnsi(utf8) != wantGbk) ++bad[t];
        if (big5ToGbk(big5) != wantSimplified) ++bad[t];
        if (gbkToUtf8(wantGbk) != "\xe4\xb8\xad\xe6\x96\x87 ok ?") ++bad[t];
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(bad, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace vumbrel
