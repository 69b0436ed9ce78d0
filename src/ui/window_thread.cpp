// SPDX-License-Identifier: MIT
#include "window_thread.h"

#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <unordered_set>

namespace vumbrel::ui {

struct WindowThread::State {
  struct Pending {
    bool done = false;
  };
  std::mutex mutex;
  std::condition_variable released;
  bool closed = false;
  std::unordered_set<Pending*> waiting;
};

WindowThread::WindowThread(QObject* context)
    : context_(context), state_(std::make_shared<State>()) {}

WindowThread::~WindowThread() { close(); }

bool WindowThread::closed() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->closed;
}

void WindowThread::close() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->closed = true;
  for (State::Pending* p : state_->waiting) p->done = true;
  state_->waiting.clear();
  state_->released.notify_all();
}

void WindowThread::run(std::function<void()> op) {
  if (QThread::currentThread() == context_->thread()) {
    if (!closed()) op();
    return;
  }
  // The waiting caller keeps the shared state alive, whatever happens to us.
  std::shared_ptr<State> state = state_;
  State::Pending pending;
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->closed) return;
    state->waiting.insert(&pending);
  }
  // Posted rather than run here: only the window's thread may touch widgets.
  // A call still queued when the context dies is dropped by Qt; its caller
  // has been released by close() before that.
  QMetaObject::invokeMethod(
      context_,
      [state, &pending, &op] {
        {
          std::lock_guard<std::mutex> lock(state->mutex);
          if (state->closed) return;  // the caller is gone: do not touch its data
        }
        op();
        std::lock_guard<std::mutex> lock(state->mutex);
        pending.done = true;
        state->waiting.erase(&pending);
        state->released.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock<std::mutex> lock(state->mutex);
  state->released.wait(lock, [&pending] { return pending.done; });
}

}  // namespace vumbrel::ui
