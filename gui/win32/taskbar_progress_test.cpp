// The taskbar progress against a fake taskbar list that records what it is
// sent, and without one (no interface: nothing is sent, nothing fails).
#include "gui/win32/taskbar_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using gui::TaskbarProgressState;
using gui::TTaskProgressBar;

// Records "state N" and "value P/M" calls for its window; counts references.
class FakeTaskbarList : public ITaskbarList3 {
 public:
  std::vector<std::string> calls;
  HWND seenWindow = nullptr;
  ULONG references = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, WINBOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetProgressValue(HWND window, ULONGLONG done, ULONGLONG total) override {
    seenWindow = window;
    calls.push_back("value " + std::to_string(done) + "/" + std::to_string(total));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetProgressState(HWND window, TBPFLAG flags) override {
    seenWindow = window;
    calls.push_back("state " + std::to_string(int(flags)));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return S_OK; }
};

using Calls = std::vector<std::string>;

HWND SomeWindow() { return GetDesktopWindow(); }

TEST(TaskbarProgressTest, CreationLeavesTheButtonWithoutProgress) {
  FakeTaskbarList fake;
  {
    TTaskProgressBar bar(SomeWindow(), [&] { return &fake; });
    EXPECT_TRUE(bar.HasInterface());
    EXPECT_EQ(fake.seenWindow, SomeWindow());
    EXPECT_EQ(fake.calls, (Calls{"state 0", "state 2", "state 0"}));
    EXPECT_EQ(bar.Max(), 100);
    EXPECT_EQ(bar.Position(), 10);
    EXPECT_EQ(bar.State(), TaskbarProgressState::None);
    EXPECT_FALSE(bar.Shown());
    fake.calls.clear();
  }
  EXPECT_EQ(fake.calls, (Calls{"state 0"})) << "destruction clears the button";
  EXPECT_EQ(fake.references, 0u) << "destruction releases the interface";
}

TEST(TaskbarProgressTest, MaximumAndPositionAreSentAsTheProgressValue) {
  FakeTaskbarList fake;
  TTaskProgressBar bar(SomeWindow(), [&] { return &fake; });
  fake.calls.clear();
  bar.SetMax(41);      // sends the position kept since creation
  bar.SetPosition(7);
  bar.SetMax(0);       // an empty list
  bar.SetPosition(0);  // the end of a cleaning
  bar.SetPosition(-1);
  EXPECT_EQ(fake.calls, (Calls{"value 10/41", "value 7/41", "value 7/0", "value 0/0", "value 0/0"}));
  EXPECT_EQ(bar.Position(), -1);
}

TEST(TaskbarProgressTest, ShownFollowsTheNormalState) {
  FakeTaskbarList fake;
  TTaskProgressBar bar(SomeWindow(), [&] { return &fake; });
  fake.calls.clear();
  bar.SetShown(true);
  bar.SetShown(true);  // already normal: nothing sent
  bar.SetState(TaskbarProgressState::Paused);
  bar.SetShown(true);
  bar.SetState(TaskbarProgressState::Error);
  bar.SetState(TaskbarProgressState::Indeterminate);
  bar.SetShown(false);
  EXPECT_EQ(fake.calls, (Calls{"state 2", "state 8", "state 2", "state 4", "state 1", "state 0"}));
}

TEST(TaskbarProgressTest, WithoutTheInterfaceEveryOperationDoesNothing) {
  FakeTaskbarList fake;
  bool asked = false;
  struct Case {
    const char* what;
    HWND window;
    gui::TaskbarListFactory factory;
  };
  const Case cases[] = {
      {"creation failed", SomeWindow(), [] { return static_cast<ITaskbarList3*>(nullptr); }},
      {"no window", nullptr, [&]() -> ITaskbarList3* { asked = true; return &fake; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      TTaskProgressBar bar(c.window, c.factory);
      EXPECT_FALSE(bar.HasInterface());
      bar.SetMax(5);
      bar.SetPosition(3);
      bar.SetShown(true);
      bar.SetState(TaskbarProgressState::Error);
      EXPECT_FALSE(bar.Shown());
      EXPECT_EQ(bar.State(), TaskbarProgressState::None);
    }
    EXPECT_TRUE(fake.calls.empty());
  }
  EXPECT_FALSE(asked) << "without a window the taskbar list is not even created";
}

TEST(TaskbarProgressTest, TheSystemsTaskbarListNeedsComAndThenDrivesTheButton) {
  // Before COM is entered there is no interface to be had: the bar stays silent.
  EXPECT_EQ(gui::CreateSystemTaskbarList(), nullptr);

  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  ITaskbarList3* list = gui::CreateSystemTaskbarList();
  ASSERT_NE(list, nullptr) << "this system reports Windows 7 or later and has the taskbar list";
  EXPECT_TRUE(SUCCEEDED(list->HrInit()));
  {
    HWND window = CreateWindowExW(0, L"STATIC", L"taskbar", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    TTaskProgressBar bar(window, [&] { return list; });
    EXPECT_TRUE(bar.HasInterface());
    bar.SetMax(10);
    bar.SetPosition(5);
    bar.SetShown(true);
    EXPECT_TRUE(bar.Shown());
    DestroyWindow(window);
  }
  CoUninitialize();
}

}  // namespace
