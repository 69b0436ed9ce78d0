// SPDX-License-Identifier: MIT
// vumbrel-fetch URL OUT [threads]: downloads one address through the engine
// and exits 0 only when the file is complete. For benchmarks and for trying
// the engine by hand; an existing OUT is overwritten.
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "download/engine.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: vumbrel-fetch URL OUT [threads]\n");
    return 2;
  }
  vumbrel::TaskParam param;
  param.taskFlags = 4096;
  param.sourceUrl = argv[1];
  param.localPath = argv[2];
  param.threadCount = argc == 4 ? std::atoi(argv[3]) : 2;
  if (param.threadCount < 1) {
    std::fprintf(stderr, "vumbrel-fetch: threads must be a positive number\n");
    return 2;
  }
  // The receive size libcurl allows at most: fewer, larger reads.
  param.receiveBlockSize = 512 * 1024;

  std::mutex mutex;
  std::condition_variable ended;
  int reason = -1;
  param.statusCallback = [&](int type, int64_t a, int64_t, const std::string&, int32_t) {
    if (type == vumbrel::StatusEnded) {
      std::lock_guard lock(mutex);
      reason = static_cast<int>(a);
      ended.notify_all();
    }
    return type == vumbrel::StatusFileExists ? 2 : 0;
  };
  param.threadInfoCallback = [](int32_t thread, const std::string& time, const std::string& message,
                                int level, int32_t) {
    if (level > 0) std::fprintf(stderr, "%s [%d] %s\n", time.c_str(), thread, message.c_str());
  };

  vumbrel::EnginePtr engine(vumbrel::createEngine());
  if (!vumbrel::addTask(engine.get(), param)) return 1;
  {
    std::unique_lock lock(mutex);
    ended.wait(lock, [&] { return reason >= 0; });
  }
  engine.reset();
  return reason == vumbrel::EndCompleted ? 0 : 1;
}
