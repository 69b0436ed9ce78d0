// SPDX-License-Identifier: MIT
#include "platform/web_session.h"

namespace vumbrel {

HttpSettings WebSession::settings() const {
  std::lock_guard lock(mutex_);
  return settings_;
}

void WebSession::setSettings(const HttpSettings& settings) {
  std::lock_guard lock(mutex_);
  settings_ = settings;
}

void WebSession::reset() {
  cookies_.clear();
  setSettings(HttpSettings{});
}

WebSession& processWebSession() {
  static WebSession session;
  return session;
}

}  // namespace vumbrel
