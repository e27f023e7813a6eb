#include "i18n/language_choice.h"

FlagRowLayout LayOutFlagRow(int left, int top, int bottom, int flagWidth, int flagHeight, int textHeight) {
  FlagRowLayout l;
  l.flagLeft = left + 4;
  l.flagTop = (top + bottom - 28) / 2;
  l.frameLeft = left + 3;
  l.frameTop = l.flagTop - 1;
  l.frameWidth = flagWidth + 2;
  l.frameHeight = flagHeight + 2;
  l.textLeft = left + 2 + flagWidth + 10;
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
