// The main window under Wine, driven in-process: its two modes, the placement
// it restores and stores, the review list's sorting, check marks, popup menu
// and totals, and the notification-area round trip. Sizes come from a fake
// so that files beyond 2 GiB and the Recycle Bin cost nothing; the shell is
// recorded, never called.
#include "app/main_dlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>

#include "app/settings_dialog.h"
#include "app/startup.h"
#include "app/vendor.h"
#include "gui/win32/layout_check.h"
#include "i18n/text_storage.h"
#include "model/format_size.h"
#include "platform/text_codec.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"
#include "tests/support/temp_tree.h"

namespace {

constexpr uint64_t kGiB = uint64_t(1) << 30;

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::vector<std::wstring> MenuTexts(HMENU menu) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, UINT(i), TRUE, &info);
    wchar_t text[128] = L"";
    GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
    texts.push_back((info.fType & MFT_SEPARATOR) ? L"-" : text);
  }
  return texts;
}

// The build's folder, where the shipped language files lie (a Linux path;
// Wine shows "/" as drive Z:).
std::wstring ShippedFolder() {
  std::wstring path = L"Z:" + platform::FromUtf8(PURGELLO_LANGUAGE_DIR) + L"/";
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

SIZE OuterSize(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

class MainDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteSettingsBranch(kApplicationTitle); }
  void TearDown() override {
    SetSizeUnits(SizeUnits());
    DeleteSettingsBranch(kApplicationTitle);
    DeleteMakerValue(kApplicationTitle);
  }

  int Px(int design) const { return gui::Scale(design, dlg->Dpi()); }

  // Rows named by their size text, which no sort reads.
  void AddRow(const std::wstring& caption, const std::wstring& path, const std::wstring& name, uint64_t size) {
    list.Add(caption, path, name);
    sizes[name] = size;
    dlg->ReviewListChanged();
  }
  std::vector<std::wstring> Order() const {
    std::vector<std::wstring> names;
    for (size_t i = 0; i < list.Count(); ++i) names.push_back(list.At(i).sizeText);
    return names;
  }
  std::wstring Checks() const {
    std::wstring marks;
    for (size_t i = 0; i < list.Count(); ++i) marks += list.Checked(i) ? L'x' : L'-';
    return marks;
  }
  std::wstring Totals() const { return dlg->status.PanelText(0); }
  std::wstring TotalsOf(uint64_t size, int count) const {
    return FormatSize(int64_t(size)) + L" / " + std::to_wstring(count) + L" items";
  }
  void WaitForSizes() {
    for (int i = 0; i < 500 && dlg->SizesPending(); ++i) {
      Pump();
      Sleep(10);
    }
    Pump();
    ASSERT_FALSE(dlg->SizesPending());
  }

  MainDlgEnvironment Environment() {
    MainDlgEnvironment environment;
    environment.programPath = ShippedFolder() + L"Purgello.exe";
    environment.shellOpen = [this](const std::wstring& target) { opened.push_back(target); };
    environment.rowSize = [this](const FoundItem& item) {
      ++sizeReads;
      if (gate) gate();
      return sizes.at(item.sizeText);
    };
    environment.checkedTotals = [this](const ReviewList& rows, uint64_t& size, uint64_t& count) {
      size = count = 0;
      for (size_t i = 0; i < rows.Count(); ++i)
        if (rows.Checked(i)) {
          size += sizes.at(rows.At(i).sizeText);
          ++count;
        }
    };
    environment.chooseSaveFile = [this](HWND owner) {
      EXPECT_EQ(owner, dlg->Hwnd());
      ++saveAsks;
      return chosenFile;
    };
    environment.saveFailed = [this](HWND, const std::wstring& path) { saveFailures.push_back(path); };
    return environment;
  }

  ReviewList list;
  int saveAsks = 0;
  std::wstring chosenFile;  // what the Save dialog answers; empty: cancelled
  std::vector<std::wstring> saveFailures;
  std::map<std::wstring, uint64_t> sizes;
  std::atomic<int> sizeReads{0};
  std::function<void()> gate;  // runs on every size read

  // Size reads wait from here until ReleaseSizeReads, for 3 s at most.
  void HoldSizeReads() {
    std::lock_guard<std::mutex> lock(gateMutex_);
    gateOpen_ = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    gate = [this, deadline] {
      std::unique_lock<std::mutex> wait(gateMutex_);
      gateReleased_.wait_until(wait, deadline, [this] { return gateOpen_; });
    };
  }
  void ReleaseSizeReads() {
    {
      std::lock_guard<std::mutex> lock(gateMutex_);
      gateOpen_ = true;
    }
    gateReleased_.notify_all();
  }
  std::mutex gateMutex_;
  std::condition_variable gateReleased_;
  bool gateOpen_ = false;
  std::vector<std::wstring> opened;
  std::unique_ptr<TMainDlg> dlg = std::make_unique<TMainDlg>(list, Environment());
};

