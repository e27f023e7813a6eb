#include "platform/shell.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/support/temp_tree.h"

namespace {

class TestWindow {
 public:
  explicit TestWindow(const std::wstring& title) {
    static const wchar_t kClass[] = L"PurgelloShellTestWindow";
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    hwnd_ = CreateWindowExW(0, kClass, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  }
  ~TestWindow() { Destroy(); }
  void Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
  HWND Get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

TEST(Win32ShellTest, TopLevelWindowTitlesListsTitlesCutTo256Characters) {
  const std::wstring shortTitle = L"Mozilla Firefox \u00e9 test 4711";
  const std::wstring longTitle = L"Songbird " + std::wstring(300, L'x');
  TestWindow a(shortTitle);
  TestWindow b(longTitle);
  ASSERT_NE(a.Get(), nullptr);
  ASSERT_NE(b.Get(), nullptr);

  std::vector<std::wstring> titles = {L"stale entry"};
  platform::TopLevelWindowTitles(titles);
  auto has = [&](const std::wstring& t) { return std::find(titles.begin(), titles.end(), t) != titles.end(); };
  EXPECT_TRUE(has(shortTitle));
  EXPECT_TRUE(has(longTitle.substr(0, 256)));
  EXPECT_FALSE(has(longTitle));
  EXPECT_FALSE(has(L"stale entry"));

  a.Destroy();
  platform::TopLevelWindowTitles(titles);
  EXPECT_FALSE(std::find(titles.begin(), titles.end(), shortTitle) != titles.end());
}

// A missing document fails quietly (no error dialog) in both forms; nothing is
// started, so no viewer ever opens during the tests.
TEST(Win32ShellTest, ShellOpenOfAMissingFileFails) {
  testsupport::TempTree tree;
  const std::wstring missing = tree.Path(L"no such folder\\Purgello.log");
  EXPECT_FALSE(platform::ShellOpen(missing));
  EXPECT_FALSE(platform::ShellOpen(nullptr, missing, L""));
  SetEnvironmentVariableW(L"PURGELLO_TEST_DIR", tree.Root().c_str());
  EXPECT_FALSE(platform::ShellOpen(L"%PURGELLO_TEST_DIR%\\missing.log"));
}

}  // namespace
