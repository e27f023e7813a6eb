#include "i18n/language_choice.h"

#include "gui/anchoring.h"

FlagRowLayout LayOutFlagRow(int left, int top, int bottom, int flagWidth, int flagHeight, int textHeight, int dpi) {
  const int one = gui::ScaleLength(1, dpi);
  FlagRowLayout l;
  l.flagLeft = left + gui::ScaleLength(4, dpi);
  l.flagTop = (top + bottom - gui::ScaleLength(28, dpi)) / 2;
  l.frameLeft = l.flagLeft - one;  // the frame keeps its one-pixel margin at any DPI
  l.frameTop = l.flagTop - one;
  l.frameWidth = flagWidth + 2 * one;
  l.frameHeight = flagHeight + 2 * one;
  l.textLeft = left + gui::ScaleLength(2, dpi) + flagWidth + gui::ScaleLength(10, dpi);
  l.textTop = (top + bottom - textHeight) / 2;
  return l;
}

LanguageChoice::~LanguageChoice() { SetLanguageList(nullptr); }

void LanguageChoice::SetLanguageList(TLangList* list) {
  // Gives the previous switcher its own listener back.
  if (list_) list_->AfterLanguageSwitch = passedOn_;
  list_ = list;
  passedOn_ = nullptr;
  rows_.clear();
  selected_ = -1;
  if (list_) {
    list_->ScanLanguages();
    for (const LanguageEntry& e : list_->Languages()) rows_.push_back(e.displayName);
    passedOn_ = list_->AfterLanguageSwitch;
    list_->AfterLanguageSwitch = [this] { AfterSwitch(); };
  }
  if (onChanged) onChanged();
}

void LanguageChoice::AfterSwitch() {
  const int index = list_->LanguageIndex();
  selected_ = index >= 0 && static_cast<size_t>(index) < rows_.size() ? index : -1;
  if (passedOn_) passedOn_();
  heading_ = L"  " + list_->CurrentHeadingName();
  if (onChanged) onChanged();
}

SwitchResult LanguageChoice::Click(int row) {
  if (!list_) return SwitchResult::Unchanged;
  const SwitchResult result = list_->SetLanguageIndex(row);
  heading_ = list_->CurrentHeadingName();
  if (onChanged) onChanged();
  if (OnClick) OnClick();
  return result;
}
