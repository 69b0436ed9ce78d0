// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace vumbrel::resolver {

struct FetchLimits {
  std::int64_t maxBodyBytes = 16 * 1024 * 1024;
  std::chrono::milliseconds connectTimeout{10'000};
  std::chrono::milliseconds totalTimeout{30'000};
  long maxRedirects = 10;
};

enum class FetchBody {
  None,           // stop as soon as the final response's headers are in
  PageUnlessFile  // read the body, unless the content type names a file (isFileType)
};

struct FetchResult {
  bool answered = false;         // a final response arrived (any status)
  long status = 0;               // its HTTP status
  std::string effectiveAddress;  // the address after redirects
  std::string contentType;       // media type in small letters, no parameters
  std::string body;              // at most maxBodyBytes of it
  bool truncated = false;        // the body went on past maxBodyBytes
};

// True for the content types of audio and video files, of HLS and DASH
// playlists and of unnamed binary data, whose bodies are never read as a page.
bool isFileType(const std::string& contentType);

// True for the content types of video files (not of playlists).
bool isVideoType(const std::string& contentType);

// True for the content types of HLS and DASH playlists.
bool isPlaylistType(const std::string& contentType);

// GETs the http or https `address` (redirects followed, only to http and
// https), within `limits`. Returns answered == false when no response came,
// the address is of another scheme, a time-out struck, or `cancel` became
// true. Safe to call from many threads at once.
FetchResult fetchPage(const std::string& address, FetchBody body, const FetchLimits& limits,
                      const std::atomic<bool>* cancel = nullptr);

}  // namespace vumbrel::resolver
