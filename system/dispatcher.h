// The hand-over between a worker thread and the GUI thread.
//
// A worker never touches what the GUI thread owns (the review list, the status
// line, the progress bar). It packs each change into a function and calls
// Invoke, which runs that function on the GUI thread and returns only when it
// has run. So each found item is in the review list before the worker produces
// the next, and a worker's end notification, handed over last, runs after
// every change it made. The worker blocks meanwhile; the GUI thread must keep
// serving hand-overs while a worker runs (Windows: its message loop, since the
// Windows dispatcher is a SendMessage to a window of the GUI thread).
//
// Invoke called on the GUI thread itself runs the function at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class Dispatcher {
 public:
  virtual ~Dispatcher() = default;
  virtual void Invoke(const std::function<void()>& fn) = 0;
  // Called on the served thread: serves hand-overs until finished() holds,
  // for a caller that must not return before a worker has ended, such as the
  // shut-down of Windows. finished() is tested on the calling thread before
  // the first wait and after each hand-over, and at no other moment: it must
  // only become true on this thread, inside a hand-over (a worker's end
  // notification), never from another thread alone, or the wait may not end.
  virtual void ServeUntil(const std::function<bool()>& finished) = 0;
  // Hands fn to the served thread to run later and returns at once, from any
  // thread: for callers that must never wait on the GUI thread (the network's
  // own threads). A dispatcher that cannot queue runs it through Invoke.
  virtual void Post(std::function<void()> fn) { Invoke(fn); }
};

// For a program with no window to keep responsive (the console program) and
// for single-threaded tests: the worker's run goes on the caller's thread and
// every hand-over is a plain call.
class InlineDispatcher : public Dispatcher {
 public:
  void Invoke(const std::function<void()>& fn) override { fn(); }
  // Every hand-over has already run inside its Invoke.
  void ServeUntil(const std::function<bool()>&) override {}
};

// A dispatcher served by whichever thread calls Serve(): the tests' stand-in
// for the GUI thread.
class QueueDispatcher : public Dispatcher {
 public:
  void Invoke(const std::function<void()>& fn) override;
  // Runs handed-over functions until Stop() is called (by one of them or by
  // any thread), then returns once no thread is inside Invoke any more, so the
  // dispatcher may be destroyed right after. The calling thread becomes the
  // served thread.
  void Serve();
  void Stop();
  // Like Serve, but returns as soon as finished() holds, under the contract
  // above; Stop is not needed.
  void ServeUntil(const std::function<bool()>& finished) override;

 private:
  struct Task {
    const std::function<void()>* fn;
    std::atomic<bool> done{false};
  };
  // Runs the front task with the lock released and tells its worker.
  void RunFront(std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task*> queue_;
  int invoking_ = 0;  // threads inside Invoke, waiting or returning
  std::atomic<int> queued_{0};  // lets the served thread look for work without the lock
  bool stopping_ = false;
  std::thread::id servedThread_;
};
