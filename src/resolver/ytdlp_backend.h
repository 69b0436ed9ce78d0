// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace vumbrel::resolver {

// The argument list that asks the yt-dlp program at `program` for the direct
// address of one progressive file (video and sound in one, mp4 preferred,
// plain http or https, no playlist expansion) of the page `pageAddress`.
std::vector<std::string> ytDlpArguments(const std::string& program, const std::string& pageAddress,
                                        std::chrono::milliseconds limit);

// Asks yt-dlp for the page's stream addresses, in reply form, in its order,
// each once, playlists left out. Empty when it fails, finds nothing, or has
// not finished within `limit`.
std::vector<std::string> askYtDlp(const std::string& program, const std::string& pageAddress,
                                  std::chrono::milliseconds limit,
                                  const std::atomic<bool>* cancel = nullptr);

}  // namespace vumbrel::resolver
