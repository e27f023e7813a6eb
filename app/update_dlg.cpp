#include "app/update_dlg.h"

#include "app/auto_update_dlg.h"
#include "platform/shell.h"
#include "system/log.h"

namespace {

using gui::ButtonRole;
using gui::DesignRect;

constexpr int kClientWidth = 420, kClientHeight = 178;
constexpr int kPanelHeight = 48, kMargin = 12;
constexpr int kButtonTop = 126, kButtonWidth = 124, kButtonHeight = 40, kButtonGap = 12;
constexpr int kChangeLogWidth = 120;

DesignRect ButtonPlace(int index) {
  return DesignRect{kMargin + index * (kButtonWidth + kButtonGap), kButtonTop, kButtonWidth, kButtonHeight};
}

}  // namespace

UpdateDlgEnvironment DefaultUpdateDlgEnvironment(HWND ownerWindow) {
  return UpdateDlgEnvironment{[](const std::wstring& target) { platform::ShellOpen(target); }, ownerWindow};
}

TUpdateDlg::CloseButton::CloseButton(gui::WindowBase& window, std::wstring name, const std::wstring& caption,
                                     const DesignRect& bounds)
    : gui::Button(window, std::move(name), caption, bounds, ButtonRole::Cancel) {
  ChangeStyle(0, BS_MULTILINE);
}

TUpdateDlg::TUpdateDlg(TAutoUpdateDlg& autoUpdate, UpdateDlgEnvironment environment)
    : gui::Dialog(L"UpdateDlg",
                  gui::DialogSpec{L"Update", WS_POPUP | WS_CAPTION | WS_SYSMENU, environment.ownerWindow}),
      top_pnl(*this, L"top_pnl", DesignRect{0, 0, kClientWidth, kPanelHeight}),
      Label2(&top_pnl.Add<gui::Label>(L"Label2", L"Update Available", DesignRect{kMargin, 16, 0, 0},
                                      gui::LabelStyle{true})),
      changelog_lbl(&top_pnl.Add<gui::LinkLabel>(
          L"changelog_lbl", L"Change Log",
          DesignRect{kClientWidth - kMargin - kChangeLogWidth, 16, kChangeLogWidth, 20})),
      Label1(*this, L"Label1",
             L"New version is available to download ! Updates are recommended in order to benefit from bug fixes "
             L"and new features.",
             DesignRect{kMargin, kPanelHeight + 16, kClientWidth - 2 * kMargin, 48}),
      auto_btn(*this, L"auto_btn", L"Automatic Update", ButtonPlace(0), ButtonRole::Default),
      manual_btn(*this, L"manual_btn", L"Manual Update", ButtonPlace(1)),
      autoUpdate_(autoUpdate),
      environment_(std::move(environment)),
      close_btn(*this, L"close_btn", L"Close", ButtonPlace(2)),
      TimerClose(*this, L"TimerClose", 1000, false) {
  ShowProgramIcon();
  changelog_lbl->onClick = [this] { changelog_lblClick(); };
  auto_btn.onClick = [this] { auto_btnClick(); };
  manual_btn.onClick = [this] { manual_btnClick(); };
  close_btn.onClick = [this] { EndModal(IDCANCEL); };
  TimerClose.onTimer = [this] { TimerCloseTimer(); };
  SetDesignClientSize(kClientWidth, kClientHeight);
  LayOut();
}

TUpdateDlg::~TUpdateDlg() = default;

bool TUpdateDlg::Execute() {
  LayOut();
  changelog_lbl->SetAlignment(1);
  changelog_lbl->SetVisible(bool(changeLog));
  close_btn.ChangeWindowText(countdown_.Start(close_btn.WindowText()));
  CenterOnOwner();
  TimerClose.SetEnabled(true);
  const int result = ShowModal();
  TimerClose.SetEnabled(false);
  return result == IDOK;
}

void TUpdateDlg::Abandon() {
  TimerClose.SetEnabled(false);
  log = nullptr;
  autoUpdate_.Abandon();
  if (InModal()) EndModal(IDCANCEL);
}

void TUpdateDlg::TimerCloseTimer() {
  const UpdateCountdown::Step step = countdown_.Tick();
  close_btn.ChangeWindowText(step.caption);
  if (step.close) EndModal(IDCANCEL);
}

void TUpdateDlg::changelog_lblClick() {
  if (changeLog) changeLog();
}

void TUpdateDlg::manual_btnClick() {
  TimerClose.SetEnabled(false);
  if (log) log->Add(L"Manual update selected by user", kLogInfo);
  if (environment_.shellOpen) environment_.shellOpen(viewPageUrl);
  EndModal(IDOK);
}

void TUpdateDlg::auto_btnClick() {
  TimerClose.SetEnabled(false);
  if (log) log->Add(L"Auto update selected by user", kLogInfo);
  autoUpdate_.downloadUrl = downloadUrl;
  autoUpdate_.log = log;
  autoUpdate_.SetProxy(proxy.useProxy, proxy.host, proxy.port, proxy.userName, proxy.password);
  // The download dialog is modal to the main window; this one waits behind it.
  EnableWindow(Hwnd(), FALSE);
  const bool started = autoUpdate_.Execute();
  EnableWindow(Hwnd(), TRUE);
  if (log) log->Add(started ? L"Auto update succeeded" : L"Auto update failed", kLogInfo);
  EndModal(started ? IDOK : IDCANCEL);
}
