// The About dialog: the program's name and version under its banner, and
// three ways to reach the maker (e-mail, web site, forums). Created once with
// the main window; every Execute fills its texts anew in the current
// language before it shows.
#pragma once

#include <functional>
#include <string>

#include "gui/win32/button.h"
#include "gui/win32/dialog.h"
#include "gui/win32/group_box.h"
#include "gui/win32/label.h"
#include "gui/win32/painted_control.h"
#include "i18n/text_storage.h"

// What the dialog needs from outside; tests record the shell instead.
struct AboutDlgEnvironment {
  std::wstring programPath;  // whose version the dialog shows
  // Hands an address to the shell on behalf of the dialog (no parameters,
  // normal window); a failure is not reported.
  std::function<void(HWND owner, const std::wstring& target)> shellOpen;
  HWND ownerWindow = nullptr;  // the main window, when there is one
};
AboutDlgEnvironment DefaultAboutDlgEnvironment(HWND ownerWindow = nullptr);

class TAboutDlg : public gui::Dialog {
 public:
  explicit TAboutDlg(AboutDlgEnvironment environment = DefaultAboutDlgEnvironment());
  ~TAboutDlg() override;

  // Fills the caption and the labels, then shows the dialog modally.
  void Execute();
  // Caption, application name and version in the current language.
  void FillTexts();

  void email_btnClick();
  void web_btnClick();
  void forum_btnClick();

 private:
  AboutDlgEnvironment environment_;

 public:
  gui::Picture Image1;
  gui::GroupBox all_grp;
  gui::GroupBox Application_grp;
  gui::Label appname_lbl, version_lbl;
  gui::GroupBox hvsoft_grp;
  gui::Button email_btn, web_btn, forum_btn;
  gui::Button ok_btn;
  TTextStorage TS_about;
};
