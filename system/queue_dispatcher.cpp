#include "system/dispatcher.h"

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
  wake_.notify_all();
  wake_.wait(lock, [&] { return task.done; });
  // Still under the lock: Serve cannot return, and the dispatcher cannot be
  // destroyed, before this thread has let go of it.
  if (--invoking_ == 0) wake_.notify_all();
}

void QueueDispatcher::Serve() {
  std::unique_lock<std::mutex> lock(mutex_);
  servedThread_ = std::this_thread::get_id();
  stopping_ = false;
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) break;  // stopping, and nothing left to run
    Task* task = queue_.front();
    queue_.pop_front();
    lock.unlock();
    (*task->fn)();
    lock.lock();
    task->done = true;
    wake_.notify_all();
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
