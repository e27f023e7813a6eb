#include "system/dispatcher.h"

void QueueDispatcher::Invoke(const std::function<void()>& fn) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (std::this_thread::get_id() == servedThread_) {
    lock.unlock();
    fn();
    return;
  }
  Task task{&fn};
  queue_.push_back(&task);
  wake_.notify_all();
  wake_.wait(lock, [&] { return task.done; });
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
  servedThread_ = std::thread::id();
}

void QueueDispatcher::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopping_ = true;
  wake_.notify_all();
}
