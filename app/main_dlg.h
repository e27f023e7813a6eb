// The main window: the banner, the session buttons, automatic mode, the
// review list, the menus and the notification-area icon. It shows what the
// session controller tells it (MainView) and hands the user's commands to
// the controller. Two modes: basic (buttons only, a fixed 500 x 330 window)
// and expert (the review list, a window that can grow from 670 x 700).
//
// The review list is a virtual list over the controller's ReviewList, so a
// found file costs the same to add whatever the row count. Reading the sizes
// of many files (the totals, a sort by "Size") is done by a helper thread on
// a snapshot of the rows (which shares their texts); the window stays
// responsive and shows the result when it is ready, unless the list was
// emptied or shortened in the meantime.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_view.h"
#include "gui/win32/button.h"
#include "gui/win32/group_box.h"
#include "gui/win32/image_button.h"
#include "gui/win32/label.h"
#include "gui/win32/link_label.h"
#include "gui/win32/list_view.h"
#include "gui/win32/menu.h"
#include "gui/win32/painted_control.h"
#include "gui/win32/program_icon.h"
#include "gui/win32/progress_bar.h"
#include "gui/win32/status_bar.h"
#include "gui/win32/timer.h"
#include "gui/win32/tray_icon.h"
#include "gui/win32/white_panel.h"
#include "gui/win32/window.h"
#include "i18n/lang_list.h"
#include "i18n/text_storage.h"
#include "model/review_list.h"
#include "model/review_sort.h"
#include "update/http_setup.h"

class Dispatcher;
class SessionController;

// The main window's class name, by which a second instance finds the first,
// and the WM_COPYDATA tag of the command line it hands over.
inline constexpr wchar_t kMainDlgClass[] = L"PurgelloMainDlg";
inline constexpr ULONG_PTR kCommandLineHandOver = 0x50474C31;
// Held by the running instance for its whole life.
inline constexpr wchar_t kInstanceMutexName[] = L"Local\\Purgello.Instance";
class TAboutDlg;
class TAutoUpdateDlg;
class TKLog;
class TPyloLite;
class TUpdateDlg;
class UpdateNetwork;
class WindowDispatcher;
class TSettingsDlg;

// What the window asks of the system; tests record instead.
struct MainDlgEnvironment {
  // The executable; the language files lie beside it.
  std::wstring programPath;
  std::function<void(const std::wstring& target)> shellOpen;  // real: platform::ShellOpen
  // The bytes a row stands for now (see CurrentRowSize); called off the GUI
  // thread when the list is long.
  std::function<uint64_t(const FoundItem& item)> rowSize;
  // The checked rows' size and count as the totals show them.
  std::function<void(const ReviewList& rows, uint64_t& size, uint64_t& count)> checkedTotals;
  // From this many rows on, sizes are read by the helper thread.
  size_t backgroundRows = 2000;
  // The file to save the list in, chosen in the standard Save dialog owned by
  // the window; empty when the user cancelled.
  std::function<std::wstring(HWND owner)> chooseSaveFile;
  // Tells the user that the list could not be saved (the message names the file).
  std::function<void(HWND owner, const std::wstring& message)> saveFailed;
  // The vendor's pages of the help menu, opened for the window; real:
  // platform::ShellOpen with an owner.
  std::function<void(HWND owner, const std::wstring& target, const std::wstring& parameters)> shellOpenFor;
  // The message boxes of ShowInfo; real: MessageBoxW.
  std::function<void(HWND owner, const std::wstring& text)> infoBox;
  // The network of the update check and download, over the window's GUI
  // thread; real: WinHTTP (CreateSystemNetwork).
  std::function<std::unique_ptr<UpdateNetwork>(Dispatcher& gui)> updateNetwork;
  // The program is installed (not a portable copy): Automatic Update is offered.
  std::function<bool()> isInstalled;
  // The SHA-256 of the certificate a downloaded installer must be signed with;
  // real: VendorSignerSha256.
  std::wstring installerSigner;
};
MainDlgEnvironment DefaultMainDlgEnvironment();

class TMainDlg : public gui::Window, public MainView, private gui::ListViewSource {
 public:
  explicit TMainDlg(ReviewList& list, MainDlgEnvironment environment = DefaultMainDlgEnvironment());
  ~TMainDlg() override;

  // The controller the commands go to; none: the commands do nothing.
  void SetController(SessionController* controller) { controller_ = controller; }
  // The rows the list shows from now on (the controller's, which exist only
  // once the controller has this window as its view).
  void AttachList(ReviewList& list);

  // Mode.
  void Expertmode1Click();
  void SetExpertMode(bool basic);
  void ApplyModeLayout();
  // The window's minimum outer size in pixels (0: none).
  SIZE MinimumSize() const { return minimum_; }

