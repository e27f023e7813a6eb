// A worker thread its owner holds: joinable, never detached, asked to stop
// through a flag the worker's run reads at its own safe points (between rows,
// between categories). The worker's last hand-over is its end notification;
// the owner joins it before freeing anything the run uses. Join must not be
// called from a hand-over of this worker (the worker would still be waiting
// in it).
#pragma once

#include <atomic>
#include <functional>
#include <thread>

class WorkerThread {
 public:
  WorkerThread() = default;
  ~WorkerThread() { Join(); }
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Joins a previous run (ended by then), then runs body on a new thread.
  void Start(std::function<void()> body) {
    Join();
    stop_.store(false);
    thread_ = std::thread(std::move(body));
  }
  void RequestStop() { stop_.store(true); }
  const std::atomic<bool>* StopFlag() const { return &stop_; }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

inline bool StopRequested(const std::atomic<bool>* stop) { return stop && stop->load(); }
