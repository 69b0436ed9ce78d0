// SPDX-License-Identifier: MIT
#include "resolver/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace vumbrel::resolver {

ProgramResult runProgram(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
                         size_t maxOutput, const std::atomic<bool>* cancel) {
  ProgramResult result;
  if (argv.empty()) return result;
  int out[2];
  // Close-on-exec, so that programs started by other threads do not inherit
  // this pipe and keep it open.
  if (pipe2(out, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setpgroup(&attr, 0);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(out[1]);
  if (rc != 0) {
    close(out[0]);
    return result;
  }
  result.started = true;

  auto deadline = std::chrono::steady_clock::now() + limit;
  char buffer[4096];
  for (;;) {
    if (cancel && cancel->load()) {
      result.timedOut = true;
      break;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      break;
    }
    pollfd p{out[0], POLLIN, 0};
    // Short waits, so that a cancel is seen soon.
    int ready = poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // end of output: the program is done or closed it
    size_t room = maxOutput - std::min(maxOutput, result.output.size());
    result.output.append(buffer, std::min(room, static_cast<size_t>(n)));
  }
  close(out[0]);

  int status = 0;
  bool reaped = false;
  while (!result.timedOut && !reaped) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) {
      reaped = true;
    } else if (std::chrono::steady_clock::now() >= deadline || (cancel && cancel->load())) {
      result.timedOut = true;
    } else {
      usleep(10'000);
    }
  }
  if (result.timedOut) {
    kill(-pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (!result.timedOut && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

std::string findOnPath(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    // An empty entry stands for the current directory.
    std::string candidate = end > start ? dirs.substr(start, end - start) : std::string(1, '.');
    candidate += '/';
    candidate += name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

}  // namespace vumbrel::resolver