  // Placement: restored from the settings after the mode is set, stored while
  // the window is normal and on the desktop.
  void RestorePlacement();
  void SavePlacement();
  // Shows the window for the first time, maximised when the placement says so.
  void Show();
  // The program's start-up work: runs once, from the message loop, after the
  // window is first activated (gets the input focus), unless it closed before.
  std::function<void()> onFirstActivation;

  // The review list.
  void lstColumnClick(int column);
  void lstClick();
  void lstDblClick();
  void PopupLstPopup();
  void CheckAll1Click() { SetCheckByCaption(nullptr, true); }
  void UncheckAll1Click() { SetCheckByCaption(nullptr, false); }
  void Checkall2Click() { PerTypeCommand(true); }
  void UncheckAll2Click() { PerTypeCommand(false); }
  void checkall_btnClick();
  void uncheckall_btnClick();
  void Opencontaining1Click();
  // Expert mode, outside a session: the list as CSV, where the user chooses.
  void Savelist1Click();
  void SetCheckByCaption(const std::wstring* caption, bool checked);
  // The list's sort state: the column last sorted on and each column's direction.
  const ColumnSort& Sort() const { return sort_; }
  // True while a helper thread reads sizes for the totals or a sort.
  bool SizesPending() const { return pendingTotals_ != 0 || pendingSort_ != 0; }
  // True while a helper thread saves the list.
  bool SavePending() const { return pendingSave_ != 0; }

  // The About dialog (created with the window) and the maker's two other products.
  void About1Click();
  TAboutDlg& AboutDlg() const { return *about_; }

  // Updates. The first activation's last steps: the check client with the
  // log and the proxy settings of now (before it, the update commands do
  // nothing), then the silent check unless AutoUpdate is "0".
  void StartUpdateClient(TKLog& log, const std::wstring& programPath);
  void StartupUpdateCheck();
  // Drops the check client and a check in flight (no result follows), and
  // ends the update dialogs with their download, which write to the log too.
  void DropUpdateClient();
  void Checkforupdate1Click();
  void UpdateCheckDone(TPyloLite& client);
  // The update dialog; the program quits when it says so.
  void ShowUpdateAvailable();
  void changlog1Click();
  void BugreportFeaturerequestKnownissues1Click();
  TPyloLite* UpdateClient() const { return pyloLite_.get(); }
  TUpdateDlg& UpdateDlg() const { return *updateDlg_; }
  TAutoUpdateDlg& AutoUpdateDlg() const { return *autoUpdateDlg_; }
  void shred_btnClick();
  void health_btnClick();

  // The notification area.
  void Show1Click();
  void Quit1Click();

  // The first activation's language step, before the controller's own work:
  // the translators' template on "-co", the scan, the saved language.
  void LanguageFirstActivation(const std::vector<std::wstring>& parameters);
  // After a language switch: the log line, unit names, column captions,
  // totals, layout and the automatic-mode texts.
  void LangueAfterLanguageSwitch();
  // Created with the window, its language chooser bound to Langue.
  TSettingsDlg& SettingsDlg() const { return *settings_; }

  // MainView.
  void SetEnabled(MainControl control, bool enabled) override;
  void SetCaption(const std::wstring& caption) override { gui::Window::SetCaption(caption); }
  void SetStatusText(int panel, const std::wstring& text) override;
  void SetSubtitle(const std::wstring& text) override { subtop_lbl->SetCaption(text); }
  void SetTrayHint(const std::wstring& text) override { tray.SetHint(text); }
  void SetAutoButton(const std::wstring& caption, int imageIndex) override;
  void SetNextLabel(const std::wstring& text, bool visible) override;
  void SetNowVisible(bool visible) override { now_lbl.SetVisible(visible); }
  void SetTotalText(const std::wstring& text) override { total_lbl.SetCaption(text); }
  void ReviewListChanged() override;
  void SizeColumnsToContents() override { lst.FitColumns(); }
  void UpdateTotals() override;
  void SetProgressMax(int max) override;
  void SetProgressPosition(int position) override { pb.SetPosition(position); }
  void ShowInfo(const std::wstring& text) override;
  bool AskYesNo(const std::wstring& text, const std::wstring& title) override;
  void RunSettingsDialog() override;
  void SetTrayActive(bool active) override { tray.SetActive(active); }
  bool TrayActive() const override { return tray.Active(); }
  void HideToTray() override;
  void ShowMinimized() override;
  bool IsMaximized() const override { return IsZoomed(Hwnd()) != FALSE; }
  bool IsExpertMode() const override { return Expertmode1().Checked(); }
  void CloseWindow() override;

  gui::MenuItem& Expertmode1() const { return *menu.Item(L"Expertmode1"); }
  gui::MenuItem& MenuItemNamed(const wchar_t* name) const { return *menu.Item(name); }
  gui::MenuItem& PopupItem(const wchar_t* name) const { return *PopupLst.Item(name); }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnLayOut() override;
  void OnDpiChanged(int oldDpi, const RECT& suggested) override;

