#include "update/update_request.h"

#include "system/log.h"
#include "update/update_network.h"

UpdateRequest::UpdateRequest(TKLog& log, UpdateNetwork& network, const platform::Clock& clock)
    : log_(log), network_(network), clock_(clock) {}

UpdateRequest::~UpdateRequest() = default;

void UpdateRequest::SetProxy(bool useProxy, const std::wstring& host, int port, const std::wstring& userName,
                             const std::wstring& password) {
  proxy_ = ProxySettings{useProxy, host, port, userName, password};
}

uint32_t UpdateRequest::StartGet(const std::wstring& url, const wchar_t* noSslLine,
                                 platform::HttpClient::Completion done) {
  SetupHttpClient(*client_);
  ApplyProxy(*client_, proxy_);
  const std::wstring sent = ToHttpIfNoSsl(url, network_.IsSslAvailable());
  if (!SameUrlIgnoringCase(sent, url)) log_.Add(noSslLine, kLogVerbose);
  startTick_ = static_cast<uint32_t>(clock_.TickCount64());
  return client_->Get(sent, std::move(done));
}

uint32_t UpdateRequest::ElapsedMs() const { return static_cast<uint32_t>(clock_.TickCount64()) - startTick_; }
