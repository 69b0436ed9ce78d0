// SPDX-License-Identifier: MIT
#pragma once

// Ready-made handlers for LoopbackServer, and the pieces to build others.

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "loopback_server.h"

namespace vumbrel::test {

inline constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

// A canned reply. Header lines go out as given, in order ("Set-Cookie: a=1"
// twice gives two lines; a long line gives an over-long block).
struct Reply {
  int status = 200;
  std::string reason{};                    // "" picks the usual phrase ("OK", "Not Found", ...)
  std::vector<std::string> headerLines{};  // "Name: value", without CR LF
  std::string body{};
  bool contentLength = true;           // add "Content-Length"; without it the body ends by closing
  std::chrono::milliseconds delay{0};  // wait before anything is sent
  std::uint64_t closeAfter = kNever;   // drop the connection after this many body bytes
};

// The status line and header lines of `reply`, with the empty line.
std::string replyHead(const Reply& reply, std::uint64_t contentLength);

// Writes `reply` (its delay, head and body, cut off as asked) to `connection`.
// A HEAD request gets the head alone.
void sendReply(const RecordedRequest& request, Connection& connection, const Reply& reply);

Handler fixedReply(Reply reply);

// Answers with `status` and "Location: <location>" and a short body.
Handler redirectTo(std::string location, int status = 302);

// Reads the request and never answers; the connection stays open until the
// client gives up or the server stops.
Handler neverAnswer();

// The byte at `offset` of the test pattern: cheap, and different for blocks
// moved by any multiple of 256 bytes, so misplaced segments show.
char patternByte(std::uint64_t offset);

// Fills `out` with `length` bytes of a body starting at `offset`.
using BodySource = std::function<void(std::uint64_t offset, char* out, std::size_t length)>;
void patternSource(std::uint64_t offset, char* out, std::size_t length);

struct BodyOptions {
  std::string contentType = "application/octet-stream";
  bool ranges = true;                      // honour "Range: bytes=a-b" (one range) with 206
  std::vector<std::string> headerLines{};  // further lines, e.g. "Set-Cookie: s=1"
  std::uint64_t closeAtOffset = kNever;    // drop the connection on reaching this body offset
  std::chrono::milliseconds delay{0};      // wait before the head is sent
};

// Serves a body of `size` bytes made by `source` (nothing is stored, so
// sizes past 4 GiB work). With ranges on, a single satisfiable range gets 206
// with "Content-Range: bytes a-b/size", an unsatisfiable one 416, several
// ranges or a malformed header the whole body with 200.
void sendBody(const RecordedRequest& request, Connection& connection, std::uint64_t size,
              const BodySource& source, const BodyOptions& options = {});
Handler bodyHandler(std::uint64_t size, BodySource source = patternSource,
                    BodyOptions options = {});

// The one range of a "Range" header value ("bytes=a-b", "bytes=a-",
// "bytes=-n") over a body of `size` bytes, as first and last offsets; false
// for anything else (no header, several ranges, nonsense).
bool parseSingleRange(const std::string& value, std::uint64_t size, std::uint64_t& first,
                      std::uint64_t& last, bool& satisfiable);

}  // namespace vumbrel::test
