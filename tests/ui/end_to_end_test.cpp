// SPDX-License-Identifier: MIT
// The whole program in the real window against loopback servers: a page
// address on the clipboard, a click on 按钮3, the rows, "开始" on a row, the
// finished file byte for byte, and the counts in the status bar.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QPushButton>
#include <QTest>

#include "app/task_list.h"
#include "digest.h"
#include "download_routes.h"
#include "loopback_server.h"
#include "qt_app.h"
#include "temp_dir.h"
#include "ui/exit_cleanup.h"
#include "ui/gbk_text.h"
#include "ui/logic_wiring.h"
#include "ui/main_window.h"

namespace vumbrel::test {
namespace {

constexpr std::uint64_t kVideoSize = 3 * 1024 * 1024 + 17;

TEST(EndToEndTest, ClipboardToFinishedFile) {
  qtApp();
  LoopbackServer server;
  server.route(
      "/course/7.html",
      fixedReply({.body = "<html><title>第一节 开始</title><title>第二节</title></html>"}));
  server.route("/index.php", fixedReply({.body = "{\"url\": \"token-7\"}"}));
  server.route("/api.php", fixedReply({.body = "<list><item><![CDATA[" + server.url("/v1.mp4") +
                                               "]]></item><item><![CDATA[" + server.url("/v2.mp4") +
                                               "]]></item></list>"}));
  server.route("/v1.mp4", faultyBody(kVideoSize));
  server.route("/v2.mp4", faultyBody(kVideoSize));
  TempDir folder;

  System system;
  system.resolverBase = server.url("");
  ui::ExitProcessing exit;
  exit.registerCleanup([&system] { ui::stopAllAndRelease(system); });
  auto window = std::make_unique<ui::MainWindow>(ui::bindLogic(system), exit);
  system.controls = window.get();
  window->load();
  window->setSaveFolder(ui::toGbk(QString::fromStdString(folder.path().string())));

  QGuiApplication::clipboard()->setText(QString::fromStdString(server.url("/course/7.html")));
  auto* button = window->findChild<QPushButton*>(utf8("按钮3"));
  QTest::mouseClick(button, Qt::LeftButton);
  ASSERT_TRUE(waitUntil([&] { return window->rowCount() == 2 && button->isEnabled(); }, 20000));
  EXPECT_EQ(window->pageAddress(), server.url("/course/7.html"));
  EXPECT_EQ(ui::fromGbk(window->cellText(0, ColumnTitle)), utf8("第一节 开始"));
  EXPECT_EQ(window->rowState(0), Waiting);
  EXPECT_EQ(window->rowState(1), Waiting);

  window->setCurrentRow(1);
  window->taskMenu()->actions().at(0)->trigger();  // "开始"
  ASSERT_TRUE(waitUntil([&] { return window->rowState(1) == Finished; }, 30000));
  EXPECT_EQ(window->rowState(0), Waiting);
  EXPECT_EQ(window->cellText(1, ColumnTotalSize), std::to_string(kVideoSize));
  EXPECT_EQ(window->cellText(1, ColumnDownloaded), std::to_string(kVideoSize));
  EXPECT_EQ(window->cellText(1, ColumnProgress), "100.00");
  EXPECT_EQ(
      sha256OfFile(folder / (std::string(reinterpret_cast<const char*>(u8"第二节")) + ".mp4")),
      sha256OfSource(kVideoSize));
  auto* bar = window->findChild<ui::PartStatusBar*>(utf8("状态条1"));
  EXPECT_EQ(bar->partText(0), utf8("有0个正在下载  有1个等待下载"));

  window->close();  // the exit: every slot released once, on this thread
  EXPECT_EQ(slotCount(system.state), 0u);
  system.waitForWorkers();
  window.reset();
}

}  // namespace
}  // namespace vumbrel::test
