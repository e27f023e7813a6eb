// The settings dialog: created once, reloaded from the settings by every
// Execute, stored only when the user confirms with "Save". "Load at startup"
// is the program's entry in the current user's Run key.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/win32/button.h"
#include "gui/win32/check_box.h"
#include "gui/win32/combo_box.h"
#include "gui/win32/dialog.h"
#include "gui/win32/group_box.h"
#include "gui/win32/label.h"
#include "gui/win32/spin_edit.h"
#include "i18n/win32/language_choice_control.h"
#include "platform/registry.h"

// "Software\Microsoft\Windows\CurrentVersion\Run" of the current user.
extern const wchar_t kRunKey[];

// What the dialog needs from outside; tests replace it.
struct SettingsDlgEnvironment {
  std::wstring programPath;                   // the executable's full path
  std::function<platform::RegKey()> openRunKey;  // the Run key, created when missing
  HWND ownerWindow = nullptr;                 // the main window, when there is one
  TLangList* languageList = nullptr;          // the main window's switcher, shown by the chooser
};
SettingsDlgEnvironment DefaultSettingsDlgEnvironment(HWND ownerWindow = nullptr);

// The start-up entry this program writes: its path in quotes, then the switch.
std::wstring StartupEntryFor(const std::wstring& programPath);

class TSettingsDlg : public gui::Dialog {
 public:
  explicit TSettingsDlg(SettingsDlgEnvironment environment = DefaultSettingsDlgEnvironment());
  ~TSettingsDlg() override;

  // Loads every control from the settings, shows the dialog modally, and
  // stores the settings when it closes with "Save" (true then).
  bool Execute();

  void startup_chkClick();
  void default_btnClick();
  void all_btnClick();
  void unall_btnClick();
  void fast_btnClick();
  void secure_btnClick();

  // The category boxes in catalogue order (their creation order).
  const std::vector<std::unique_ptr<gui::CheckBox>>& CategoryBoxes() const { return categoryBoxes_; }
  // In reading order, as the last Execute computed it (also the tab order).
  const std::vector<gui::CheckBox*>& CategoryBoxesInReadingOrder() const { return readingOrder_; }

 private:
  void LoadControls();
  void PutCategoriesInReadingOrder();
  void StoreControls();

  SettingsDlgEnvironment environment_;

 public:
  gui::GroupBox options_grp;
  gui::CheckBox startup_chk, once_chk, expert_chk, tray_chk, log_del_chk, autoupdate_chk, debug_chk;
  gui::GroupBox auto_grp;
  gui::Label freq_lbl;
  gui::SpinEdit auto_freq;
  gui::Label hours_lbl;
  gui::GroupBox secu_grp;
  gui::CheckBox scramble_chk, trim_chk;
  gui::Label method_lbl;
  gui::ComboBox method_cmb;
  gui::Button fast_btn, secure_btn;
  gui::GroupBox lang_grp;
  // Bound to the main window's language switcher; a click switches at once.
  TLanguageChoice LanguageChoice;
  gui::GroupBox types_grp;

 private:
  std::vector<std::unique_ptr<gui::CheckBox>> categoryBoxes_;
  std::vector<gui::CheckBox*> readingOrder_;

 public:
  gui::Button default_btn, all_btn, unall_btn;
  gui::Button save_btn, cancel_btn;
};