TEST_F(MainDlgTest, ModesHaveTheirSizesBordersAndControls) {
  if (const char* dpi = std::getenv("PURGELLO_WINE_DPI")) {
    EXPECT_EQ(dlg->Dpi(), std::atoi(dpi));
  }
  // The program's icon, not the system's, drawn for the DPI.
  EXPECT_EQ(gui::WindowIconWidth(dlg->Hwnd(), ICON_SMALL), gui::Scale(16, dlg->Dpi()));
  EXPECT_EQ(gui::WindowIconWidth(dlg->Hwnd(), ICON_BIG), gui::Scale(32, dlg->Dpi()));
  dlg->Show();
  auto centred = [this] {
    RECT r{};
    GetWindowRect(dlg->Hwnd(), &r);
    EXPECT_NEAR(r.left, GetSystemMetrics(SM_CXSCREEN) / 2.0 - (r.right - r.left) / 2.0, 0.5);
    EXPECT_NEAR(r.top, GetSystemMetrics(SM_CYSCREEN) / 2.0 - (r.bottom - r.top) / 2.0, 0.5);
  };
  auto expectBasic = [&] {
    EXPECT_FALSE(dlg->IsExpertMode());
    const SIZE size = OuterSize(dlg->Hwnd());
    EXPECT_EQ(size.cx, Px(500));
    EXPECT_EQ(size.cy, Px(330));
    EXPECT_FALSE(GetWindowLongPtrW(dlg->Hwnd(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX));
    EXPECT_FALSE(dlg->lst.Visible());
    EXPECT_TRUE(dlg->expert_btn.Visible());
    EXPECT_FALSE(dlg->basic_btn.Visible());
    EXPECT_FALSE(dlg->checkall_btn.Visible());
    EXPECT_FALSE(dlg->simulate_btn.Visible());
    centred();
    EXPECT_EQ(gui::LayoutFaults(*dlg), std::vector<std::wstring>());
  };
  expectBasic();

  for (int i = 0; i < 30; ++i) AddRow(L"Temporary Files", L"C:\\temp\\file" + std::to_wstring(i) + L".tmp", L"r" + std::to_wstring(i), 1);
  dlg->SizeColumnsToContents();
  dlg->expert_btn.Click();
  EXPECT_TRUE(dlg->IsExpertMode());
  const SIZE expert = OuterSize(dlg->Hwnd());
  EXPECT_EQ(expert.cx, Px(670));
  // At 144 DPI the screen may be lower than the window; the system keeps it on.
  EXPECT_EQ(expert.cy, std::min(Px(700), GetSystemMetrics(SM_CYMAXTRACK)));
  const LONG_PTR style = GetWindowLongPtrW(dlg->Hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(dlg->lst.Visible());
  EXPECT_FALSE(dlg->expert_btn.Visible());
  EXPECT_TRUE(dlg->basic_btn.Visible());
  EXPECT_TRUE(dlg->checkall_btn.Visible());
  EXPECT_TRUE(dlg->uncheckall_btn.Visible());
  centred();
  EXPECT_EQ(dlg->lst.PixelRect().bottom, dlg->status.PixelRect().top - Px(10));
  EXPECT_EQ(gui::LayoutFaults(*dlg), std::vector<std::wstring>());
  // It may grow but not shrink below its expert size.
  MINMAXINFO limits{};
  SendMessageW(dlg->Hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, expert.cx);
  EXPECT_EQ(limits.ptMinTrackSize.y, expert.cy);
  SetWindowPos(dlg->Hwnd(), nullptr, 0, 0, expert.cx + 200, expert.cy - 100, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(OuterSize(dlg->Hwnd()).cy, expert.cy) << "not below the minimum";
  EXPECT_EQ(dlg->lst.PixelRect().bottom, dlg->status.PixelRect().top - Px(10));
  EXPECT_EQ(gui::LayoutFaults(*dlg), std::vector<std::wstring>());

  dlg->basic_btn.Click();
  expectBasic();
  // The menu command toggles too.
  dlg->Expertmode1().Click();
  EXPECT_TRUE(dlg->IsExpertMode());
}

// Until an analysis sizes them to their contents, the three columns share
// the expert list's width, the vertical scroll bar of a long list counted:
// none is cut off.
// Moved to a monitor of another DPI, the window takes the place and size the
// system suggests (its own, scaled), and its controls follow.
TEST_F(MainDlgTest, ADpiChangeKeepsTheSuggestedPlacement) {
  dlg->Show();
  dlg->expert_btn.Click();
  const SIZE expert = OuterSize(dlg->Hwnd());
  SetWindowPos(dlg->Hwnd(), nullptr, 30, 20, expert.cx + 60, expert.cy, SWP_NOZORDER);
  const int oldDpi = dlg->Dpi(), dpi = oldDpi == 96 ? 120 : 96;
  const RECT suggested{50, 40, 50 + MulDiv(expert.cx + 60, dpi, oldDpi), 40 + MulDiv(expert.cy, dpi, oldDpi)};
  SendMessageW(dlg->Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  ASSERT_EQ(dlg->Dpi(), dpi);
  RECT r{};
  GetWindowRect(dlg->Hwnd(), &r);
  EXPECT_EQ(r.left, suggested.left);
  EXPECT_EQ(r.top, suggested.top);
  EXPECT_EQ(r.right, suggested.right);
  EXPECT_EQ(r.bottom, suggested.bottom);
  EXPECT_TRUE(dlg->IsExpertMode());
  EXPECT_EQ(dlg->lst.PixelRect().bottom, dlg->status.PixelRect().top - Px(10));
  EXPECT_EQ(dlg->clean_btn.PixelRect().left, Px(5 + 8));
  EXPECT_EQ(gui::LayoutFaults(*dlg), std::vector<std::wstring>());
  MINMAXINFO limits{};
  SendMessageW(dlg->Hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, MulDiv(expert.cx, dpi, oldDpi));
  EXPECT_EQ(limits.ptMinTrackSize.y, MulDiv(expert.cy, dpi, oldDpi));
}

TEST_F(MainDlgTest, ColumnsFitTheExpertListBeforeTheyFitTheirContents) {
  dlg->SetExpertMode(false);
  dlg->Show();
  for (int i = 0; i < 60; ++i) AddRow(L"Temporary Files", L"C:\\t\\" + std::to_wstring(i), L"r" + std::to_wstring(i), 1);
  // Rows in a stream are drawn once it pauses.
  for (int i = 0; i < 30; ++i) {
    Pump();
    Sleep(10);
  }
  RECT client{};
  GetClientRect(dlg->lst.Hwnd(), &client);
  ASSERT_TRUE(GetWindowLongPtrW(dlg->lst.Hwnd(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_LE(dlg->lst.ColumnWidth(0) + dlg->lst.ColumnWidth(1) + dlg->lst.ColumnWidth(2), client.right);
}

// A path longer than the list is wide ends in an ellipsis: the Type and Size
// columns keep their fitted widths and stay in view, also when the window
// grows and at another DPI.
TEST_F(MainDlgTest, ALongPathLeavesTheSizeColumnInView) {
  dlg->Show();
  dlg->expert_btn.Click();
  AddRow(L"Temporary Files", L"C:\\" + std::wstring(400, L'p') + L"\\f.tmp", L"123,45 Mb", 1);
  AddRow(L"Recycle Bin", L"", L"1,00 Kb", 1);
  dlg->SizeColumnsToContents();
  auto expectInView = [&] {
    RECT client{};
    GetClientRect(dlg->lst.Hwnd(), &client);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(dlg->lst.Hwnd(), LVM_GETHEADER, 0, 0));
    RECT size{};
    ASSERT_TRUE(SendMessageW(header, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&size)));
    EXPECT_LE(size.right, client.right);
    EXPECT_GE(size.right - size.left, Px(40));
  };
  expectInView();
  const int type = dlg->lst.ColumnWidth(0), size = dlg->lst.ColumnWidth(2), path = dlg->lst.ColumnWidth(1);

  const SIZE expert = OuterSize(dlg->Hwnd());
  SetWindowPos(dlg->Hwnd(), nullptr, 0, 0, expert.cx + Px(150), expert.cy, SWP_NOMOVE | SWP_NOZORDER);
  expectInView();
  EXPECT_EQ(dlg->lst.ColumnWidth(0), type);
  EXPECT_EQ(dlg->lst.ColumnWidth(2), size);
  EXPECT_EQ(dlg->lst.ColumnWidth(1), path + Px(150));

  const int oldDpi = dlg->Dpi(), dpi = oldDpi == 96 ? 144 : 96;
  RECT r{};
  GetWindowRect(dlg->Hwnd(), &r);
  const RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, oldDpi),
                       r.top + MulDiv(r.bottom - r.top, dpi, oldDpi)};
  SendMessageW(dlg->Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  ASSERT_EQ(dlg->Dpi(), dpi);
  expectInView();
  EXPECT_NEAR(dlg->lst.ColumnWidth(2), MulDiv(size, dpi, oldDpi), 1);
}

TEST_F(MainDlgTest, PlacementIsRestoredOntoTheDesktop) {
  const int desktopWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int desktopHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  // A stored size the system lets the window take on this screen.
  const int w = Px(700), h = std::min(Px(720), GetSystemMetrics(SM_CYMAXTRACK));
  const std::wstring width = std::to_wstring(w), height = std::to_wstring(h);
  struct Case {
    std::wstring top, left, width, height;
    // Expected; INT32_MIN: as the mode placed it (and pulled onto the desktop).
    int wantTop, wantLeft, wantWidth, wantHeight;
  };
  const int kAsPlaced = INT32_MIN;
  const Case cases[] = {
      {L"20", L"30", width, height, 20, 30, w, h},
      {L"-40", L"-5", width, height, 0, 0, w, h},
      {std::to_wstring(desktopHeight + 1), std::to_wstring(desktopWidth + 1), width, height,
       std::max(0, desktopHeight - h), desktopWidth - w, w, h},
      {L"ten", L"1.5", L"wide", L"", kAsPlaced, kAsPlaced, kAsPlaced, kAsPlaced},  // no height: nothing restored
      {L"ten", L"1.5", L"wide", L"tall", kAsPlaced, kAsPlaced, kAsPlaced, kAsPlaced},
      {L"10", L"10", L"100", L"100", 10, 10, kAsPlaced, kAsPlaced},  // the expert minimum holds
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.top + L" " + c.left + L" " + c.width + L" " + c.height);
    SetSetting(kTopSetting, c.top);
    SetSetting(kLeftSetting, c.left);
    SetSetting(kWidthSetting, c.width);
    SetSetting(kHeightSetting, c.height);
    TMainDlg window(list, Environment());
    window.SetExpertMode(false);
    RECT placed{};
    GetWindowRect(window.Hwnd(), &placed);
    window.RestorePlacement();
    RECT r{};
    GetWindowRect(window.Hwnd(), &r);
    if (c.height.empty()) {
      EXPECT_EQ(r.top, placed.top);
      EXPECT_EQ(r.left, placed.left);
    } else {
      EXPECT_EQ(r.top, c.wantTop == kAsPlaced ? std::max(0, int(placed.top)) : c.wantTop);
      EXPECT_EQ(r.left, c.wantLeft == kAsPlaced ? std::max(0, int(placed.left)) : c.wantLeft);
    }
    EXPECT_EQ(r.right - r.left, c.wantWidth == kAsPlaced ? placed.right - placed.left : c.wantWidth);
    EXPECT_EQ(r.bottom - r.top, c.wantHeight == kAsPlaced ? placed.bottom - placed.top : c.wantHeight);
  }

  // A basic window keeps its one size, and a stored maximised state shows.
  SetSetting(kMaximizedSetting, L"1");
  dlg->RestorePlacement();
  EXPECT_EQ(OuterSize(dlg->Hwnd()).cx, Px(500));
  dlg->Show();
  EXPECT_TRUE(dlg->IsMaximized());
}

TEST_F(MainDlgTest, PlacementIsStoredOnlyForANormalWindowOfARecordedProgram) {
  auto stored = [] {
    return GetSetting(kTopSetting) + L"," + GetSetting(kLeftSetting) + L"," + GetSetting(kWidthSetting) + L"," +
           GetSetting(kHeightSetting);
  };
  dlg->SetExpertMode(false);
  SetWindowPos(dlg->Hwnd(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  dlg->Show();
  const SIZE size = OuterSize(dlg->Hwnd());
  const std::wstring normal = L"50,40," + std::to_wstring(size.cx) + L"," + std::to_wstring(size.cy);

  dlg->SavePlacement();
  EXPECT_EQ(stored(), L",,,") << "before the maker value exists";
  WriteMakerValue(kApplicationTitle, L"C:\\Purgello.exe");
  dlg->SavePlacement();
  EXPECT_EQ(stored(), normal);

  // Minimised, maximised, hidden: nothing is stored.
  const std::pair<int, int> states[] = {{SW_MINIMIZE, SW_RESTORE}, {SW_MAXIMIZE, SW_RESTORE}, {SW_HIDE, SW_SHOW}};
  for (const auto& [enter, leave] : states) {
    SetSetting(kTopSetting, L"7");
    ShowWindow(dlg->Hwnd(), enter);
    dlg->SavePlacement();
    EXPECT_EQ(GetSetting(kTopSetting), L"7") << enter;
    ShowWindow(dlg->Hwnd(), leave);
  }
  // Back to normal: a resize stores at once.
  SetWindowPos(dlg->Hwnd(), nullptr, 0, 0, size.cx + 1, size.cy, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(GetSetting(kWidthSetting), std::to_wstring(size.cx + 1));
}

TEST_F(MainDlgTest, ColumnsSortAsClicked) {
  AddRow(L"Temporary Files", L"C:\\t\\b.tmp", L"A", 1 * kGiB);
  AddRow(L"Cookies", L"C:\\c\\a.txt", L"B", 3 * kGiB);
  AddRow(L"Recycle Bin", L"", L"C", 2 * kGiB + 5);
  AddRow(L"cookies", L"C:\\c\\Z.txt", L"D", 10);
  AddRow(L"\u00e9a", L"C:\\e\\x.txt", L"E", 0);
  AddRow(L"\u00c9a", L"C:\\e\\y.txt", L"F", 0);
  using Names = std::vector<std::wstring>;
  struct Click {
    int column;
    int direction;
    Names order;
  };
  // Each column keeps its own direction; equal texts (a to z in any case)
  // keep their order; an accented capital is not its small letter.
  const Click clicks[] = {
      {0, 1, {L"B", L"D", L"C", L"A", L"F", L"E"}},
      {0, -1, {L"E", L"F", L"A", L"C", L"B", L"D"}},
      {1, 1, {L"C", L"B", L"D", L"E", L"F", L"A"}},  // the empty path as a blank, first
      {0, 1, {L"B", L"D", L"C", L"A", L"F", L"E"}},
      {2, 1, {L"F", L"E", L"D", L"A", L"C", L"B"}},
      {2, -1, {L"B", L"C", L"A", L"D", L"F", L"E"}},  // 3 GiB above the Recycle Bin's 2 GiB above 1 GiB
  };
  for (const Click& click : clicks) {
    SCOPED_TRACE(click.column);
    sizeReads = 0;
    dlg->lstColumnClick(click.column);
    EXPECT_EQ(dlg->Sort().Column(), size_t(click.column));
    EXPECT_EQ(dlg->Sort().Direction(), click.direction);
    EXPECT_EQ(dlg->lst.ColumnTag(click.column), click.direction);
    EXPECT_EQ(dlg->lst.Tag(), click.column);
    EXPECT_EQ(Order(), click.order);
    EXPECT_EQ(sizeReads, click.column == 2 ? 6 : 0) << "each size read once per sort";
  }
}

TEST_F(MainDlgTest, ManyRowsAreSortedAndTotalledWithoutHoldingTheWindow) {
  for (int i = 0; i < 3000; ++i) AddRow(L"Temporary Files", L"C:\\t\\f.tmp", std::to_wstring(i), uint64_t(i % 7));
  // Size reads wait until the test lets them go: a window that read them
  // itself would hang here.
  HoldSizeReads();
  const DWORD start = GetTickCount();
  dlg->lstColumnClick(2);
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_TRUE(dlg->SizesPending());
  ReleaseSizeReads();
  WaitForSizes();
  for (size_t i = 1; i < list.Count(); ++i) ASSERT_LE(sizes[list.At(i - 1).sizeText], sizes[list.At(i).sizeText]);

  uint64_t total = 0;
  for (const auto& [name, size] : sizes) total += size;
  dlg->lstClick();
  WaitForSizes();
  EXPECT_EQ(Totals(), TotalsOf(total, 3000));
}

// Rows in a stream are drawn together: the list always has them all, and its
// scroll bar comes to them once the stream pauses.
TEST_F(MainDlgTest, RowsInAStreamAreCountedAtOnceAndDrawnWhenItPauses) {
  dlg->Show();
  dlg->SetExpertMode(false);
  Pump();
  for (int i = 0; i < 300; ++i) AddRow(L"Temp", L"C:\\t\\" + std::to_wstring(i), std::to_wstring(i), 1);
  EXPECT_EQ(dlg->lst.RowCount(), 300u);
  for (int i = 0; i < 40; ++i) {
    Pump();
    Sleep(10);
  }
  SCROLLINFO bar{};
  bar.cbSize = sizeof bar;
  bar.fMask = SIF_RANGE;
  ASSERT_TRUE(GetScrollInfo(dlg->lst.Hwnd(), SB_VERT, &bar));
  EXPECT_EQ(bar.nMax, 299);
}

TEST_F(MainDlgTest, ASortOfRowsThatWereReplacedMeanwhileIsDropped) {
  for (int i = 0; i < 3000; ++i) AddRow(L"Temporary Files", L"C:\\t\\f.tmp", std::to_wstring(i), uint64_t(3000 - i));
  HoldSizeReads();
  dlg->lstColumnClick(2);
  // A new analysis: the list is emptied and filled again, as long as before.
  list.Clear();
  dlg->ReviewListChanged();
  for (int i = 0; i < 3000; ++i) list.Add(L"Cookies", L"C:\\c\\k.txt", std::to_wstring(i));
  dlg->ReviewListChanged();
  ReleaseSizeReads();
  WaitForSizes();
  for (size_t i = 0; i < list.Count(); ++i) ASSERT_EQ(list.At(i).sizeText, std::to_wstring(i));
}

// Checks changed while a sort reads its sizes: the sorted rows keep them, and
// the totals count them, whatever the sort's snapshot of the rows held.
TEST_F(MainDlgTest, ChecksMadeDuringASortStayWithTheirRowsAndAreTotalled) {
  uint64_t kept = 0;
  for (int i = 0; i < 3000; ++i) {
    const bool cookie = i % 3 == 0;
    AddRow(cookie ? L"Cookies" : L"Temporary Files", L"C:\\t\\f.tmp", std::to_wstring(i), uint64_t(3000 - i));
    if (!cookie) kept += uint64_t(3000 - i);
  }
  HoldSizeReads();
  dlg->lstColumnClick(2);
  ASSERT_TRUE(dlg->SizesPending());
  dlg->lst.SelectRow(0);
  dlg->PopupLstPopup();
  dlg->UncheckAll2Click();
  ReleaseSizeReads();
  WaitForSizes();
  ASSERT_EQ(list.At(0).sizeText, L"2999");
  for (size_t i = 0; i < list.Count(); ++i)
    ASSERT_EQ(list.Checked(i), list.At(i).caption != L"Cookies") << list.At(i).sizeText;
  EXPECT_EQ(Totals(), TotalsOf(kept, 2000));
  dlg->lstClick();
  WaitForSizes();
  EXPECT_EQ(Totals(), TotalsOf(kept, 2000));
}

TEST_F(MainDlgTest, CheckMarksFollowTheCommandsAndTheTotalsTheClicks) {
  AddRow(L"Temporary Files", L"C:\\t\\1.tmp", L"A", 100);
  AddRow(L"Cookies", L"C:\\c\\1.txt", L"B", 20);
  AddRow(L"Temporary Files", L"C:\\t\\2.tmp", L"C", 3);
  dlg->lstClick();
  EXPECT_EQ(Totals(), TotalsOf(123, 3));

  // The buttons leave the totals as they were until the next click.
  dlg->uncheckall_btn.Click();
  EXPECT_EQ(Checks(), L"---");
  EXPECT_EQ(Totals(), TotalsOf(123, 3));
  dlg->lstClick();
  EXPECT_EQ(Totals(), TotalsOf(0, 0));
  dlg->checkall_btn.Click();
  EXPECT_EQ(Checks(), L"xxx");
  EXPECT_EQ(Totals(), TotalsOf(0, 0));

  // A double click: every row of the type takes the selected row's new mark.
  dlg->lstDblClick();
  EXPECT_EQ(Checks(), L"xxx") << "no row selected";
  dlg->lst.SelectRow(2);
  dlg->lstDblClick();
  EXPECT_EQ(Checks(), L"-x-");
  EXPECT_EQ(Totals(), TotalsOf(20, 1));
  dlg->lstDblClick();
  EXPECT_EQ(Checks(), L"xxx");

  // Per type, from the popup's caption.
  dlg->lst.SelectRow(1);
  dlg->PopupLstPopup();
  dlg->UncheckAll2Click();
  EXPECT_EQ(Checks(), L"x-x");
  EXPECT_EQ(Totals(), TotalsOf(103, 2));
  dlg->UncheckAll1Click();
  EXPECT_EQ(Checks(), L"---");
  dlg->Checkall2Click();
  EXPECT_EQ(Checks(), L"-x-");
  dlg->CheckAll1Click();
  EXPECT_EQ(Checks(), L"xxx");
  // A caption without a colon (a translation) names no type.
  dlg->PopupItem(L"Checkall2").SetCaption(L"Cookies");
  dlg->UncheckAll2Click();
  EXPECT_EQ(Checks(), L"xxx");
}

TEST_F(MainDlgTest, PopupShowsThePerTypeCommandsOnlyForASelectedRow) {
  AddRow(L"Cookies", L"C:\\c\\1.txt", L"A", 1);
  dlg->PopupLstPopup();
  EXPECT_EQ(MenuTexts(dlg->PopupLst.Handle()),
            (std::vector<std::wstring>{L"Check All", L"Uncheck All", L"-", L"Open containing folder", L"-",
                                       L"Save list...\tCtrl+Shift+S"}));
  dlg->lst.SelectRow(0);
  dlg->PopupLstPopup();
  EXPECT_EQ(MenuTexts(dlg->PopupLst.Handle()),
            (std::vector<std::wstring>{L"Check All", L"Uncheck All", L"-", L"Check All : Cookies",
                                       L"Uncheck All : Cookies", L"-", L"Open containing folder", L"-",
                                       L"Save list...\tCtrl+Shift+S"}));
  for (const wchar_t* name : {L"CheckAll1", L"UncheckAll1", L"Checkall2", L"UncheckAll2", L"Opencontaining1"})
    EXPECT_TRUE(dlg->PopupItem(name).Enabled()) << name;
}

TEST_F(MainDlgTest, OpenContainingFolderOpensTheRowsFolder) {
  testsupport::TempTree tree;
  const std::wstring file = tree.WriteFile(L"cache\\a.tmp", "x");
  const std::wstring folder = tree.MakeFolder(L"cache\\sub");
  AddRow(L"Temporary Files", file, L"A", 1);
  AddRow(L"Temporary Internet Files", folder, L"B", 0);
  AddRow(L"Recycle Bin", L"", L"C", 0);
  AddRow(L"Temporary Files", tree.Path(L"gone\\b.tmp"), L"D", 0);
  dlg->Opencontaining1Click();
  EXPECT_TRUE(opened.empty()) << "no row selected";
  for (size_t row = 0; row < 4; ++row) {
    dlg->lst.SelectRow(row);
    dlg->Opencontaining1Click();
  }
  EXPECT_EQ(opened, (std::vector<std::wstring>{tree.Path(L"cache\\"), folder, L"", tree.Path(L"gone\\")}));
}

// "Save list..." and its shortcut: only in expert mode and outside a session,
// the file the user chose gets the list as CSV; a failure is told.
TEST_F(MainDlgTest, SaveListWritesTheListWhereTheUserChooses) {
  testsupport::TempTree tree;
  AddRow(L"Temporary Files", tree.WriteFile(L"a,b.tmp", "xyz"), L"A", 3);
  AddRow(L"Recycle Bin", L"", L"B", 0);
  list.SetChecked(0, false);
  chosenFile = tree.Path(L"saved.csv");

  dlg->Savelist1Click();  // basic mode: the shortcut does nothing
  EXPECT_EQ(saveAsks, 0);
  dlg->SetExpertMode(false);
  dlg->SetEnabled(MainControl::Lst, false);  // a session runs
  dlg->Savelist1Click();
  EXPECT_EQ(saveAsks, 0);
  dlg->SetEnabled(MainControl::Lst, true);

  // The shortcut, pressed in the list.
  BYTE keys[256] = {};
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  PostMessageW(dlg->lst.Hwnd(), WM_KEYDOWN, 'S', 1);
  PostQuitMessage(7);
  EXPECT_EQ(gui::RunMessageLoop(), 7);
  BYTE none[256] = {};
  SetKeyboardState(none);
  EXPECT_EQ(saveAsks, 1);
  std::string bytes;
  EXPECT_EQ(platform::ReadWholeFile(chosenFile, 4096, bytes), platform::WholeFileRead::Ok);
  EXPECT_EQ(bytes, "\xEF\xBB\xBFTemporary Files,\"" + platform::ToUtf8(tree.Path(L"a,b.tmp")) + "\",3,0\r\nRecycle Bin,,0,1\r\n");
  EXPECT_TRUE(saveFailures.empty());

  chosenFile.clear();  // cancelled
  dlg->Savelist1Click();
  EXPECT_EQ(saveAsks, 2);
  chosenFile = tree.Path(L"missing\\saved.csv");
  dlg->Savelist1Click();
  EXPECT_EQ(saveFailures, std::vector<std::wstring>{L"The list could not be saved as " + chosenFile});
}

// The names of the files in a folder.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

// A long list is saved by the helper: the window answers while the sizes are
// read, the command waits for the save, and a window closed meanwhile leaves
// no file behind, neither the chosen one nor a temporary one.
TEST_F(MainDlgTest, ALongListIsSavedWithoutHoldingTheWindow) {
  testsupport::TempTree tree;
  std::string expected = "\xEF\xBB\xBF";
  for (int i = 0; i < 3000; ++i) {
    const std::string n = std::to_string(i);
    AddRow(L"Temporary Files", L"C:\\t\\f" + platform::FromUtf8(n) + L".tmp", platform::FromUtf8(n), uint64_t(i % 7));
    if (i % 2) list.SetChecked(size_t(i), false);
    expected += "Temporary Files,C:\\t\\f" + n + ".tmp," + std::to_string(i % 7) + (i % 2 ? ",0\r\n" : ",1\r\n");
  }
  WaitForSizes();
  HoldSizeReads();
  dlg->SetExpertMode(false);  // expert mode
  chosenFile = tree.Path(L"long.csv");
  const DWORD start = GetTickCount();
  dlg->Savelist1Click();
  EXPECT_LT(GetTickCount() - start, 1000u);
  ASSERT_TRUE(dlg->SavePending());
  // The window takes messages meanwhile; the command is greyed and its
  // shortcut ignored until the save is done.
  EXPECT_TRUE(SendMessageW(dlg->Hwnd(), WM_GETTEXTLENGTH, 0, 0) > 0);
  dlg->PopupLstPopup();
  EXPECT_FALSE(dlg->PopupItem(L"Savelist1").Enabled());
  dlg->Savelist1Click();
  EXPECT_EQ(saveAsks, 1);
  ReleaseSizeReads();
  for (int i = 0; i < 500 && dlg->SavePending(); ++i) {
    Pump();
    Sleep(10);
  }
  ASSERT_FALSE(dlg->SavePending());
  EXPECT_TRUE(dlg->PopupItem(L"Savelist1").Enabled());
  std::string bytes;
  EXPECT_EQ(platform::ReadWholeFile(chosenFile, 1 << 20, bytes), platform::WholeFileRead::Ok);
  EXPECT_EQ(bytes, expected);
  EXPECT_TRUE(saveFailures.empty());

  // Closed while the sizes are read: the helper stops, and the window goes at once.
  gate = [] { Sleep(1); };
  chosenFile = tree.Path(L"closed.csv");
  dlg->Savelist1Click();
  ASSERT_TRUE(dlg->SavePending());
  Sleep(50);
  const DWORD closing = GetTickCount();
  dlg.reset();
  EXPECT_LT(GetTickCount() - closing, 1000u);
  EXPECT_LT(sizeReads, 2 * 3000);
  EXPECT_EQ(FilesIn(tree.Root()), std::vector<std::wstring>{L"long.csv"});
}

TEST_F(MainDlgTest, SiblingButtonsStartTheRecordedProductOrOpenItsPage) {
  testsupport::TempTree tree;
  const std::wstring health = tree.WriteFile(L"Diskwise\\Diskwise.exe", "MZ");
  WriteMakerValue(L"Diskwise", health);
  DeleteMakerValue(L"Shredix");
  dlg->health_btn.Click();
  dlg->shred_btn.Click();
  DeleteFileW(health.c_str());
  dlg->health_btn.Click();
  DeleteMakerValue(L"Diskwise");
  EXPECT_EQ(opened, (std::vector<std::wstring>{health, L"https://" + VendorServer() + L"/?shredix",
                                               L"https://" + VendorServer() + L"/?dskw"}));
}

// The start-up work waits for the first activation and then runs once, from
// the message loop (not inside the activation); a window closed before it
// never starts up.
TEST_F(MainDlgTest, StartUpRunsOnceAfterTheFirstActivation) {
  int startUps = 0;
  dlg->onFirstActivation = [&] { ++startUps; };
  Pump();
  EXPECT_EQ(startUps, 0) << "not before the window is activated";
  dlg->Show();
  ASSERT_EQ(GetActiveWindow(), dlg->Hwnd());
  EXPECT_EQ(startUps, 0) << "not inside the activation";
  Pump();
  EXPECT_EQ(startUps, 1);
  SendMessageW(dlg->Hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
  SendMessageW(dlg->Hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
  Pump();
  EXPECT_EQ(startUps, 1);

  auto closedFirst = std::make_unique<TMainDlg>(list, Environment());
  closedFirst->onFirstActivation = [&] { ++startUps; };
  SendMessageW(closedFirst->Hwnd(), WM_CLOSE, 0, 0);
  SendMessageW(closedFirst->Hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message != WM_QUIT) DispatchMessageW(&msg);
  EXPECT_EQ(startUps, 1);
}

TEST_F(MainDlgTest, ALanguageSwitchRelabelsTheWindowAndTheSettingsDialog) {
  AddRow(L"Temporary Files", L"C:\\temp\\a.tmp", L"a", 2048);
  dlg->Show();
  ASSERT_TRUE(dlg->Langue.ScanLanguages());
  ASSERT_TRUE(dlg->Langue.SelectByCode(0x040C));
  // What the file translates, and what the window builds from its table.
  EXPECT_EQ(dlg->clean_btn.WindowText(), L"Nettoyer");
  EXPECT_EQ(dlg->manual_grp.WindowText(), L"Mode manuel");
  EXPECT_EQ(dlg->MenuItemNamed(L"Quit1").Caption(), L"Quitter");
  EXPECT_EQ(dlg->PopupItem(L"Opencontaining1").Caption(), L"Ouvrir le dossier");
  EXPECT_EQ(dlg->lst.ColumnCaption(0), L"Type");
  EXPECT_EQ(dlg->lst.ColumnCaption(1), L"Chemin");
  EXPECT_EQ(dlg->lst.ColumnCaption(2), L"Taille");
  EXPECT_EQ(FormatSize(2048).substr(FormatSize(2048).size() - 3), L" Ko");
  EXPECT_EQ(Totals(), FormatSize(2048) + L" / 1 \u00E9l\u00E9ments");
  EXPECT_EQ(dlg->SettingsDlg().Caption(), L"Param\u00E8tres");
  EXPECT_EQ(dlg->SettingsDlg().LanguageChoice.Behaviour().SelectedRow(), 0);
  EXPECT_EQ(dlg->SettingsDlg().LanguageChoice.HeadingText(), L"  Langue de l'interface");
  // Also run at 144 DPI.
  EXPECT_EQ(gui::LayoutFaults(*dlg), std::vector<std::wstring>());
  dlg->expert_btn.Click();
  EXPECT_EQ(dlg->basic_btn.WindowText(), L"Mode simple");
  EXPECT_EQ(gui::LayoutFaults(*dlg), std::vector<std::wstring>());
}

TEST_F(MainDlgTest, TheTrayTakesTheMinimisedWindowAndGivesItBack) {
  dlg->Show();
  ASSERT_TRUE(dlg->IsVisible());
  dlg->SetTrayActive(true);
  if (!dlg->TrayActive()) GTEST_SKIP() << "no notification area";
  SendMessageW(dlg->Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(dlg->IsVisible());
  dlg->traymenu.Item(L"Show1")->Click();
  EXPECT_TRUE(dlg->IsVisible());
  EXPECT_FALSE(IsIconic(dlg->Hwnd()));
  // Without the icon, minimising only minimises.
  dlg->SetTrayActive(false);
  SendMessageW(dlg->Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(dlg->IsVisible());
  EXPECT_TRUE(IsIconic(dlg->Hwnd()));
}

TEST_F(MainDlgTest, MenusAndShortcutsAsDesigned) {
  std::vector<std::vector<std::wstring>> menus;
  HMENU bar = GetMenu(dlg->Hwnd());
  for (int i = 0; i < GetMenuItemCount(bar); ++i) menus.push_back(MenuTexts(GetSubMenu(bar, i)));
  EXPECT_EQ(MenuTexts(bar), (std::vector<std::wstring>{L"File", L"Options", L"?"}));
  ASSERT_EQ(menus.size(), 3u);
  EXPECT_EQ(menus[0], (std::vector<std::wstring>{L"Clean and shutdown", L"Clean and close", L"Clean and reboot",
                                                 L"Quit\tCtrl+Q"}));
  EXPECT_EQ(menus[1], (std::vector<std::wstring>{L"Expert mode\tCtrl+E", L"Settings\tCtrl+S"}));
  EXPECT_EQ(menus[2], (std::vector<std::wstring>{L"Open Log File\tCtrl+L", L"Clean Log File", L"-",
                                                 L"Check for update...\tCtrl+G", L"-", L"&Change Log",
                                                 L"&Bug report, Feature request, Known issues", L"-",
                                                 L"About\tCtrl+B"}));
  EXPECT_EQ(MenuTexts(dlg->traymenu.Handle()), (std::vector<std::wstring>{L"Show", L"Quit"}));
  EXPECT_TRUE(dlg->traymenu.Item(L"Show1")->IsDefault());
}

}  // namespace
