// SPDX-License-Identifier: MIT
// The widget edge's texts: GBK in and out, the tray tooltip's cut.
#include <gtest/gtest.h>

#include <QSystemTrayIcon>

#include "qt_app.h"
#include "ui/gbk_text.h"
#include "ui/tray.h"

namespace vumbrel::test {
namespace {

TEST(GbkTextTest, RoundTripsAndEndsAtZero) {
  const std::string gbk = "\xce\xc4\xbc\xfe\xc3\xfb abc";  // "文件名 abc"
  EXPECT_EQ(ui::fromGbk(gbk), utf8("文件名 abc"));
  EXPECT_EQ(ui::toGbk(utf8("文件名 abc")), gbk);
  EXPECT_EQ(ui::fromGbk(std::string("ab\0cd", 5)), utf8("ab"));
  EXPECT_EQ(ui::fromGbk(""), QString());
  EXPECT_EQ(ui::toGbk(QString()), "");
}

TEST(GbkTextTest, CutKeepsTwoByteCharactersWhole) {
  struct Case {
    std::string text;
    size_t limit;
    std::string cut;
  };
  const Case cases[] = {
      {"abcdef", 4, "abcd"},
      {"ab\xce\xc4", 3, "ab"},  // would split 文
      {"ab\xce\xc4", 4, "ab\xce\xc4"},
      {"a\xce\xc4"
       "b",
       2, "a"},
      {"", 62, ""},
      {"abc", 62, "abc"},
  };
  for (const Case& c : cases) EXPECT_EQ(ui::cutGbk(c.text, c.limit), c.cut) << c.text;
}

TEST(GbkTextTest, TrayTooltipIsCutTo62Bytes) {
  qtApp();
  ui::TrayIcon tray;
  // 24 bytes of head, then 39 digits: 63 bytes, one over.
  const QString tip = utf8("Vumbrel     作者联系QQ：") + QString(39, QLatin1Char('9'));
  tray.add(QIcon(), tip);
  EXPECT_EQ(ui::toGbk(tray.icon()->toolTip()).size(), 62u);
  // Ending in a two-byte character that would straddle byte 62.
  const QString wide = QString(61, QLatin1Char('x')) + utf8("文");
  tray.add(QIcon(), wide);
  EXPECT_EQ(tray.icon()->toolTip(), QString(61, QLatin1Char('x')));
}

TEST(TrayTest, ActivationCodes) {
  EXPECT_EQ(ui::trayEventCode(QSystemTrayIcon::Trigger), 1);
  EXPECT_EQ(ui::trayEventCode(QSystemTrayIcon::DoubleClick), 2);
  EXPECT_EQ(ui::trayEventCode(QSystemTrayIcon::Context), 3);
  EXPECT_EQ(ui::trayEventCode(QSystemTrayIcon::MiddleClick), 0);
  EXPECT_EQ(ui::trayEventCode(QSystemTrayIcon::Unknown), 0);
}

}  // namespace
}  // namespace vumbrel::test
