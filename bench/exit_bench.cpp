// SPDX-License-Identifier: MIT
// How long the exit clean-up takes with downloads still running, against
// stalled loopback transfers: the program's clean-up (every task stopped side
// by side, then releaseAll) beside releaseAll alone, which stops one slot
// after the other. Usage: exit_bench [rows]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/task_list.h"
#include "download/engine.h"
#include "download/start_stop.h"
#include "download_routes.h"
#include "headless_system.h"
#include "loopback_server.h"
#include "temp_dir.h"
#include "ui/exit_cleanup.h"

using namespace vumbrel;
using namespace vumbrel::test;

namespace {

double timeExit(int rows, bool parallel) {
  LoopbackServer server;
  server.route("/v*",
               faultyBody(64 << 20, {.stallAt = 65536, .stallFor = std::chrono::seconds(30)}));
  TempDir folder;
  HeadlessSystem h;
  h.controls.setSaveFolder(folder.path().string());
  std::vector<std::string> addresses;
  for (int i = 0; i < rows; ++i) addresses.push_back(server.url("/v" + std::to_string(i)));
  h.addRows(std::vector<int>(rows, Waiting));
  h.setStreamAddresses(addresses);
  for (int i = 0; i < rows; ++i) startRow(h.system, i);
  server.waitForRequests(rows);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // every transfer now stalls
  const auto start = std::chrono::steady_clock::now();
  if (parallel)
    ui::stopAllAndRelease(h.system);
  else
    releaseAll(h.system.state);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : 8;
  const double together = timeExit(rows, true);
  const double oneByOne = timeExit(rows, false);
  std::printf("exit with %d running downloads: %.0f ms stopping all at once, %.0f ms one by one\n",
              rows, together, oneByOne);
  return 0;
}
