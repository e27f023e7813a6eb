#include "app/main_dlg.h"

#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "app/about_dlg.h"
#include "app/language_switch.h"
#include "app/auto_update_dlg.h"
#include "app/update_dlg.h"
#include "app/vendor.h"
#include "gui/window_dispatcher.h"
#include "update/pylo_lite.h"
#include "app/main_pictures.h"
#include "app/program_languages.h"
#include "app/session_controller.h"
#include "app/settings_dialog.h"
#include "app/sibling_products.h"
#include "app/startup.h"
#include "i18n/text_storage.h"
#include "model/format_size.h"
#include "model/review_csv.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/win32/program_path.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"
#include "system/log.h"
#include "update/update_network.h"

namespace {

using gui::DesignRect;
using gui::MenuItemSpec;

// The design places controls in a client area of this size; anchored
// controls keep their distances to its right and bottom edges.
constexpr int kDesignWidth = 845, kDesignHeight = 607;
// The window's outer size in each mode, at design DPI.
constexpr SIZE kBasicSize{500, 330}, kExpertSize{670, 700};
// Wider than this, the window is in expert mode.
constexpr int kModeWidthLimit = 600;
constexpr int kListGapAboveStatus = 10;
// The subtitle's designed width, and the room it leaves before the picture.
constexpr int kSubtitleWidth = 641, kSubtitleGap = 8;
// Rows coming in a stream are drawn together at most this often.
constexpr DWORD kListDrawMs = 100;

// A helper thread's result, handed to the GUI thread.
constexpr UINT kHelperDoneMessage = WM_APP + 20;
// CloseWindow: the window goes once the caller has returned.
constexpr UINT kCloseNowMessage = WM_APP + 21;
// The start-up work, posted by the first activation so that it runs from the
// message loop rather than inside the activation.
constexpr UINT kFirstActivationMessage = WM_APP + 22;

// No WS_CLIPCHILDREN: group boxes are transparent, the window paints behind them.
constexpr DWORD kBasicStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExpertStyle = kBasicStyle | WS_THICKFRAME | WS_MAXIMIZEBOX;

// Design rectangle within a group box that starts at (left, top).
DesignRect In(const DesignRect& group, int left, int top, int width, int height) {
  return DesignRect{group.left + left, group.top + top, width, height};
}

constexpr DesignRect kManualGrp{5, 71, 484, 74}, kAutoGrp{5, 146, 145, 84}, kMoreGrp{152, 146, 337, 84},
    kExpertGrp{496, 71, 137, 159};

// A decimal integer, sign allowed, nothing else; fallback otherwise.
int IntegerOr(const std::wstring& text, int fallback) {
  if (text.empty()) return fallback;
  size_t i = (text[0] == L'-' || text[0] == L'+') ? 1 : 0;
  if (i == text.size() || text.size() - i > 10) return fallback;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return fallback;
    value = value * 10 + (text[i] - L'0');
  }
  if (text[0] == L'-') value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return fallback;
  return int(value);
}

// Halves to even, as the centring has always rounded.
int RoundHalfEven(double value) { return int(std::nearbyint(value)); }

void DrawProgramIcon(HDC dc, const RECT& rect) {
  const gui::ProgramIcon icon(std::min(rect.right - rect.left, rect.bottom - rect.top));
  DrawIconEx(dc, rect.left, rect.top, icon.Handle(), 0, 0, 0, nullptr, DI_NORMAL);
}

// Every row's current size, read by several threads: each read waits on the
// file system (under Wine, ten microseconds a file), and a sort of many rows
// waits for them all. Stops early, with what it has, when stop is set.
std::vector<uint64_t> ReadRowSizes(const ReviewList& rows, const std::function<uint64_t(const FoundItem&)>& rowSize,
                                   const std::atomic<bool>& stop) {
  std::vector<uint64_t> sizes(rows.Count());
  constexpr size_t kRowsPerThread = 1000, kMostThreads = 4;
  const size_t threads = std::clamp<size_t>(std::min<size_t>(std::thread::hardware_concurrency(), kMostThreads), 1,
                                            std::max<size_t>(1, sizes.size() / kRowsPerThread));
  auto read = [&](size_t part) {
    const size_t from = sizes.size() * part / threads, to = sizes.size() * (part + 1) / threads;
    for (size_t i = from; i < to && !stop; ++i) sizes[i] = rowSize(rows.At(i));
  };
  std::vector<std::thread> others;
  try {
    for (size_t part = 1; part < threads; ++part) others.emplace_back(read, part);
  } catch (...) {
    // No thread to be had: this one reads their parts too.
    for (size_t part = others.size() + 1; part < threads; ++part) read(part);
  }
  read(0);
  for (std::thread& other : others) other.join();
  return sizes;
}

void DefaultCheckedTotals(const ReviewList& rows, uint64_t& size, uint64_t& count) {
  size = rows.CheckedItemsSize();
  count = rows.CheckedItemsCount();
}

}  // namespace

