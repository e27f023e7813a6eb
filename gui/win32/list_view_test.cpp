// The virtual list view under Wine, driven by the messages the user's mouse
// and keys send: texts and marks come from the source, only for rows in view,
// and the user's toggles land in the source.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "gui/win32/list_view.h"

#include <cstdint>
#include "gui/win32/window.h"

namespace {

using gui::DesignRect;

class FakeSource : public gui::ListViewSource {
 public:
  std::wstring CellText(size_t row, int column) const override {
    askedRows.insert(row);
    return L"row " + std::to_wstring(row) + L" column " + std::to_wstring(column);
  }
  bool RowChecked(size_t row) const override { return unchecked.count(row) == 0; }
  void SetRowChecked(size_t row, bool checked) override {
    if (checked) unchecked.erase(row);
    else unchecked.insert(row);
  }
  mutable std::set<size_t> askedRows;
  std::set<size_t> unchecked;
};

class ListWindow : public gui::Window {
 public:
  ListWindow() : gui::Window(L"ListWnd", gui::WindowSpec{L"PurgelloListViewTest", WS_OVERLAPPEDWINDOW, 0, L"List"}) {
    SetDesignClientSize(500, 300);
    LayOut();
    list.AddColumn(L"Type", 100);
    list.AddColumn(L"Path", 200);
    list.AddColumn(L"Size", 80);
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
  }
  void Paint() { UpdateWindow(list.Hwnd()); }
  FakeSource source;
  gui::ListView list{*this, L"lst", DesignRect{8, 8, 484, 284}, source};
};

LPARAM Client(POINT p) { return MAKELPARAM(p.x, p.y); }

RECT RowRect(const gui::ListView& list, size_t row, int part) {
  RECT r{};
  r.left = part;
  SendMessageW(list.Hwnd(), LVM_GETITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&r));
  return r;
}

// The middle of the row's check box (left of its icon and label).
POINT BoxPoint(const gui::ListView& list, size_t row) {
  const RECT icon = RowRect(list, row, LVIR_ICON);
  const RECT bounds = RowRect(list, row, LVIR_BOUNDS);
  return POINT{(bounds.left + icon.left) / 2, (icon.top + icon.bottom) / 2};
}

POINT LabelPoint(const gui::ListView& list, size_t row) {
  const RECT label = RowRect(list, row, LVIR_LABEL);
  return POINT{label.left + 10, (label.top + label.bottom) / 2};
}

void Click(HWND hwnd, POINT p) {
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Client(p));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, Client(p));
}

TEST(ListViewTest, AHundredThousandRowsAreCountedAtOnceAndOnlyRowsInViewAreAsked) {
  ListWindow w;
  w.list.SetRowCount(100000);
  w.list.FitColumns();
  w.Paint();
  EXPECT_EQ(w.list.RowCount(), 100000u);
  const size_t inView = size_t(SendMessageW(w.list.Hwnd(), LVM_GETCOUNTPERPAGE, 0, 0));
  ASSERT_FALSE(w.source.askedRows.empty());
  EXPECT_LE(*w.source.askedRows.rbegin(), inView + 1);

  // Appending row by row to a long list asks for nothing out of view either.
  w.source.askedRows.clear();
  for (size_t count = 100001; count <= 100300; ++count) {
    w.list.SetRowCount(count);
    w.Paint();
  }
  EXPECT_EQ(w.list.RowCount(), 100300u);
  for (size_t row : w.source.askedRows) EXPECT_LE(row, inView + 1);

  w.list.EnsureVisible(100299);
  w.Paint();
  EXPECT_GT(w.list.TopRow(), 100000u);
  EXPECT_EQ(w.source.askedRows.count(100299), 1u);
}

