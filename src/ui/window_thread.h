// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <utility>

namespace vumbrel::ui {

// Carries calls onto the thread of a context object while the caller waits
// (a direct call when already on it). Once closed, every call returns its
// fallback at once, and callers still waiting are released with theirs, so
// that no worker thread can hold up the exit.
class WindowThread {
 public:
  explicit WindowThread(QObject* context);
  ~WindowThread();
  WindowThread(const WindowThread&) = delete;
  WindowThread& operator=(const WindowThread&) = delete;

  // Runs `op` on the context's thread and returns its result, or `fallback`
  // when the gate is closed before `op` could run.
  template <class R, class Op>
  R call(R fallback, Op op) {
    R result = std::move(fallback);
    // `op` writes the result only while its caller still waits (both the
    // write and the release on close happen on the context's thread).
    run([&result, &op] { result = op(); });
    return result;
  }
  template <class Op>
  void call(Op op) {
    run([&op] { op(); });
  }

  // Called on the context's thread: closes the gate and releases every
  // caller that is waiting.
  void close();
  bool closed() const;

 private:
  struct State;
  void run(std::function<void()> op);

  QObject* context_;
  std::shared_ptr<State> state_;
};

}  // namespace vumbrel::ui
