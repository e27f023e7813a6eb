#include "update/update_countdown.h"

std::wstring UpdateCountdown::Start(const std::wstring& currentCaption) {
  seconds_ = kSeconds;
  if (currentCaption.find(L'(') == std::wstring::npos || !haveSaved_) {
    saved_ = currentCaption;
    haveSaved_ = true;
  }
  return saved_;
}

UpdateCountdown::Step UpdateCountdown::Tick() {
  // Line feed before carriage return, as the button has always shown it.
  Step step{saved_ + L"\n\r(" + std::to_wstring(seconds_) + L")", seconds_ == 1};
  --seconds_;
  return step;
}
