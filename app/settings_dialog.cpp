#include "app/settings_dialog.h"

#include <algorithm>
#include <iterator>

#include "app/startup.h"
#include "gui/reading_order.h"
#include "model/catalogue.h"
#include "platform/win32/program_path.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

using gui::ButtonRole;
using gui::DesignRect;

const wchar_t kStartupSwitch[] = L" /minimized";
// In the order of the methods' values (settings/settings_vocabulary.h).
const wchar_t* const kMethodItems[] = {L"Standard", L"1 Pass Random", L"3 Pass DoD 5220.22-M",
                                       L"Recycle Bin (can be undone)"};

// Layout at design size (client area 770 x 548). The category boxes stand in
// two columns inside "Files types", 17 pixels apart; the table gives each
// key its place, column by column. The right column is the wider one: it
// holds the longest caption ("Spybot Search & Destroy Update Cache").
constexpr int kClientWidth = 770, kClientHeight = 548;
constexpr int kTypesLeft = 266, kTypesTop = 8, kTypesWidth = 496;
constexpr int kColumnLefts[] = {kTypesLeft + 10, kTypesLeft + 230};
constexpr int kColumnWidths[] = {220, 256};
constexpr int kBoxHeight = 17, kFirstBoxTop = kTypesTop + 18, kRowsInFirstColumn = 23;

const wchar_t* const kCategoryPlaces[kCategoryCount] = {
    // left column
    L"Recycle_Bin", L"Windows_Installer_Duplicates", L"Apple_Installer_Cache", L"Sun__Java_Installer_Cache",
    L"Adobe_Reader_Installer_Cache", L"ATI_Drivers_Installer_Cache", L"Skype_Installer_Cache", L"Dr_Watson_Logs",
    L"Temporary_Files", L"Recent_Files", L"Cookies", L"Temporary_Internet_Files", L"Firefox_Cache", L"MSN_Messenger",
    L"Opera_Cache", L"QLM_Cache", L"Google_Updater_Cache", L"Google_Earth_Cache", L"XnView_Cache", L"Songbird_Cache",
    L"PCHealth_Dumps", L"TomTom_Cache", L"Macromedia_Cache",
    // right column
    L"Hotfixes_Uninstallers", L"Windows_Log_files", L"Quicktime_Cache", L"Google_Chrome_Cache", L"Adobe_Reader_Cache",
    L"DynDNS_Logs", L"MSTerminal_Cache", L"AdAware_Update_Cache", L"Spybot_Update_Cache", L"COMODO_Sys_Log",
    L"Windows_Live_Cache", L"Windows_Defender_History", L"Windows_Error_Reports", L"Windows_Thumbnails",
    L"Windows_VirtualStore", L"Microsoft_Edge", L"Microsoft_Edge_Chromium", L"NVIDIA_Drivers_Cache", L"Brave_Browser",
};

DesignRect CategoryPlace(const std::wstring& key) {
  for (int i = 0; i < int(kCategoryCount); ++i) {
    if (key != kCategoryPlaces[i]) continue;
    const int column = i < kRowsInFirstColumn ? 0 : 1;
    const int row = column == 0 ? i : i - kRowsInFirstColumn;
    return DesignRect{kColumnLefts[column], kFirstBoxTop + row * kBoxHeight, kColumnWidths[column], kBoxHeight};
  }
  return DesignRect{};
}

DesignRect Row(int left, int top, int width = 236) { return DesignRect{left, top, width, 17}; }

}  // namespace

SettingsDlgEnvironment DefaultSettingsDlgEnvironment(HWND ownerWindow) {
  return SettingsDlgEnvironment{platform::ProgramPath(),
                                [] { return platform::RegKey::Create(platform::RegRoot::CurrentUser, kRunKey); },
                                ownerWindow};
}

std::wstring StartupEntryFor(const std::wstring& programPath) { return L"\"" + programPath + L"\"" + kStartupSwitch; }

