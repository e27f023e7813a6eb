#include "update/pylo_lite.h"

#include "platform/file_version.h"
#include "system/log.h"
#include "update/update_network.h"
#include "update/url_encode.h"

const wchar_t kCheckProductName[] = L"Purgello";
const wchar_t kCheckCompanyName[] = L"Halvoris";

std::wstring UpdateCheckUrl(const std::wstring& server, const std::wstring& productName,
                            const std::wstring& companyName, const TPyloVersion& version) {
  return L"https://" + server + L"/pylo/check.php?uid=0" + L"&ProductName=" + UrlEncode(productName) +
         L"&Company=" + UrlEncode(companyName) + L"&VH=" + version.PackedHighText() + L"&VL=" +
         version.PackedLowText();
}

std::wstring ReplyText(const std::string& body) {
  std::wstring text;
  text.reserve(body.size());
  for (const char c : body) text += wchar_t(static_cast<unsigned char>(c));
  return text;
}

TPyloLite::TPyloLite(TKLog& log, std::wstring logPrefix, std::wstring server, UpdateNetwork& network,
                     const platform::Clock& clock, VersionReader versionOf)
    : UpdateRequest(log, network, clock),
      logPrefix_(std::move(logPrefix)),
      server_(std::move(server)),
      versionOf_(versionOf ? std::move(versionOf) : VersionReader(platform::FileVersionText)) {}

void TPyloLite::Check(const std::wstring& programPath, Callback callback, void* context) {
  client_.reset();
  busy_ = true;
  newer_ = replyValid_ = false;
  log_.Add(logPrefix_ + L" Update self check : Initialization", kLogInfo);
  callback_ = std::move(callback);
  context_ = context;

  const TPyloVersion local = TPyloVersion::Create(versionOf_(programPath));
  localVh_ = local.PackedHigh();
  localVl_ = local.PackedLow();
  const std::wstring url = UpdateCheckUrl(server_, kCheckProductName, kCheckCompanyName, local);

  client_ = network_.NewClient();
  const uint32_t error = StartGet(url, L"PyloLite : No SSL / Back to HTTP",
                                  [this](const platform::HttpResponse& response) { OnReply(response); });
  if (error != 0) {
    log_.Add(logPrefix_ + L" Update self check : Server error (" + std::to_wstring(error) + L")", kLogError);
    Deliver();
  }
}

void TPyloLite::OnReply(const platform::HttpResponse& response) {
  if (response.transportError != 0) {
    log_.Add(logPrefix_ + L" Update self check : Server error (" + std::to_wstring(response.transportError) + L")",
             kLogError);
  } else {
    const TPyloVersion server = TPyloVersion::Create(ReplyText(response.body));
    log_.Add(logPrefix_ + L" Update self check : Server replied " + server.ToText() + L" in " +
                 std::to_wstring(ElapsedMs()) + L"ms",
             kLogInfo);
    if (!server.IsValid())
      log_.Add(logPrefix_ + L" Update self check : Server error (" + std::to_wstring(response.transportError) +
                   L" Cause : " + response.reason + L")",
               kLogVerbose);
    replyValid_ = server.IsValid();
    // Whatever the status: a body that names a greater version counts.
    newer_ = server.IsNewerThanPacked(localVh_, localVl_);
  }
  Deliver();
}

void TPyloLite::Deliver() {
  busy_ = false;
  if (callback_) callback_(context_, *this);
}
