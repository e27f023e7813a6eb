#include "i18n/text_storage.h"

#include "platform/win_path.h"

namespace {

const wchar_t kUnused[] = L"unused";

}  // namespace

TTextStorage::TTextStorage(std::wstring name, std::vector<std::wstring> englishTexts, Component* owner)
    : Component(std::move(name), owner), english_(std::move(englishTexts)), items_(english_) {
  ExposeList(Property::Items, [this] { return items_; }, [this](const StringList& items) { SetItems(items); });
}

std::wstring TTextStorage::Translate(const std::wstring& english) const {
  for (size_t i = 0; i < english_.size(); ++i) {
    if (!platform::EqualsNoCase(english_[i], english)) continue;
    // A shorter item list (set by a language switch) has no text for this position.
    if (i >= items_.size() || items_[i] == kUnused) return english;
    return items_[i];
  }
  return english;
}

void TTextStorage::SetItems(std::vector<std::wstring> items) { items_ = std::move(items); }

bool TTextStorage::SetItem(size_t index, std::wstring text) {
  if (index >= items_.size()) return false;
  items_[index] = std::move(text);
  return true;
}

// Positions are part of the language files' format: append, never reorder.
const std::vector<std::wstring>& MainTsTexts() {
  static const std::vector<std::wstring> texts = {
      L"Purgello is a powerful and secured file cleaner. Use with care.",
      L"Purgello will automatically analyze and delete files. Continue ?",
      L"Firefox is running. Its associated file will not be cleanned. Please close Firefox and retry",
      L"Cleaning...",
      L"Check All :",
      L"Uncheck All :",
      L"Analysis : Complete",
      L"Stop",
      L"Start",
      L"Next :",
      L"In Progress...",
      L"b.",
      L"Kb.",
      L"Mb.",
      L"Gb.",
      L"Tb.",
      L"items",
      L"Type",
      L"Path",
      L"Size",
      L"Songbird is running. Its associated file will not be cleanned. Please close Songbird and retry",
      L"Done !",
      kUnused,
      L"Hide files",
      L"Show files",
      kUnused,
      kUnused,
      kUnused,
      L"Total :",
      L"Cleans your system of temporary and unwanted files.",
      kUnused,
      kUnused,
      L"Purgello is already up to date.",
      // Added after the original table: older language files, shorter, leave it in English.
      L"The list could not be saved as",
  };
  return texts;
}

const std::vector<std::wstring>& TsAboutTexts() {
  static const std::vector<std::wstring> texts = {
      L"About", L"Application Name :", L"Version :", kUnused, kUnused, kUnused, kUnused, kUnused,
  };
  return texts;
}

TTextStorage MakeMainTs(Component* owner) { return TTextStorage(L"main_ts", MainTsTexts(), owner); }
TTextStorage MakeTsAbout(Component* owner) { return TTextStorage(L"TS_about", TsAboutTexts(), owner); }
