// Text tables: ordered lists of run-time texts looked up by their English
// wording. A language file replaces the items by position, so the order of a
// table's English texts is fixed; an item "unused" only holds its place.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "gui/component.h"

// A component (its name is what language files address: "main_ts",
// "TS_about") whose one property is Items.
class TTextStorage : public Component {
 public:
  // The designed English texts become both the items and the English list.
  TTextStorage(std::wstring name, std::vector<std::wstring> englishTexts, Component* owner = nullptr);

  // The item at the position of the first English text equal to english
  // (ASCII letter case ignored); english itself when there is none, or when
  // that item is "unused".
  std::wstring Translate(const std::wstring& english) const;

  // The texts in the current language, in table order.
  const std::vector<std::wstring>& Items() const { return items_; }
  // Replaces the items (a language switch); the English list never changes.
  void SetItems(std::vector<std::wstring> items);
  // Replaces one item; false when index is past the end (the list keeps its size).
  bool SetItem(size_t index, std::wstring text);

  const std::vector<std::wstring>& EnglishItems() const { return english_; }

 private:
  std::vector<std::wstring> english_;
  std::vector<std::wstring> items_;
};

// The designed English texts of the two tables, in the order language files
// rely on.
const std::vector<std::wstring>& MainTsTexts();
const std::vector<std::wstring>& TsAboutTexts();

// The main window's and the About dialog's tables as designed, owned by owner.
TTextStorage MakeMainTs(Component* owner = nullptr);
TTextStorage MakeTsAbout(Component* owner = nullptr);