MainDlgEnvironment DefaultMainDlgEnvironment() {
  MainDlgEnvironment environment;
  environment.programPath = platform::ProgramPath();
  environment.shellOpen = [](const std::wstring& target) { platform::ShellOpen(target); };
  environment.rowSize = CurrentRowSize;
  environment.checkedTotals = DefaultCheckedTotals;
  environment.chooseSaveFile = [](HWND owner) {
    wchar_t file[32768] = L"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"CSV (*.csv)\0*.csv\0\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = DWORD(std::size(file));
    ofn.lpstrDefExt = L"csv";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    return GetSaveFileNameW(&ofn) ? std::wstring(file) : std::wstring();
  };
  environment.saveFailed = [](HWND owner, const std::wstring& message) {
    MessageBoxW(owner, message.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
  };
  environment.shellOpenFor = [](HWND owner, const std::wstring& target, const std::wstring& parameters) {
    platform::ShellOpen(owner, target, parameters);
  };
  environment.infoBox = [](HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), kApplicationTitle, MB_OK | MB_ICONINFORMATION);
  };
  environment.updateNetwork = [](Dispatcher& gui) { return CreateSystemNetwork(gui); };
  environment.isInstalled = [] { return IsInstalled(kInstalledPrefix); };
  environment.installerSigner = VendorSignerSha256();
  return environment;
}

