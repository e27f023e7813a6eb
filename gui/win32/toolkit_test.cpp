// The toolkit's window furniture under Wine, on real controls: anchoring on a
// resize, the white panel and what it holds, link labels, drawn pictures and
// image buttons, progress bar, status bar and timers. Also run at 144 DPI.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>

#include "gui/component_paths.h"
#include "gui/win32/group_box.h"
#include "gui/win32/image_button.h"
#include "gui/win32/layout_check.h"
#include "gui/win32/link_label.h"
#include "gui/win32/progress_bar.h"
#include "gui/win32/status_bar.h"
#include "gui/win32/timer.h"
#include "gui/win32/white_panel.h"
#include "gui/win32/window.h"

namespace {

using gui::DesignRect;
using gui::Scale;

constexpr COLORREF kRed = RGB(220, 0, 0), kGreen = RGB(0, 160, 0);

void FillEllipse(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Ellipse(dc, r.left, r.top, r.right + 1, r.bottom + 1);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

// Dispatches messages until done() holds or ms have passed.
bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(1);
  }
  return true;
}

// A window shaped like the top of the main window, designed 500 x 330.
class ToolkitWnd : public gui::Window {
 public:
  ToolkitWnd() : gui::Window(L"ToolkitWnd", gui::WindowSpec{L"PurgelloToolkitTest", WS_OVERLAPPEDWINDOW, 0, L"Toolkit"}) {
    SetDesignClientSize(500, 330);
    top_pnl.SetAnchors(gui::kAnchorLeftTopRight);
    top_img.SetAnchors(gui::kAnchorTopRight);
    pb.SetAnchors(gui::kAnchorLeftTopRight);
    lst_grp.SetAnchors(gui::kAnchorAll);
    LayOut();
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
    UpdateWindow(Hwnd());
  }
  // Sets the client area to width x height pixels.
  void ResizeClient(int width, int height) {
    const SIZE outer = gui::OuterSizeForClient(width, height, Style(), ExStyle(), false, Dpi());
    SetWindowPos(Hwnd(), nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  gui::WhitePanel top_pnl{*this, L"top_pnl", DesignRect{1, 0, 498, 70}};
  gui::Label& top_lbl = top_pnl.Add<gui::Label>(L"top_lbl", L"Purgello", DesignRect{8, 8, 0, 0}, gui::LabelStyle{true});
  gui::LinkLabel& site_lnk = top_pnl.Add<gui::LinkLabel>(L"site_lnk", L"Visit the web site", DesignRect{8, 30, 0, 0});
  gui::Picture& top_img = top_pnl.Add<gui::Picture>(
      L"top_img", DesignRect{440, 6, 48, 48}, [](HDC dc, const RECT& r) { FillEllipse(dc, r, kGreen); });
  gui::ImageButton clean_btn{*this, L"clean_btn", L"Clean", DesignRect{8, 80, 100, 45},
                             [](HDC dc, const RECT& r) { FillEllipse(dc, r, kRed); }};
  gui::ProgressBar pb{*this, L"pb", DesignRect{3, 140, 494, 16}};
  gui::GroupBox lst_grp{*this, L"lst_grp", L"List", DesignRect{8, 160, 484, 140}};
  gui::Label note_lbl{*this, L"note_lbl", L"", DesignRect{16, 180, 200, 30}};
  gui::StatusBar status{*this, L"status", {150, 50}};
};

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* dpi = std::getenv("PURGELLO_WINE_DPI")) {
      EXPECT_EQ(wnd.Dpi(), std::atoi(dpi));
    }
  }
  int S(int design) const { return Scale(design, wnd.Dpi()); }
  ToolkitWnd wnd;
};

TEST_F(ToolkitTest, AnchoredControlsFollowTheWindowsSize) {
  EXPECT_EQ(gui::LayoutFaults(wnd), std::vector<std::wstring>());
  const int width = S(500) + 300, height = S(330) + 200;
  wnd.ResizeClient(width, height);
  RECT client{};
  GetClientRect(wnd.Hwnd(), &client);
  ASSERT_EQ(client.right, width);
  ASSERT_EQ(client.bottom, height);

  // Stretched to keep its distance to the right edge (1 design pixel).
  const RECT panel = wnd.top_pnl.PixelRect();
  EXPECT_EQ(panel.left, S(1));
  EXPECT_EQ(panel.right, width - S(1));
  EXPECT_EQ(panel.bottom - panel.top, S(70));
  // Moved with the panel's right edge, 10 design pixels from it, same size.
  const RECT picture = wnd.top_img.PixelRect();
  EXPECT_EQ(picture.right, panel.right - S(10));
  EXPECT_EQ(picture.right - picture.left, S(488) - S(440));
  // Left and top only: where it was.
  EXPECT_EQ(wnd.clean_btn.PixelRect().left, S(8));
  EXPECT_EQ(wnd.pb.PixelRect().right, width - S(3));
  const RECT list = wnd.lst_grp.PixelRect();
  EXPECT_EQ(list.right, width - S(8));
  EXPECT_EQ(list.bottom, height - S(30));
  // The status bar along the bottom, its first panel 150 design pixels wide.
  const RECT status = wnd.status.PixelRect();
  EXPECT_EQ(status.bottom, height);
  EXPECT_EQ(status.right - status.left, width);
  EXPECT_EQ(wnd.status.PanelRightEdges(), (std::vector<int>{S(150), -1}));
}

