// SPDX-License-Identifier: MIT
// vumbrel-demo-driver [--media DIR] [--out DIR] [--screenshot FILE] [--timeout SECONDS]
//
// The scripted demo: serves the demo course on 127.0.0.1, starts our own
// resolver, opens the real main window in this process, puts the course
// address on the clipboard, clicks "一键获取内容", ticks "自动下载", starts the
// first row and waits until every row is finished. Prints each file's path,
// size and sha256 against its source, saves a screenshot of the window, and
// exits 0 only when every file is exact.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCryptographicHash>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "app/system.h"
#include "app/task_list.h"
#include "demo_site.h"
#include "download/target_path.h"
#include "resolve/code_pages.h"
#include "resolver/embedded_resolver.h"
#include "ui/exit_cleanup.h"
#include "ui/exit_processing.h"
#include "ui/gbk_text.h"
#include "ui/logic_wiring.h"
#include "ui/main_window.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

QString utf8(const char* text) { return QString::fromUtf8(text); }

// Lets the window's thread work (every control operation of the workers runs
// there) until `done` holds; false when `limit` passes first.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(5);
  }
  return true;
}

struct FileCheck {
  qint64 size = -1;
  std::string sha256;
};

FileCheck check(const fs::path& path) {
  FileCheck result;
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::ReadOnly)) return result;
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(&file);
  result.size = file.size();
  result.sha256 = hash.result().toHex().toStdString();
  return result;
}

struct Arguments {
  fs::path media = "demo-media";
  fs::path out = "demo-output";
  fs::path screenshot;  // default: <out>/screenshot.png
  int timeoutSeconds = 180;
};

bool parse(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    if (arg == "--media")
      args.media = argv[++i];
    else if (arg == "--out")
      args.out = argv[++i];
    else if (arg == "--screenshot")
      args.screenshot = argv[++i];
    else if (arg == "--timeout")
      args.timeoutSeconds = std::atoi(argv[++i]);
    else
      return false;
  }
  if (args.screenshot.empty()) args.screenshot = args.out / "screenshot.png";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  if (!parse(argc, argv, args)) {
    std::fprintf(stderr,
                 "usage: vumbrel-demo-driver [--media DIR] [--out DIR] [--screenshot FILE] "
                 "[--timeout SECONDS]\n");
    return 2;
  }
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);

  std::string error = vumbrel::demo::makeDemoMedia(args.media);
  if (!error.empty()) {
    std::fprintf(stderr, "demo: %s\n", error.c_str());
    return 1;
  }
  std::error_code ignored;
  fs::create_directories(args.out, ignored);
  fs::path out = fs::absolute(args.out);
  vumbrel::demo::DemoSite site(args.media);
  if (!site.start()) {
    std::fprintf(stderr, "demo: the demo site cannot listen on 127.0.0.1\n");
    return 1;
  }

  vumbrel::System system;
  auto resolver = vumbrel::resolver::connectResolver("", system.resolverBase);
  if (!resolver) {
    std::fprintf(stderr, "demo: the resolver cannot listen on 127.0.0.1\n");
    return 1;
  }
  std::printf("demo: course page %s, resolver %s\n", site.pageAddress().c_str(),
              system.resolverBase.c_str());

  vumbrel::ui::ExitProcessing exit;
  exit.registerCleanup([&system] { vumbrel::ui::stopAllAndRelease(system); });
  auto window = std::make_unique<vumbrel::ui::MainWindow>(vumbrel::ui::bindLogic(system), exit);
  system.controls = window.get();
  window->load();
  const std::string folder = vumbrel::ui::toGbk(QString::fromStdString(out.string()));
  window->setSaveFolder(folder);

  QGuiApplication::clipboard()->setText(QString::fromStdString(site.pageAddress()));
  auto* resolve = window->findChild<QPushButton*>(utf8("按钮3"));
  auto* autoDownload = window->findChild<QCheckBox*>(utf8("选择框1"));
  if (!resolve || !autoDownload) {
    std::fprintf(stderr, "demo: the window lacks its controls\n");
    return 1;
  }
  QTest::mouseClick(resolve, Qt::LeftButton);
  const auto& lessons = vumbrel::demo::demoLessons();
  const int rows = static_cast<int>(lessons.size());
  if (!waitUntil([&] { return window->rowCount() == rows && resolve->isEnabled(); }, 60s)) {
    std::fprintf(stderr, "demo: expected %d rows, the list shows %d\n", rows, window->rowCount());
    return 1;
  }
  std::printf("demo: %d rows listed\n", rows);

  if (!autoDownload->isChecked()) QTest::mouseClick(autoDownload, Qt::LeftButton);
  window->setCurrentRow(0);
  window->taskMenu()->actions().at(0)->trigger();  // "开始" on the first row
  auto allFinished = [&] {
    for (int r = 0; r < rows; ++r) {
      if (window->rowState(r) != vumbrel::Finished) return false;
    }
    return true;
  };
  bool finished = waitUntil(allFinished, std::chrono::seconds(args.timeoutSeconds));
  // One more tick, so that the status bar shows the final counts.
  waitUntil([] { return false; }, 1200ms);

  int exact = 0;
  for (int r = 0; r < rows; ++r) {
    std::string path =
        vumbrel::gbkToUtf8(vumbrel::targetPath(folder, window->cellText(r, vumbrel::ColumnTitle)));
    FileCheck got = check(path);
    FileCheck want = check(site.mediaFile(lessons[r]));
    bool same = got.size >= 0 && got.size == want.size && got.sha256 == want.sha256;
    exact += same ? 1 : 0;
    std::printf("%s  %lld bytes  sha256 %s  %s\n", path.c_str(), static_cast<long long>(got.size),
                got.sha256.empty() ? "-" : got.sha256.c_str(),
                same ? "matches its source" : "DIFFERS from its source");
  }

  fs::create_directories(fs::absolute(args.screenshot).parent_path(), ignored);
  bool saved = window->grab().save(QString::fromStdString(args.screenshot.string()), "PNG");
  std::printf("demo: screenshot %s%s\n", args.screenshot.c_str(), saved ? "" : " NOT saved");

  window->close();  // the program's exit: every slot released
  system.waitForWorkers();
  window.reset();
  resolver->stop();
  site.stop();
  bool ok = finished && exact == rows && saved;
  std::printf("demo: %d of %d files exact%s\n", exact, rows,
              finished ? "" : " (not every row finished in time)");
  std::fflush(stdout);
  return ok ? 0 : 1;
}
