// The language chooser control under Wine: its rows, the switch a click
// makes, the heading, and the pixels of a drawn row (flag, frame) at the
// test's DPI.
#include "i18n/win32/language_choice_control.h"

#include <gtest/gtest.h>

#include "gui/win32/window.h"
#include "i18n/language_text.h"
#include "platform/registry.h"
#include "tests/support/temp_tree.h"

namespace {

const wchar_t kRegKey[] = L"Software\\Halvoris\\LanguageChoiceControlTest";

class HostWnd : public gui::Window {
 public:
  HostWnd() : gui::Window(L"HostWnd", gui::WindowSpec{L"PurgelloChoiceTest", WS_OVERLAPPEDWINDOW, 0, L"Host"}) {
    SetDesignClientSize(260, 160);
    LayOut();
    ShowWindow(Hwnd(), SW_SHOWNORMAL);
  }
  TLanguageChoice chooser{*this, L"LanguageChoice", gui::DesignRect{8, 8, 234, 118}};
};

void WriteLanguage(testsupport::TempTree& tree, const std::wstring& file, const std::string& text) {
  std::string error;
  ASSERT_TRUE(TextToLanguageFile(text, tree.Root() + L"\\", tree.Path(L"prog\\" + file), error)) << error;
}

COLORREF PixelOf(uint32_t rgb) { return RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); }

class LanguageChoiceControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kRegKey);
    WriteLanguage(tree, L"HV_0000040C.SPK",
                  "Language = 040C\nName = Fran\xC3\xA7" "ais\nHeading = Langue\nRemark = France\n"
                  "Flag = stripes:vertical 0055A4 FFFFFF EF4135\n");
    WriteLanguage(tree, L"HV_0001040C.SPK", "Language = 040C\nName = Qu\xC3\xA9" "bec\nHeading = Langue\nRemark = b\n");
    WriteLanguage(tree, L"HV_00000407.SPK",
                  "Language = 0407\nName = Deutsch\nHeading = Sprache\nRemark = Deutschland\n"
                  "Flag = stripes:horizontal 000000 DD0000 FFCE00\n");
    langue.FilePrefix = L"HV_";
    langue.RegKey = kRegKey;
    langue.userDefaultLanguage = [] { return uint16_t{0x0407}; };
    langue.AfterLanguageSwitch = [this] { ++windowHeard; };
  }
  void TearDown() override { platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kRegKey); }

  // The list reports a click on row as it does for the user.
  void ClickRow(int row) {
    HWND list = host.chooser.ListHwnd();
    SendMessageW(list, LB_SETCURSEL, WPARAM(row), 0);
    SendMessageW(host.chooser.Hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE), LPARAM(list));
  }

  testsupport::TempTree tree;
  Component app{L""};
  Component main{L"MainDlg", &app};
  TLangList langue{&main, app, tree.Path(L"prog")};
  HostWnd host;
  int windowHeard = 0;
};

TEST_F(LanguageChoiceControlTest, RowsAClickAndTheHeading) {
  int clicks = 0;
  host.chooser.OnClick = [&] { ++clicks; };
  host.chooser.SetLanguageList(&langue);
  HWND list = host.chooser.ListHwnd();
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
  wchar_t text[64] = L"";
  SendMessageW(list, LB_GETTEXT, 1, LPARAM(text));
  EXPECT_STREQ(text, L"Qu\u00E9bec [0.0.0.0] - b");
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), gui::Scale(32, host.Dpi()));
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);

  langue.FirstActivation({}, nullptr, nullptr);  // no saved value: the user's German
  EXPECT_EQ(windowHeard, 1);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(host.chooser.HeadingText(), L"  Sprache");

  ClickRow(0);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(windowHeard, 2);
  EXPECT_EQ(langue.LanguageIndex(), 0);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(host.chooser.HeadingText(), L"Langue");
  uint32_t saved = 0;
  EXPECT_TRUE(platform::RegKey::Open(platform::RegRoot::CurrentUser, kRegKey, platform::RegAccess::Read)
                  .ReadDword(L"Langue", saved));
  EXPECT_EQ(saved, 0x040Cu);
  // Selections the chooser makes itself are no clicks.
  langue.SetLanguageIndex(2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);

  // Unbound, the window hears the switches again and the rows are gone.
  host.chooser.SetLanguageList(nullptr);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
  langue.SetLanguageIndex(0);
  EXPECT_EQ(windowHeard, 4);
}

TEST_F(LanguageChoiceControlTest, ARowShowsItsLanguagesFirstFlagInAFrame) {
  host.chooser.SetLanguageList(&langue);
  const int dpi = host.Dpi(), width = gui::Scale(234, dpi), height = gui::Scale(32, dpi);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);

  const int one = gui::Scale(1, dpi), flagLeft = gui::Scale(4, dpi), flagTop = (height - gui::Scale(28, dpi)) / 2;
  const int flagWidth = gui::Scale(30, dpi), flagHeight = gui::Scale(20, dpi);
  const struct Case {
    int row;
    uint32_t left, middle, right, bottomLeft;  // flag colours near its corners and centre
  } cases[] = {
      {0, 0x0055A4, 0xFFFFFF, 0xEF4135, 0x0055A4},  // French
      {1, 0x0055A4, 0xFFFFFF, 0xEF4135, 0x0055A4},  // a second French file: the first one's flag
      {2, 0x000000, 0xDD0000, 0x000000, 0xFFCE00},  // German
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = UINT(c.row);
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = host.chooser.ListHwnd();
    item.hDC = dc;
    item.rcItem = RECT{0, 0, width, height};
    SendMessageW(host.chooser.Hwnd(), WM_DRAWITEM, 0, LPARAM(&item));
    EXPECT_EQ(GetPixel(dc, flagLeft - one, flagTop - one), RGB(255, 251, 240));  // the frame
    EXPECT_EQ(GetPixel(dc, flagLeft + flagWidth + one - 1, flagTop + flagHeight + one - 1), RGB(255, 251, 240));
    EXPECT_EQ(GetPixel(dc, flagLeft - 1, flagTop + flagHeight / 2), RGB(255, 251, 240));
    EXPECT_EQ(GetPixel(dc, flagLeft + 1, flagTop + 1), PixelOf(c.left));
    EXPECT_EQ(GetPixel(dc, flagLeft + flagWidth / 2, flagTop + flagHeight / 2), PixelOf(c.middle));
    EXPECT_EQ(GetPixel(dc, flagLeft + flagWidth - 2, flagTop + 1), PixelOf(c.right));
    EXPECT_EQ(GetPixel(dc, flagLeft + 1, flagTop + flagHeight - 2), PixelOf(c.bottomLeft));
    EXPECT_EQ(GetPixel(dc, flagLeft + flagWidth + one, flagTop), GetSysColor(COLOR_WINDOW));  // no flag past it
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace
