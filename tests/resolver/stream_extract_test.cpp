// SPDX-License-Identifier: MIT
#include "resolver/stream_extract.h"

#include <gtest/gtest.h>

#include "resolver/address.h"
#include "resolver/html_scan.h"
#include "resolver/json_ld.h"

namespace vumbrel::resolver {
namespace {

using List = std::vector<std::string>;

struct PageCase {
  const char* name;
  std::string page;
  List expected;
};

const char* kPage = "http://site.test/course/lesson.html?id=7";

class ExtractPage : public ::testing::TestWithParam<PageCase> {};

TEST_P(ExtractPage, FindsTheStreamsInPageOrder) {
  EXPECT_EQ(extractStreamAddresses(GetParam().page, kPage), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ExtractPage,
    ::testing::Values(
        PageCase{"relative",
                 R"(<video src="v/1.mp4"></video><video src='/top.mp4'>
                  <video src=../up.webm>)",
                 {"http://site.test/course/v/1.mp4", "http://site.test/top.mp4",
                  "http://site.test/up.webm"}},
        PageCase{"protocol_relative_and_absolute",
                 R"(<video src="//cdn.test/a.mp4"></video><video src="HTTPS://CDN.test/B.mp4">)",
                 {"http://cdn.test/a.mp4", "https://cdn.test/B.mp4"}},
        PageCase{"base_href_counts_for_the_whole_page_first_one_wins",
                 R"(<video src="a.mp4"></video><base href="https://media.test/m/">
                  <base href="http://other.test/"><a href="b.mkv">b</a>)",
                 {"https://media.test/m/a.mp4", "https://media.test/m/b.mkv"}},
        PageCase{"relative_base",
                 R"(<base href="../media/"><video src="a.mp4">)",
                 {"http://site.test/media/a.mp4"}},
        PageCase{
            "character_references_in_attributes",
            R"(<video src="/v.mp4?a=1&amp;b=2&#38;c=3&#x26;d=4&copy=5&lt=6"></video>
                  <video src="&#x2F;x&sol;y.mp4"></video>)",
            {"http://site.test/v.mp4?a=1&b=2&c=3&d=4&copy=5&lt=6", "http://site.test/x/y.mp4"}},
        PageCase{
            "sources_inside_a_video_only_and_no_playlists",
            R"(<audio><source src="s.mp4"></audio><video><source src="1.webm" type="video/webm">
                  <source src="hls.m3u8"><source src="live" type="application/x-mpegURL">
                  <source src="dash.MPD"><source src="2.mp4"></video><source src="after.mp4">)",
            {"http://site.test/course/1.webm", "http://site.test/course/2.mp4"}},
        PageCase{"open_graph_tags",
                 R"(<meta property="og:video" content="/og.mp4">
                  <meta property="og:video:url" content="/og.mp4">
                  <meta name="og:video:secure_url" content="https://site.test/og-s.mp4">
                  <meta property="og:video:type" content="video/mp4">
                  <meta property="og:image" content="/poster.jpg">)",
                 {"http://site.test/og.mp4", "https://site.test/og-s.mp4"}},
        PageCase{"open_graph_player_pages_are_no_files",
                 R"(<meta property="og:video" content="/embed/9">
                  <meta property="og:video:type" content="text/html">
                  <meta property="og:video" content="/file.mp4">)",
                 {"http://site.test/file.mp4"}},
        PageCase{"json_ld_content_url",
                 R"(<script type="application/ld+json">{"@type": "VideoObject",
                    "name": "has \"contentUrl\" in it", "contentUrl": "https:\/\/cdn.test\/v.mp4?x=1\u0026y=2",
                    "hasPart": [{"contentUrl" : "part2.mp4"}]}</script>
                  <script>var o = {"contentUrl": "/not-json-ld.mp4"};</script>)",
                 {"https://cdn.test/v.mp4?x=1&y=2", "http://site.test/course/part2.mp4"}},
        PageCase{"links_to_video_files_only",
                 R"(<a href="a.MP4">a</a><a href="b.m4v?dl=1">b</a><a href="c.mov#t=3">c</a>
                  <a href="d.flv">d</a><a href="page.html">p</a><a href="/x?file=e.mp4">q</a>
                  <a href="mailto:f.mp4">m</a><a href="javascript:g.mp4">j</a>)",
                 {"http://site.test/course/a.MP4", "http://site.test/course/b.m4v?dl=1",
                  "http://site.test/course/c.mov", "http://site.test/course/d.flv"}},
        PageCase{"each_address_once_fragments_dropped",
                 R"(<video src="a.mp4#t=1"></video><a href="a.mp4">again</a>
                  <meta property="og:video" content="http://site.test/course/a.mp4">)",
                 {"http://site.test/course/a.mp4"}},
        PageCase{
            "comments_scripts_and_text_hide_nothing_else",
            R"(<!-- <video src="c.mp4"> --><script>document.write('<video src="s.mp4">')</script>
                  <textarea><video src="t.mp4"></textarea><title><video src="ti.mp4"></title>
                  <style>a{}</style><VIDEO SRC="real.mp4"></VIDEO>)",
            {"http://site.test/course/real.mp4"}},
        PageCase{"other_schemes_and_empty_values_left_out",
                 R"(<video src=""></video><video src="blob:http://site.test/1"></video>
                  <video src="data:video/mp4;base64,AAAA"></video><video src="ftp://h/a.mp4"></video>
                  <video src="  spaced name.mp4 "></video>)",
                 {"http://site.test/course/spaced%20name.mp4"}},
        PageCase{"nothing",
                 "<html><head><title>t</title></head><body><p>no video</p></body></html>",
                 {}},
        PageCase{"broken_markup_ends_quietly", R"(<video src="a.mp4)", {}},
        PageCase{"unterminated_tag_at_end",
                 R"(<a href="x.mp4">x</a><video src=b.mp4)",
                 {"http://site.test/course/x.mp4"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The app reads a list item up to the first "]]" and a JSON value up to the
// first double quote, so neither may stand inside an address we hand out.
TEST(ExtractPage, AddressesNeverCarryReplyMarkers) {
  auto found = extractStreamAddresses(
      R"(<video src='/a"b]]c[d].mp4?q=x"y]]'></video><video src="http://[::1]:8080/v.mp4">)",
      kPage);
  EXPECT_EQ(found, (List{"http://site.test/a%22b%5D%5Dc%5Bd%5D.mp4?q=x%22y%5D%5D",
                         "http://[::1]:8080/v.mp4"}));
}

