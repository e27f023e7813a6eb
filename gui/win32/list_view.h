// A list in report view with a check box per row, grid lines and whole-row
// selection, over rows it does not hold: the list is virtual (owner data), so
// it asks its data source for the texts and check marks of the rows it paints
// and nothing else. Setting the row count costs the same for ten rows as for
// a million, which keeps appending found files O(1) per file.
//
// A virtual list stores no check marks: the source keeps them. The list turns
// a click on a row's box, and Space on the focused row, into a toggle of the
// source's mark (the system's own state change is not reported for such lists).
// The boxes are pictures the list draws for its window's DPI (the system draws
// its own once, at the DPI the program started with).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/win32/control.h"

namespace gui {

class ListViewSource {
 public:
  virtual ~ListViewSource() = default;
  virtual std::wstring CellText(size_t row, int column) const = 0;
  virtual bool RowChecked(size_t row) const = 0;
  virtual void SetRowChecked(size_t row, bool checked) = 0;
};

class ListView : public Control {
 public:
  ListView(WindowBase& window, std::wstring name, const DesignRect& bounds, ListViewSource& source);

  // Appends a column; width in design pixels. Returns its index.
  int AddColumn(const std::wstring& caption, int width);
  int ColumnCount() const { return int(columns_.size()); }
  std::wstring ColumnCaption(int column) const;
  void SetColumnCaption(int column, const std::wstring& caption);
  // In pixels at the window's DPI.
  int ColumnWidth(int column) const;
  // Widens or narrows the column to its header and the texts of the rows in
  // view (never every row: a virtual list may hold many).
  void FitColumn(int column);
  // Fits every column but the filling one, which then fills the list.
  void FitColumns();
  // The column that takes the width the other columns leave, so that they
  // stay in view whatever its texts (a longer one ends in an ellipsis); -1:
  // none. The room of a vertical scroll bar is left, so that rows coming in
  // do not push the last column out. FillWidth applies it again after the
  // list changed size.
  void SetFillColumn(int column);
  void FillWidth();
  // A number per column for the program's own use (a sort direction).
  int ColumnTag(int column) const { return columns_[size_t(column)].tag; }
  void SetColumnTag(int column, int tag) { columns_[size_t(column)].tag = tag; }

  size_t RowCount() const { return size_t(SendMessageW(Hwnd(), LVM_GETITEMCOUNT, 0, 0)); }
  // The source now has count rows; the selection and the scroll position stay.
  void SetRowCount(size_t count);
  // Off: changes are not drawn (a new row count then costs nothing); on:
  // the list and its scroll bars are drawn again as they are now.
  void SetRedraw(bool on);
  // The source's texts or marks changed: paint the rows again.
  void RefreshRows() { InvalidateRect(Hwnd(), nullptr, FALSE); }
  void RefreshRow(size_t row) { SendMessageW(Hwnd(), LVM_REDRAWITEMS, WPARAM(row), LPARAM(row)); }

  std::optional<size_t> SelectedRow() const { return NextRow(LVNI_SELECTED); }
  std::optional<size_t> FocusedRow() const { return NextRow(LVNI_FOCUSED); }
  // Selects and focuses the row (nothing selected when row is empty).
  void SelectRow(std::optional<size_t> row);
  void EnsureVisible(size_t row) { SendMessageW(Hwnd(), LVM_ENSUREVISIBLE, WPARAM(row), FALSE); }
  size_t TopRow() const { return size_t(SendMessageW(Hwnd(), LVM_GETTOPINDEX, 0, 0)); }

  // Where a popup opened from the keyboard belongs, in screen coordinates:
  // below the selected row's caption, else the list's top left corner.
  POINT PopupPoint() const;

  // A click anywhere in the list (after a toggle it caused).
  std::function<void()> onClick;
  std::function<void()> onDoubleClick;
  // The user changed the row's mark (the source holds the new one).
  std::function<void(size_t row)> onCheckToggled;
  std::function<void(int column)> onColumnClick;
  // Right click or the menu key; the point in screen coordinates.
  std::function<void(POINT screen)> onContextMenu;

  void ApplyDpi(int dpi) override;
  bool OnNotify(NMHDR& header, LRESULT& result) override;
  bool OnContextMenu(std::optional<POINT> screen) override;

 private:
  struct Column {
    int width;  // design pixels
    int tag = 0;
  };
  std::optional<size_t> NextRow(UINT flags) const;
  void FillCell(NMLVDISPINFOW& info) const;
  void ToggleCheck(size_t row);
  // The row whose box is at the client point, if any.
  std::optional<size_t> BoxAt(POINT client) const;
  int TextWidth(const std::wstring& text) const;
  void DrawCheckBoxesFor(int dpi);

  ListViewSource& source_;
  std::vector<Column> columns_;
  int fillColumn_ = -1;
  int checkBoxDpi_ = 0;
};

}  // namespace gui
