// The download dialog of an automatic update: a progress bar that follows the
// download of the vendor's installer into the data folder, then the verified
// start of that installer (see update/installer_start.h). The download runs
// on the GUI thread's message loop, which goes on under the modal dialog.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "gui/win32/dialog.h"
#include "gui/win32/progress_bar.h"
#include "gui/win32/timer.h"
#include "update/file_grabber.h"
#include "update/http_setup.h"
#include "update/installer_start.h"

class TKLog;
class UpdateNetwork;

// What the dialog needs from outside; tests replace parts of it.
struct AutoUpdateDlgEnvironment {
  UpdateNetwork* network = nullptr;             // must outlive the dialog
  std::function<std::wstring()> dataFolder;     // with a trailing backslash (DataFolder)
  std::wstring signerSha256;                    // the vendor's pinned signer; real: VendorSignerSha256
  InstallerSystem installer = SystemInstallerSystem();
  // The message after a failed download ("Failed"); real: a message box.
  std::function<void(HWND owner, const std::wstring& text)> showMessage;
  HWND ownerWindow = nullptr;
};
// The vendor's signer and a message box; the rest as given.
AutoUpdateDlgEnvironment DefaultAutoUpdateDlgEnvironment(UpdateNetwork& network,
                                                         std::function<std::wstring()> dataFolder,
                                                         HWND ownerWindow = nullptr);

class TAutoUpdateDlg : public gui::Dialog {
 public:
  explicit TAutoUpdateDlg(AutoUpdateDlgEnvironment environment);
  ~TAutoUpdateDlg() override;

  void SetProxy(bool useProxy, const std::wstring& host, int port, const std::wstring& userName,
                const std::wstring& password);
  // Downloads downloadUrl into the data folder's "update.exe" and starts it;
  // true when the installer was started (the program should quit then).
  // Needs log (false at once without it).
  bool Execute();
  // The program closes: drops the download (no completion follows), ends the
  // dialog with Cancel and forgets the log, which goes with the close.
  void Abandon();

  // Every 500 ms while shown: starts the download at the first tick, then
  // shows its progress.
  void TmrTimer();
  // The downloader's completion, failed downloads too.
  void OnDownload(void* context, TFileGrabber& grabber);

  // 0: not started or finished; 1: the download runs.
  int TmrTag() const { return tmrTag_; }
  const std::wstring& TargetPath() const { return targetPath_; }

  std::wstring downloadUrl;
  TKLog* log = nullptr;

  gui::ProgressBar pb;
  gui::Timer Tmr;

 private:
  AutoUpdateDlgEnvironment environment_;
  ProxySettings proxy_;
  std::unique_ptr<TFileGrabber> grabber_;
  std::wstring targetPath_;
  int tmrTag_ = 0;
  bool inOnDownload_ = false;
};
