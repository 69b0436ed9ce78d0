// SPDX-License-Identifier: MIT
#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <set>
#include <stdexcept>

#include "http_handlers.h"

namespace vumbrel::test {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool containsNoCase(std::string_view text, std::string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i)
    if (equalsNoCase(text.substr(i, part.size()), part)) return true;
  return false;
}

// Splits "Name: value" into the name and the value with leading blanks cut.
bool splitHeader(const std::string& line, std::string_view& name, std::string_view& value) {
  std::size_t colon = line.find(':');
  if (colon == std::string::npos) return false;
  name = std::string_view(line).substr(0, colon);
  value = std::string_view(line).substr(colon + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  return true;
}

std::string pathOfTarget(const std::string& target) {
  std::string path = target;
  std::size_t scheme = path.find("://");
  if (scheme != std::string::npos && scheme < path.find('/')) {
    std::size_t slash = path.find('/', scheme + 3);
    path = slash == std::string::npos ? "/" : path.substr(slash);
  }
  return path.substr(0, path.find('?'));
}

}  // namespace

std::string RecordedRequest::header(std::string_view name) const {
  for (const std::string& line : headerLines) {
    std::string_view n, v;
    if (splitHeader(line, n, v) && equalsNoCase(n, name)) return std::string(v);
  }
  return "";
}

int RecordedRequest::headerCount(std::string_view name) const {
  int count = 0;
  for (const std::string& line : headerLines) {
    std::string_view n, v;
    if (splitHeader(line, n, v) && equalsNoCase(n, name)) ++count;
  }
  return count;
}

struct LoopbackServer::Impl {
  int listenFd = -1;
  SSL_CTX* tls = nullptr;
  std::thread acceptor;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;  // a request arrived, or stopping
  bool stopping = false;
  std::set<int> openFds;
  std::vector<std::thread> workers;
  std::vector<RecordedRequest> recorded;
  int connections = 0;
  std::map<std::string, Handler> routes;
  Handler fallback = fixedReply({.status = 404, .body = "not found"});

  void acceptLoop();
  void serve(int fd, int serial);
  Handler handlerFor(const std::string& path);
};

namespace {

class SocketConnection : public Connection {
 public:
  SocketConnection(int fd, SSL* ssl, LoopbackServer::Impl& server)
      : fd_(fd), ssl_(ssl), server_(server) {}

