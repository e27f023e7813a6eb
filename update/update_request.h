// What the update check and the download share: the user's proxy, the HTTP
// client they own, and the start of a GET with the program's common set-up.
// A client dropped with its owner takes its request with it: no completion
// follows, and the owner's callback, destroyed first, is never called.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/http.h"
#include "update/http_setup.h"

class TKLog;
class UpdateNetwork;

class UpdateRequest {
 public:
  UpdateRequest(const UpdateRequest&) = delete;
  UpdateRequest& operator=(const UpdateRequest&) = delete;

  void SetProxy(bool useProxy, const std::wstring& host, int port, const std::wstring& userName,
                const std::wstring& password);

 protected:
  // log, network and clock must outlive the object.
  UpdateRequest(TKLog& log, UpdateNetwork& network, const platform::Clock& clock);
  ~UpdateRequest();

  // On client_: the common set-up and the proxy; the address over plain HTTP
  // when TLS cannot be used (noSslLine logged at level 0 then); the start
  // tick; the GET. Get's answer: 0, or the system's error when it could not
  // start (no completion follows then).
  uint32_t StartGet(const std::wstring& url, const wchar_t* noSslLine, platform::HttpClient::Completion done);
  // Milliseconds since the last StartGet, on the tick counter's 32 bits.
  uint32_t ElapsedMs() const;

  TKLog& log_;
  UpdateNetwork& network_;
  std::unique_ptr<platform::HttpClient> client_;

 private:
  const platform::Clock& clock_;
  ProxySettings proxy_;
  uint32_t startTick_ = 0;
};