TSettingsDlg::TSettingsDlg(SettingsDlgEnvironment environment)
    : gui::Dialog(L"SettingsDlg",
                  gui::DialogSpec{L"Settings", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  environment.ownerWindow}),
      environment_(std::move(environment)),
      options_grp(*this, L"options_grp", L"Options", DesignRect{8, 8, 250, 152}),
      startup_chk(*this, L"startup_chk", L"Load at startup", Row(16, 24)),
      once_chk(*this, L"once_chk", L"Clean once and close", Row(32, 42, 220)),
      expert_chk(*this, L"expert_chk", L"Expert mode by default", Row(16, 60)),
      tray_chk(*this, L"tray_chk", L"Minimize to system tray", Row(16, 78)),
      log_del_chk(*this, L"log_del_chk", L"Log Deletions", Row(16, 96)),
      autoupdate_chk(*this, L"autoupdate_chk", L"Update detection", Row(16, 114)),
      debug_chk(*this, L"debug_chk", L"Debug mode", Row(16, 132)),
      auto_grp(*this, L"auto_grp", L"Automatic mode", DesignRect{8, 166, 250, 52}),
      freq_lbl(*this, L"freq_lbl", L"Frequency : ", DesignRect{16, 189, 0, 0}),
      auto_freq(*this, L"auto_freq", 1, 24, 1, DesignRect{90, 186, 50, 21}),
      hours_lbl(*this, L"hours_lbl", L"hour(s)", DesignRect{146, 189, 0, 0}),
      secu_grp(*this, L"secu_grp", L"Data Security", DesignRect{8, 224, 250, 134}),
      scramble_chk(*this, L"scramble_chk", L"Scramble files names before deletion", Row(16, 240)),
      trim_chk(*this, L"trim_chk", L"Trim files before deletion", Row(16, 258)),
      method_lbl(*this, L"method_lbl", L"Deletion method", DesignRect{16, 280, 0, 0}),
      method_cmb(*this, L"method_cmb", {kMethodItems[0], kMethodItems[1], kMethodItems[2], kMethodItems[3]},
                 DesignRect{16, 296, 230, 21}),
      fast_btn(*this, L"fast_btn", L"Fast", DesignRect{16, 325, 75, 25}),
      secure_btn(*this, L"secure_btn", L"Secure", DesignRect{97, 325, 75, 25}),
      // Three languages in view: the heading, its line and three 32-pixel rows.
      lang_grp(*this, L"lang_grp", L"Language", DesignRect{8, 364, 250, 144}),
      LanguageChoice(*this, L"LanguageChoice", DesignRect{16, 382, 234, 118}),
      types_grp(*this, L"types_grp", L"Files types", DesignRect{kTypesLeft, kTypesTop, kTypesWidth, 500}),
      categoryBoxes_([this] {
        std::vector<std::unique_ptr<gui::CheckBox>> boxes;
        for (const Category& c : kCatalogue) {
          auto box = std::make_unique<gui::CheckBox>(*this, c.key, c.settingsCaption, CategoryPlace(c.key));
          box->SetTag(c.enabledByDefault ? 0 : 1);
          boxes.push_back(std::move(box));
        }
        return boxes;
      }()),
      default_btn(*this, L"default_btn", L"Default", DesignRect{276, 473, 75, 25}),
      all_btn(*this, L"all_btn", L"Check All", DesignRect{357, 473, 75, 25}),
      unall_btn(*this, L"unall_btn", L"Uncheck All", DesignRect{438, 473, 75, 25}),
      save_btn(*this, L"save_btn", L"Save", DesignRect{kClientWidth - 164, 516, 75, 25}, ButtonRole::Default),
      cancel_btn(*this, L"cancel_btn", L"Cancel", DesignRect{kClientWidth - 83, 516, 75, 25}, ButtonRole::Cancel) {
  ShowProgramIcon();
  startup_chk.onClick = [this] { startup_chkClick(); };
  default_btn.onClick = [this] { default_btnClick(); };
  all_btn.onClick = [this] { all_btnClick(); };
  unall_btn.onClick = [this] { unall_btnClick(); };
  fast_btn.onClick = [this] { fast_btnClick(); };
  secure_btn.onClick = [this] { secure_btnClick(); };
  save_btn.onClick = [this] { EndModal(IDOK); };
  cancel_btn.onClick = [this] { EndModal(IDCANCEL); };
  SetDesignClientSize(kClientWidth, kClientHeight);
  LayOut();
  // The switcher scans its folder once here; later scans leave the rows be.
  if (environment_.languageList) LanguageChoice.SetLanguageList(environment_.languageList);
}

TSettingsDlg::~TSettingsDlg() = default;

bool TSettingsDlg::Execute() {
  LayOut();
  LoadControls();
  CenterOnOwner();
  if (ShowModal() != IDOK) return false;
  StoreControls();
  return true;
}

void TSettingsDlg::LoadControls() {
  // 1. Load at startup: this program's entry, quoted as it is written now or
  // unquoted as earlier copies wrote it; letter case counts.
  bool startup = false;
  platform::RegKey run = environment_.openRunKey();
  std::wstring entry;
  if (run.IsOpen() && run.ReadString(kApplicationTitle, entry))
    startup = entry == StartupEntryFor(environment_.programPath) || entry == environment_.programPath + kStartupSwitch;
  startup_chk.SetChecked(startup);

  // 2. Option boxes.
  expert_chk.SetChecked(IsSettingOn(kExpertModeSetting));
  once_chk.SetChecked(IsSettingOn(kCleanOnceSetting));
  tray_chk.SetChecked(IsSettingOn(kMinSysTraySetting));
  log_del_chk.SetChecked(IsSettingOn(kLogDeletionsSetting));
  scramble_chk.SetChecked(IsSettingOn(kScrambleSetting));
  trim_chk.SetChecked(IsSettingOn(kTrimSetting));
  debug_chk.SetChecked(IsSettingOn(kDebugModeSetting));
  autoupdate_chk.SetChecked(IsSettingNotOff(kAutoUpdateSetting));

  // 3., 4.
  auto_freq.SetValue(SettingInteger(kAutoFrequencySetting, 1));
  // A language file made for three methods leaves out the fourth: without
  // it a stored "Recycle" would show nothing, and Save would store Standard.
  StringList methods = method_cmb.Items();
  if (methods.size() < std::size(kMethodItems)) {
    for (size_t i = methods.size(); i < std::size(kMethodItems); ++i) methods.push_back(kMethodItems[i]);
    method_cmb.SetItems(methods);
  }
  method_cmb.SetItemIndex(int(StoredDeletionMethod()));

  // 5., 6. Category boxes: an empty or non-integer value is the box's default.
  PutCategoriesInReadingOrder();
  for (const auto& box : categoryBoxes_)
    box->SetChecked(SettingInteger(box->Name().c_str(), box->Tag() == 0 ? 1 : 0) == 1);

  // 7.
  startup_chkClick();

  // 8. First run: the defaults are stored before the dialog shows, so that a
  // cancelled first dialog still leaves every category setting stored.
  if (GetSetting(L"Recycle_Bin").empty())
    for (gui::CheckBox* box : readingOrder_) SetSettingBool(box->Name(), box->Checked());
}

