// The main window's part in updates: the check client with its start-up
// check, the result of a check, the update dialog, and the vendor's pages of
// the help menu.
#include "app/auto_update_dlg.h"
#include "app/main_dlg.h"
#include "app/startup.h"
#include "app/update_dlg.h"
#include "app/vendor.h"
#include "gui/window_dispatcher.h"
#include "i18n/text_storage.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"
#include "system/data_folder.h"
#include "system/log.h"
#include "update/pylo_lite.h"
#include "update/update_addresses.h"
#include "update/update_network.h"

void TMainDlg::CreateUpdateDialogs() {
  updateDispatcher_ = std::make_unique<WindowDispatcher>();
  updateNetwork_ = environment_.updateNetwork ? environment_.updateNetwork(*updateDispatcher_)
                                              : CreateSystemNetwork(*updateDispatcher_);
  AutoUpdateDlgEnvironment autoEnvironment = DefaultAutoUpdateDlgEnvironment(
      *updateNetwork_, [this] { return DataFolder(programPath_, kApplicationTitle); }, Hwnd());
  autoEnvironment.signerSha256 = environment_.installerSigner;
  autoEnvironment.showMessage = [this](HWND owner, const std::wstring& text) {
    if (environment_.infoBox) environment_.infoBox(owner, text);
  };
  autoUpdateDlg_ = std::make_unique<TAutoUpdateDlg>(std::move(autoEnvironment));
  UpdateDlgEnvironment environment;
  environment.shellOpen = environment_.shellOpen;
  environment.ownerWindow = Hwnd();
  updateDlg_ = std::make_unique<TUpdateDlg>(*autoUpdateDlg_, environment);
}

void TMainDlg::StartUpdateClient(TKLog& log, const std::wstring& programPath) {
  updateLog_ = &log;
  programPath_ = programPath;
  pyloLite_ = std::make_unique<TPyloLite>(log, kApplicationTitle, VendorServer(), *updateNetwork_);
  proxy_ = ReadProxySettings();
  pyloLite_->SetProxy(proxy_.useProxy, proxy_.host, proxy_.port, proxy_.userName, proxy_.password);
}

void TMainDlg::StartupUpdateCheck() {
  if (IsSettingNotOff(kAutoUpdateSetting)) {
    silentUpdateCheck_ = true;
    Checkforupdate1Click();
  }
}

void TMainDlg::DropUpdateClient() {
  if (updateDlg_) updateDlg_->Abandon();
  updateLog_ = nullptr;
  droppedClient_.reset();
  if (inUpdateCheckDone_) droppedClient_ = std::move(pyloLite_);
  pyloLite_.reset();
}

void TMainDlg::Checkforupdate1Click() {
  if (!pyloLite_ || pyloLite_->Busy()) return;
  MenuItemNamed(L"Checkforupdate1").SetEnabled(false);
  updateLog_->Add(L"Self update check...", kLogInfo);
  pyloLite_->Check(programPath_, [this](void*, TPyloLite& client) { UpdateCheckDone(client); }, this);
}

void TMainDlg::UpdateCheckDone(TPyloLite& client) {
  const std::wstring upToDate = L"Purgello is already up to date.";
  if (client.Newer() && client.ReplyValid()) {
    updateLog_->Add(L"New version of Purgello is detected", kLogInfo);
    // The dialog is modal: the program may close while it is up.
    inUpdateCheckDone_ = true;
    ShowUpdateAvailable();
    inUpdateCheckDone_ = false;
  } else {
    // An unusable reply says nothing in the log here; the client has said why.
    if (client.ReplyValid()) updateLog_->Add(upToDate, kLogInfo);
    if (!silentUpdateCheck_) ShowInfo(main_ts.Translate(upToDate));
  }
  MenuItemNamed(L"Checkforupdate1").SetEnabled(true);
  silentUpdateCheck_ = false;
}

void TMainDlg::ShowUpdateAvailable() {
  TUpdateDlg& dialog = *updateDlg_;
  dialog.changeLog = [this] { changlog1Click(); };
  dialog.viewPageUrl = UpdateViewPageUrl(VendorServer());
  dialog.downloadUrl = UpdateDownloadUrl(VendorServer());
  dialog.log = updateLog_;
  dialog.proxy = proxy_;
  dialog.auto_btn.SetEnabled(environment_.isInstalled && environment_.isInstalled());
  if (dialog.Execute()) Quit1Click();
}

void TMainDlg::changlog1Click() {
  if (environment_.shellOpenFor) environment_.shellOpenFor(Hwnd(), ChangeLogUrl(VendorServer()), L"");
}

void TMainDlg::BugreportFeaturerequestKnownissues1Click() {
  if (environment_.shellOpenFor) environment_.shellOpenFor(Hwnd(), BugTrackerUrl(VendorServer()), L"");
}
