#include "app/auto_update_dlg.h"

#include <algorithm>
#include <climits>

#include "app/startup.h"
#include "app/vendor.h"
#include "platform/file_system.h"
#include "system/file_exists_non_empty.h"
#include "system/log.h"

namespace {

constexpr int kClientWidth = 360, kClientHeight = 56;
constexpr UINT kTickMs = 500;

}  // namespace

AutoUpdateDlgEnvironment DefaultAutoUpdateDlgEnvironment(UpdateNetwork& network,
                                                         std::function<std::wstring()> dataFolder,
                                                         HWND ownerWindow) {
  AutoUpdateDlgEnvironment environment;
  environment.network = &network;
  environment.dataFolder = std::move(dataFolder);
  environment.signerSha256 = VendorSignerSha256();
  environment.showMessage = [](HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), kApplicationTitle, MB_OK);
  };
  environment.ownerWindow = ownerWindow;
  return environment;
}

TAutoUpdateDlg::TAutoUpdateDlg(AutoUpdateDlgEnvironment environment)
    : gui::Dialog(L"AutoUpdateDlg", gui::DialogSpec{L"Auto Update", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                                    environment.ownerWindow}),
      pb(*this, L"pb", gui::DesignRect{16, 18, kClientWidth - 32, 20}),
      Tmr(*this, L"Tmr", kTickMs, false),
      environment_(std::move(environment)) {
  ShowProgramIcon();
  Tmr.onTimer = [this] { TmrTimer(); };
  SetDesignClientSize(kClientWidth, kClientHeight);
  LayOut();
}

TAutoUpdateDlg::~TAutoUpdateDlg() = default;

void TAutoUpdateDlg::SetProxy(bool useProxy, const std::wstring& host, int port, const std::wstring& userName,
                              const std::wstring& password) {
  proxy_ = ProxySettings{useProxy, host, port, userName, password};
}

bool TAutoUpdateDlg::Execute() {
  if (!log || !environment_.network || !environment_.dataFolder) return false;
  tmrTag_ = 0;
  Tmr.SetEnabled(true);
  pb.SetRange(0, 100);
  pb.SetPosition(0);
  grabber_ = std::make_unique<TFileGrabber>(*log, *environment_.network);
  grabber_->SetProxy(proxy_.useProxy, proxy_.host, proxy_.port, proxy_.userName, proxy_.password);
  targetPath_ = environment_.dataFolder() + L"update.exe";
  if (FileExistsNonEmpty(targetPath_)) platform::DeleteFileAt(targetPath_);
  LayOut();
  CenterOnOwner();
  const int result = ShowModal();
  tmrTag_ = 0;
  Tmr.SetEnabled(false);
  // Closed by hand while the download runs: the download is dropped.
  grabber_.reset();
  return result == IDOK;
}

void TAutoUpdateDlg::Abandon() {
  Tmr.SetEnabled(false);
  tmrTag_ = 0;
  log = nullptr;
  // From inside the download's completion (its message box is up) the
  // grabber has finished but must outlive the call; Execute drops it.
  if (!inOnDownload_) grabber_.reset();
  if (InModal()) EndModal(IDCANCEL);
}

void TAutoUpdateDlg::TmrTimer() {
  if (!grabber_ || !log) return;
  if (tmrTag_ == 0) {
    tmrTag_ = 1;
    log->Add(L"Starting update download", kLogInfo);
    grabber_->Download(downloadUrl, targetPath_,
                       [this](void* context, TFileGrabber& grabber) { OnDownload(context, grabber); }, this);
  } else if (tmrTag_ == 1) {
    const int64_t length = grabber_->ContentLength();
    const int64_t received = grabber_->ReceivedCount();
    if (length >= 0) pb.SetRange(0, int(std::min<int64_t>(length, INT32_MAX)));
    if (received >= 0) pb.SetPosition(int(std::min<int64_t>(received, INT32_MAX)));
  }
}

void TAutoUpdateDlg::OnDownload(void*, TFileGrabber&) {
  tmrTag_ = 0;
  Tmr.SetEnabled(false);
  if (!log) return;
  const std::wstring installerLog = environment_.dataFolder() + L"update.log";
  const InstallerOutcome outcome =
      StartVerifiedInstaller(*log, targetPath_, installerLog, environment_.signerSha256, Hwnd(), environment_.installer);
  if (outcome != InstallerOutcome::Started) {
    inOnDownload_ = true;
    if (environment_.showMessage) environment_.showMessage(Hwnd(), L"Failed");
    inOnDownload_ = false;
    EndModal(IDCANCEL);
    return;
  }
  EndModal(IDOK);
}
