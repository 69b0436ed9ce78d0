// SPDX-License-Identifier: MIT
#include "resolver/ytdlp_backend.h"

#include <algorithm>
#include <sstream>

#include "resolver/address.h"
#include "resolver/program_run.h"

namespace vumbrel::resolver {
namespace {

// One file holding both video and sound (unknown codecs allowed, as for a
// plain <video> page), fetched over plain http or https rather than HLS/DASH.
constexpr const char* kFormat =
    "best[ext=mp4][protocol~='^https?$'][acodec!=?none][vcodec!=?none]"
    "/best[protocol~='^https?$'][acodec!=?none][vcodec!=?none]";

}  // namespace

std::vector<std::string> ytDlpArguments(const std::string& program, const std::string& pageAddress,
                                        std::chrono::milliseconds limit) {
  auto socketSeconds = std::max<long long>(1, limit.count() / 2000);
  return {program,
          "--get-url",
          "--no-playlist",
          "--no-warnings",
          "--no-progress",
          "--no-cache-dir",
          "--socket-timeout",
          std::to_string(socketSeconds),
          "--format",
          kFormat,
          "--",
          pageAddress};
}

std::vector<std::string> askYtDlp(const std::string& program, const std::string& pageAddress,
                                  std::chrono::milliseconds limit,
                                  const std::atomic<bool>* cancel) {
  std::vector<std::string> addresses;
  if (program.empty() || !isHttpAddress(pageAddress)) return addresses;
  ProgramResult run =
      runProgram(ytDlpArguments(program, pageAddress, limit), limit, 1024 * 1024, cancel);
  if (!run.started || run.timedOut) return addresses;
  // A failed entry of a multi-video page does not spoil the ones it printed.
  std::istringstream lines(run.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!isHttpAddress(line)) continue;
    std::string address = resolveAddress({}, line);
    if (address.empty() || hasPlaylistExtension(address)) continue;
    if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
      addresses.push_back(std::move(address));
    }
  }
  return addresses;
}

}  // namespace vumbrel::resolver
