// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/block_plan.h"

namespace vumbrel::engine {

// What every connection of a task is set up with, derived from its record.
struct ConnectionSettings {
  std::string url;
  std::string referer;  // empty: none
  std::string proxy;    // "host[:port]", empty for none
  std::string userAgent;
  std::string ftpUser;
  std::string ftpPassword;
  std::string caFile;  // empty: the system's certificate store
  std::chrono::milliseconds connectTimeout{20000};
  std::chrono::milliseconds sendTimeout{20000};
  std::chrono::milliseconds receiveTimeout{20000};
  long receiveBufferSize = 20480;
};

// The receiver of one transfer's response. Both calls return false to end
// the transfer at once; the receiver remembers why.
class ResponseSink {
 public:
  virtual ~ResponseSink() = default;
  // The final response's head, before its first body byte (or at the end of
  // a response without a body).
  virtual bool onHead(const ResponseHead& head) = 0;
  virtual bool onBody(const char* data, std::size_t length) = 0;
};

// How one transfer ended.
struct TransferResult {
  enum Kind {
    Finished,  // the server ended the response normally
    Ended,     // the sink ended it
    Stopped,   // the stop flag was raised
    Stalled,   // no byte for longer than the time-outs allow
    Broken,    // a network or protocol error that another try may cure
    Fatal,     // an error that another try will not cure
  } kind = Fatal;
  std::string error;
};

// One libcurl transfer at a time on one thread (an easy handle in a private
// multi handle, so that stop and stall checks run every 20 ms). Not shared
// between threads.
class Connection {
 public:
  explicit Connection(const ConnectionSettings& settings);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // GETs the address asking for bytes [from, to] (to < 0: to the end; from 0
  // and to < 0 still sends the range, so that the answer tells whether the
  // server honours ranges) and feeds the response to `sink`. Returns early
  // when `stop` becomes true.
  TransferResult get(int64_t from, int64_t to, ResponseSink& sink, const std::atomic<bool>& stop);

  // The address used, for messages (without user name or password).
  const std::string& url() const { return settings_.url; }

 private:
  struct Impl;
  Impl* impl_;
  const ConnectionSettings settings_;
};

// The referer derived from an address: its scheme, host and port, then "/".
// Empty when the address cannot be parsed.
std::string refererFor(const std::string& url);

// Initialises libcurl once for the process.
void ensureCurlReady();

}  // namespace vumbrel::engine
