#include "gui/component.h"

#include <gtest/gtest.h>

#include "gui/component_paths.h"
#include "gui/reading_order.h"

namespace {

// A control with a caption and a hint, and optionally a list; what it stores
// is what the properties read.
class FakeControl : public Component {
 public:
  FakeControl(std::wstring name, Component* owner, bool withItems = false) : Component(std::move(name), owner) {
    ExposeText(Property::Caption, [this] { return caption; }, [this](const std::wstring& t) { caption = t; });
    ExposeText(Property::Hint, [this] { return hint; }, [this](const std::wstring& t) { hint = t; });
    ExposeBool(Property::ShowHint, [this] { return showHint; }, [this](bool b) { showHint = b; });
    ExposeFont([this] { return font; }, [this](const FontSpec& f) { font = f; });
    if (withItems) {
      ExposeList(Property::Items, [this] { return items; }, [this](const StringList& l) { items = l; });
      ExposeInt(Property::ItemIndex, [this] { return itemIndex; }, [this](int i) { itemIndex = i; });
    }
  }
  std::wstring caption, hint;
  bool showHint = false;
  FontSpec font = DesignFont();
  StringList items;
  int itemIndex = -1;
};

std::vector<std::wstring> PathsOf(const std::vector<ComponentPath>& paths) {
  std::vector<std::wstring> out;
  for (const ComponentPath& p : paths) out.push_back(p.path);
  return out;
}

TEST(ComponentTest, PropertiesAnswerByNameInAnyLetterCase) {
  FakeControl combo(L"method_cmb", nullptr, true);
  for (const wchar_t* name : {L"Caption", L"caption", L"CAPTION", L"cApTiOn"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(combo.HasProperty(name));
    ASSERT_TRUE(combo.SetProperty(name, std::wstring(name)));
    EXPECT_EQ(combo.caption, name);
    EXPECT_EQ(std::get<std::wstring>(*combo.GetProperty(name)), name);
  }
  ASSERT_TRUE(combo.SetProperty(L"items", StringList{L"Standard", L"1 Pass"}));
  EXPECT_EQ(combo.items, (StringList{L"Standard", L"1 Pass"}));
  ASSERT_TRUE(combo.SetProperty(L"ITEMINDEX", 1));
  EXPECT_EQ(std::get<int>(*combo.GetProperty(L"ItemIndex")), 1);
  ASSERT_TRUE(combo.SetProperty(L"font", FontSpec{L"Tahoma", 204, 9}));
  EXPECT_EQ(combo.font, (FontSpec{L"Tahoma", 204, 9}));
  ASSERT_TRUE(combo.SetProperty(L"showhint", true));
  EXPECT_TRUE(combo.showHint);
}

TEST(ComponentTest, AbsentPropertiesAndWrongValuesChangeNothing) {
  FakeControl button(L"clean_btn", nullptr);
  const std::pair<const wchar_t*, PropertyValue> refused[] = {
      {L"Items", StringList{L"x"}},        // a property this control lacks
      {L"Lines", StringList{L"x"}},        // likewise
      {L"Colour", std::wstring(L"red")},   // no such property at all
      {L"Caption", 5},                     // the wrong type
      {L"Font", std::wstring(L"Tahoma")},  // likewise
  };
  for (const auto& [name, value] : refused) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(button.SetProperty(name, value));
  }
  EXPECT_FALSE(button.HasProperty(L"Items"));
  EXPECT_FALSE(button.GetProperty(L"Items").has_value());
  EXPECT_FALSE(button.HasProperty(L"Colour"));
  EXPECT_EQ(button.caption, L"");
  EXPECT_EQ(button.font, DesignFont());
}

// The paths language files use: windows under the unnamed application root,
// their components in creation order, an unnamed component's components
// without a prefix, and exclusions that skip a component but not its own.
TEST(ComponentTest, CollectsPathsInOwnerOrder) {
  Component application(L"");
  FakeControl main(L"MainDlg", &application);
  FakeControl clean(L"clean_btn", &main);
  FakeControl group(L"auto_grp", &main);
  FakeControl autoBtn(L"auto_btn", &group);
  Component unnamed(L"", &main);
  FakeControl loose(L"loose", &unnamed);
  FakeControl settings(L"SettingsDlg", &application);
  FakeControl startup(L"startup_chk", &settings);

  EXPECT_EQ(PathsOf(CollectComponents(application)),
            (std::vector<std::wstring>{L"MainDlg", L"MainDlg.clean_btn", L"MainDlg.auto_grp",
                                       L"MainDlg.auto_grp.auto_btn", L"loose", L"SettingsDlg",
                                       L"SettingsDlg.startup_chk"}));
  EXPECT_EQ(PathsOf(CollectComponents(application, {L"maindlg", L"SettingsDlg.startup_chk"})),
            (std::vector<std::wstring>{L"MainDlg.clean_btn", L"MainDlg.auto_grp", L"MainDlg.auto_grp.auto_btn",
                                       L"loose", L"SettingsDlg"}));

  const std::vector<ComponentPath> paths = CollectComponents(application);
  EXPECT_EQ(FindByPath(paths, L"maindlg.AUTO_GRP.auto_btn"), &autoBtn);
  EXPECT_EQ(FindByPath(paths, L"MainDlg.startup_chk"), nullptr);
  EXPECT_EQ(settings.FindComponent(L"STARTUP_CHK"), &startup);
}

TEST(ComponentTest, ComponentsLeaveTheirOwnerWhenDestroyed) {
  Component window(L"MainDlg");
  FakeControl first(L"first", &window);
  {
    FakeControl second(L"second", &window);
    EXPECT_EQ(window.Components(), (std::vector<Component*>{&first, &second}));
  }
  FakeControl third(L"third", &window);
  EXPECT_EQ(window.Components(), (std::vector<Component*>{&first, &third}));
  EXPECT_EQ(first.Owner(), &window);
}

}  // namespace

namespace {

// Two columns, created out of order and a few pixels off the grid, as real
// controls at an odd DPI may be.
TEST(ReadingOrderTest, ColumnsLeftToRightEachTopToBottom) {
  const std::vector<BoxOrigin> boxes = {
      {231, 40},  // right column, second row
      {12, 60},   // left, third
      {20, 20},   // left, first (8 pixels right of its column)
      {230, 21},  // right, first
      {12, 41},   // left, second
      {222, 58},  // right, third (8 pixels left of its column)
  };
  EXPECT_EQ(ReadingRanks(boxes), (std::vector<size_t>{4, 2, 0, 3, 1, 5}));
}

}  // namespace
