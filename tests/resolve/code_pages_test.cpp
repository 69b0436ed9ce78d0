// SPDX-License-Identifier: MIT
#include "resolve/code_pages.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <clocale>

namespace vumbrel {
namespace {

using std::string_literals::operator""s;

struct Case {
  std::string in, out;
};

TEST(Utf8ToAnsi, GivesGbkWithQuestionMarks) {
  const Case cases[] = {
      {"", ""},
      {"plain ASCII 123", "plain ASCII 123"},
      {"\xe4\xb8\xad\xe6\x96\x87", "\xd6\xd0\xce\xc4"},              // 中文
      {"a\xe0\xb8\x81z", "a?z"},                                     // a Thai letter
      {"\xf0\x9f\x98\x80!", "?!"},                                   // one per character
      {"\xe2\x82\xac\xc2\xb7\xef\xbc\x9a", "\x80\xa1\xa4\xa3\xba"},  // € · ：
      {"a\xff\xfe"
       "b",
       "a??b"},               // two malformed bytes
      {"x\xe4\xb8", "x?"},    // a cut sequence
      {"\xef\xbf\xbd", "?"},  // U+FFFD itself
      {"a\0b"s, "a"},         // ends at its zero byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8ToAnsi(c.in), c.out) << c.in;
    EXPECT_EQ(utf8ToGbk(c.in), c.out) << c.in;
  }
}

TEST(Utf8ToAnsi, IgnoresTheLocaleAndIcuDefault) {
  const std::string before = ucnv_getDefaultName();
  std::setlocale(LC_ALL, "C");
  ucnv_setDefaultName("ISO-8859-1");
  EXPECT_EQ(utf8ToAnsi("\xe4\xb8\xad"), "\xd6\xd0");
  EXPECT_EQ(encodeFromUtf16("\x2d\x4e\0\0"s), "\xd6\xd0");
  ucnv_setDefaultName(before.c_str());
}

TEST(Big5ToGbk, SimplifiesAndCutsBeforeWhatGbkLacks) {
  const Case cases[] = {
      {"", ""},
      {"plain ASCII", "plain ASCII"},
      // 傳統漢字 -> 传统汉字: four characters, eight bytes, each way
      {"\xb6\xc7\xb2\xce\xba\x7e\xa6\x72", "\xb4\xab\xcd\xb3\xba\xba\xd7\xd6"},
      {"A\xa4\xa4\xa1\x45"
       "B",
       "A\xd6\xd0"},     // U+2027 is not in GBK
      {"ok\xa4", "ok"},  // a malformed sequence cuts too
      {"a\0\xa4\xa4"s, "a"},
  };
  for (const Case& c : cases) EXPECT_EQ(big5ToGbk(c.in), c.out) << c.in;
  EXPECT_EQ(big5TextToGbk("\xb6\xc7\xb2\xce"), "\x82\xf7\xbd\x79");  // still traditional
}

TEST(SimplifyChinese, MapsCharacterForCharacterKeepingTheLength) {
  const Case cases[] = {
      {"", ""},
      {"\x82\xf7\xbd\x79", "\xb4\xab\xcd\xb3"},  // 傳統 -> 传统
      {"x\x82\xf7y", "x\xb4\xaby"},              // ASCII stays around it
      {"\xd6\xd0\xce\xc4", "\xd6\xd0\xce\xc4"},  // already simplified
      {"\x81\x30\x82\xf7", "\x81\x30\xb4\xab"},  // a malformed pair stays
      {"a\x82", "a\x82"},                        // a lone lead byte stays
  };
  for (const Case& c : cases) {
    const std::string got = simplifyChinese(c.in);
    EXPECT_EQ(got, c.out) << c.in;
    EXPECT_EQ(got.size(), c.in.size());
  }
}

TEST(Utf16Steps, CarryTheZeroUnitAndStopAtIt) {
  EXPECT_EQ(decodeToUtf16(""), "\0\0"s);
  EXPECT_EQ(decodeToUtf16("a\xe4\xb8\xad"), "a\0\x2d\x4e\0\0"s);
  EXPECT_EQ(decodeToUtf16("\xd6\xd0", kCodePageGbk), "\x2d\x4e\0\0"s);
  EXPECT_EQ(decodeToUtf16("\xa4\xa4", kCodePageBig5), "\x2d\x4e\0\0"s);
  EXPECT_EQ(decodeToUtf16("a", 1252), "");  // unknown code page

  EXPECT_EQ(encodeFromUtf16("\x2d\x4e\0\0"s, kCodePageUtf8), "\xe4\xb8\xad");
  EXPECT_EQ(encodeFromUtf16("\x2d\x4e\0\0"s, kCodePageBig5), "\xa4\xa4");
  EXPECT_EQ(encodeFromUtf16("a\0\0\0b\0"s), "a");    // up to the zero unit
  EXPECT_EQ(encodeFromUtf16("a\0b\0c"s), "ab");      // no zero unit, odd byte
  EXPECT_EQ(encodeFromUtf16("\x00\xd8z\0"s), "?z");  // unpaired surrogate
  EXPECT_EQ(encodeFromUtf16("\x00\xd8z\0"s, kCodePageUtf8), "\xef\xbf\xbdz");
  EXPECT_EQ(encodeFromUtf16(""), "");
}

TEST(GbkToUtf8, DecodesGbkAndMarksWhatIsNot) {
  const Case cases[] = {
      {"", ""},
      {"abc", "abc"},
      {"\xd6\xd0\xce\xc4\x80", "\xe4\xb8\xad\xe6\x96\x87\xe2\x82\xac"},  // 中文€
      {"a\x81", "a\xef\xbf\xbd"},                                        // lone lead byte
      {"\xd6\xd0\0\xce\xc4"s, "\xe4\xb8\xad"},
  };
  for (const Case& c : cases) EXPECT_EQ(gbkToUtf8(c.in), c.out) << c.in;
  const std::string mixed = "Hi \xe4\xbd\xa0\xe5\xa5\xbd \xef\xbc\x9a\xc2\xb7";
  EXPECT_EQ(gbkToUtf8(utf8ToGbk(mixed)), mixed);
}

}  // namespace
}  // namespace vumbrel