TEST(ListViewTest, TextsAndMarksComeFromTheSource) {
  ListWindow w;
  w.source.unchecked = {1};
  w.list.SetRowCount(3);
  wchar_t text[64] = L"";
  LVITEMW item{};
  item.iSubItem = 2;
  item.pszText = text;
  item.cchTextMax = int(std::size(text));
  SendMessageW(w.list.Hwnd(), LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, L"row 1 column 2");
  const UINT marks[] = {2, 1, 2};  // state image 2: checked, 1: unchecked
  for (size_t row = 0; row < 3; ++row)
    EXPECT_EQ(SendMessageW(w.list.Hwnd(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK), LRESULT(INDEXTOSTATEIMAGEMASK(marks[row])))
        << row;
}

TEST(ListViewTest, ClicksOnABoxAndSpaceToggleTheSourcesMark) {
  enum class Act { ClickBox, ClickLabel, Space, DoubleClickLabel };
  struct Case {
    Act act;
    size_t row;
    bool toggled;
    int clicks, doubleClicks;
  };
  const Case cases[] = {
      {Act::ClickBox, 2, true, 1, 0},
      {Act::ClickLabel, 2, false, 1, 0},
      {Act::Space, 1, true, 0, 0},
      {Act::DoubleClickLabel, 0, false, 0, 1},
  };
  for (const Case& c : cases) {
    ListWindow w;
    w.list.SetRowCount(4);
    w.Paint();
    std::vector<size_t> toggles;
    int clicks = 0, doubleClicks = 0;
    w.list.onCheckToggled = [&](size_t row) { toggles.push_back(row); };
    w.list.onClick = [&] { ++clicks; };
    w.list.onDoubleClick = [&] { ++doubleClicks; };
    switch (c.act) {
      case Act::ClickBox: {
        LVHITTESTINFO hit{};
        hit.pt = BoxPoint(w.list, c.row);
        ASSERT_EQ(SendMessageW(w.list.Hwnd(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), LRESULT(c.row));
        ASSERT_TRUE(hit.flags & LVHT_ONITEMSTATEICON);
        Click(w.list.Hwnd(), hit.pt);
        break;
      }
      case Act::ClickLabel:
        Click(w.list.Hwnd(), LabelPoint(w.list, c.row));
        EXPECT_EQ(w.list.SelectedRow(), c.row);
        break;
      case Act::Space:
        w.list.SelectRow(c.row);
        w.list.Focus();
        SendMessageW(w.list.Hwnd(), WM_KEYDOWN, VK_SPACE, 0);
        SendMessageW(w.list.Hwnd(), WM_KEYUP, VK_SPACE, 0);
        break;
      case Act::DoubleClickLabel:
        Click(w.list.Hwnd(), LabelPoint(w.list, c.row));
        clicks = 0;
        SendMessageW(w.list.Hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, Client(LabelPoint(w.list, c.row)));
        SendMessageW(w.list.Hwnd(), WM_LBUTTONUP, 0, Client(LabelPoint(w.list, c.row)));
        break;
    }
    EXPECT_EQ(toggles, c.toggled ? std::vector<size_t>{c.row} : std::vector<size_t>{}) << int(c.act);
    EXPECT_EQ(w.source.RowChecked(c.row), !c.toggled) << int(c.act);
    EXPECT_EQ(w.source.unchecked.size(), c.toggled ? 1u : 0u) << int(c.act);
    EXPECT_EQ(clicks, c.clicks) << int(c.act);
    EXPECT_EQ(doubleClicks, c.doubleClicks) << int(c.act);
    EXPECT_EQ(SendMessageW(w.list.Hwnd(), LVM_GETITEMSTATE, c.row, LVIS_STATEIMAGEMASK),
              LRESULT(INDEXTOSTATEIMAGEMASK(c.toggled ? 1 : 2)))
        << int(c.act);
  }
}

TEST(ListViewTest, HeaderClicksNameTheirColumn) {
  ListWindow w;
  std::vector<int> clicked;
  w.list.onColumnClick = [&](int column) { clicked.push_back(column); };
  HWND header = reinterpret_cast<HWND>(SendMessageW(w.list.Hwnd(), LVM_GETHEADER, 0, 0));
  for (int column : {2, 0}) {
    RECT r{};
    SendMessageW(header, HDM_GETITEMRECT, WPARAM(column), reinterpret_cast<LPARAM>(&r));
    Click(header, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  EXPECT_EQ(clicked, (std::vector<int>{2, 0}));
}

TEST(ListViewTest, ContextMenuComesAtThePointerOrBelowTheSelectedRow) {
  ListWindow w;
  w.list.SetRowCount(20);
  std::vector<POINT> asked;
  w.list.onContextMenu = [&](POINT p) { asked.push_back(p); };
  SendMessageW(w.list.Hwnd(), WM_CONTEXTMENU, WPARAM(w.list.Hwnd()), MAKELPARAM(123, 45));
  w.list.SelectRow(5);
  EXPECT_EQ(w.list.SelectedRow(), 5u);
  EXPECT_EQ(w.list.FocusedRow(), 5u);
  SendMessageW(w.list.Hwnd(), WM_CONTEXTMENU, WPARAM(w.list.Hwnd()), -1);
  w.list.SelectRow(std::nullopt);
  EXPECT_EQ(w.list.SelectedRow(), std::nullopt);
  SendMessageW(w.list.Hwnd(), WM_CONTEXTMENU, WPARAM(w.list.Hwnd()), -1);

  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].x, 123);
  EXPECT_EQ(asked[0].y, 45);
  const RECT row = RowRect(w.list, 5, LVIR_LABEL);
  POINT rowBottom{row.left, row.bottom};
  ClientToScreen(w.list.Hwnd(), &rowBottom);
  EXPECT_EQ(asked[1].x, rowBottom.x);
  EXPECT_EQ(asked[1].y, rowBottom.y);
  POINT corner{0, 0};
  ClientToScreen(w.list.Hwnd(), &corner);
  EXPECT_EQ(asked[2].x, corner.x);
  EXPECT_EQ(asked[2].y, corner.y);
}

// The two state pictures, cleared then checked, as the list paints them.
std::vector<std::vector<uint32_t>> BoxPictures(const gui::ListView& list, int& size) {
  auto* images = reinterpret_cast<HIMAGELIST>(SendMessageW(list.Hwnd(), LVM_GETIMAGELIST, LVSIL_STATE, 0));
  int height = 0;
  size = 0;
  if (!images || !ImageList_GetIconSize(images, &size, &height) || ImageList_GetImageCount(images) < 2) return {};
  std::vector<std::vector<uint32_t>> pictures;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int i = 0; i < 2; ++i) {
    const RECT all{0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, i, dc, 0, 0, ILD_NORMAL);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) pixels.push_back(GetPixel(dc, x, y));
    pictures.push_back(pixels);
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pictures;
}

// Drawn for the window's DPI, and again when it changes; a click on a box
// still toggles its row.
TEST(ListViewTest, CheckBoxesAreDrawnForTheDpiAndAgainForANewOne) {
  ListWindow w;
  w.list.SetRowCount(3);
  const int dpi = w.Dpi() == 96 ? 144 : 96;
  for (int expected : {w.Dpi(), dpi}) {
    SCOPED_TRACE(expected);
    if (expected != w.Dpi()) {
      RECT r{};
      GetWindowRect(w.Hwnd(), &r);
      SendMessageW(w.Hwnd(), WM_DPICHANGED, MAKEWPARAM(expected, expected), reinterpret_cast<LPARAM>(&r));
      ASSERT_EQ(w.Dpi(), expected);
    }
    int size = 0;
    const std::vector<std::vector<uint32_t>> boxes = BoxPictures(w.list, size);
    EXPECT_EQ(size, gui::Scale(16, expected));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[0], boxes[1]);
    const std::vector<uint32_t> blank(boxes[0].size(), RGB(255, 255, 255));
    EXPECT_NE(boxes[0], blank);
    w.Paint();
    const bool before = w.source.RowChecked(1);
    Click(w.list.Hwnd(), BoxPoint(w.list, 1));
    EXPECT_NE(w.source.RowChecked(1), before);
  }
}

TEST(ListViewTest, ColumnsFollowTheDpiAndFitTheirTexts) {
  ListWindow w;
  EXPECT_EQ(w.list.ColumnWidth(1), gui::Scale(200, w.Dpi()));
  w.list.SetColumnCaption(2, L"A much longer caption for the size column");
  EXPECT_EQ(w.list.ColumnCaption(2), L"A much longer caption for the size column");
  w.list.SetRowCount(2);
  w.list.FitColumns();
  const int captionWidth = int(SendMessageW(w.list.Hwnd(), LVM_GETSTRINGWIDTHW, 0,
                                            reinterpret_cast<LPARAM>(L"A much longer caption for the size column")));
  EXPECT_GT(w.list.ColumnWidth(2), captionWidth);
  const int cellWidth =
      int(SendMessageW(w.list.Hwnd(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"row 1 column 1")));
  EXPECT_GT(w.list.ColumnWidth(1), cellWidth);
  EXPECT_LT(w.list.ColumnWidth(1), gui::Scale(200, w.Dpi()));
}

}  // namespace