TMainDlg::TMainDlg(ReviewList& list, MainDlgEnvironment environment)
    : gui::Window(L"MainDlg", gui::WindowSpec{kMainDlgClass, kBasicStyle, 0, kApplicationTitle}),
      list_(&list),
      environment_(std::move(environment)),
      main_ts(MakeMainTs(this)),
      Langue(this, ApplicationComponent(),
             environment_.programPath.substr(0, environment_.programPath.find_last_of(L'\\') + 1)),
      menu(*this, L"MainMenu1",
           {
               {L"File1",
                L"File",
                L"",
                {
                    MenuItemSpec(L"AnalyseCleanandshutdown1", L"Clean and shutdown").OnClick([this] {
                      if (controller_) controller_->AnalyseCleanandshutdown1Click();
                    }),
                    MenuItemSpec(L"AnalyseCleanandclose1", L"Clean and close").OnClick([this] {
                      if (controller_) controller_->AnalyseCleanandclose1Click();
                    }),
                    MenuItemSpec(L"AnalyseCleanandReboot1", L"Clean and reboot").OnClick([this] {
                      if (controller_) controller_->AnalyseCleanandReboot1Click();
                    }),
                    MenuItemSpec(L"Quit1", L"Quit", L"Ctrl+Q").OnClick([this] { Quit1Click(); }),
                }},
               {L"Options1",
                L"Options",
                L"",
                {
                    MenuItemSpec(L"Expertmode1", L"Expert mode", L"Ctrl+E").OnClick([this] { Expertmode1Click(); }),
                    MenuItemSpec(L"Settings1", L"Settings", L"Ctrl+S").OnClick([this] {
                      if (controller_) controller_->Settings1Click();
                    }),
                }},
               {L"N3",
                L"?",
                L"",
                {
                    MenuItemSpec(L"OpenLogFile1", L"Open Log File", L"Ctrl+L").OnClick([this] {
                      if (controller_) controller_->OpenLogFile1Click();
                    }),
                    MenuItemSpec(L"CleanLogFile1", L"Clean Log File").OnClick([this] {
                      if (controller_) controller_->CleanLogFile1Click();
                    }),
                    {L"N4", L"-"},
                    MenuItemSpec(L"Checkforupdate1", L"Check for update...", L"Ctrl+G").OnClick([this] {
                      Checkforupdate1Click();
                    }),
                    {L"N5", L"-"},
                    MenuItemSpec(L"ChangeLog1", L"&Change Log").OnClick([this] { changlog1Click(); }),
                    MenuItemSpec(L"Bugreport1", L"&Bug report, Feature request, Known issues")
                        .OnClick([this] { BugreportFeaturerequestKnownissues1Click(); }),
                    {L"N6", L"-"},
                    MenuItemSpec(L"About1", L"About", L"Ctrl+B").OnClick([this] { About1Click(); }),
                }},
           }),
      top_pnl(*this, L"top_pnl", DesignRect{1, 0, kDesignWidth - 1, 70}),
      top_lbl(&top_pnl.Add<gui::Label>(L"top_lbl", kApplicationTitle, DesignRect{8, 8, 0, 0}, gui::LabelStyle{true})),
      subtop_lbl(&top_pnl.Add<gui::Label>(L"subtop_lbl", L"", DesignRect{8, 25, kSubtitleWidth, 40})),
      top_img(&top_pnl.Add<gui::Picture>(L"top_img", DesignRect{781, 6, 48, 48}, DrawProgramIcon)),
      manual_grp(*this, L"manual_grp", L"Manual mode", kManualGrp),
      clean_btn(*this, L"clean_btn", L"Clean", In(kManualGrp, 8, 20, 100, 45), MainPicturePainter(MainPicture::Clean),
                24, true),
      shutdown_btn(*this, L"shutdown_btn", L"Clean && Shutdown", In(kManualGrp, 112, 20, 100, 45),
                   MainPicturePainter(MainPicture::Shutdown), 24, true),
      reboot_btn(*this, L"reboot_btn", L"Clean && Reboot", In(kManualGrp, 216, 20, 100, 45),
                 MainPicturePainter(MainPicture::Reboot), 24, true),
      close_btn(*this, L"close_btn", L"Clean && Close", In(kManualGrp, 321, 20, 100, 45),
                MainPicturePainter(MainPicture::Close), 24, true),
      auto_grp(*this, L"auto_grp", L"Automatic mode", kAutoGrp),
      auto_btn(*this, L"auto_btn", L"     Start", In(kAutoGrp, 8, 20, 127, 37),
               MainPicturePainter(MainPicture::AutoStart)),
      next_lbl(*this, L"next_lbl", L"Next :", In(kAutoGrp, 8, 64, 0, 0)),
      now_lbl(*this, L"now_lbl", L"Now", In(kAutoGrp, 50, 63, 0, 0)),
      more_grp(*this, L"more_grp", L"More", kMoreGrp),
      expert_btn(*this, L"expert_btn", L"Expert Mode", In(kMoreGrp, 3, 20, 107, 45),
                 MainPicturePainter(MainPicture::Expert), 24, true),
      basic_btn(*this, L"basic_btn", L"Basic Mode", In(kMoreGrp, 3, 20, 107, 45),
                MainPicturePainter(MainPicture::Basic), 24, true),
      shred_btn(*this, L"shred_btn", L"Shred Files", In(kMoreGrp, 113, 20, 107, 45),
                MainPicturePainter(MainPicture::Shred), 24, true),
      health_btn(*this, L"health_btn", L"Disk Health", In(kMoreGrp, 223, 20, 107, 45),
                 MainPicturePainter(MainPicture::Health), 24, true),
      expert_grp(*this, L"expert_grp", L"Expert", kExpertGrp),
      simulate_btn(*this, L"simulate_btn", L"Simulate", In(kExpertGrp, 10, 21, 116, 42),
                   MainPicturePainter(MainPicture::Simulate)),
      total_lbl(*this, L"total_lbl", L"", In(kExpertGrp, 13, 73, 0, 0)),
      checkall_btn(*this, L"checkall_btn", L"Check all", In(kExpertGrp, 10, 93, 117, 25)),
      uncheckall_btn(*this, L"uncheckall_btn", L"Uncheck all", In(kExpertGrp, 10, 125, 117, 25)),
      pb(*this, L"pb", DesignRect{3, 233, 834, 16}),
      lst(*this, L"lst", DesignRect{8, 256, 829, 322}, *this),
      status(*this, L"status", {150, 50}),
      PopupLst(*this, L"PopupLst",
               {
                   MenuItemSpec(L"CheckAll1", L"Check All").OnClick([this] { CheckAll1Click(); }),
                   MenuItemSpec(L"UncheckAll1", L"Uncheck All").OnClick([this] { UncheckAll1Click(); }),
                   {L"N1", L"-"},
                   MenuItemSpec(L"Checkall2", L"Check All").OnClick([this] { Checkall2Click(); }),
                   MenuItemSpec(L"UncheckAll2", L"Uncheck All").OnClick([this] { UncheckAll2Click(); }),
                   {L"N2", L"-"},
                   MenuItemSpec(L"Opencontaining1", L"Open containing folder").OnClick([this] {
                     Opencontaining1Click();
                   }),
                   {L"N7", L"-"},
                   MenuItemSpec(L"Savelist1", L"Save list...", L"Ctrl+Shift+S").OnClick([this] { Savelist1Click(); }),
               }),
      traymenu(*this, L"traymenu",
               {
                   MenuItemSpec(L"Show1", L"Show").Default().OnClick([this] { Show1Click(); }),
                   MenuItemSpec(L"Quit2", L"Quit").OnClick([this] { Quit1Click(); }),
               }),
      tray(*this, L"tray", trayIcon_.Handle()),
      Timer(*this, L"Timer", 1000),
      posTracker_tmr(*this, L"posTracker_tmr", 250) {
  membersMade_ = true;
  ShowProgramIcon();

  top_pnl.SetAnchors(gui::kAnchorLeftTopRight);
  top_img->SetAnchors(gui::kAnchorTopRight);
  pb.SetAnchors(gui::kAnchorLeftTopRight);
  lst.SetAnchors(gui::kAnchorAll);
  lst.AddColumn(main_ts.Translate(L"Type"), 120);
  lst.AddColumn(main_ts.Translate(L"Path"), 420);
  lst.AddColumn(main_ts.Translate(L"Size"), 80);
  // A long path must not push the sizes out of view.
  lst.SetFillColumn(1);
  lst.onClick = [this] { lstClick(); };
  lst.onDoubleClick = [this] { lstDblClick(); };
  lst.onColumnClick = [this](int column) { lstColumnClick(column); };
  lst.onContextMenu = [this](POINT screen) { ShowPopup(screen); };
  PopupLst.onPopup = [this] { PopupLstPopup(); };

  clean_btn.onClick = [this] {
    if (controller_) controller_->Launch();
  };
  shutdown_btn.onClick = [this] {
    if (controller_) controller_->AnalyseCleanandshutdown1Click();
  };
  reboot_btn.onClick = [this] {
    if (controller_) controller_->AnalyseCleanandReboot1Click();
  };
  close_btn.onClick = [this] {
    if (controller_) controller_->AnalyseCleanandclose1Click();
  };
  auto_btn.onClick = [this] {
    if (controller_) controller_->auto_btnClick();
  };
  now_lbl.onClick = [this] {
    if (controller_) controller_->now_lblClick();
  };
  simulate_btn.onClick = [this] {
    if (controller_) controller_->simulate_btnClick();
  };
  shred_btn.onClick = [this] { shred_btnClick(); };
  health_btn.onClick = [this] { health_btnClick(); };
  expert_btn.onClick = [this] { Expertmode1Click(); };
  basic_btn.onClick = [this] { Expertmode1Click(); };
  checkall_btn.onClick = [this] { checkall_btnClick(); };
  uncheckall_btn.onClick = [this] { uncheckall_btnClick(); };

  tray.SetMenu(&traymenu);
  tray.onDoubleClick = [this](POINT) { Show1Click(); };
  Timer.onTimer = [this] {
    if (controller_) controller_->TimerTimer();
  };
  posTracker_tmr.onTimer = [this] { SavePlacement(); };
  listDrawTimer_ = UINT_PTR(NewId());
  OnTimerId(listDrawTimer_, [this] { DrawHeldList(); });

  SetDesignClientSize(kDesignWidth, kDesignHeight);
  LayOut();
  SetExpertMode(true);

  ConfigureProgramLanguageList(Langue);
  Langue.AfterLanguageSwitch = [this] { LangueAfterLanguageSwitch(); };
  about_ = std::make_unique<TAboutDlg>(DefaultAboutDlgEnvironment(Hwnd()));
  // The chooser joins the switcher's listeners (after the window's own).
  SettingsDlgEnvironment settings = DefaultSettingsDlgEnvironment(Hwnd());
  settings.languageList = &Langue;
  settings_ = std::make_unique<TSettingsDlg>(settings);
  CreateUpdateDialogs();
}

