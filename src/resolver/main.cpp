// SPDX-License-Identifier: MIT
// vumbrel-resolver [--port N] [--no-yt-dlp]: the resolver service on its own,
// on 127.0.0.1, for a build that names an external resolver host.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resolver/resolver_service.h"

int main(int argc, char** argv) {
  auto options = vumbrel::resolver::defaultResolverOptions();
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--port" && i + 1 < argc) {
      char* end = nullptr;
      long port = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || port < 0 || port > 65535) {
        std::fprintf(stderr, "vumbrel-resolver: bad port '%s'\n", argv[i]);
        return 2;
      }
      options.port = static_cast<int>(port);
    } else if (arg == "--no-yt-dlp") {
      options.ytDlpPath.clear();
    } else {
      std::fprintf(stderr, "usage: vumbrel-resolver [--port N] [--no-yt-dlp]\n");
      return arg == "--help" || arg == "-h" ? 0 : 2;
    }
  }

  // Block the end signals before any thread starts, then wait for one.
  sigset_t endSignals;
  sigemptyset(&endSignals);
  sigaddset(&endSignals, SIGINT);
  sigaddset(&endSignals, SIGTERM);
  sigaddset(&endSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  vumbrel::resolver::ResolverService service(options);
  if (!service.start()) {
    std::fprintf(stderr, "vumbrel-resolver: cannot listen on 127.0.0.1:%d\n", options.port);
    return 1;
  }
  std::printf("vumbrel-resolver: listening on %s (yt-dlp: %s)\n", service.baseAddress().c_str(),
              options.ytDlpPath.empty() ? "off" : options.ytDlpPath.c_str());
  std::fflush(stdout);
  int received = 0;
  sigwait(&endSignals, &received);
  service.stop();
  return 0;
}
