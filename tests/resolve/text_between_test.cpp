// SPDX-License-Identifier: MIT
#include "resolve/text_between.h"

#include <gtest/gtest.h>

#include <random>

#include "reference_text_between.h"

namespace vumbrel {
namespace {

using reference::kFailure;
using reference::kSuccess;
namespace naive = reference::naive;

TEST(FindText, WalksCharactersFromStart) {
  struct Case {
    std::string text, marker;
    int64_t start, expected;
  };
  const Case cases[] = {
      {"abcabc", "bc", 1, 2},
      {"abcabc", "bc", 3, 5},
      {"abcabc", "bc", -4, 2},  // below 1 counts as 1
      {"abcabc", "bc", 7, -1},  // beyond the end
      {"abcabc", "BC", 1, -1},  // case matters
      {"", "a", 1, -1},         // empty text
      {"abc", "", 1, -1},       // empty marker
      {"ab", "abc", 1, -1},     // marker longer than the rest
      {"\xb0<a<", "<", 1, 4},   // '<' at 2 is the second byte of a character
      {"\xb0<a<", "<", 2, 2},   // the byte at start begins a character
      {"\xb0\xa1\xb0\xa1", "\xa1\xb0", 1, -1},
      {"x\xb0\xa1\xb0\xa1", "\xa1\xb0", 3, 3},
      {"abc\xb0", "\xb0", 1, 4},  // a lone high byte at the end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(findText(c.text, c.marker, c.start), c.expected)
        << "text=" << c.text << " marker=" << c.marker << " start=" << c.start;
  }
}

TEST(MidText, CutsAtTheEndAndIsEmptyOutside) {
  EXPECT_EQ(midText("abcdef", 2, 3), "bcd");
  EXPECT_EQ(midText("abcdef", 5, 10), "ef");
  EXPECT_EQ(midText("abcdef", 0, 2), "");
  EXPECT_EQ(midText("abcdef", 7, 1), "");
  EXPECT_EQ(midText("abcdef", 1, 0), "");
  EXPECT_EQ(midText("abcdef", 1, -3), "");
  EXPECT_EQ(midText("", 1, 1), "");
}

TEST(ReplaceAll, ReplacesCharacterAlignedWithoutOverlap) {
  struct Case {
    std::string text, oldText, newText, expected;
  };
  const Case cases[] = {
      {"a::b:", ":", "_", "a__b_"},
      {"aaa", "aa", "x", "xa"},            // no overlap
      {"ab", "a", "aa", "aab"},            // inserted text not searched again
      {"\x81\\\\", "\\", "_", "\x81\\_"},  // 5C as a second byte stays
      {"\xa3\xba\xa3\xba", "\xa3\xba", "_", "__"},
      {"\xb0\xa3\xba", "\xa3\xba", "_", "\xb0\xa3\xba"},  // A3 is a second byte here
      {"abc", "", "_", "abc"},
      {"", "a", "_", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(replaceAll(c.text, c.oldText, c.newText), c.expected);
}

struct BetweenCase {
  const char* name;
  std::string text, left, right;
  bool collectAll, keepLast, toEnd;
  std::vector<std::string> before;  // results before the call
  std::string expected;
  std::vector<std::string> after;  // results after the call
};

TEST(TextBetween, Modes) {
  const std::string two = "\"url\": \"";
  const BetweenCase cases[] = {
      {"title",
       "<html><title>Hi \xc4\xe3</title></html>",
       "<title>",
       "</title>",
       false,
       false,
       false,
       {},
       "Hi \xc4\xe3",
       {}},
      {"empty match", "<a></a>", "<a>", "</a>", false, false, false, {}, "", {}},
      {"empty match collected", "<a></a>", "<a>", "</a>", true, false, false, {}, kSuccess, {""}},
      {"nested", "<t>a<t>b</t>", "<t>", "</t>", true, false, false, {}, kSuccess, {"a<t>b", "b"}},
      {"overlapping", "[[[x]]", "[[", "]]", true, false, false, {}, kSuccess, {"[x", "x"}},
      {"first value", two + "A\", " + two + "B\"", two, "\"", false, false, false, {}, "A", {}},
      {"last value", two + "A\", " + two + "B\"", two, "\"", false, true, false, {}, "B", {}},
      {"cdata without end",
       "[CDATA[x]][CDATA[y",
       "[CDATA[",
       "]]",
       true,
       false,
       false,
       {"old"},
       kSuccess,
       {"old", "x"}},
      {"right marker absent", "<a>1</a><a>2", "<a>", "</a>", false, true, false, {}, "1", {}},
      {"no left marker", "abc", "<a>", "</a>", true, false, false, {}, kFailure, {}},
      {"no left marker, pre-filled",
       "abc",
       "<a>",
       "</a>",
       true,
       false,
       false,
       {"x"},
       kSuccess,
       {"x"}},
      {"no match", "abc", "<a>", "</a>", false, false, false, {"x"}, "", {"x"}},
      {"case differs", "<TITLE>x</TITLE>", "<title>", "</title>", false, false, false, {}, "", {}},
      {"left marker inside a character",
       "\xb0<a>x</a>",
       "<a>",
       "</a>",
       false,
       false,
       false,
       {},
       "",
       {}},
      {"right marker inside a character",
       "<a>x\xb0</a>y</a>",
       "<a>",
       "</a>",
       false,
       false,
       false,
       {},
       "x\xb0</a>y",
       {}},
      // The first left marker's walk pairs 0xA1 with 'R'; the second one's walk,
      // a byte later, reaches 'R'.
      {"later walk finds a skipped right marker",
       "\xb0\xb0\xa1\xa1R",
       "\xb0",
       "R",
       false,
       false,
       false,
       {},
       "\xa1\xa1",
       {}},
      {"to the end", "a<b>c<b>d", "<b>", "", false, false, true, {}, "d", {}},
      {"to the end, marker last", "a<b>", "<b>", "", false, false, true, {}, "", {}},
      {"toEnd before collectAll",
       "a<b>c</b>",
       "<b>",
       "</b>",
       true,
       false,
       true,
       {"x"},
       "c</b>",
       {"x"}},
      {"collectAll before keepLast",
       "<b>1</b><b>2</b>",
       "<b>",
       "</b>",
       true,
       true,
       false,
       {},
       kSuccess,
       {"1", "2"}},
      {"text ends at its zero byte",
       std::string("<a>x</a>\0<a>y</a>", 17),
       "<a>",
       "</a>",
       true,
       false,
       false,
       {},
       kSuccess,
       {"x"}},
      {"empty text", "", "<a>", "</a>", true, false, false, {}, kFailure, {}},
  };
  for (const BetweenCase& c : cases) {
    std::vector<std::string> results = c.before;
    EXPECT_EQ(textBetween(c.text, c.left, c.right, &results, c.collectAll, c.keepLast, c.toEnd),
              c.expected)
        << c.name;
    EXPECT_EQ(results, c.after) << c.name;
  }
}

TEST(TextBetween, CollectsWithoutAList) {
  EXPECT_EQ(textBetween("<a>1</a>", "<a>", "</a>", nullptr, true), kSuccess);
  EXPECT_EQ(textBetween("<a>1", "<a>", "</a>", nullptr, true), kFailure);
}

std::string randomText(std::mt19937& rng, size_t maxLength) {
  static const char kBytes[] = {'<', 'a', '>', '/', 'x', '\xb0', '\xa1', '\xfe'};
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<size_t> pick(0, sizeof kBytes - 1);
  std::string s(length(rng), ' ');
  for (char& c : s) c = kBytes[pick(rng)];
  return s;
}

TEST(TextBetween, AgreesWithTheNaiveLoopOnRandomTexts) {
  std::mt19937 rng(2052);
  for (int i = 0; i < 20000; ++i) {
    const std::string text = randomText(rng, i % 10 == 0 ? 400 : 40);
    std::string left = randomText(rng, 2);
    std::string right = randomText(rng, 2);
    if (left.empty()) left = "<";
    if (right.empty()) right = ">";
    for (int mode = 0; mode < 4; ++mode) {
      const bool collectAll = mode == 1, keepLast = mode == 2, toEnd = mode == 3;
      std::vector<std::string> got{"pre"}, want{"pre"};
      if (i % 2 == 0) got.clear(), want.clear();
      const std::string result = textBetween(text, left, right, &got, collectAll, keepLast, toEnd);
      ASSERT_EQ(result, naive::between(text, left, right, &want, collectAll, keepLast, toEnd))
          << "text=" << text << " left=" << left << " right=" << right << " mode=" << mode;
      ASSERT_EQ(got, want);
    }
    const int64_t start = static_cast<int64_t>(i % 45) - 2;
    ASSERT_EQ(findText(text, left, start), naive::find(text, left, start));
  }
}

TEST(CleanFileName, ReplacesTheTwelveCharactersOnly) {
  const std::string forbidden[] = {":", "\xa3\xba", "\\", "/",        "*", "?",
                                   "<", ">",        "|",  "\xa1\xa4", "&", "\""};
  for (const std::string& c : forbidden) EXPECT_EQ(cleanFileName("a" + c + "b"), "a_b") << c;
  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"", ""},
      {"  _a.b. ", "  _a.b. "},                  // no trimming, "_" stays
      {"\xc4\xe3\xba\xc3", "\xc4\xe3\xba\xc3"},  // 你好
      {"\x81\\x", "\x81\\x"},                    // 5C as a second byte stays whole
      {"\x81|x|", "\x81|x_"},                    // 7C likewise
      {"CON\tx", "CON\tx"},                      // no other treatment
      {std::string("a:\0:", 4), "a_"},           // the text ends at its zero byte
  };
  for (const Case& c : cases) EXPECT_EQ(cleanFileName(c.text), c.expected);
}

TEST(CleanFileName, CleaningTwiceChangesNothing) {
  std::mt19937 rng(936);
  const char bytes[] = {':', '\\', '|', '?', 'a', '_', '\xa3', '\xba', '\xa1', '\xa4', '\x81'};
  std::uniform_int_distribution<size_t> pick(0, sizeof bytes - 1);
  for (int i = 0; i < 5000; ++i) {
    std::string s(i % 23, ' ');
    for (char& c : s) c = bytes[pick(rng)];
    const std::string once = cleanFileName(s);
    ASSERT_EQ(cleanFileName(once), once) << s;
  }
}

}  // namespace
}  // namespace vumbrel
