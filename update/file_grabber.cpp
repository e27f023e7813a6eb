#include "update/file_grabber.h"

#include "platform/whole_file.h"
#include "system/log.h"
#include "update/update_network.h"

TFileGrabber::TFileGrabber(TKLog& log, UpdateNetwork& network, const platform::Clock& clock, FileWriter write)
    : UpdateRequest(log, network, clock), write_(write ? std::move(write) : FileWriter(platform::WriteWholeFile)) {
  client_ = network.NewClient();
}

void TFileGrabber::Download(const std::wstring& url, const std::wstring& fileName, Callback callback, void* context) {
  url_ = url;
  fileName_ = fileName;
  callback_ = std::move(callback);
  context_ = context;
  body_.clear();
  if (!client_) return;
  StartGet(url, L"FileGrabber : No SSL / Back to HTTP",
           [this](const platform::HttpResponse& response) { OnDone(response); });
}

void TFileGrabber::OnDone(const platform::HttpResponse& response) {
  if (response.transportError != 0) {
    log_.Add(L"File download : Server error (" + std::to_wstring(response.transportError) + L" Cause : " +
                 response.reason + L")",
             kLogError);
  } else {
    body_ = response.body;
    log_.Add(L"File downloaded in " + std::to_wstring(ElapsedMs()) + L"ms", kLogInfo);
    // An error page is written like an installer; the caller's size test and
    // signature check turn it away.
    if (!fileName_.empty() && !write_(fileName_, body_))
      log_.Add(L"File download : cannot write " + fileName_, kLogError);
  }
  if (callback_) callback_(context_, *this);
}
