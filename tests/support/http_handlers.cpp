// SPDX-License-Identifier: MIT
#include "http_handlers.h"

#include <algorithm>
#include <charconv>

namespace vumbrel::test {
namespace {

const char* reasonOf(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 206:
      return "Partial Content";
    case 301:
      return "Moved Permanently";
    case 302:
      return "Found";
    case 303:
      return "See Other";
    case 307:
      return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 416:
      return "Range Not Satisfiable";
    case 429:
      return "Too Many Requests";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

bool isHead(const RecordedRequest& request) { return request.method == "HEAD"; }

bool readNumber(std::string_view text, std::uint64_t& value) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string replyHead(const Reply& reply, std::uint64_t contentLength) {
  std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                     (reply.reason.empty() ? reasonOf(reply.status) : reply.reason) + "\r\n";
  for (const std::string& line : reply.headerLines) head += line + "\r\n";
  if (reply.contentLength) head += "Content-Length: " + std::to_string(contentLength) + "\r\n";
  return head + "\r\n";
}

void sendReply(const RecordedRequest& request, Connection& connection, const Reply& reply) {
  if (reply.delay.count() > 0 && !connection.sleepFor(reply.delay)) return;
  if (!connection.send(replyHead(reply, reply.body.size()))) return;
  if (isHead(request)) return;
  std::string_view body = reply.body;
  bool cut = reply.closeAfter < body.size();
  if (cut) body = body.substr(0, reply.closeAfter);
  connection.send(body);
  if (cut || !reply.contentLength) connection.close();
}

Handler fixedReply(Reply reply) {
  return [reply = std::move(reply)](const RecordedRequest& request, Connection& connection) {
    sendReply(request, connection, reply);
  };
}

Handler redirectTo(std::string location, int status) {
  return fixedReply(
      {.status = status, .headerLines = {"Location: " + location}, .body = "moved to " + location});
}

Handler neverAnswer() {
  return [](const RecordedRequest&, Connection& connection) {
    connection.waitUntilPeerCloses();
    connection.close();
  };
}

char patternByte(std::uint64_t offset) {
  std::uint64_t block = offset >> 8;
  block ^= block >> 17;
  block *= 0x9E3779B97F4A7C15ull;
  return static_cast<char>((offset * 131 + (block >> 40)) & 0xff);
}

void patternSource(std::uint64_t offset, char* out, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) out[i] = patternByte(offset + i);
}

bool parseSingleRange(const std::string& value, std::uint64_t size, std::uint64_t& first,
                      std::uint64_t& last, bool& satisfiable) {
  std::string_view text = value;
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (!text.starts_with("bytes=")) return false;
  text.remove_prefix(6);
  std::size_t dash = text.find('-');
  if (dash == std::string_view::npos || text.find(',') != std::string_view::npos) return false;
  std::string_view from = text.substr(0, dash), to = text.substr(dash + 1);
  std::uint64_t a = 0, b = 0;
  if (from.empty()) {  // the last `to` bytes
    if (!readNumber(to, b)) return false;
    satisfiable = b > 0 && size > 0;
    first = size - std::min(b, size);
    last = size - 1;
    return true;
  }
  if (!readNumber(from, a)) return false;
  if (to.empty()) {
    b = size - 1;
  } else if (!readNumber(to, b) || b < a) {
    return false;
  }
  satisfiable = a < size;
  first = a;
  last = std::min(b, size - 1);
  return true;
}

void sendBody(const RecordedRequest& request, Connection& connection, std::uint64_t size,
              const BodySource& source, const BodyOptions& options) {
  if (options.delay.count() > 0 && !connection.sleepFor(options.delay)) return;
  Reply head{.headerLines = options.headerLines};
  head.headerLines.push_back("Content-Type: " + options.contentType);
  if (options.ranges) head.headerLines.push_back("Accept-Ranges: bytes");
  std::uint64_t first = 0, last = size - 1;
  bool satisfiable = true;
  std::string range = request.header("Range");
  if (options.ranges && !range.empty() && parseSingleRange(range, size, first, last, satisfiable)) {
    if (!satisfiable) {
      head.status = 416;
      head.headerLines.push_back("Content-Range: bytes */" + std::to_string(size));
      connection.send(replyHead(head, 0));
      return;
    }
    head.status = 206;
    head.headerLines.push_back("Content-Range: bytes " + std::to_string(first) + "-" +
                               std::to_string(last) + "/" + std::to_string(size));
  } else {
    first = 0;
    last = size - 1;
  }
  std::uint64_t length = size == 0 ? 0 : last - first + 1;
  if (!connection.send(replyHead(head, length)) || isHead(request)) return;

  std::string chunk(64 * 1024, '\0');
  std::uint64_t offset = first, end = first + length;
  while (offset < end) {
    std::uint64_t stop = std::min(end, offset + chunk.size());
    if (options.closeAtOffset >= offset && options.closeAtOffset < stop)
      stop = options.closeAtOffset;
    std::size_t count = static_cast<std::size_t>(stop - offset);
    source(offset, chunk.data(), count);
    if (!connection.send(std::string_view(chunk.data(), count))) return;
    offset = stop;
    if (offset == options.closeAtOffset) {
      connection.close();
      return;
    }
  }
}

Handler bodyHandler(std::uint64_t size, BodySource source, BodyOptions options) {
  return [size, source = std::move(source), options = std::move(options)](
             const RecordedRequest& request, Connection& connection) {
    sendBody(request, connection, size, source, options);
  };
}

}  // namespace vumbrel::test
