#include "app/about_dlg.h"

#include "app/about_banner.h"
#include "app/startup.h"
#include "app/vendor.h"
#include "platform/file_version.h"
#include "platform/shell.h"
#include "platform/win32/program_path.h"

namespace {

using gui::ButtonRole;
using gui::DesignRect;

// The banner spans the client area; the frame below holds everything else.
constexpr int kClientWidth = 388, kClientHeight = 284;
constexpr DesignRect kAllGrp{1, 97, 384, 184};

DesignRect In(const DesignRect& group, int left, int top, int width, int height) {
  return DesignRect{group.left + left, group.top + top, width, height};
}

constexpr DesignRect kApplicationGrp{kAllGrp.left + 5, kAllGrp.top + 12, 249, 53};
constexpr DesignRect kHvsoftGrp{kAllGrp.left + 260, kAllGrp.top + 12, 113, 117};

}  // namespace

AboutDlgEnvironment DefaultAboutDlgEnvironment(HWND ownerWindow) {
  AboutDlgEnvironment environment;
  environment.programPath = platform::ProgramPath();
  environment.shellOpen = [](HWND owner, const std::wstring& target) { platform::ShellOpen(owner, target, L""); };
  environment.ownerWindow = ownerWindow;
  return environment;
}

TAboutDlg::TAboutDlg(AboutDlgEnvironment environment)
    : gui::Dialog(L"AboutDlg", gui::DialogSpec{L"About ", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                               environment.ownerWindow}),
      environment_(std::move(environment)),
      Image1(*this, L"Image1", DesignRect{0, 0, 388, 96}, AboutBannerPainter()),
      all_grp(*this, L"all_grp", L"", kAllGrp),
      Application_grp(*this, L"Application_grp", L"Application", kApplicationGrp),
      appname_lbl(*this, L"appname_lbl", L"Application name :", In(kApplicationGrp, 8, 16, 0, 0)),
      version_lbl(*this, L"version_lbl", L"Version :", In(kApplicationGrp, 8, 32, 0, 0)),
      hvsoft_grp(*this, L"hvsoft_grp", L"Halvoris", kHvsoftGrp),
      email_btn(*this, L"email_btn", L"Email", In(kHvsoftGrp, 8, 16, 97, 28)),
      web_btn(*this, L"web_btn", L"Web Site", In(kHvsoftGrp, 8, 48, 97, 28)),
      forum_btn(*this, L"forum_btn", L"Forums", In(kHvsoftGrp, 8, 80, 97, 28)),
      ok_btn(*this, L"ok_btn", L"Ok", In(kAllGrp, 274, 139, 81, 33), ButtonRole::Default),
      TS_about(MakeTsAbout(this)) {
  ShowProgramIcon();
  email_btn.onClick = [this] { email_btnClick(); };
  web_btn.onClick = [this] { web_btnClick(); };
  forum_btn.onClick = [this] { forum_btnClick(); };
  ok_btn.onClick = [this] { EndModal(IDOK); };
  SetDesignClientSize(kClientWidth, kClientHeight);
  LayOut();
}

TAboutDlg::~TAboutDlg() = default;

void TAboutDlg::FillTexts() {
  SetCaption(TS_about.Translate(L"About") + L" " + kApplicationTitle);
  appname_lbl.SetCaption(TS_about.Translate(L"Application Name :") + L" " + kApplicationTitle);
  version_lbl.SetCaption(TS_about.Translate(L"Version :") + L" " + platform::FileVersionText(environment_.programPath));
}

void TAboutDlg::Execute() {
  LayOut();
  FillTexts();
  CenterOnOwner();
  ShowModal();
}

void TAboutDlg::email_btnClick() { environment_.shellOpen(Hwnd(), L"mailto:" + VendorEmail()); }
void TAboutDlg::web_btnClick() { environment_.shellOpen(Hwnd(), VendorAddress(L"")); }
void TAboutDlg::forum_btnClick() { environment_.shellOpen(Hwnd(), VendorAddress(L"/forum")); }
