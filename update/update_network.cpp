#include "update/update_network.h"

#ifdef _WIN32

#include "system/dispatcher.h"

namespace {

class SystemNetwork final : public UpdateNetwork {
 public:
  explicit SystemNetwork(Dispatcher& gui) : gui_(gui) {}
  std::unique_ptr<platform::HttpClient> NewClient() override {
    Dispatcher& gui = gui_;
    return platform::CreateHttpClient([&gui](std::function<void()> fn) { gui.Post(std::move(fn)); });
  }
  bool IsSslAvailable() override { return platform::IsSslAvailable(); }

 private:
  Dispatcher& gui_;
};

}  // namespace

std::unique_ptr<UpdateNetwork> CreateSystemNetwork(Dispatcher& gui) { return std::make_unique<SystemNetwork>(gui); }

#endif
