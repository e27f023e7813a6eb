// What the update check and the download need of the system: new HTTP clients
// and the TLS test. The Windows one hands completions to the GUI thread through
// its dispatcher; native tests give fakes.
#pragma once

#include <memory>

#include "platform/http.h"

class Dispatcher;

class UpdateNetwork {
 public:
  virtual ~UpdateNetwork() = default;
  virtual std::unique_ptr<platform::HttpClient> NewClient() = 0;
  virtual bool IsSslAvailable() = 0;
};

#ifdef _WIN32
// WinHTTP; completions are posted through gui (which must outlive the clients).
std::unique_ptr<UpdateNetwork> CreateSystemNetwork(Dispatcher& gui);
#endif