// A label of a designed width wraps its words; the layout check counts the
// lines they make against its height (two lines here).
TEST_F(ToolkitTest, LayoutCheckTellsAWrappedTextTallerThanItsLabel) {
  const struct {
    const wchar_t* text;
    bool fits;
  } cases[] = {
      {L"One line", true},
      {L"Two lines: this sentence is longer than the label is wide", true},
      {L"Three\nshort\nlines", false},
      {L"Many lines: this text is made of far more words than two lines of a label two hundred pixels wide can "
       L"hold, so that its last words are cut off",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
    wnd.note_lbl.SetCaption(c.text);
    const std::vector<std::wstring> faults = gui::LayoutFaults(wnd);
    if (c.fits) {
      EXPECT_EQ(faults, std::vector<std::wstring>());
    } else {
      ASSERT_EQ(faults.size(), 1u);
      EXPECT_EQ(faults[0].rfind(L"note_lbl: its text needs ", 0), 0u);
    }
  }
  wnd.note_lbl.SetCaption(L"");
}

TEST_F(ToolkitTest, WhitePanelHoldsLabelsAndPicturesNamedByTheWindow) {
  const std::vector<ComponentPath> paths = CollectComponents(ApplicationComponent());
  ASSERT_EQ(FindByPath(paths, L"ToolkitWnd.top_lbl"), &wnd.top_lbl);
  ASSERT_TRUE(FindByPath(paths, L"toolkitwnd.SITE_LNK")->SetProperty(L"caption", std::wstring(L"Site web")));
  EXPECT_EQ(wnd.site_lnk.Caption(), L"Site web");
  EXPECT_EQ(GetParent(wnd.top_lbl.Hwnd()), wnd.top_pnl.Hwnd());
  // Within the panel, at the window's DPI.
  EXPECT_EQ(wnd.top_lbl.PixelRect().left, wnd.top_pnl.PixelRect().left + S(8));

  RedrawWindow(wnd.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  const RECT picture = wnd.top_img.PixelRect();
  HDC pictureDc = GetDC(wnd.top_img.Hwnd());
  EXPECT_EQ(GetPixel(pictureDc, (picture.right - picture.left) / 2, (picture.bottom - picture.top) / 2), kGreen);
  ReleaseDC(wnd.top_img.Hwnd(), pictureDc);
  HDC dc = GetDC(wnd.top_pnl.Hwnd());
  EXPECT_EQ(GetPixel(dc, S(200), S(60)), RGB(255, 255, 255));  // bare panel
  // Its labels draw on white too.
  SendMessageW(wnd.top_pnl.Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(wnd.top_lbl.Hwnd()));
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  ReleaseDC(wnd.top_pnl.Hwnd(), dc);
}

TEST_F(ToolkitTest, LinkLabelIsBlueUnderlinedWithTheHandAndClicks) {
  HWND link = wnd.site_lnk.Hwnd();
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_TRUE(font.lfUnderline);
  EXPECT_EQ(font.lfHeight, -MulDiv(8, wnd.Dpi(), 72));

  HDC dc = GetDC(link);
  SetTextColor(dc, RGB(0, 0, 0));
  EXPECT_NE(SendMessageW(wnd.top_pnl.Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), LPARAM(link)), 0);
  EXPECT_EQ(GetTextColor(dc), gui::kLinkColor);
  EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
  ReleaseDC(link, dc);

  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SendMessageW(link, WM_SETCURSOR, WPARAM(link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

  int clicks = 0;
  wnd.site_lnk.onClick = [&] { ++clicks; };
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(clicks, 1);
}

TEST_F(ToolkitTest, ProgramIconIsDrawnForTheDpiAndAgainForANewOne) {
  wnd.ShowProgramIcon();
  EXPECT_EQ(gui::WindowIconWidth(wnd.Hwnd(), ICON_SMALL), S(16));
  EXPECT_EQ(gui::WindowIconWidth(wnd.Hwnd(), ICON_BIG), S(32));
  const int dpi = wnd.Dpi() == 96 ? 144 : 96;
  RECT r{};
  GetWindowRect(wnd.Hwnd(), &r);
  SendMessageW(wnd.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(gui::WindowIconWidth(wnd.Hwnd(), ICON_SMALL), Scale(16, dpi));
  EXPECT_EQ(gui::WindowIconWidth(wnd.Hwnd(), ICON_BIG), Scale(32, dpi));
}

// Our drawing at the DPI's size: opaque where the painter drew, clear where not.
TEST_F(ToolkitTest, ImageButtonShowsItsDrawnPictureAndClicks) {
  const HICON icon = reinterpret_cast<HICON>(SendMessageW(wnd.clean_btn.Hwnd(), BM_GETIMAGE, IMAGE_ICON, 0));
  ASSERT_NE(icon, nullptr);
  ASSERT_EQ(icon, wnd.clean_btn.Picture());
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bitmap{};
  GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  const int size = S(24);
  EXPECT_EQ(bitmap.bmWidth, size);
  EXPECT_EQ(bitmap.bmHeight, size);
  std::vector<std::uint32_t> pixels(size_t(size) * size);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDIBits(screen, info.hbmColor, 0, UINT(size), pixels.data(), &bi, DIB_RGB_COLORS), size);
  ReleaseDC(nullptr, screen);
  const std::uint32_t centre = pixels[size_t(size / 2) * size + size / 2];
  EXPECT_EQ(centre, 0xFF000000u | (GetRValue(kRed) << 16) | (GetGValue(kRed) << 8) | GetBValue(kRed));
  EXPECT_EQ(pixels[0] >> 24, 0u);  // the corner, outside the ellipse
  // The mask has the picture's shape too (white is transparent): a disabled
  // button embosses that shape, not a full square.
  HDC maskDc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(maskDc, info.hbmMask);
  EXPECT_EQ(GetPixel(maskDc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(maskDc, size - 1, size - 1), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(maskDc, size / 2, size / 2), RGB(0, 0, 0));
  SelectObject(maskDc, old);
  DeleteDC(maskDc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  int clicks = 0;
  wnd.clean_btn.onClick = [&] { ++clicks; };
  wnd.clean_btn.Click();
  EXPECT_EQ(clicks, 1);
  ASSERT_TRUE(wnd.clean_btn.SetProperty(L"Caption", std::wstring(L"Nettoyer")));
  EXPECT_EQ(wnd.clean_btn.WindowText(), L"Nettoyer");
}

TEST_F(ToolkitTest, ProgressBarShowsRangesAnd64BitAmounts) {
  wnd.pb.SetRange(0, 1000);
  EXPECT_EQ(wnd.pb.Minimum(), 0);
  EXPECT_EQ(wnd.pb.Maximum(), 1000);
  constexpr std::int64_t kGiB = std::int64_t(1) << 30;
  struct Case {
    std::int64_t done, total;
    int position;
  } cases[] = {{3 * kGiB, 6 * kGiB, 500}, {5 * kGiB, 4 * kGiB, 1000}, {0, 0, 0}, {kGiB, 4 * kGiB, 250}};
  for (const Case& c : cases) {
    wnd.pb.SetProgress(c.done, c.total);
    EXPECT_EQ(SendMessageW(wnd.pb.Hwnd(), PBM_GETPOS, 0, 0), c.position) << c.done << " of " << c.total;
  }
  wnd.pb.SetRange(10, 20);
  wnd.pb.SetPosition(15);
  EXPECT_EQ(wnd.pb.Position(), 15);
  wnd.pb.SetProgress(1, 2);
  EXPECT_EQ(wnd.pb.Position(), 15);
}

TEST_F(ToolkitTest, StatusBarPanelsHoldTheirTexts) {
  wnd.status.SetPanelText(0, L"1,5 Mb. / 3 items");
  wnd.status.SetPanelText(1, L"Done !");
  wnd.status.SetPanelText(2, L"no such panel");
  wchar_t text[64] = L"";
  SendMessageW(wnd.status.Hwnd(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"1,5 Mb. / 3 items");
  EXPECT_EQ(wnd.status.PanelText(1), L"Done !");
  EXPECT_EQ(SendMessageW(wnd.status.Hwnd(), SB_GETPARTS, 0, 0), 2);
}

TEST_F(ToolkitTest, TimerTicksWhileEnabledAndIsGoneWithItsObject) {
  gui::Timer tick(wnd, L"tick_tmr", 10);
  int ticks = 0;
  tick.onTimer = [&] { ++ticks; };
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000));
  tick.SetEnabled(false);
  const int stopped = ticks;
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(ticks, stopped);
  tick.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks > stopped; }, 3000));

  UINT_PTR id = 0;
  {
    gui::Timer gone(wnd, L"gone_tmr", 10);
    id = gone.Id();
  }
  EXPECT_FALSE(KillTimer(wnd.Hwnd(), id));  // the destructor killed it
  EXPECT_EQ(wnd.FindComponent(L"gone_tmr"), nullptr);
}

}  // namespace
