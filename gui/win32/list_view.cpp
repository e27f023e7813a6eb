#include "gui/win32/list_view.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

#include "gui/win32/window_base.h"

namespace gui {

namespace {

// Room around a cell's text and a header's caption, at design size, as the
// system leaves it when it sizes a column itself.
constexpr int kCellPadding = 12;
constexpr int kHeaderPadding = 16;
// A box in a cell of a small icon's size, as the system draws them.
constexpr int kBoxCell = 16, kBox = 13;
// The filling column is never narrower, however little room the others leave.
constexpr int kMinFillWidth = 40;

// The state images: a cleared box, then a checked one, each size x size.
HIMAGELIST CheckBoxImages(HWND list, int dpi) {
  const int cell = Scale(kBoxCell, dpi), box = Scale(kBox, dpi);
  HIMAGELIST images = ImageList_Create(cell, cell, ILC_COLOR32 | ILC_MASK, 2, 0);
  if (!images) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP strip = CreateCompatibleBitmap(screen, 2 * cell, cell);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, strip);
  constexpr COLORREF kClear = RGB(255, 0, 255);  // the mask colour: around the boxes
  const RECT all{0, 0, 2 * cell, cell};
  HBRUSH clear = CreateSolidBrush(kClear);
  FillRect(dc, &all, clear);
  DeleteObject(clear);
  HTHEME theme = OpenThemeData(list, L"BUTTON");
  for (int checked = 0; checked < 2; ++checked) {
    const int left = checked * cell + (cell - box) / 2, top = (cell - box) / 2;
    RECT r{left, top, left + box, top + box};
    if (theme)
      DrawThemeBackground(theme, dc, BP_CHECKBOX, checked ? CBS_CHECKEDNORMAL : CBS_UNCHECKEDNORMAL, &r, nullptr);
    else
      DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
  }
  if (theme) CloseThemeData(theme);
  SelectObject(dc, old);
  DeleteDC(dc);
  ImageList_AddMasked(images, strip, kClear);
  DeleteObject(strip);
  return images;
}

}  // namespace

