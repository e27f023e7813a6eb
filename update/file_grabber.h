// The download of one address into a file (the installer), over the same HTTP
// seam and set-up as the update check. One client for the downloader's life,
// reused for each download; the completion runs on the GUI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/http.h"
#include "update/update_request.h"

// Destroyed, it drops a download in flight: no callback follows.
class TFileGrabber : public UpdateRequest {
 public:
  using Callback = std::function<void(void* context, TFileGrabber& grabber)>;
  // Writes the downloaded bytes over a file; false when it could not.
  using FileWriter = std::function<bool(const std::wstring& path, const std::string& bytes)>;

  // log, network and clock must outlive the downloader.
  TFileGrabber(TKLog& log, UpdateNetwork& network, const platform::Clock& clock = platform::SystemClock(),
               FileWriter write = FileWriter());
  // Starts one GET of url and returns at once. With a file name the body is
  // written over that file when the whole response has arrived, whatever its
  // status; with none it stays in Body(). The callback follows every finished
  // request, failed ones too; a request that cannot even start has none.
  void Download(const std::wstring& url, const std::wstring& fileName, Callback callback, void* context);

  // The length the server announced (negative when none) and the bytes so far.
  int64_t ContentLength() const { return client_ ? client_->ContentLength() : 0; }
  int64_t ReceivedCount() const { return client_ ? client_->ReceivedCount() : 0; }
  const std::string& Body() const { return body_; }

 private:
  void OnDone(const platform::HttpResponse& response);

  const FileWriter write_;
  std::wstring url_, fileName_;
  std::string body_;
  Callback callback_;
  void* context_ = nullptr;
};