TEST(ExtractPage, BytesAboveAsciiArePercentEncoded) {
  EXPECT_EQ(extractStreamAddresses("<video src=\"/\xE8\xA7\x86\xE9\xA2\x91.mp4\">", kPage),
            List{"http://site.test/%E8%A7%86%E9%A2%91.mp4"});
}

TEST(ExtractPage, ManyNestedElementsNeedNoDeepStack) {
  std::string page;
  for (int i = 0; i < 200000; ++i) page += "<div><video>";
  page += "<source src=\"deep.mp4\">";
  EXPECT_EQ(extractStreamAddresses(page, kPage), List{"http://site.test/course/deep.mp4"});
}

TEST(CharacterReferences, DecodeAsInAnAttributeValue) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a&amp;b", "a&b"},
      {"&quot;&apos;&lt;&gt;", "\"'<>"},
      {"&#65;&#x42;&#X43", "ABC"},
      {"&amp", "&"},
      {"&ampx", "&ampx"},
      {"&amp=1", "&amp=1"},
      {"&unknown;", "&unknown;"},
      {"&#;&#x;", "&#;&#x;"},
      {"&#0;", "\xEF\xBF\xBD"},
      {"&#x110000;", "\xEF\xBF\xBD"},
      {"&#xE9;", "\xC3\xA9"},
      {"&nbsp;", "\xC2\xA0"},
      {"&#99999999999999;", "\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(decodeCharacterReferences(c.in), c.out) << c.in;
}

TEST(JsonLd, ReadsEveryContentUrlStringWithItsEscapes) {
  EXPECT_EQ(jsonContentUrls(R"([{"contentUrl":"a\"b"},{"x":{"contentUrl":"\ud83c\udfac"}},
                                {"contentUrl": 5}, {"contentUrl": "unterminated)"),
            (List{"a\"b", "\xF0\x9F\x8E\xAC", "unterminated"}));
  EXPECT_TRUE(jsonContentUrls(R"({"name": "contentUrl", "v": "contentUrl"})").empty());
}

TEST(Address, NormalisesWhatAUserPastes) {
  EXPECT_EQ(normaliseAddress("  site.test/a b?x=1&y=\"2\"\r\n"),
            "http://site.test/a%20b?x=1&y=%222%22");
  EXPECT_EQ(normaliseAddress("HTTPS://Site.Test:443/p/../q#frag"), "https://site.test:443/q");
  EXPECT_EQ(normaliseAddress("http://site.test/%41%zz"), "http://site.test/%41%zz");
  EXPECT_EQ(normaliseAddress("file:///etc/passwd"), "");
  EXPECT_EQ(normaliseAddress("ftp://site.test/a.mp4"), "");
  EXPECT_EQ(normaliseAddress(""), "");
}

}  // namespace
}  // namespace vumbrel::resolver
