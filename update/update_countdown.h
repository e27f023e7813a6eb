// The update dialog's close button counting down to its own press: its
// caption gains the seconds left on a second line, and the dialog closes
// itself after the last one.
#pragma once

#include <string>

class UpdateCountdown {
 public:
  static constexpr int kSeconds = 20;

  // At every showing: back to kSeconds. The caption is saved unless it
  // carries a countdown of an earlier showing (a "(") and one is saved
  // already, so a translated caption is picked up and a leftover "(n)" is
  // not. Returns the caption the button shows now.
  std::wstring Start(const std::wstring& currentCaption);

  // Every second: the caption to show, and whether the dialog closes now.
  struct Step {
    std::wstring caption;
    bool close;
  };
  Step Tick();

  int SecondsLeft() const { return seconds_; }

 private:
  std::wstring saved_;
  bool haveSaved_ = false;
  int seconds_ = kSeconds;
};
