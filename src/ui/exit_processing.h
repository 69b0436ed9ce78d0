// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <utility>

namespace vumbrel::ui {

// The exit processing: the clean-up registered at start-up, run once when the
// program ends, on the thread that ends it (the window's thread), before the
// window is torn down. Later runs do nothing.
class ExitProcessing {
 public:
  void registerCleanup(std::function<void()> cleanup) { cleanup_ = std::move(cleanup); }
  void run() {
    if (ran_) return;
    ran_ = true;
    if (cleanup_) cleanup_();
  }
  bool ran() const { return ran_; }

 private:
  std::function<void()> cleanup_;
  bool ran_ = false;
};

}  // namespace vumbrel::ui
