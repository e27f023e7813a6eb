// The main window as the session controller sees it. The controller decides
// (what a session does, what is enabled, what is logged); the window shows.
// TMainDlg implements this interface on the GUI thread; native tests of the
// controller implement it with a fake that records every call.
#pragma once

#include <string>

// The controls whose enabled state the sessions and automatic mode set.
enum class MainControl {
  SimulateBtn,        // simulate_btn
  CleanBtn,           // clean_btn
  AutoBtn,            // auto_btn
  Settings1,          // menu item "Settings"
  Lst,                // the review list
  CheckAllBtn,        // checkall_btn
  UncheckAllBtn,      // uncheckall_btn
  ShutdownBtn,        // shutdown_btn
  RebootBtn,          // reboot_btn
  CloseBtn,           // close_btn
  CleanAndShutdown1,  // menu item "Clean and shutdown"
  CleanAndClose1,     // menu item "Clean and close"
  CleanAndReboot1,    // menu item "Clean and reboot"
  Quit1,              // main menu's "Quit"
  Quit2,              // tray menu's "Quit"
};

class MainView {
 public:
  virtual ~MainView() = default;

  virtual void SetEnabled(MainControl control, bool enabled) = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  // Panel 0 (the totals, "...") or panel 1 (the session's state) of the status bar.
  virtual void SetStatusText(int panel, const std::wstring& text) = 0;

  // The texts the one-second tick keeps current.
  virtual void SetSubtitle(const std::wstring& text) = 0;  // subtop_lbl
  virtual void SetTrayHint(const std::wstring& text) = 0;
  // auto_btn: its caption and its image (0 "Start", 1 "Stop").
  virtual void SetAutoButton(const std::wstring& caption, int imageIndex) = 0;
  // next_lbl's text and visibility; the window keeps now_lbl 10 pixels right
  // of next_lbl's right edge whenever either changes.
  virtual void SetNextLabel(const std::wstring& text, bool visible) = 0;
  virtual void SetNowVisible(bool visible) = 0;
  virtual void SetTotalText(const std::wstring& text) = 0;  // total_lbl

  // The review list the controller owns changed (rows added, removed or
  // cleared): the list view shows its current row count. Called once per
  // hand-over, so it must cost O(1), whatever the row count.
  virtual void ReviewListChanged() = 0;
  virtual void SizeColumnsToContents() = 0;
  // Status panel 0 := the checked rows' size and count. The window may read
  // the sizes off the GUI thread and show the text when ready.
  virtual void UpdateTotals() = 0;

  // The progress bar pb and the taskbar button's progress, together.
  virtual void SetProgressMax(int max) = 0;
  virtual void SetProgressPosition(int position) = 0;

  // Message boxes owned by the main window: an information box titled with
  // the application title, and a question box with a question icon and the
  // buttons Yes and No (true for Yes).
  virtual void ShowInfo(const std::wstring& text) = 0;
  virtual bool AskYesNo(const std::wstring& text, const std::wstring& title) = 0;

  // The settings dialog, modal; returns when it is closed.
  virtual void RunSettingsDialog() = 0;
  virtual void SetTrayActive(bool active) = 0;
  virtual bool TrayActive() const = 0;
  // Hides the window and its taskbar button into the notification area, or
  // shows the window minimised (the "/minimized" start).
  virtual void HideToTray() = 0;
  virtual void ShowMinimized() = 0;

  virtual bool IsMaximized() const = 0;
  virtual bool IsExpertMode() const = 0;

  // Closes the main window; the window calls the controller's close sequence
  // on its way out and the program ends.
  virtual void CloseWindow() = 0;
};
