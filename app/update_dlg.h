// The update-available dialog: a newer version exists; the user opens the
// vendor's download page ("Manual Update") or lets the program download and
// start the installer itself ("Automatic Update", the download dialog). The
// "Close" button counts the seconds down to closing the dialog by itself.
// Execute is true when the program should quit for the new version.
#pragma once

#include <functional>
#include <string>

#include "gui/win32/button.h"
#include "gui/win32/dialog.h"
#include "gui/win32/label.h"
#include "gui/win32/link_label.h"
#include "gui/win32/timer.h"
#include "gui/win32/white_panel.h"
#include "update/http_setup.h"
#include "update/update_countdown.h"

class TAutoUpdateDlg;
class TKLog;

struct UpdateDlgEnvironment {
  std::function<void(const std::wstring& target)> shellOpen;  // real: platform::ShellOpen
  HWND ownerWindow = nullptr;
};
UpdateDlgEnvironment DefaultUpdateDlgEnvironment(HWND ownerWindow = nullptr);

class TUpdateDlg : public gui::Dialog {
 public:
  // autoUpdate runs the download of "Automatic Update"; it must outlive this dialog.
  TUpdateDlg(TAutoUpdateDlg& autoUpdate, UpdateDlgEnvironment environment = DefaultUpdateDlgEnvironment());
  ~TUpdateDlg() override;

  // Shows the dialog modally; true when it closed with OK (the page was
  // opened or the installer started).
  bool Execute();
  // The program closes: ends the dialog (Cancel) and the download dialog with
  // its download, and forgets the log, which goes with the close.
  void Abandon();

  void auto_btnClick();
  void manual_btnClick();
  void TimerCloseTimer();
  void changelog_lblClick();

  // Set by the main window before Execute. No change-log callback: no link.
  std::function<void()> changeLog;
  std::wstring viewPageUrl;
  std::wstring downloadUrl;
  TKLog* log = nullptr;
  ProxySettings proxy;

  gui::WhitePanel top_pnl;
  gui::Label* Label2;
  gui::LinkLabel* changelog_lbl;
  gui::Label Label1;
  gui::Button auto_btn, manual_btn;

 private:
  // The close button shows the countdown on a second line.
  class CloseButton : public gui::Button {
   public:
    CloseButton(gui::WindowBase& window, std::wstring name, const std::wstring& caption, const gui::DesignRect& bounds);
  };

  TAutoUpdateDlg& autoUpdate_;
  UpdateDlgEnvironment environment_;
  UpdateCountdown countdown_;

 public:
  CloseButton close_btn;
  gui::Timer TimerClose;
};
