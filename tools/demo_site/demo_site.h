// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace vumbrel::demo {

// One lesson of the demo course: its title (UTF-8) and its video file.
struct Lesson {
  std::string title;
  std::string fileName;  // e.g. "lesson-1.mp4"
};

// The lessons of the course page, in page order.
const std::vector<Lesson>& demoLessons();

// The course page: one <title> per lesson and its <video>, both in lesson
// order, so that title i and stream i belong together; no other <title>.
std::string coursePage();

// Makes every lesson's MP4 file in `mediaDir` that is not there yet, with
// ffmpeg (short, small, playable clips with picture and sound). Returns ""
// on success, else what went wrong.
std::string makeDemoMedia(const std::filesystem::path& mediaDir);

// A small web site on 127.0.0.1: "/course.html" and the lesson files from a
// media folder (with ranges, as a download engine expects).
class DemoSite {
 public:
  explicit DemoSite(std::filesystem::path mediaDir);
  ~DemoSite();
  DemoSite(const DemoSite&) = delete;
  DemoSite& operator=(const DemoSite&) = delete;

  // Listens on 127.0.0.1:port (0: a free one) on a thread of its own.
  bool start(int port = 0);
  void stop();
  int port() const { return port_; }
  // "http://127.0.0.1:<port>/course.html"
  std::string pageAddress() const;
  std::filesystem::path mediaFile(const Lesson& lesson) const {
    return mediaDir_ / lesson.fileName;
  }

 private:
  std::filesystem::path mediaDir_;
  std::unique_ptr<httplib::Server> server_;
  std::unique_ptr<std::thread> thread_;
  std::atomic<bool> listenEnded_{false};
  int port_ = 0;
};

}  // namespace vumbrel::demo