 private:
  // gui::ListViewSource over the review list.
  std::wstring CellText(size_t row, int column) const override;
  bool RowChecked(size_t row) const override;
  void SetRowChecked(size_t row, bool checked) override;

  void PerTypeCommand(bool checked);
  void ShowTotals(uint64_t size, uint64_t count);
  void SortNow(std::vector<uint64_t> sizes);
  void ApplySortOrder(std::vector<size_t> order, size_t rows, uint64_t epoch);
  // Draws the list again once rows stop coming in a stream.
  void DrawHeldList();
  void PlaceNowLabel();
  // After a change of the client area: the list above the status bar, its
  // Path column filling it, the subtitle before the picture.
  void FitToClient();
  void ResizeForMode();
  void ShowPopup(POINT screen);
  void CreateUpdateDialogs();
  // A save's end, on the GUI thread: the command again, or the failure told.
  void SaveDone(const std::wstring& path, bool saved);
  // Runs work on a helper thread; done runs on the GUI thread afterwards.
  // pending counts the request until its result has been handed over.
  void RunInBackground(int& pending, std::function<std::function<void()>()> work);

  // First of the members: false until they all exist. The window gets
  // messages (a size from its menu) while they are being made.
  bool membersMade_ = false;
  ReviewList* list_;
  MainDlgEnvironment environment_;
  SessionController* controller_ = nullptr;
  ColumnSort sort_;
  SIZE minimum_{0, 0};
  bool basic_ = true;
  int autoImage_ = 0;
  // Counted up whenever rows leave the list: a result computed on a copy of
  // the rows is shown only when its epoch is still the list's.
  uint64_t listEpoch_ = 0;
  size_t lastRowCount_ = 0;
  UINT_PTR listDrawTimer_ = 0;
  DWORD listDrawnAt_ = 0;
  bool listDrawHeld_ = false;
  uint64_t totalsRequest_ = 0;
  int pendingTotals_ = 0, pendingSort_ = 0, pendingSave_ = 0;
  struct Helper {
    int* pending;
    std::thread thread;
  };
  std::map<uint64_t, Helper> helpers_;
  uint64_t helperSerial_ = 0;
  std::atomic<bool> closing_{false};
  bool showMaximized_ = false;
  bool firstActivationPosted_ = false;
  bool quitPosted_ = false;
  std::unique_ptr<TSettingsDlg> settings_;
  std::unique_ptr<TAboutDlg> about_;
  // In this order: the client and the dialogs go before the network, the
  // network before the dispatcher its completions are posted through.
  std::unique_ptr<WindowDispatcher> updateDispatcher_;
  std::unique_ptr<UpdateNetwork> updateNetwork_;
  std::unique_ptr<TAutoUpdateDlg> autoUpdateDlg_;
  std::unique_ptr<TUpdateDlg> updateDlg_;
  std::unique_ptr<TPyloLite> pyloLite_;
  // A client dropped from inside its own completion (its dialog was up): it
  // has finished, but must outlive the call; it goes at the next drop.
  std::unique_ptr<TPyloLite> droppedClient_;
  bool inUpdateCheckDone_ = false;
  TKLog* updateLog_ = nullptr;
  std::wstring programPath_;
  ProxySettings proxy_;
  // Keeps the start-up check from saying "up to date".
  bool silentUpdateCheck_ = false;
  // The notification area shows small icons at the system's DPI.
  gui::ProgramIcon trayIcon_{gui::Scale(16, gui::SystemDpi())};

 public:
  // The run-time texts and the language switcher; language files address
  // the table as "MainDlg.main_ts".
  TTextStorage main_ts;
  TLangList Langue;
  gui::MainMenu menu;
  gui::WhitePanel top_pnl;
  gui::Label* top_lbl;
  gui::Label* subtop_lbl;
  gui::Picture* top_img;
  gui::GroupBox manual_grp;
  gui::ImageButton clean_btn, shutdown_btn, reboot_btn, close_btn;
  gui::GroupBox auto_grp;
  gui::ImageButton auto_btn;
  gui::Label next_lbl;
  gui::LinkLabel now_lbl;
  gui::GroupBox more_grp;
  gui::ImageButton expert_btn, basic_btn, shred_btn, health_btn;
  gui::GroupBox expert_grp;
  gui::ImageButton simulate_btn;
  gui::Label total_lbl;
  gui::Button checkall_btn, uncheckall_btn;
  gui::ProgressBar pb;
  gui::ListView lst;
  gui::StatusBar status;
  gui::PopupMenu PopupLst;
  gui::PopupMenu traymenu;
  gui::TrayIcon tray;
  gui::Timer Timer;
  gui::Timer posTracker_tmr;
};
