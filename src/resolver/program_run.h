// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace vumbrel::resolver {

struct ProgramResult {
  bool started = false;
  bool timedOut = false;  // killed at the time limit or on cancel
  int exitCode = -1;      // -1 unless it exited by itself
  std::string output;     // its standard output, at most maxOutput bytes
};

// Runs the program at the path argv[0] with the arguments argv, without a
// shell, in a process group of its own, standard input from /dev/null and
// standard error discarded. Kills the group when `limit` has passed or
// `cancel` becomes true. Safe to call from many threads at once.
ProgramResult runProgram(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
                         size_t maxOutput, const std::atomic<bool>* cancel = nullptr);

// The full path of the executable `name` in a directory of $PATH, or "".
std::string findOnPath(const std::string& name);

}  // namespace vumbrel::resolver
