// SPDX-License-Identifier: MIT
#pragma once

#include <mutex>

#include "platform/cookie_store.h"
#include "platform/http_client.h"

namespace vumbrel {

// What the page requests of a process share: the cookie store and the
// connection settings. The program uses processWebSession(); a test makes
// its own, or resets the process's.
class WebSession {
 public:
  CookieStore& cookies() { return cookies_; }
  HttpSettings settings() const;
  void setSettings(const HttpSettings& settings);
  // Forgets every cookie and restores the default settings.
  void reset();

 private:
  CookieStore cookies_;
  mutable std::mutex mutex_;
  HttpSettings settings_;
};

// The session every request of the program goes through.
WebSession& processWebSession();

}  // namespace vumbrel
