// The update check: one GET to the vendor's server naming this program and its
// packed version; the body names the newest version. The result is two flags,
// handed to the owner's callback on the GUI thread once per finished check.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/http.h"
#include "update/update_request.h"
#include "update/version_number.h"

extern const wchar_t kCheckProductName[];  // "Purgello"
extern const wchar_t kCheckCompanyName[];  // "Halvoris"

// "https://" + server + "/pylo/check.php?uid=0&ProductName=...&Company=...&VH=...&VL=...".
std::wstring UpdateCheckUrl(const std::wstring& server, const std::wstring& productName,
                            const std::wstring& companyName, const TPyloVersion& version);

// A reply body as text, one character per byte, nothing trimmed.
std::wstring ReplyText(const std::string& body);

// Destroyed, it drops a check in flight: no callback follows.
class TPyloLite : public UpdateRequest {
 public:
  using Callback = std::function<void(void* context, TPyloLite& client)>;
  // The four-number version text of a program file (platform::FileVersionText).
  using VersionReader = std::function<std::wstring(const std::wstring& programPath)>;

  // logPrefix: the application title, in front of the "Update self check" lines.
  // server: the vendor's host name. log, network and clock must outlive the client.
  TPyloLite(TKLog& log, std::wstring logPrefix, std::wstring server, UpdateNetwork& network,
            const platform::Clock& clock = platform::SystemClock(), VersionReader versionOf = VersionReader());
  // Starts one check of the program file at programPath and returns at once.
  // The callback runs on the GUI thread when the check has finished; when the
  // request cannot even be started it runs before Check returns, with both
  // flags false, so that the caller's menu item always comes back.
  void Check(const std::wstring& programPath, Callback callback, void* context);

  bool Busy() const { return busy_; }
  bool Newer() const { return newer_; }
  bool ReplyValid() const { return replyValid_; }

 private:
  void OnReply(const platform::HttpResponse& response);
  void Deliver();

  const std::wstring logPrefix_;
  const std::wstring server_;
  const VersionReader versionOf_;
  bool busy_ = false;
  bool newer_ = false;
  bool replyValid_ = false;
  uint32_t localVh_ = 0, localVl_ = 0;
  Callback callback_;
  void* context_ = nullptr;
};
