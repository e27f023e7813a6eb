// The system's network as the tests against the loopback servers use it:
// TLS may be reported unusable (the requests then fall back to plain HTTP,
// which the proxy and the plain servers speak), and every wait may be bounded
// by seconds rather than the program's minutes, so that a silent server is
// given up on soon.
#pragma once

#include <cstdint>
#include <memory>

#include "update/update_network.h"

namespace testsupport {

class LoopbackNetwork : public UpdateNetwork {
 public:
  // boundMs: to connect and without data; 0 keeps the program's bounds.
  LoopbackNetwork(Dispatcher& gui, bool sslAvailable, uint32_t boundMs = 0)
      : system_(CreateSystemNetwork(gui)), sslAvailable_(sslAvailable), boundMs_(boundMs) {}
  std::unique_ptr<platform::HttpClient> NewClient() override {
    std::unique_ptr<platform::HttpClient> client = system_->NewClient();
    if (boundMs_) client->Options().connectTimeoutMs = client->Options().idleTimeoutMs = boundMs_;
    return client;
  }
  bool IsSslAvailable() override { return sslAvailable_; }

 private:
  std::unique_ptr<UpdateNetwork> system_;
  bool sslAvailable_;
  uint32_t boundMs_;
};

}  // namespace testsupport
