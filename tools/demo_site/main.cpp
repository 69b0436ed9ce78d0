// SPDX-License-Identifier: MIT
// vumbrel-demo-site [--port N] [--media DIR]: makes the demo course's videos
// (once) and serves the course page on 127.0.0.1 until ended.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "demo_site.h"

int main(int argc, char** argv) {
  int port = 0;
  std::filesystem::path media = "demo-media";
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--port" && i + 1 < argc) {
      port = std::atoi(argv[++i]);
    } else if (arg == "--media" && i + 1 < argc) {
      media = argv[++i];
    } else {
      std::fprintf(stderr, "usage: vumbrel-demo-site [--port N] [--media DIR]\n");
      return 2;
    }
  }
  sigset_t endSignals;
  sigemptyset(&endSignals);
  sigaddset(&endSignals, SIGINT);
  sigaddset(&endSignals, SIGTERM);
  sigaddset(&endSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::string error = vumbrel::demo::makeDemoMedia(media);
  if (!error.empty()) {
    std::fprintf(stderr, "vumbrel-demo-site: %s\n", error.c_str());
    return 1;
  }
  vumbrel::demo::DemoSite site(media);
  if (!site.start(port)) {
    std::fprintf(stderr, "vumbrel-demo-site: cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  std::printf("%s\n", site.pageAddress().c_str());
  std::fflush(stdout);
  int received = 0;
  sigwait(&endSignals, &received);
  site.stop();
  return 0;
}