  bool send(std::string_view bytes) override {
    while (!bytes.empty()) {
      if (closed_) return false;
      long n;
      if (ssl_) {
        n = SSL_write(ssl_, bytes.data(),
                      static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20)));
      } else {
        n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      }
      if (n <= 0) {
        if (!ssl_ && n < 0 && errno == EINTR) continue;
        closed_ = true;
        return false;
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  bool sleepFor(std::chrono::milliseconds time) override {
    std::unique_lock lock(server_.mutex);
    return !server_.changed.wait_for(lock, time, [&] { return server_.stopping; });
  }

  void close() override {
    if (closed_) return;
    closed_ = true;
    ::shutdown(fd_, SHUT_RDWR);
  }

  bool closed() const override { return closed_; }

  void waitUntilPeerCloses() override {
    while (readMore()) input_.clear();
  }

  // Appends what the peer sends next to the input; false at its end.
  bool readMore() {
    if (closed_) return false;
    char chunk[16384];
    long n;
    if (ssl_) {
      n = SSL_read(ssl_, chunk, sizeof chunk);
    } else {
      do n = ::recv(fd_, chunk, sizeof chunk, 0);
      while (n < 0 && errno == EINTR);
    }
    if (n <= 0) return false;
    input_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }

  // Takes exactly `count` bytes of input, reading as needed.
  bool take(std::size_t count, std::string& out) {
    while (input_.size() < count)
      if (!readMore()) return false;
    out.append(input_, 0, count);
    input_.erase(0, count);
    return true;
  }

  // Takes one line ending in CR LF, without the CR LF.
  bool takeLine(std::string& out) {
    std::size_t end;
    while ((end = input_.find("\r\n")) == std::string::npos)
      if (input_.size() > (1 << 20) || !readMore()) return false;
    out.assign(input_, 0, end);
    input_.erase(0, end + 2);
    return true;
  }

  bool readRequest(RecordedRequest& request) {
    std::size_t end;
    while ((end = input_.find("\r\n\r\n")) == std::string::npos)
      if (input_.size() > (1 << 20) || !readMore()) return false;
    request.head = input_.substr(0, end + 4);
    input_.erase(0, end + 4);

    std::size_t start = 0, stop = request.head.find("\r\n");
    request.requestLine = request.head.substr(0, stop);
    while ((start = stop + 2) < end) {
      stop = request.head.find("\r\n", start);
      request.headerLines.push_back(request.head.substr(start, stop - start));
    }
    const std::string& line = request.requestLine;
    std::size_t first = line.find(' ');
    std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
    request.method = line.substr(0, first);
    if (first != std::string::npos) request.target = line.substr(first + 1, second - first - 1);
    if (second != std::string::npos) request.version = line.substr(second + 1);
    request.path = pathOfTarget(request.target);

    if (equalsNoCase(request.header("Expect"), "100-continue"))
      send("HTTP/1.1 100 Continue\r\n\r\n");
    if (containsNoCase(request.header("Transfer-Encoding"), "chunked")) {
      for (;;) {
        std::string sizeLine;
        if (!takeLine(sizeLine)) return false;
        std::size_t size = std::stoul(sizeLine, nullptr, 16);
        if (size == 0) break;
        if (!take(size, request.body) || !takeLine(sizeLine)) return false;
      }
      std::string trailer;
      do
        if (!takeLine(trailer)) return false;
      while (!trailer.empty());
    } else if (std::string length = request.header("Content-Length"); !length.empty()) {
      if (!take(std::stoull(length), request.body)) return false;
    }
    return true;
  }

 private:
  int fd_;
  SSL* ssl_;
  LoopbackServer::Impl& server_;
  bool closed_ = false;
  std::string input_;
};

}  // namespace

void LoopbackServer::Impl::acceptLoop() {
  for (;;) {
    int fd = ::accept(listenFd, nullptr, nullptr);
    std::lock_guard lock(mutex);
    if (stopping) {
      if (fd >= 0) ::close(fd);
      return;
    }
    if (fd < 0) continue;
    openFds.insert(fd);
    int serial = ++connections;
    workers.emplace_back([this, fd, serial] { serve(fd, serial); });
  }
}

Handler LoopbackServer::Impl::handlerFor(const std::string& path) {
  std::lock_guard lock(mutex);
  if (auto exact = routes.find(path); exact != routes.end()) return exact->second;
  const Handler* best = nullptr;
  std::size_t bestLength = 0;
  for (const auto& [key, handler] : routes) {
    if (key.empty() || key.back() != '*') continue;
    std::string_view prefix(key.data(), key.size() - 1);
    if (path.starts_with(prefix) && (!best || prefix.size() >= bestLength)) {
      best = &handler;
      bestLength = prefix.size();
    }
  }
  return best ? *best : fallback;
}

void LoopbackServer::Impl::serve(int fd, int serial) {
  SSL* ssl = nullptr;
  bool ready = true;
  if (tls) {
    ssl = SSL_new(tls);
    SSL_set_fd(ssl, fd);
    ready = SSL_accept(ssl) == 1;
  }
  if (ready) {
    SocketConnection connection(fd, ssl, *this);
    for (;;) {
      RecordedRequest request;
      request.connection = serial;
      if (!connection.readRequest(request)) break;
      {
        std::lock_guard lock(mutex);
        recorded.push_back(request);
      }
      changed.notify_all();
      handlerFor(request.path)(request, connection);
      if (connection.closed() || equalsNoCase(request.header("Connection"), "close")) break;
    }
  }
  if (ssl) SSL_free(ssl);
  ERR_clear_error();
  {
    std::lock_guard lock(mutex);
    openFds.erase(fd);
  }
  ::close(fd);
}

LoopbackServer::LoopbackServer() : LoopbackServer(nullptr) {}

LoopbackServer::LoopbackServer(const TlsIdentity& tls) : LoopbackServer(&tls) {}

LoopbackServer::LoopbackServer(const TlsIdentity* tls) : impl_(std::make_unique<Impl>()) {
  std::signal(SIGPIPE, SIG_IGN);
  if (tls) {
    impl_->tls = SSL_CTX_new(TLS_server_method());
    if (!impl_->tls || SSL_CTX_use_certificate_chain_file(impl_->tls, tls->certFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(impl_->tls, tls->keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
      if (impl_->tls) SSL_CTX_free(impl_->tls);
      throw std::runtime_error("loopback server: cannot load the TLS identity");
    }
  }
  impl_->listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (impl_->listenFd < 0 ||
      ::bind(impl_->listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(impl_->listenFd, 64) != 0 ||
      ::getsockname(impl_->listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (impl_->listenFd >= 0) ::close(impl_->listenFd);
    if (impl_->tls) SSL_CTX_free(impl_->tls);
    throw std::runtime_error("loopback server: cannot listen");
  }
  port_ = ntohs(address.sin_port);
  impl_->acceptor = std::thread([impl = impl_.get()] { impl->acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
    for (int fd : impl_->openFds) ::shutdown(fd, SHUT_RDWR);
  }
  impl_->changed.notify_all();
  ::shutdown(impl_->listenFd, SHUT_RDWR);
  impl_->acceptor.join();
  ::close(impl_->listenFd);
  // No worker is added once the acceptor has ended.
  for (std::thread& worker : impl_->workers) worker.join();
  if (impl_->tls) SSL_CTX_free(impl_->tls);
}

std::string LoopbackServer::url(std::string_view path) const {
  return (impl_->tls ? "https://" : "http://") + hostPort() + std::string(path);
}

std::string LoopbackServer::hostPort() const { return "127.0.0.1:" + std::to_string(port_); }

void LoopbackServer::route(const std::string& path, Handler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->routes[path] = std::move(handler);
}

void LoopbackServer::fallback(Handler handler) {
  std::lock_guard lock(impl_->mutex);
  impl_->fallback = std::move(handler);
}

std::vector<RecordedRequest> LoopbackServer::requests() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->recorded;
}

std::size_t LoopbackServer::requestCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->recorded.size();
}

bool LoopbackServer::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, timeout, [&] { return impl_->recorded.size() >= count; });
}

int LoopbackServer::connectionCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->connections;
}

void LoopbackServer::clearRequests() {
  std::lock_guard lock(impl_->mutex);
  impl_->recorded.clear();
}

std::string rawExchange(int port, std::string_view bytes, std::chrono::milliseconds timeout) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  std::string reply;
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<long>(bytes.size())) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd watch{fd, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&watch, 1, static_cast<int>(left.count())) <= 0) break;
      char chunk[16384];
      long n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) break;
      reply.append(chunk, static_cast<std::size_t>(n));
    }
  }
  if (fd >= 0) ::close(fd);
  return reply;
}

}  // namespace vumbrel::test
