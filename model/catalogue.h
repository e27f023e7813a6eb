// The 42 cleaning categories in the order an analysis visits them.
#pragma once

#include <cstddef>
#include <string>

struct Category {
  const wchar_t* key;              // settings value name and settings check box name
  const wchar_t* settingsCaption;  // translatable; "&&" stands for "&"
  const wchar_t* statusCaption;    // shown and logged while analysed
  const wchar_t* itemCaption;      // stored in every found item
  bool enabledByDefault;
};

constexpr size_t kCategoryCount = 42;
extern const Category kCatalogue[kCategoryCount];

// The catalogue entry with this key, or nullptr.
const Category* FindCategory(const std::wstring& key);

// True unless the category's setting is exactly "0".
bool IsCategoryEnabled(const std::wstring& key);

// Item captions other parts of the program test.
extern const wchar_t kRecycleBinCaption[];  // "Recycle Bin", compared exactly
