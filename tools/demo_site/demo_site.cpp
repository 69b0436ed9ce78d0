// SPDX-License-Identifier: MIT
#include "demo_site.h"

#include <httplib.h>

#include <chrono>
#include <thread>

#include "resolver/program_run.h"

namespace vumbrel::demo {
namespace {

// A distinct picture and tone per lesson, so the files differ and play.
struct Clip {
  const char* picture;
  int tone;
};
const Clip kClips[] = {
    {"testsrc2=size=320x180:rate=25", 440},
    {"smptebars=size=320x180:rate=25", 550},
    {"rgbtestsrc=size=320x180:rate=25", 660},
    {"testsrc=size=320x180:rate=25", 770},
};

std::string escapeHtml(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

}  // namespace

const std::vector<Lesson>& demoLessons() {
  static const std::vector<Lesson> lessons = {
      {"第1课 认识界面", "lesson-1.mp4"},
      {"第2课 复制地址, 一键获取", "lesson-2.mp4"},
      {"第3课 开始与停止: 下载任务", "lesson-3.mp4"},
      {"第4课 自动下载与托盘", "lesson-4.mp4"},
  };
  return lessons;
}

std::string coursePage() {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<style>body{font-family:sans-serif;max-width:720px;margin:2em auto}"
      "title{display:none}video{width:320px}</style>\n</head>\n<body>\n"
      "<h1>Vumbrel 演示课程</h1>\n";
  int n = 0;
  for (const auto& lesson : demoLessons()) {
    std::string title = escapeHtml(lesson.title);
    page += "<section id=\"lesson-" + std::to_string(++n) + "\">\n<title>" + title +
            "</title>\n<h2>" + title + "</h2>\n<video controls preload=\"none\" src=\"media/" +
            lesson.fileName + "\"></video>\n<p><a href=\"media/" + lesson.fileName +
            "\">下载视频</a></p>\n</section>\n";
  }
  page += "</body>\n</html>\n";
  return page;
}

std::string makeDemoMedia(const std::filesystem::path& mediaDir) {
  std::error_code error;
  std::filesystem::create_directories(mediaDir, error);
  if (error) return "cannot create " + mediaDir.string() + ": " + error.message();
  std::string ffmpeg = resolver::findOnPath("ffmpeg");
  size_t i = 0;
  for (const auto& lesson : demoLessons()) {
    const Clip& clip = kClips[i++ % std::size(kClips)];
    auto target = mediaDir / lesson.fileName;
    if (std::filesystem::exists(target)) continue;
    if (ffmpeg.empty()) return "ffmpeg is not installed (scripts/install-deps.sh adds it)";
    auto partial = mediaDir / (lesson.fileName + ".part.mp4");
    auto run =
        resolver::runProgram({ffmpeg,
                              "-nostdin",
                              "-v",
                              "error",
                              "-y",
                              "-f",
                              "lavfi",
                              "-i",
                              clip.picture,
                              "-f",
                              "lavfi",
                              "-i",
                              "sine=frequency=" + std::to_string(clip.tone) + ":sample_rate=44100",
                              "-t",
                              "4",
                              "-c:v",
                              "libx264",
                              "-preset",
                              "ultrafast",
                              "-pix_fmt",
                              "yuv420p",
                              "-c:a",
                              "aac",
                              "-b:a",
                              "64k",
                              "-movflags",
                              "+faststart",
                              "-shortest",
                              partial.string()},
                             std::chrono::minutes(2), 0);
    if (!run.started || run.exitCode != 0) return "ffmpeg failed on " + lesson.fileName;
    std::filesystem::rename(partial, target, error);
    if (error) return "cannot write " + target.string() + ": " + error.message();
  }
  return {};
}

DemoSite::DemoSite(std::filesystem::path mediaDir) : mediaDir_(std::move(mediaDir)) {}

DemoSite::~DemoSite() { stop(); }

bool DemoSite::start(int port) {
  if (server_) return false;
  auto server = std::make_unique<httplib::Server>();
  std::string page = coursePage();
  server->Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/course.html");
  });
  server->Get("/course.html", [page](const httplib::Request&, httplib::Response& res) {
    res.set_content(page, "text/html; charset=utf-8");
  });
  if (!server->set_mount_point("/media", mediaDir_.string())) return false;
  server->set_file_extension_and_mimetype_mapping("mp4", "video/mp4");
  int bound = port == 0 ? server->bind_to_any_port("127.0.0.1")
                        : (server->bind_to_port("127.0.0.1", port) ? port : -1);
  if (bound <= 0) return false;
  port_ = bound;
  server_ = std::move(server);
  listenEnded_ = false;
  thread_ = std::make_unique<std::thread>([this, s = server_.get()] {
    s->listen_after_bind();
    listenEnded_ = true;
  });
  // stop() is lost on a server whose loop has not begun yet.
  while (!server_->is_running() && !listenEnded_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void DemoSite::stop() {
  if (!server_) return;
  server_->stop();
  if (thread_ && thread_->joinable()) thread_->join();
  thread_.reset();
  server_.reset();
  port_ = 0;
}

std::string DemoSite::pageAddress() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/course.html";
}

}  // namespace vumbrel::demo
