// A network for tests of the update pieces: records each client's options and
// request, and lets the test finish it (or refuse to start it).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "update/update_network.h"

class FakeHttpClient;

struct FakeRequest {
  platform::HttpOptions options;  // as they were when Get was called
  std::wstring url;
  platform::HttpClient::Completion done;
  bool clientAlive = true;  // false once its client is destroyed
};

class FakeNetwork : public UpdateNetwork {
 public:
  std::unique_ptr<platform::HttpClient> NewClient() override;
  bool IsSslAvailable() override { return sslAvailable; }

  // Finishes the last request, as the seam does: only while its client lives.
  // False when there was nothing to finish.
  bool Complete(const platform::HttpResponse& response);

  bool sslAvailable = true;
  uint32_t startError = 0;  // Get's answer
  int clientsMade = 0;
  std::vector<std::shared_ptr<FakeRequest>> requests;
};

class FakeHttpClient : public platform::HttpClient {
 public:
  explicit FakeHttpClient(FakeNetwork& network) : network_(network) {}
  ~FakeHttpClient() override {
    if (current_) current_->clientAlive = false;
  }
  uint32_t Get(const std::wstring& url, Completion done) override {
    if (current_) current_->clientAlive = false;
    auto request = std::make_shared<FakeRequest>(FakeRequest{options_, url, std::move(done), true});
    network_.requests.push_back(request);
    if (network_.startError) {
      request->clientAlive = false;
      current_.reset();
      return network_.startError;
    }
    current_ = request;
    return 0;
  }
  void SetProgress(int64_t length, int64_t received) {
    contentLength_ = length;
    receivedCount_ = received;
  }

 private:
  FakeNetwork& network_;
  std::shared_ptr<FakeRequest> current_;
};

inline std::unique_ptr<platform::HttpClient> FakeNetwork::NewClient() {
  ++clientsMade;
  return std::make_unique<FakeHttpClient>(*this);
}

inline bool FakeNetwork::Complete(const platform::HttpResponse& response) {
  if (requests.empty() || !requests.back()->clientAlive || !requests.back()->done) return false;
  auto done = std::move(requests.back()->done);
  requests.back()->done = nullptr;
  done(response);
  return true;
}
