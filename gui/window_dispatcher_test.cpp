#include "gui/window_dispatcher.h"

#include <gtest/gtest.h>

#include "system/log.h"

#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Serves the message loop until the worker's last hand-over has run.
void PumpUntil(const bool& done) {
  MSG msg;
  while (!done && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TEST(WindowDispatcher, RunsEachHandOverOnTheGuiThreadBeforeReturning) {
  WindowDispatcher dispatcher;
  const DWORD guiThread = GetCurrentThreadId();
  std::vector<int> seen;
  std::vector<size_t> sizeWhenReturned;
  bool done = false;
  bool allOnGuiThread = true;

  std::thread worker([&] {
    for (int i = 0; i < 50; ++i) {
      dispatcher.Invoke([&, i] {
        allOnGuiThread = allOnGuiThread && GetCurrentThreadId() == guiThread;
        seen.push_back(i);
      });
      sizeWhenReturned.push_back(seen.size());  // the hand-over has run by now
    }
    dispatcher.Invoke([&] {
      done = true;
      PostThreadMessageW(guiThread, WM_NULL, 0, 0);
    });
  });
  PumpUntil(done);
  worker.join();

  EXPECT_TRUE(allOnGuiThread);
  ASSERT_EQ(seen.size(), 50u);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(seen[i], i);
    EXPECT_EQ(sizeWhenReturned[i], size_t(i + 1));
  }
}

TEST(WindowDispatcher, AThrowingHandOverIsStoppedAtTheWindowAndLogged) {
  TKLog log(L"", 100, false);
  WindowDispatcher dispatcher(&log);
  const DWORD guiThread = GetCurrentThreadId();
  bool done = false;
  bool workerWentOn = false;
  std::thread worker([&] {
    dispatcher.Invoke([] { throw std::runtime_error("list gone"); });
    workerWentOn = true;
    dispatcher.Invoke([&] {
      done = true;
      PostThreadMessageW(guiThread, WM_NULL, 0, 0);
    });
  });
  PumpUntil(done);
  worker.join();
  EXPECT_TRUE(workerWentOn);
  ASSERT_EQ(log.Lines().size(), 1u);
  const std::wstring line = log.Lines()[0];
  EXPECT_EQ(line.substr(line.rfind(L'\t') + 1), L"Unexpected error in a hand-over to the window thread: list gone");
}

TEST(WindowDispatcher, InvokeOnTheGuiThreadRunsAtOnce) {
  WindowDispatcher dispatcher;
  int ran = 0;
  dispatcher.Invoke([&] { ++ran; });
  EXPECT_EQ(ran, 1);
}

TEST(WindowDispatcher, PostReturnsAtOnceAndRunsLaterOnTheGuiThreadInOrder) {
  const DWORD guiThread = GetCurrentThreadId();
  std::vector<int> seen;
  bool allOnGuiThread = true;
  {
    WindowDispatcher dispatcher;
    bool done = false;
    std::thread worker([&] {
      // The GUI thread is not serving yet: a sent hand-over would wait here.
      for (int i = 0; i < 20; ++i)
        dispatcher.Post([&, i] {
          allOnGuiThread = allOnGuiThread && GetCurrentThreadId() == guiThread;
          seen.push_back(i);
        });
      dispatcher.Post([&] { done = true; });
    });
    worker.join();
    EXPECT_TRUE(seen.empty());
    PumpUntil(done);

    // What is still queued when the dispatcher goes is dropped, not run.
    dispatcher.Post([&] { seen.push_back(-1); });
  }
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_TRUE(allOnGuiThread);
  ASSERT_EQ(seen.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(seen[i], i);
}

}  // namespace
