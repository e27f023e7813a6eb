#include "i18n/win32/language_choice_control.h"

#include <cstring>

#include "gui/win32/window_base.h"

namespace {

constexpr int kHeadingHeight = 16, kSeparatorHeight = 2, kRowHeight = 32;
constexpr COLORREF kFlagFrame = RGB(255, 251, 240);

HWND Part(HWND parent, const wchar_t* className, DWORD style) {
  return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

uint32_t Le32(const std::string& b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

BOOL CALLBACK RedrawShownWindow(HWND window, LPARAM) {
  if (IsWindowVisible(window))
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return TRUE;
}

}  // namespace

TLanguageChoice::TLanguageChoice(gui::WindowBase& window, std::wstring name, const gui::DesignRect& bounds)
    : gui::PaintedControl(window, std::move(name), bounds, WS_BORDER, GetSysColor(COLOR_BTNFACE)) {
  // It lies over its group box, which comes before it: drawn over the box
  // as the other controls there are, not clipped away by it.
  ChangeStyle(WS_CLIPSIBLINGS, 0);
  // Tab and arrow keys reach the list inside.
  SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE, GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  heading_ = Part(Hwnd(), L"STATIC", SS_LEFT | SS_NOPREFIX);
  separator_ = Part(Hwnd(), L"STATIC", SS_ETCHEDHORZ);
  list_ = Part(Hwnd(), L"LISTBOX",
               LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP);
  choice_.onChanged = [this] { ShowState(); };
  choice_.OnClick = [this] {
    if (OnClick) OnClick();
  };
  SetFont(Font());  // the parts take the control's font
  ApplyDpi(Window().Dpi());
}

TLanguageChoice::~TLanguageChoice() {
  // The behaviour gives the switcher its listener back before the windows go.
  choice_.onChanged = nullptr;
  choice_.SetLanguageList(nullptr);
}

void TLanguageChoice::SetLanguageList(TLangList* list) { choice_.SetLanguageList(list); }

std::wstring TLanguageChoice::HeadingText() const {
  std::wstring text(size_t(GetWindowTextLengthW(heading_)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(heading_, text.data(), int(text.size()))));
  return text;
}

void TLanguageChoice::ShowState() {
  showing_ = true;
  SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& row : choice_.Rows())
    SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
  SendMessageW(list_, LB_SETCURSEL, WPARAM(choice_.SelectedRow()), 0);
  SetWindowTextW(heading_, choice_.Heading().c_str());
  InvalidateRect(list_, nullptr, TRUE);
  showing_ = false;
}

void TLanguageChoice::RowClicked(int row) {
  if (!choice_.LanguageList() || row < 0) return;
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  // Let the hourglass show before the windows are rewritten.
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(int(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  choice_.Click(row);
  // Texts rewritten in place, and labels resized to them, left parts of a
  // shown window unpainted (a grown label's middle, under Wine): the shown
  // windows are drawn anew, whole.
  EnumThreadWindows(GetCurrentThreadId(), RedrawShownWindow, 0);
  SetCursor(previous ? previous : LoadCursorW(nullptr, IDC_ARROW));
}

void TLanguageChoice::ApplyDpi(int dpi) {
  gui::PaintedControl::ApplyDpi(dpi);
  SendMessageW(list_, LB_SETITEMHEIGHT, 0, gui::Scale(kRowHeight, dpi));
  PlaceParts();
}

void TLanguageChoice::PlaceParts() {
  const int dpi = Window().Dpi();
  RECT client{};
  GetClientRect(Hwnd(), &client);
  // Heading, line and list stack from the top, the list taking what is left.
  const int headingHeight = gui::Scale(kHeadingHeight, dpi), lineHeight = gui::Scale(kSeparatorHeight, dpi);
  MoveWindow(heading_, 0, 0, client.right, headingHeight, TRUE);
  MoveWindow(separator_, 0, headingHeight, client.right, lineHeight, TRUE);
  const int listTop = headingHeight + lineHeight;
  MoveWindow(list_, 0, listTop, client.right, client.bottom > listTop ? client.bottom - listTop : 0, TRUE);
}

void TLanguageChoice::DrawRow(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID == UINT(-1)) return;
  const int row = int(item.itemID);
  const auto& rows = choice_.Rows();
  if (row < 0 || size_t(row) >= rows.size() || !choice_.LanguageList()) return;
  const int dpi = Window().Dpi();

  // The row's language may be a second file; the flag is its first file's.
  std::string flag;
  int flagWidth = 0, flagHeight = 0;
  if (choice_.LanguageList()->LoadFlag(uint16_t(choice_.LanguageList()->CodeAt(row) & 0xFFFF), flag)) {
    const int32_t height = int32_t(Le32(flag, 22));
    flagWidth = gui::Scale(int32_t(Le32(flag, 18)), dpi);
    flagHeight = gui::Scale(height < 0 ? -height : height, dpi);
  }
  HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  const std::wstring& text = rows[size_t(row)];
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
  const FlagRowLayout l = LayOutFlagRow(r.left, r.top, r.bottom, flagWidth, flagHeight, extent.cy, dpi);
  if (!flag.empty()) {
    RECT frame{l.frameLeft, l.frameTop, l.frameLeft + l.frameWidth, l.frameTop + l.frameHeight};
    // Filled, then covered by the flag: a frame as thick as a scaled pixel.
    HBRUSH frameBrush = CreateSolidBrush(kFlagFrame);
    FillRect(dc, &frame, frameBrush);
    DeleteObject(frameBrush);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(flag.data() + 14);
    const int32_t height = info->bmiHeader.biHeight;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, l.flagLeft, l.flagTop, flagWidth, flagHeight, 0, 0, info->bmiHeader.biWidth,
                  height < 0 ? -height : height, flag.data() + Le32(flag, 10), info, DIB_RGB_COLORS, SRCCOPY);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  TextOutW(dc, l.textLeft, l.textTop, text.c_str(), int(text.size()));
  SelectObject(dc, oldFont);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

bool TLanguageChoice::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      for (HWND part : {heading_, list_})
        if (part) SendMessageW(part, WM_SETFONT, wParam, lParam);
      result = 0;
      return true;
    case WM_GETFONT:
      result = reinterpret_cast<LRESULT>(font_);
      return true;
    case WM_SIZE:
      PlaceParts();
      return false;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      measure->itemHeight = UINT(gui::Scale(kRowHeight, Window().Dpi()));
      result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->hwndItem != list_) return false;
      DrawRow(*item);
      result = TRUE;
      return true;
    }
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == list_ && HIWORD(wParam) == LBN_SELCHANGE && !showing_) {
        RowClicked(int(SendMessageW(list_, LB_GETCURSEL, 0, 0)));
        result = 0;
        return true;
      }
      return false;
    case WM_CTLCOLORSTATIC:
      // The heading and the line on the control's own face.
      SetBkColor(reinterpret_cast<HDC>(wParam), Background());
      result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
  }
  return false;
}