TMainDlg::~TMainDlg() {
  closing_ = true;
  for (auto& [id, helper] : helpers_) helper.thread.join();
  // Results that were posted but not yet taken.
  MSG msg;
  while (Hwnd() && PeekMessageW(&msg, Hwnd(), kHelperDoneMessage, kHelperDoneMessage, PM_REMOVE))
    delete reinterpret_cast<std::function<void()>*>(msg.lParam);
  // The members go next; messages their windows send meanwhile are not ours.
  membersMade_ = false;
}

void TMainDlg::AttachList(ReviewList& list) {
  list_ = &list;
  ++listEpoch_;
  lastRowCount_ = 0;
  ReviewListChanged();
}

// Mode.

void TMainDlg::Expertmode1Click() {
  RECT r{};
  GetWindowRect(Hwnd(), &r);
  SetExpertMode(r.right - r.left > gui::Scale(kModeWidthLimit, Dpi()));
}

void TMainDlg::SetExpertMode(bool basic) {
  minimum_ = SIZE{0, 0};
  basic_ = basic;
  if (basic && (IsZoomed(Hwnd()) || IsIconic(Hwnd()))) ShowWindow(Hwnd(), SW_RESTORE);
  ResizeForMode();
  RECT r{};
  GetWindowRect(Hwnd(), &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const int left = RoundHalfEven(GetSystemMetrics(SM_CXSCREEN) / 2.0 - width / 2.0);
  const int top = RoundHalfEven(GetSystemMetrics(SM_CYSCREEN) / 2.0 - height / 2.0);
  SetWindowPos(Hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Expertmode1().SetChecked(!basic);
  checkall_btn.SetVisible(!basic);
  uncheckall_btn.SetVisible(!basic);
  minimum_ = SIZE{width, height};
  ApplyModeLayout();
}

void TMainDlg::ResizeForMode() {
  const SIZE design = basic_ ? kBasicSize : kExpertSize;
  SetWindowPos(Hwnd(), nullptr, 0, 0, gui::Scale(design.cx, Dpi()), gui::Scale(design.cy, Dpi()),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  FitToClient();
}

void TMainDlg::ApplyModeLayout() {
  const bool expert = Expertmode1().Checked();
  const LONG_PTR style = GetWindowLongPtrW(Hwnd(), GWL_STYLE);
  const LONG_PTR wanted = expert ? (style | kExpertStyle) : (style & ~LONG_PTR(WS_THICKFRAME | WS_MAXIMIZEBOX));
  if (wanted != style) {
    // The outer size stays; the frame takes its room from the client area.
    SetWindowLongPtrW(Hwnd(), GWL_STYLE, wanted);
    SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  expert_btn.SetVisible(!expert);
  basic_btn.SetVisible(expert);
  lst.SetVisible(expert);
  // A basic window is too narrow for the "Expert" group; hidden, its buttons
  // cannot be reached with Tab either.
  expert_grp.SetVisible(expert);
  simulate_btn.SetVisible(expert);
  total_lbl.SetVisible(expert);
  FitToClient();
}

void TMainDlg::FitToClient() {
  const RECT bar = status.PixelRect(), list = lst.PixelRect();
  const int bottom = bar.top - gui::Scale(kListGapAboveStatus, Dpi());
  SetWindowPos(lst.Hwnd(), nullptr, 0, 0, list.right - list.left, std::max(0, bottom - int(list.top)),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  lst.FillWidth();
  // The subtitle ends before the picture, which keeps to the right edge: in
  // a basic window that leaves it less than its designed width.
  const RECT picture = top_img->PixelRect(), panel = top_pnl.PixelRect();
  DesignRect subtitle = subtop_lbl->Bounds();
  const int room = MulDiv(picture.left - panel.left, gui::kDesignDpi, Dpi()) - kSubtitleGap - subtitle.left;
  subtitle.width = std::clamp(room, 0, kSubtitleWidth);
  if (subtitle.width != subtop_lbl->Bounds().width) subtop_lbl->SetBounds(subtitle);
}

void TMainDlg::OnLayOut() { ResizeForMode(); }

void TMainDlg::OnDpiChanged(int oldDpi, const RECT& suggested) {
  // The user's size and place, as the system scales them; the smallest size
  // scales with them, before it can hold the window back.
  if (oldDpi > 0) minimum_ = SIZE{MulDiv(minimum_.cx, Dpi(), oldDpi), MulDiv(minimum_.cy, Dpi(), oldDpi)};
  SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControls();
  FitToClient();
}

// Placement.

void TMainDlg::RestorePlacement() {
  const std::wstring width = GetSetting(kWidthSetting), height = GetSetting(kHeightSetting);
  if (!width.empty() && !height.empty()) {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    int top = IntegerOr(GetSetting(kTopSetting), r.top);
    int left = IntegerOr(GetSetting(kLeftSetting), r.left);
    int w = r.right - r.left, h = r.bottom - r.top;
    // A basic window has one size; only an expert window takes the stored one.
    if (!basic_) {
      w = std::max({IntegerOr(width, w), gui::Scale(kBasicSize.cx, Dpi()), int(minimum_.cx)});
      h = std::max({IntegerOr(height, h), gui::Scale(kBasicSize.cy, Dpi()), int(minimum_.cy)});
    }
    const int desktopWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int desktopHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (left > desktopWidth) left = desktopWidth - w;
    if (left < 0) left = 0;
    if (top > desktopHeight) top = desktopHeight - h;
    if (top < 0) top = 0;
    SetWindowPos(Hwnd(), nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (IsSettingOn(kMaximizedSetting)) {
    if (IsWindowVisible(Hwnd()))
      ShowWindow(Hwnd(), SW_MAXIMIZE);
    else
      showMaximized_ = true;
  }
}

void TMainDlg::Show() { ShowWindow(Hwnd(), showMaximized_ ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL); }

void TMainDlg::SavePlacement() {
  if (!IsWindowVisible(Hwnd()) || IsZoomed(Hwnd()) || IsIconic(Hwnd())) return;
  RECT r{};
  GetWindowRect(Hwnd(), &r);
  if (r.top < 0 || r.left < 0 || !MakerValueExists(kApplicationTitle)) return;
  SetSettingInt(kTopSetting, r.top);
  SetSettingInt(kLeftSetting, r.left);
  SetSettingInt(kWidthSetting, r.right - r.left);
  SetSettingInt(kHeightSetting, r.bottom - r.top);
}

// The review list.

std::wstring TMainDlg::CellText(size_t row, int column) const {
  if (row >= list_->Count()) return std::wstring();
  const FoundItem& item = list_->At(row);
  return column == 0 ? item.caption : column == 1 ? item.path : item.sizeText;
}

bool TMainDlg::RowChecked(size_t row) const { return row < list_->Count() && list_->Checked(row); }

void TMainDlg::SetRowChecked(size_t row, bool checked) {
  if (row < list_->Count()) list_->SetChecked(row, checked);
}

void TMainDlg::ReviewListChanged() {
  const size_t count = list_->Count();
  if (count < lastRowCount_) ++listEpoch_;
  lastRowCount_ = count;
  // Rows that come faster than the list is drawn are drawn together: each new
  // count would redraw the scroll bars at once, which costs more than the row
  // (Wine: milliseconds). The count itself is always the list's.
  const DWORD now = GetTickCount();
  if (!listDrawHeld_ && now - listDrawnAt_ < kListDrawMs) {
    lst.SetRedraw(false);
    listDrawHeld_ = true;
    SetTimer(Hwnd(), listDrawTimer_, kListDrawMs, nullptr);
  }
  lst.SetRowCount(count);
  if (!listDrawHeld_) listDrawnAt_ = now;
}

void TMainDlg::DrawHeldList() {
  KillTimer(Hwnd(), listDrawTimer_);
  if (!listDrawHeld_) return;
  listDrawHeld_ = false;
  lst.SetRedraw(true);
  listDrawnAt_ = GetTickCount();
}

void TMainDlg::lstColumnClick(int column) {
  if (column < 0 || column > int(kSizeColumn)) return;
  sort_.Click(size_t(column));
  lst.SetColumnTag(column, sort_.Direction());
  lst.SetTag(column);
  const size_t rows = list_->Count();
  const bool bySize = size_t(column) == kSizeColumn;
  if (rows < environment_.backgroundRows) {
    std::vector<uint64_t> sizes;
    if (bySize)
      for (size_t i = 0; i < rows; ++i) sizes.push_back(environment_.rowSize(list_->At(i)));
    ApplySortOrder(SortedOrder(*list_, size_t(column), sort_.Direction(), sizes), rows, listEpoch_);
    return;
  }
  // Many rows: the helper sorts a snapshot (it shares the rows' texts), each
  // size read once.
  auto copy = std::make_shared<const ReviewList>(*list_);
  const int direction = sort_.Direction();
  const uint64_t epoch = listEpoch_;
  RunInBackground(pendingSort_, [this, copy, column, direction, bySize, rows, epoch]() -> std::function<void()> {
    std::vector<uint64_t> sizes;
    if (bySize) sizes = ReadRowSizes(*copy, environment_.rowSize, closing_);
    if (closing_) return nullptr;
    auto order = std::make_shared<std::vector<size_t>>(SortedOrder(*copy, size_t(column), direction, sizes));
    return [this, order, rows, epoch] {
      ApplySortOrder(std::move(*order), rows, epoch);
    };
  });
}

void TMainDlg::ApplySortOrder(std::vector<size_t> order, size_t rows, uint64_t epoch) {
  // Rows left or the list is in a session's hands: the order is stale.
  if (epoch != listEpoch_ || order.size() != rows || !lst.Enabled()) return;
  // Rows added meanwhile stay at the end, as rows added after a sort do.
  for (size_t i = rows; i < list_->Count(); ++i) order.push_back(i);
  list_->Reorder(order);
  lst.RefreshRows();
}

void TMainDlg::lstClick() { UpdateTotals(); }

void TMainDlg::lstDblClick() {
  const std::optional<size_t> row = lst.SelectedRow();
  if (!row || *row >= list_->Count()) return;
  const std::wstring caption = list_->At(*row).caption;
  SetCheckByCaption(&caption, !list_->Checked(*row));
}

void TMainDlg::SetCheckByCaption(const std::wstring* caption, bool checked) {
  if (caption)
    list_->SetCheckByCaption(*caption, checked);
  else
    list_->SetCheckAll(checked);
  lst.RefreshRows();
  UpdateTotals();
}

void TMainDlg::checkall_btnClick() {
  list_->SetCheckAll(true);
  lst.RefreshRows();
}

void TMainDlg::uncheckall_btnClick() {
  list_->SetCheckAll(false);
  lst.RefreshRows();
}

void TMainDlg::PopupLstPopup() {
  const bool manual = !controller_ || !controller_->AutomaticMode();
  for (const wchar_t* name : {L"CheckAll1", L"Checkall2", L"UncheckAll1", L"UncheckAll2"})
    PopupItem(name).SetEnabled(manual);
  const std::optional<size_t> row = lst.SelectedRow();
  const bool selected = row && *row < list_->Count();
  if (selected) {
    const std::wstring& caption = list_->At(*row).caption;
    PopupItem(L"Checkall2").SetCaption(main_ts.Translate(L"Check All :") + L" " + caption);
    PopupItem(L"UncheckAll2").SetCaption(main_ts.Translate(L"Uncheck All :") + L" " + caption);
  }
  for (const wchar_t* name : {L"Checkall2", L"UncheckAll2", L"N2"}) PopupItem(name).SetVisible(selected);
}

void TMainDlg::PerTypeCommand(bool checked) {
  const std::wstring& caption = PopupItem(L"Checkall2").Caption();
  const size_t colon = caption.find(L':');
  if (colon == std::wstring::npos) return;
  const std::wstring type = colon + 2 <= caption.size() ? caption.substr(colon + 2) : std::wstring();
  SetCheckByCaption(&type, checked);
}

void TMainDlg::Opencontaining1Click() {
  const std::optional<size_t> row = lst.SelectedRow();
  if (!row || *row >= list_->Count()) return;
  const std::wstring& path = list_->At(*row).path;
  if (platform::WideFolderExists(path)) {
    environment_.shellOpen(path);
    return;
  }
  const size_t slash = path.rfind(L'\\');
  environment_.shellOpen(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1));
}

void TMainDlg::Savelist1Click() {
  // The shortcut comes in basic mode too, while a session owns the list, and
  // while the last save is still being written.
  if (!MenuItemNamed(L"Expertmode1").Checked() || !lst.Enabled() || pendingSave_ != 0) return;
  const std::wstring path = environment_.chooseSaveFile ? environment_.chooseSaveFile(Hwnd()) : std::wstring();
  if (path.empty()) return;
  if (list_->Count() < environment_.backgroundRows) {
    SaveDone(path, WriteCsvFile(path, ReviewListCsv(*list_, environment_.rowSize, nullptr)));
    return;
  }
  // Many rows: the helper reads their sizes and writes a copy. A window that
  // closes meanwhile stops it before the file is written, and the temporary
  // file keeps the target whole if the write itself is under way.
  auto copy = std::make_shared<const ReviewList>(*list_);
  PopupItem(L"Savelist1").SetEnabled(false);
  RunInBackground(pendingSave_, [this, copy, path]() -> std::function<void()> {
    bool saved = false;
    try {
      const std::wstring text = ReviewListCsv(*copy, environment_.rowSize, [this] { return closing_.load(); });
      saved = !text.empty() && WriteCsvFile(path, text);
    } catch (...) {
      // Out of memory for the text: told as any failed save.
    }
    return [this, path, saved] { SaveDone(path, saved); };
  });
}

void TMainDlg::SaveDone(const std::wstring& path, bool saved) {
  PopupItem(L"Savelist1").SetEnabled(true);
  if (!saved && environment_.saveFailed)
    environment_.saveFailed(Hwnd(), main_ts.Translate(L"The list could not be saved as") + L" " + path);
}

void TMainDlg::ShowPopup(POINT screen) { PopupLst.ShowAt(screen); }

void TMainDlg::UpdateTotals() {
  const uint64_t request = ++totalsRequest_;
  if (list_->Count() < environment_.backgroundRows) {
    uint64_t size = 0, count = 0;
    environment_.checkedTotals(*list_, size, count);
    ShowTotals(size, count);
    return;
  }
  // The helper reads a snapshot: the rows and their checks as they are now,
  // whatever the window does to them meanwhile.
  auto rows = std::make_shared<const ReviewList>(*list_);
  RunInBackground(pendingTotals_, [this, rows, request]() -> std::function<void()> {
    uint64_t size = 0, count = 0;
    if (!closing_) environment_.checkedTotals(*rows, size, count);
    return [this, request, size, count] {
      if (request == totalsRequest_) ShowTotals(size, count);
    };
  });
}

void TMainDlg::ShowTotals(uint64_t size, uint64_t count) {
  status.SetPanelText(0, FormatSize(int64_t(size)) + L" / " + std::to_wstring(count) + L" " +
                             main_ts.Translate(L"items"));
}

void TMainDlg::SetStatusText(int panel, const std::wstring& text) {
  // A total still being read must not overwrite what the session shows now.
  if (panel == 0) ++totalsRequest_;
  status.SetPanelText(panel, text);
}

void TMainDlg::RunInBackground(int& pending, std::function<std::function<void()>()> work) {
  const uint64_t id = ++helperSerial_;
  HWND window = Hwnd();
  ++pending;
  helpers_.emplace(id, Helper{&pending, std::thread([work = std::move(work), window, id] {
    std::function<void()> done;
    try {
      done = work();
    } catch (...) {
      // Out of memory while copying sizes: the request shows nothing.
    }
    auto* handed = new std::function<void()>(std::move(done));
    if (!PostMessageW(window, kHelperDoneMessage, WPARAM(id), reinterpret_cast<LPARAM>(handed))) delete handed;
  })});
}

// Automatic mode's texts.

void TMainDlg::SetAutoButton(const std::wstring& caption, int imageIndex) {
  auto_btn.ChangeWindowText(caption);
  if (imageIndex != autoImage_) {
    autoImage_ = imageIndex;
    auto_btn.SetPicture(MainPicturePainter(imageIndex == 1 ? MainPicture::AutoStop : MainPicture::AutoStart));
  }
}

void TMainDlg::SetNextLabel(const std::wstring& text, bool visible) {
  next_lbl.SetCaption(text);
  next_lbl.SetVisible(visible);
  PlaceNowLabel();
}

void TMainDlg::PlaceNowLabel() {
  const RECT next = next_lbl.PixelRect();
  const int right = MulDiv(next.right, gui::kDesignDpi, Dpi());
  gui::DesignRect bounds = now_lbl.Bounds();
  bounds.left = right + 10;
  now_lbl.SetBounds(bounds);
}

// Sessions' progress and messages.

void TMainDlg::SetProgressMax(int max) { pb.SetRange(0, max); }

void TMainDlg::ShowInfo(const std::wstring& text) {
  if (environment_.infoBox) environment_.infoBox(Hwnd(), text);
}

bool TMainDlg::AskYesNo(const std::wstring& text, const std::wstring& title) {
  return MessageBoxW(Hwnd(), text.c_str(), title.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void TMainDlg::RunSettingsDialog() { settings_->Execute(); }

void TMainDlg::SetEnabled(MainControl control, bool enabled) {
  switch (control) {
    case MainControl::SimulateBtn: simulate_btn.SetEnabled(enabled); break;
    case MainControl::CleanBtn: clean_btn.SetEnabled(enabled); break;
    case MainControl::AutoBtn: auto_btn.SetEnabled(enabled); break;
    case MainControl::Settings1: MenuItemNamed(L"Settings1").SetEnabled(enabled); break;
    case MainControl::Lst:
      // A sort still running must not reorder rows a session works on.
      if (!enabled) ++listEpoch_;
      lst.SetEnabled(enabled);
      break;
    case MainControl::CheckAllBtn: checkall_btn.SetEnabled(enabled); break;
    case MainControl::UncheckAllBtn: uncheckall_btn.SetEnabled(enabled); break;
    case MainControl::ShutdownBtn: shutdown_btn.SetEnabled(enabled); break;
    case MainControl::RebootBtn: reboot_btn.SetEnabled(enabled); break;
    case MainControl::CloseBtn: close_btn.SetEnabled(enabled); break;
    case MainControl::CleanAndShutdown1: MenuItemNamed(L"AnalyseCleanandshutdown1").SetEnabled(enabled); break;
    case MainControl::CleanAndClose1: MenuItemNamed(L"AnalyseCleanandclose1").SetEnabled(enabled); break;
    case MainControl::CleanAndReboot1: MenuItemNamed(L"AnalyseCleanandReboot1").SetEnabled(enabled); break;
    case MainControl::Quit1: MenuItemNamed(L"Quit1").SetEnabled(enabled); break;
    case MainControl::Quit2: traymenu.Item(L"Quit2")->SetEnabled(enabled); break;
  }
}

// The About dialog and the sibling products.

void TMainDlg::About1Click() { about_->Execute(); }

void TMainDlg::shred_btnClick() { OpenSiblingProduct(SiblingProduct::Shredder, environment_.shellOpen); }

void TMainDlg::health_btnClick() { OpenSiblingProduct(SiblingProduct::DiskHealth, environment_.shellOpen); }

// The notification area and the close.

void TMainDlg::HideToTray() { ShowWindow(Hwnd(), SW_HIDE); }

void TMainDlg::ShowMinimized() { ShowWindow(Hwnd(), SW_SHOWMINIMIZED); }

void TMainDlg::Show1Click() {
  ShowWindow(Hwnd(), SW_SHOW);
  if (IsIconic(Hwnd())) ShowWindow(Hwnd(), SW_RESTORE);
  SetForegroundWindow(Hwnd());
}

void TMainDlg::Quit1Click() { PostMessageW(Hwnd(), WM_CLOSE, 0, 0); }

void TMainDlg::CloseWindow() { PostMessageW(Hwnd(), kCloseNowMessage, 0, 0); }

void TMainDlg::LanguageFirstActivation(const std::vector<std::wstring>& parameters) {
  RunLanguageFirstActivation(Langue, environment_.programPath, parameters, Font());
}

void TMainDlg::LangueAfterLanguageSwitch() {
  // Before the first activation has created the log there is none to write to.
  if (controller_) LogAdd(controller_->Log(), L"Language : " + Langue.CurrentLanguageName(), kLogInfo);
  TakeSizeUnitsFrom(main_ts);
  lst.SetColumnCaption(0, main_ts.Translate(L"Type"));
  lst.SetColumnCaption(1, main_ts.Translate(L"Path"));
  lst.SetColumnCaption(2, main_ts.Translate(L"Size"));
  UpdateTotals();
  ApplyModeLayout();
  // "Now" follows "Next :", whose length the language has changed.
  PlaceNowLabel();
  if (controller_) controller_->TimerTimer();
}

bool TMainDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!membersMade_) return false;
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      if (minimum_.cx > 0) info->ptMinTrackSize.x = minimum_.cx;
      if (minimum_.cy > 0) info->ptMinTrackSize.y = minimum_.cy;
      result = 0;
      return true;
    }
    case WM_SIZE:
      Route(message, wParam, lParam, result);
      if (wParam != SIZE_MINIMIZED) {
        FitToClient();
        SavePlacement();
      }
      result = 0;
      return true;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE && tray.Active()) {
        HideToTray();
        result = 0;
        return true;
      }
      return false;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && onFirstActivation && !firstActivationPosted_) {
        firstActivationPosted_ = true;
        PostMessageW(Hwnd(), kFirstActivationMessage, 0, 0);
      }
      return false;
    case kFirstActivationMessage: {
      // Detached before it runs: it runs once, even when it activates the window again.
      const std::function<void()> startUp = std::move(onFirstActivation);
      onFirstActivation = nullptr;
      if (startUp) startUp();
      result = 0;
      return true;
    }
    case WM_CLOSE:
    case kCloseNowMessage:
      // The controller's own request too goes through FormClose (outside its
      // call of CloseWindow): the close sequence runs once, whoever asked.
      if (!controller_ || controller_->FormClose()) {
        // A close before the first activation ends the program without its start-up.
        onFirstActivation = nullptr;
        quitPosted_ = true;
        ShowWindow(Hwnd(), SW_HIDE);
        PostQuitMessage(0);
      }
      result = 0;
      return true;
    case WM_COPYDATA:
      // A second start's command line: taken, and nothing more is done with
      // it. The window comes forward, out of the tray too, which the second
      // start cannot see into; not once the close has hidden it.
      result = reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData == kCommandLineHandOver;
      if (result && !quitPosted_) Show1Click();
      return true;
    case WM_ENDSESSION:
      if (wParam && controller_) controller_->EndSession();
      result = 0;
      return true;
    case kHelperDoneMessage: {
      std::unique_ptr<std::function<void()>> done(reinterpret_cast<std::function<void()>*>(lParam));
      auto helper = helpers_.find(uint64_t(wParam));
      if (helper != helpers_.end()) {
        helper->second.thread.join();
        --*helper->second.pending;
        helpers_.erase(helper);
      }
      if (*done) (*done)();
      result = 0;
      return true;
    }
  }
  return false;
}
