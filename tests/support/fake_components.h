// Components for tests of the language files: a window and a control whose
// properties read what they store, with the properties each test wants.
#pragma once

#include "gui/component.h"

namespace testsupport {

class FakeControl : public Component {
 public:
  enum Has : unsigned { kCaption = 1, kText = 2, kHint = 4, kShowHint = 8, kItems = 16, kLines = 32, kItemIndex = 64,
                        kFont = 128, kAlignment = 256, kLayout = 512 };
  FakeControl(std::wstring name, Component* owner, unsigned has = kCaption | kHint | kShowHint | kFont)
      : Component(std::move(name), owner) {
    if (has & kCaption) ExposeText(Property::Caption, [this] { return caption; }, [this](const std::wstring& t) { caption = t; });
    if (has & kText) ExposeText(Property::Text, [this] { return text; }, [this](const std::wstring& t) { text = t; });
    if (has & kHint) ExposeText(Property::Hint, [this] { return hint; }, [this](const std::wstring& t) { hint = t; });
    if (has & kShowHint) ExposeBool(Property::ShowHint, [this] { return showHint; }, [this](bool b) { showHint = b; });
    if (has & kItems) ExposeList(Property::Items, [this] { return items; }, [this](const StringList& l) { items = l; });
    if (has & kLines) ExposeList(Property::Lines, [this] { return items; }, [this](const StringList& l) { items = l; });
    if (has & kItemIndex) ExposeInt(Property::ItemIndex, [this] { return itemIndex; }, [this](int i) { itemIndex = i; });
    if (has & kFont) ExposeFont([this] { return font; }, [this](const FontSpec& f) { font = f; });
    if (has & kAlignment) ExposeInt(Property::Alignment, [this] { return alignment; }, [this](int i) { alignment = i; });
    if (has & kLayout) ExposeInt(Property::Layout, [this] { return layout; }, [this](int i) { layout = i; });
  }
  std::wstring caption, text, hint;
  bool showHint = false;
  StringList items;
  int itemIndex = -1;
  FontSpec font = DesignFont();
  int alignment = -1, layout = -1;
};

}  // namespace testsupport