ListView::ListView(WindowBase& window, std::wstring name, const DesignRect& bounds, ListViewSource& source)
    : Control(window, std::move(name),
              ControlSpec{WC_LISTVIEWW, WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                          WS_EX_CLIENTEDGE, bounds, std::wstring()}),
      source_(source) {
  const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
  SendMessageW(Hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  // A virtual list asks for the check box images as it asks for the texts.
  SendMessageW(Hwnd(), LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  DrawCheckBoxesFor(window.Dpi());
}

void ListView::DrawCheckBoxesFor(int dpi) {
  HIMAGELIST images = CheckBoxImages(Hwnd(), dpi);
  if (!images) return;
  // The list owns its state images; the ones it gives back are no longer used.
  auto* replaced = reinterpret_cast<HIMAGELIST>(
      SendMessageW(Hwnd(), LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(images)));
  if (replaced && replaced != images) ImageList_Destroy(replaced);
  checkBoxDpi_ = dpi;
}

int ListView::AddColumn(const std::wstring& caption, int width) {
  const int index = ColumnCount();
  std::wstring text = caption;
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = text.data();
  column.cx = Scale(width, Window().Dpi());
  SendMessageW(Hwnd(), LVM_INSERTCOLUMNW, WPARAM(index), reinterpret_cast<LPARAM>(&column));
  columns_.push_back(Column{width});
  return index;
}

std::wstring ListView::ColumnCaption(int column) const {
  wchar_t text[256] = L"";
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT;
  info.pszText = text;
  info.cchTextMax = int(std::size(text));
  SendMessageW(Hwnd(), LVM_GETCOLUMNW, WPARAM(column), reinterpret_cast<LPARAM>(&info));
  return text;
}

void ListView::SetColumnCaption(int column, const std::wstring& caption) {
  std::wstring text = caption;
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT;
  info.pszText = text.data();
  SendMessageW(Hwnd(), LVM_SETCOLUMNW, WPARAM(column), reinterpret_cast<LPARAM>(&info));
}

int ListView::ColumnWidth(int column) const { return int(SendMessageW(Hwnd(), LVM_GETCOLUMNWIDTH, WPARAM(column), 0)); }

int ListView::TextWidth(const std::wstring& text) const {
  return int(SendMessageW(Hwnd(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void ListView::FitColumn(int column) {
  const int dpi = Window().Dpi();
  int width = TextWidth(ColumnCaption(column)) + Scale(kHeaderPadding, dpi);
  int boxWidth = 0;
  if (column == 0) {
    int cx = 0, cy = 0;
    auto* boxes = reinterpret_cast<HIMAGELIST>(SendMessageW(Hwnd(), LVM_GETIMAGELIST, LVSIL_STATE, 0));
    if (boxes && ImageList_GetIconSize(boxes, &cx, &cy)) boxWidth = cx + Scale(4, dpi);
  }
  const size_t count = RowCount();
  const size_t top = TopRow();
  const size_t inView = size_t(SendMessageW(Hwnd(), LVM_GETCOUNTPERPAGE, 0, 0)) + 1;
  for (size_t row = top; row < count && row < top + inView; ++row)
    width = std::max(width, TextWidth(source_.CellText(row, column)) + Scale(kCellPadding, dpi) + boxWidth);
  SendMessageW(Hwnd(), LVM_SETCOLUMNWIDTH, WPARAM(column), width);
  columns_[size_t(column)].width = MulDiv(width, kDesignDpi, dpi);
}

void ListView::FitColumns() {
  for (int column = 0; column < ColumnCount(); ++column)
    if (column != fillColumn_) FitColumn(column);
  FillWidth();
}

void ListView::SetFillColumn(int column) {
  fillColumn_ = column;
  FillWidth();
}

void ListView::FillWidth() {
  if (fillColumn_ < 0 || fillColumn_ >= ColumnCount()) return;
  const int dpi = Window().Dpi();
  RECT client{};
  GetClientRect(Hwnd(), &client);
  int width = client.right;
  if (!(GetWindowLongPtrW(Hwnd(), GWL_STYLE) & WS_VSCROLL)) width -= GetSystemMetrics(SM_CXVSCROLL);
  for (int column = 0; column < ColumnCount(); ++column)
    if (column != fillColumn_) width -= ColumnWidth(column);
  width = std::max(width, Scale(kMinFillWidth, dpi));
  SendMessageW(Hwnd(), LVM_SETCOLUMNWIDTH, WPARAM(fillColumn_), width);
  columns_[size_t(fillColumn_)].width = MulDiv(width, kDesignDpi, dpi);
}

void ListView::SetRowCount(size_t count) {
  SendMessageW(Hwnd(), LVM_SETITEMCOUNT, WPARAM(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void ListView::SetRedraw(bool on) {
  SendMessageW(Hwnd(), WM_SETREDRAW, on, 0);
  if (on) RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

std::optional<size_t> ListView::NextRow(UINT flags) const {
  const LRESULT row = SendMessageW(Hwnd(), LVM_GETNEXTITEM, WPARAM(-1), flags);
  if (row < 0) return std::nullopt;
  return size_t(row);
}

void ListView::SelectRow(std::optional<size_t> row) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(Hwnd(), LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&state));
  if (!row) return;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(Hwnd(), LVM_SETITEMSTATE, WPARAM(*row), reinterpret_cast<LPARAM>(&state));
}

POINT ListView::PopupPoint() const {
  RECT client{};
  GetClientRect(Hwnd(), &client);
  POINT point{client.left, client.top};
  if (std::optional<size_t> row = SelectedRow()) {
    RECT label{};
    label.left = LVIR_LABEL;
    if (SendMessageW(Hwnd(), LVM_GETITEMRECT, WPARAM(*row), reinterpret_cast<LPARAM>(&label))) {
      point.x = std::clamp(label.left, client.left, client.right);
      point.y = std::clamp(label.bottom, client.top, client.bottom);
    }
  }
  ClientToScreen(Hwnd(), &point);
  return point;
}

std::optional<size_t> ListView::BoxAt(POINT client) const {
  LVHITTESTINFO hit{};
  hit.pt = client;
  const LRESULT row = SendMessageW(Hwnd(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (row < 0 || !(hit.flags & LVHT_ONITEMSTATEICON)) return std::nullopt;
  return size_t(row);
}

void ListView::ToggleCheck(size_t row) {
  source_.SetRowChecked(row, !source_.RowChecked(row));
  RefreshRow(row);
  if (onCheckToggled) onCheckToggled(row);
}

void ListView::FillCell(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || size_t(item.iItem) >= RowCount()) return;
  const size_t row = size_t(item.iItem);
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    const std::wstring text = source_.CellText(row, item.iSubItem);
    const size_t length = std::min(text.size(), size_t(item.cchTextMax - 1));
    std::copy_n(text.c_str(), length, item.pszText);
    item.pszText[length] = L'\0';
  }
  if (item.mask & LVIF_STATE) {
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(source_.RowChecked(row) ? 2 : 1);
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
}

bool ListView::OnNotify(NMHDR& header, LRESULT& result) {
  result = 0;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      FillCell(reinterpret_cast<NMLVDISPINFOW&>(header));
      return true;
    case NM_CLICK:
    case NM_DBLCLK: {
      const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
      // The second click of a double click on a box toggles it again, as it
      // does in a list that keeps its own marks.
      if (std::optional<size_t> row = BoxAt(activate.ptAction)) {
        ToggleCheck(*row);
        if (header.code == NM_CLICK && onClick) onClick();
        return true;
      }
      if (header.code == NM_CLICK && onClick) onClick();
      if (header.code == NM_DBLCLK && onDoubleClick) onDoubleClick();
      return true;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE)
        if (std::optional<size_t> row = FocusedRow()) ToggleCheck(*row);
      return true;
    case LVN_COLUMNCLICK:
      if (onColumnClick) onColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      return true;
  }
  return false;
}

bool ListView::OnContextMenu(std::optional<POINT> screen) {
  if (!onContextMenu) return false;
  onContextMenu(screen ? *screen : PopupPoint());
  return true;
}

void ListView::ApplyDpi(int dpi) {
  Control::ApplyDpi(dpi);
  if (dpi != checkBoxDpi_) DrawCheckBoxesFor(dpi);
  for (size_t i = 0; i < columns_.size(); ++i)
    SendMessageW(Hwnd(), LVM_SETCOLUMNWIDTH, WPARAM(i), Scale(columns_[i].width, dpi));
  FillWidth();
}

}  // namespace gui