void TSettingsDlg::PutCategoriesInReadingOrder() {
  std::vector<BoxOrigin> origins;
  for (const auto& box : categoryBoxes_) {
    const RECT r = box->PixelRect();
    origins.push_back(BoxOrigin{r.left, r.top});
  }
  const std::vector<size_t> ranks = ReadingRanks(origins);
  readingOrder_.assign(categoryBoxes_.size(), nullptr);
  for (size_t i = 0; i < categoryBoxes_.size(); ++i)
    if (ranks[i] < readingOrder_.size()) readingOrder_[ranks[i]] = categoryBoxes_[i].get();
  // Equal ranks (boxes on top of each other) leave holes: those keep their
  // creation order at the end.
  std::vector<gui::CheckBox*> ordered;
  for (gui::CheckBox* box : readingOrder_)
    if (box) ordered.push_back(box);
  for (const auto& box : categoryBoxes_)
    if (std::find(ordered.begin(), ordered.end(), box.get()) == ordered.end()) ordered.push_back(box.get());
  readingOrder_ = ordered;
  // The tab order is the window order: the boxes follow their group.
  HWND previous = types_grp.Hwnd();
  for (gui::CheckBox* box : readingOrder_) {
    SetWindowPos(box->Hwnd(), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = box->Hwnd();
  }
}

void TSettingsDlg::StoreControls() {
  // 1. The start-up entry, only when the Run key can be opened.
  platform::RegKey run = environment_.openRunKey();
  if (run.IsOpen()) {
    if (startup_chk.Checked())
      run.WriteString(kApplicationTitle, StartupEntryFor(environment_.programPath));
    else if (run.HasValue(kApplicationTitle))
      run.DeleteValue(kApplicationTitle);
  }
  // 2.
  SetSettingBool(kExpertModeSetting, expert_chk.Checked());
  SetSettingBool(kCleanOnceSetting, once_chk.Checked());
  SetSettingBool(kMinSysTraySetting, tray_chk.Checked());
  SetSetting(kAutoFrequencySetting, auto_freq.Text());
  SetSettingBool(kLogDeletionsSetting, log_del_chk.Checked());
  SetSettingBool(kScrambleSetting, scramble_chk.Checked());
  SetSettingBool(kTrimSetting, trim_chk.Checked());
  SetSettingBool(kAutoUpdateSetting, autoupdate_chk.Checked());
  SetSettingBool(kDebugModeSetting, debug_chk.Checked());
  // 3.
  const int method = method_cmb.ItemIndex();
  SetSetting(kDeletionMethodSetting, DeletionMethodText(method == 1   ? DeletionMethod::OnePassRandom
                                                        : method == 2 ? DeletionMethod::ThreePassDoD
                                                        : method == 3 ? DeletionMethod::Recycle
                                                                      : DeletionMethod::Standard));
  // 4.
  for (gui::CheckBox* box : readingOrder_) SetSettingBool(box->Name(), box->Checked());
}

void TSettingsDlg::startup_chkClick() {
  if (!startup_chk.Checked()) once_chk.SetChecked(false);
  once_chk.SetEnabled(startup_chk.Checked());
}

void TSettingsDlg::default_btnClick() {
  for (const auto& box : categoryBoxes_) box->SetChecked(box->Tag() != 1);
}

void TSettingsDlg::all_btnClick() {
  for (const auto& box : categoryBoxes_) box->SetChecked(true);
}

void TSettingsDlg::unall_btnClick() {
  for (const auto& box : categoryBoxes_) box->SetChecked(false);
}

void TSettingsDlg::fast_btnClick() {
  trim_chk.SetChecked(false);
  scramble_chk.SetChecked(false);
  method_cmb.SetItemIndex(int(DeletionMethod::Standard));
}

void TSettingsDlg::secure_btnClick() {
  trim_chk.SetChecked(true);
  scramble_chk.SetChecked(true);
  method_cmb.SetItemIndex(int(DeletionMethod::ThreePassDoD));
}
