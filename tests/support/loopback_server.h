// SPDX-License-Identifier: MIT
#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for the tests, in the manner of curl's
// test servers: it records every request byte for byte (request line exactly
// as received, header lines in order, body) and hands each request to a
// handler that writes the reply itself through a Connection, so a handler can
// also stall, send half a body or drop the connection at an exact byte.
// Ready-made handlers live in http_handlers.h.
//
//   LoopbackServer server;
//   server.route("/page", fixedReply({.status = 200, .body = "hello"}));
//   std::string url = server.url("/page");
//   ... run the client ...
//   EXPECT_EQ(server.requests().at(0).requestLine, "GET /page HTTP/1.1");

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vumbrel::test {

// One request as it arrived.
struct RecordedRequest {
  int connection = 0;                    // serial number of its connection, from 1
  std::string requestLine;               // e.g. "get /a%20b?q HTTP/1.1", without CR LF
  std::string method;                    // the request line's first word, as sent
  std::string target;                    // its second word, raw (may be absolute-form)
  std::string version;                   // its third word
  std::string path;                      // target without scheme, authority and query
  std::vector<std::string> headerLines;  // "Name: value" as sent, in order, without CR LF
  std::string body;                      // decoded when chunked
  std::string head;                      // every byte up to and including the empty line

  // The value of the first header of that name (case-insensitive), leading
  // blanks cut; "" when there is none.
  std::string header(std::string_view name) const;
  // How many header lines carry that name (case-insensitive).
  int headerCount(std::string_view name) const;
};

// The handler's side of one connection. Every call is safe after the peer has
// gone or the server has begun to stop: sends then fail and sleeps end early.
class Connection {
 public:
  virtual ~Connection() = default;
  // Writes all bytes; false when the connection is gone.
  virtual bool send(std::string_view bytes) = 0;
  // Waits, ending early when the server stops; false if it stopped.
  virtual bool sleepFor(std::chrono::milliseconds time) = 0;
  // Closes the connection now (no further request is read from it).
  virtual void close() = 0;
  virtual bool closed() const = 0;
  // Reads and discards until the peer closes or the server stops: a handler
  // that never answers calls this.
  virtual void waitUntilPeerCloses() = 0;
};

// Called on the connection's own thread, possibly on several at once: a
// handler must be safe for that. After it returns, the connection reads the
// next request unless the handler closed it or the request asked for
// "Connection: close". A reply without a length must therefore close. The
// server adds no line of its own to a reply, not even "Connection: close".
using Handler = std::function<void(const RecordedRequest&, Connection&)>;

// Certificate and key (PEM files) of a TLS server; see test_tls.h.
struct TlsIdentity {
  std::filesystem::path certFile;
  std::filesystem::path keyFile;
};

class LoopbackServer {
 public:
  // Listens on 127.0.0.1 on an ephemeral port at once; with an identity every
  // connection speaks TLS. Unrouted paths get 404 with the body "not found".
  LoopbackServer();
  explicit LoopbackServer(const TlsIdentity& tls);
  // Stops accepting, cuts every open connection and joins every thread.
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + path (or "https://" for a TLS server).
  std::string url(std::string_view path = "/") const;
  // "127.0.0.1:<port>", e.g. for a proxy setting.
  std::string hostPort() const;

  // Serves requests whose path (see RecordedRequest::path) equals `path`; a
  // path ending in "*" serves every path beginning with what precedes it.
  // The exact route wins, then the longest prefix. Replaces an earlier one.
  void route(const std::string& path, Handler handler);
  // Serves every request no route takes.
  void fallback(Handler handler);

  // Every request received so far, in arrival order.
  std::vector<RecordedRequest> requests() const;
  std::size_t requestCount() const;
  // Waits until at least `count` requests have arrived; false on timeout.
  bool waitForRequests(std::size_t count,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
  // Number of connections accepted so far.
  int connectionCount() const;
  void clearRequests();

 private:
  explicit LoopbackServer(const TlsIdentity* tls);

 public:
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  int port_ = 0;
};

// Sends `bytes` to 127.0.0.1:port over plain TCP, then reads until the server
// closes or `timeout` passes, and returns what came back. For requests that a
// normal client cannot write.
std::string rawExchange(int port, std::string_view bytes,
                        std::chrono::milliseconds timeout = std::chrono::seconds(5));

}  // namespace vumbrel::test
