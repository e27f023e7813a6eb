#include "system/dispatcher.h"

namespace {

// A hand-over is a short round trip between two threads. Waiting a few
// microseconds awake before sleeping saves the two wake-ups of the kernel,
// which cost more than most handed-over functions.
constexpr int kSpins = 2000;

template <typename Ready>
bool SpinUntil(Ready ready) {
  for (int i = 0; i < kSpins; ++i) {
    if (ready()) return true;
    std::this_thread::yield();
  }
  return ready();
}

}  // namespace

void QueueDispatcher::Invoke(const std::function<void()>& fn) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (std::this_thread::get_id() == servedThread_) {
    lock.unlock();
    fn();
    return;
  }
  Task task{&fn};
  ++invoking_;
  queue_.push_back(&task);
  queued_.fetch_add(1, std::memory_order_release);
  wake_.notify_all();
  lock.unlock();
  SpinUntil([&] { return task.done.load(std::memory_order_acquire); });
  lock.lock();
  wake_.wait(lock, [&] { return task.done.load(std::memory_order_acquire); });
  // Still under the lock: Serve cannot return, and the dispatcher cannot be
  // destroyed, before this thread has let go of it.
  if (--invoking_ == 0) wake_.notify_all();
}

void QueueDispatcher::RunFront(std::unique_lock<std::mutex>& lock) {
  Task* task = queue_.front();
  queue_.pop_front();
  queued_.fetch_sub(1, std::memory_order_relaxed);
  lock.unlock();
  (*task->fn)();
  lock.lock();
  task->done.store(true, std::memory_order_release);
  wake_.notify_all();
}

void QueueDispatcher::Serve() {
  std::unique_lock<std::mutex> lock(mutex_);
  servedThread_ = std::this_thread::get_id();
  stopping_ = false;
  for (;;) {
    if (queue_.empty() && !stopping_) {
      lock.unlock();
      SpinUntil([&] { return queued_.load(std::memory_order_acquire) > 0; });
      lock.lock();
    }
    wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) break;  // stopping, and nothing left to run
    RunFront(lock);
  }
  // A worker whose last hand-over (its end notification) has run may still be
  // returning from Invoke; the caller may destroy this object once we return.
  wake_.wait(lock, [&] { return invoking_ == 0; });
  servedThread_ = std::thread::id();
}

void QueueDispatcher::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopping_ = true;
  wake_.notify_all();
}

void QueueDispatcher::ServeUntil(const std::function<bool()>& finished) {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::thread::id previous = servedThread_;
  servedThread_ = std::this_thread::get_id();
  for (;;) {
    lock.unlock();
    if (finished()) break;
    lock.lock();
    wake_.wait(lock, [&] { return !queue_.empty(); });
    RunFront(lock);
  }
  lock.lock();
  servedThread_ = previous;
}
