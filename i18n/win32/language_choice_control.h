// The language chooser as a control: a heading, a separator line and an
// owner-drawn list of the switcher's languages, each row with its flag. A
// click on a row switches the language at once. What it shows and does lives
// in LanguageChoice; this control draws it and turns clicks into it.
#pragma once

#include <functional>
#include <string>

#include "gui/win32/painted_control.h"
#include "i18n/language_choice.h"

class TLanguageChoice : public gui::PaintedControl {
 public:
  TLanguageChoice(gui::WindowBase& window, std::wstring name, const gui::DesignRect& bounds);
  ~TLanguageChoice() override;

  // Scans the switcher's folder and shows its languages; nullptr empties it.
  void SetLanguageList(TLangList* list);
  TLangList* LanguageList() const { return choice_.LanguageList(); }

  // After a click has switched the language.
  std::function<void()> OnClick;

  // A click on a row, as the list reports it.
  void RowClicked(int row);

  HWND ListHwnd() const { return list_; }
  std::wstring HeadingText() const;
  const LanguageChoice& Behaviour() const { return choice_; }

  void ApplyDpi(int dpi) override;

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void ShowState();
  void PlaceParts();
  void DrawRow(const DRAWITEMSTRUCT& item);

  LanguageChoice choice_;
  HWND heading_ = nullptr, separator_ = nullptr, list_ = nullptr;
  HFONT font_ = nullptr;
  bool showing_ = false;
};
