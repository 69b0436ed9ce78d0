// SPDX-License-Identifier: MIT
#include "resolver/raw_target_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace vumbrel::resolver {
namespace {

void addressOf(const sockaddr_storage& addr, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    const auto& a = reinterpret_cast<const sockaddr_in&>(addr);
    inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    port = ntohs(a.sin_port);
  } else if (addr.ss_family == AF_INET6) {
    const auto& a = reinterpret_cast<const sockaddr_in6&>(addr);
    inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof text);
    port = ntohs(a.sin6_port);
  }
  ip = text;
}

int toMillis(time_t sec, time_t usec) { return static_cast<int>(sec * 1000 + usec / 1000); }

// A socket read through a buffer whose front may be replaced: the request
// line is read first, mended, and put back before httplib reads it.
class MendedSocketStream final : public httplib::Stream {
 public:
  MendedSocketStream(int sock, int readMillis, int writeMillis)
      : sock_(sock), readMillis_(readMillis), writeMillis_(writeMillis) {}

  // Reads up to and including the first "\n", at most `max` bytes.
  bool readLine(std::string& line, size_t max) {
    line.clear();
    while (line.size() < max) {
      if (off_ == buf_.size() && !fill()) return false;
      char c = buf_[off_++];
      line += c;
      if (c == '\n') return true;
    }
    return true;
  }

  void putBack(const std::string& bytes) {
    buf_ = bytes + buf_.substr(off_);
    off_ = 0;
  }

  bool is_readable() const override { return off_ < buf_.size() || waitFor(POLLIN, readMillis_); }
  bool is_writable() const override { return waitFor(POLLOUT, writeMillis_); }

  ssize_t read(char* ptr, size_t size) override {
    if (off_ == buf_.size() && !fill()) return -1;
    size_t n = std::min(size, buf_.size() - off_);
    std::copy_n(buf_.data() + off_, n, ptr);
    off_ += n;
    return static_cast<ssize_t>(n);
  }

  ssize_t write(const char* ptr, size_t size) override {
    if (!is_writable()) return -1;
    ssize_t n;
    do {
      n = send(sock_, ptr, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
  }

  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (getpeername(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
      addressOf(addr, ip, port);
  }

  void get_local_ip_and_port(std::string& ip, int& port) const override {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (getsockname(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
      addressOf(addr, ip, port);
  }

  socket_t socket() const override { return sock_; }

 private:
  bool waitFor(short events, int millis) const {
    pollfd p{sock_, events, 0};
    int r;
    do {
      r = poll(&p, 1, millis);
    } while (r < 0 && errno == EINTR);
    return r > 0;
  }

  bool fill() {
    if (!waitFor(POLLIN, readMillis_)) return false;
    char chunk[4096];
    ssize_t n;
    do {
      n = recv(sock_, chunk, sizeof chunk, 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return false;
    buf_.assign(chunk, static_cast<size_t>(n));
    off_ = 0;
    return true;
  }

  int sock_;
  int readMillis_;
  int writeMillis_;
  std::string buf_;
  size_t off_ = 0;
};

}  // namespace

std::string acceptableRequestLine(std::string_view line, std::string& rawTarget) {
  rawTarget.clear();
  std::string_view body = line;
  std::string_view ending;
  if (body.size() >= 2 && body.substr(body.size() - 2) == "\r\n") {
    ending = body.substr(body.size() - 2);
    body.remove_suffix(2);
  } else if (!body.empty() && body.back() == '\n') {
    ending = body.substr(body.size() - 1);
    body.remove_suffix(1);
  }
  size_t first = body.find(' ');
  size_t last = body.rfind(' ');
  if (first == std::string_view::npos || last == first) return std::string(line);
  std::string_view method = body.substr(0, first);
  std::string_view version = body.substr(last + 1);
  std::string_view target = body.substr(first + 1, last - first - 1);
  while (!target.empty() && target.front() == ' ') target.remove_prefix(1);
  while (!target.empty() && target.back() == ' ') target.remove_suffix(1);
  rawTarget = std::string(target);

  std::string mended;
  size_t query = target.find('?');
  for (size_t i = 0; i < target.size(); ++i) {
    char c = target[i];
    if (c == ' ')
      mended += "%20";
    else if (c == '?' && i != query)
      mended += "%3F";
    else
      mended += c;
  }
  std::string out(method);
  out += ' ';
  out += mended;
  out += ' ';
  out += version;
  out += ending;
  return out;
}

bool RawTargetServer::process_and_close_socket(socket_t sock) {
  MendedSocketStream stream(sock, toMillis(read_timeout_sec_, read_timeout_usec_),
                            toMillis(write_timeout_sec_, write_timeout_usec_));
  bool ok = false;
  std::string line;
  // A line longer than the parser takes goes on unmended, so it refuses it.
  if (stream.readLine(line, CPPHTTPLIB_REQUEST_URI_MAX_LENGTH + 64)) {
    std::string rawTarget;
    stream.putBack(acceptableRequestLine(line, rawTarget));
    bool closed = false;
    ok = process_request(stream, true, closed,
                         [&](httplib::Request& req) { req.target = rawTarget; });
  }
  shutdown(sock, SHUT_RDWR);
  close(sock);
  return ok;
}

}  // namespace vumbrel::resolver
